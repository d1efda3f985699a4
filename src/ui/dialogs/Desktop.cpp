#include "ui/dialogs/Desktop.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QInputMethodQueryEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

namespace mrt {

QString AppId() {
    return QStringLiteral(MRTKEL_APP_ID);
}

bool InstallQtTranslations(QApplication& app) {
    // What Qt's dialogs take from the default locale (the page setup's units) follows Japan, not
    // the desktop's language.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
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

namespace {

// The platform input context asks the focus object whether it takes input methods (Qt::ImEnabled)
// before it hands a key to fcitx5 or IBus. A QLineEdit answers yes whenever it is editable,
// whatever its Qt::WA_InputMethodEnabled says; this filter makes the attribute the answer.
class InputMethodGate : public QObject {
public:
    explicit InputMethodGate(QWidget* field) : QObject(field), m_field(field) { field->installEventFilter(this); }

protected:
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (obj != m_field || e->type() != QEvent::InputMethodQuery ||
            m_field->testAttribute(Qt::WA_InputMethodEnabled))
            return false;
        auto* query = static_cast<QInputMethodQueryEvent*>(e);
        for (int bit = 0; bit < 32; ++bit) {
            const auto q = static_cast<Qt::InputMethodQuery>(query->queries().toInt() & (1u << bit));
            if (q) query->setValue(q, q == Qt::ImEnabled ? QVariant(false) : m_field->inputMethodQuery(q));
        }
        query->accept();
        return true;
    }

private:
    QWidget* m_field;
};

// Installs the gate once per field.
void gate(QWidget* field) {
    static const char* const kGated = "mrtkelInputMethodGate";
    if (field->property(kGated).toBool()) return;
    new InputMethodGate(field);
    field->setProperty(kGated, true);
}

} // namespace

void SetJapaneseInput(QWidget* field) {
    gate(field);
    field->setAttribute(Qt::WA_InputMethodEnabled, true);
    field->setInputMethodHints(Qt::ImhNone);
}

void SetDirectInput(QWidget* field) {
    // Qt has no way to switch an input method's conversion off; a field that does not take input
    // methods gets the keys as typed. The hints tell on-screen keyboards to offer digits.
    gate(field);
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
}

} // namespace mrt
