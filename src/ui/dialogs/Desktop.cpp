#include "ui/dialogs/Desktop.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>

namespace mrt {

QString AppId() { return QStringLiteral(MRTKEL_APP_ID); }

bool InstallQtTranslations(QApplication& app) {
    // Owned by the application, so it lives as long as the windows it translates.
    auto* qt = new QTranslator(&app);
    if (!qt->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    QCoreApplication::installTranslator(qt);
    return true;
}

QIcon ProgramIcon(const QString& resourceFolder) {
    QIcon icon;
    if (!resourceFolder.isEmpty()) {
        const QDir hicolor(resourceFolder + QStringLiteral("/../icons/hicolor"));
        for (int size : {48, 256}) {
            const QString png = hicolor.filePath(QStringLiteral("%1x%1/apps/%2.png").arg(size).arg(AppId()));
            if (QFileInfo::exists(png)) icon.addFile(QDir::cleanPath(png), QSize(size, size));
        }
    }
    if (icon.isNull()) icon = QIcon::fromTheme(AppId());
    return icon;
}

void SetDesktopIdentity(QApplication& app, const QString& resourceFolder) {
    QGuiApplication::setDesktopFileName(AppId());
    const QIcon icon = ProgramIcon(resourceFolder);
    if (!icon.isNull()) app.setWindowIcon(icon);
}

void SetJapaneseInput(QWidget* field) {
    field->setAttribute(Qt::WA_InputMethodEnabled, true);
    field->setInputMethodHints(Qt::ImhNone);
}

void SetDirectInput(QWidget* field) {
    // Qt has no way to switch an input method's conversion off; a field that does not take input
    // methods gets the keys as typed. The hints tell on-screen keyboards to offer digits.
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
}

} // namespace mrt
