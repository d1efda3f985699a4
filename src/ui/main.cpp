// The desktop program's entry point: chooses the home folder, takes its lock, and runs the
// start-up sequence and command loop with the Qt windows.
#include "app/AppState.h"
#include "app/Startup.h"
#include "ui/dialogs/Desktop.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/dialogs/WindowKeeper.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/help/HelpWindow.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/main/QtMainScreen.h"
#include "ui/print/PrintCommands.h"
#include "util/Cp932.h"
#include "util/DataLock.h"
#include "util/Home.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <cstdio>
#include <cstring>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

void printUsage() {
    std::fputs("使い方: mrtkel [--home DIR] [Qt のオプション]\n"
               "usage: mrtkel [--home DIR] [Qt options]\n"
               "       mrtkel [--home DIR] --print-ledger FROM TO --pdf FILE\n"
               "       mrtkel [--home DIR] --print-totals DATE --pdf FILE\n\n"
               "  --home DIR   the home folder, which holds Data1/ (default: $MRTKEL_HOME,\n"
               "               else $XDG_DATA_HOME/mrtkel, else ~/.local/share/mrtkel)\n"
               "  --print-ledger FROM TO\n"
               "               prints the ledger lines dated FROM to TO (YYYY-MM-DD) into the PDF\n"
               "               file, with the stored print settings, without a window\n"
               "  --print-totals DATE\n"
               "               prints the totals of the week ending on DATE (YYYY-MM-DD) with the\n"
               "               stored closing day into the PDF file, without a window\n"
               "  --pdf FILE   the PDF file a printout is written to\n"
               "  --version    prints the version and exits\n"
               "  --help, -h   prints this text and exits\n\n"
               "See mrtkel(1) and mrtkel-tool(1).\n",
               stdout);
}

// --version and --help are answered before Qt starts, so they need no display. 0 = neither was
// given; otherwise the program ends with `exitCode`.
bool answeredFromCommandLine(int argc, char** argv, int& exitCode) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0) {
            ++i;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("mrtkel %s\n", MRTKEL_VERSION_TEXT);
            exitCode = 0;
            return true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            printUsage();
            exitCode = 0;
            return true;
        }
    }
    return false;
}

// SIGTERM, SIGHUP and SIGINT end the program as its exit command does, saving the block. The
// handler only writes the signal number into a pipe; the main thread reads it between events
// (QSocketNotifier), where the save may run. A second signal ends the program at once.
int g_signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t g_signalsSeen = 0;

extern "C" void onEndSignal(int sig) {
    if (g_signalsSeen) ::_exit(128 + sig);
    g_signalsSeen = 1;
    const char byte = static_cast<char>(sig);
    const int savedErrno = errno;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

bool installEndSignals() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction sa = {};
    sa.sa_handler = onEndSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        if (::sigaction(sig, &sa, nullptr) != 0) return false;
    return true;
}

// A message that ends the start (the data folder cannot be used or is in use). It stays above the
// other windows, which may be those of a program started at the same moment, and an end signal
// closes it as its OK button does. Returns the exit status, 1.
int refuseStart(QMessageBox::Icon icon, const QString& title, const QString& text, bool signalsWatched) {
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    std::unique_ptr<QSocketNotifier> endSignals;
    if (signalsWatched) {
        endSignals = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(endSignals.get(), &QSocketNotifier::activated, &box, [&] {
            char byte = 0;
            [[maybe_unused]] ssize_t n = ::read(g_signalPipe[0], &byte, 1);
            endSignals->setEnabled(false);
            box.reject();
        });
    }
    box.exec();
    return 1;
}

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
    if (int exitCode = 0; answeredFromCommandLine(argc, argv, exitCode)) return exitCode;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("mrtkel"));
    QApplication::setApplicationVersion(QStringLiteral(MRTKEL_VERSION_TEXT));
    // Watched from here on; a signal that comes before the windows exist is handled once they do.
    const bool signalsWatched = installEndSignals();
    if (!signalsWatched) qWarning("mrtkel: cannot watch for the end signals");
    mrt::InstallFontSubstitutions();
    mrt::InstallWindowKeeper(app);
    if (!mrt::InstallQtTranslations(app))
        std::fputs("mrtkel: Qt's Japanese translations (qt6-translations-l10n) are missing; standard dialogs "
                   "stay in English\n",
                   stderr);
    const QString title = QString::fromUtf8(mrt::kProgramName);
    if (!mrt::Cp932Available()) {
        QMessageBox::critical(nullptr, title, QString::fromUtf8(mrt::kCp932UnavailableMessage));
        return 1;
    }

    mrt::AppState state;
    state.home = mrt::ChooseHomeFolder(homeOption(app.arguments()));
    // Made absolute before it becomes the current folder, so a relative --home means the same.
    if (mrt::MakeFolders(state.home)) state.home = std::filesystem::absolute(state.home).lexically_normal().string();
    if (state.home.size() > 1 && state.home.back() == '/') state.home.pop_back();
    if (!mrt::MakeFolders(state.home) || ::chdir(state.home.c_str()) != 0)
        return refuseStart(QMessageBox::Critical, title,
                           QStringLiteral("データフォルダを使用できません。\n") + QString::fromStdString(state.home),
                           signalsWatched);
    state.resourceFolder = mrt::FindResourceFolder(QCoreApplication::applicationFilePath().toStdString());
    mrt::SetDesktopIdentity(app, QString::fromStdString(state.resourceFolder));
    if (!state.resourceFolder.empty())
        mrt::HelpAccess::SetHelpFolder(QString::fromStdString(state.resourceFolder + "/help"));

    // Two programs writing the same year files would corrupt them.
    mrt::DataLock lock;
    if (!lock.Acquire(state.home)) {
        QString m = QString::fromUtf8(mrt::kDataLockedMessage);
        m.remove(QLatin1Char('\r'));
        return refuseStart(QMessageBox::Warning, title, m, signalsWatched);
    }

    mrt::QtDialogs dialogs(nullptr, &state.settings);
    mrt::QtMainScreen mainScreen(dialogs);
    std::unique_ptr<QSocketNotifier> endSignals;
    if (signalsWatched) {
        endSignals = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(endSignals.get(), &QSocketNotifier::activated, [&] {
            char byte = 0;
            [[maybe_unused]] ssize_t n = ::read(g_signalPipe[0], &byte, 1);
            endSignals->setEnabled(false);
            mainScreen.EndNow(state);
        });
    }
#if QT_CONFIG(sessionmanager)
    // The desktop session ending: the same as a signal, and the program is not started again.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [&](QSessionManager& manager) {
        manager.setRestartHint(QSessionManager::RestartNever);
        mainScreen.EndNow(state);
    });
#endif
    if (mrt::PrepareDataFolders(state, dialogs) != 0) return 1;
    mrt::QtCommandScreens screens(dialogs);
    return mrt::RunApplication(state, dialogs, mainScreen, screens);
}
