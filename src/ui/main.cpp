// The desktop program's entry point: chooses the home folder, takes its lock, and runs the
// start-up sequence and command loop with the Qt windows.
#include "app/AppState.h"
#include "app/Startup.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/help/HelpWindow.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/main/QtMainScreen.h"
#include "ui/print/PrintCommands.h"
#include "util/DataLock.h"
#include "util/Home.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

// --home DIR or --home=DIR from the command line; empty when not given.
std::string homeOption(const QStringList& args) {
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--home") && i + 1 < args.size()) return args[i + 1].toStdString();
        if (args[i].startsWith(QStringLiteral("--home="))) return args[i].mid(7).toStdString();
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    // Printouts for scripts need no screen.
    if (mrt::IsHeadlessPrint(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Stderr carries the printout's own messages only.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type == QtCriticalMsg || type == QtFatalMsg) fprintf(stderr, "%s\n", qPrintable(msg));
        });
        QApplication app(argc, argv);
        mrt::InstallFontSubstitutions();
        return mrt::RunHeadlessPrint(app.arguments());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("mrtkel"));
    mrt::InstallFontSubstitutions();
    const QString title = QString::fromUtf8(mrt::kSystemName);

    mrt::AppState state;
    state.home = mrt::ChooseHomeFolder(homeOption(app.arguments()));
    // Made absolute before it becomes the current folder, so a relative --home means the same.
    if (mrt::MakeFolders(state.home)) state.home = std::filesystem::absolute(state.home).lexically_normal().string();
    if (state.home.size() > 1 && state.home.back() == '/') state.home.pop_back();
    if (!mrt::MakeFolders(state.home) || ::chdir(state.home.c_str()) != 0) {
        QMessageBox::critical(nullptr, title,
                              QStringLiteral("データフォルダを使用できません。\n") + QString::fromStdString(state.home));
        return 1;
    }
    state.resourceFolder = mrt::FindResourceFolder(QCoreApplication::applicationFilePath().toStdString());
    if (!state.resourceFolder.empty())
        mrt::HelpAccess::SetHelpFolder(QString::fromStdString(state.resourceFolder + "/help"));

    // Two programs writing the same year files would corrupt them.
    mrt::DataLock lock;
    if (!lock.Acquire(state.home)) {
        QString m = QString::fromUtf8(mrt::kDataLockedMessage);
        m.remove(QLatin1Char('\r'));
        QMessageBox::warning(nullptr, title, m);
        return 1;
    }

    mrt::QtDialogs dialogs(nullptr, &state.settings);
    if (mrt::PrepareDataFolders(state, dialogs) != 0) return 1;
    mrt::QtMainScreen mainScreen(dialogs);
    mrt::QtCommandScreens screens(dialogs);
    return mrt::RunApplication(state, dialogs, mainScreen, screens);
}
