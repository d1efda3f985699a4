#include "ui/print/PrintCommands.h"

#include "app/AppState.h"
#include "ledger/LedgerBlock.h"
#include "port/ConsoleDialogs.h"
#include "print/LedgerPrint.h"
#include "print/TotalsPrint.h"
#include "totals/Totals.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/print/QtPrintDevice.h"
#include "ui/print/frmPr.h"
#include "util/CommitGate.h"
#include "util/Cp932.h"
#include "util/DataLock.h"
#include "util/DateText.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <iostream>

namespace mrt {

namespace {

// What the print windows remember between printouts of one run: the output and the range.
PrintOutputChoice g_output;
std::string g_lastFrom, g_lastTo;

// Dialogs of a printout without a screen: messages are kept and shown on stderr only when
// the printout failed, so a script sees either the PDF or the reason.
class HeadlessDialogs : public ConsoleDialogs {
public:
    void MsgOK(const std::string& msg, const std::string& ttl, int = 0, int = 0) override { keep(ttl, msg); }
    MsgResult MsgBox(const std::string& msg, const std::string& ttl, MsgIcon, MsgButtons buttons) override {
        keep(ttl, msg);
        return buttons == MsgButtons::OK ? MsgResult::OK : MsgResult::Cancel;
    }
    void Flush() {
        for (const std::string& m : m_messages)
            std::cerr << m << "\n";
    }
    void Clear() { m_messages.clear(); }

private:
    void keep(const std::string& ttl, std::string msg) {
        msg.erase(std::remove(msg.begin(), msg.end(), '\r'), msg.end());
        std::string t = ttl;
        t.erase(0, t.find_first_not_of(' '));
        m_messages.push_back(t.empty() ? msg : t + ": " + msg);
    }
    std::vector<std::string> m_messages;
};

// Answers the print settings with the stored values and the range given on the command line;
// a second question (the range was refused) is not answered.
class HeadlessPrintForm : public PrintSettingsForm {
public:
    explicit HeadlessPrintForm(std::vector<std::string> dates) : m_dates(std::move(dates)) {}
    int PrSetDataIn(PrSetData& d) override {
        if (m_asked++) return -1;
        if (d.DinQ > 0) d.dates = m_dates;
        return 0;
    }

private:
    std::vector<std::string> m_dates;
    int m_asked = 0;
};

QString option(const QStringList& args, const QString& name, int n = 1) {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + n < args.size() ? args[i + n] : QString();
}

bool dateParts(const QString& text, std::vector<std::string>& parts) {
    int y, m, d;
    const std::string s = text.toStdString();
    if (s.size() != 10 || !ParseDateText(s, y, m, d) || !IsValidDate(y, m, d)) return false;
    const std::string f = FormatDate(y, m, d);
    parts.push_back(f.substr(0, 4));
    parts.push_back(f.substr(5, 2));
    parts.push_back(f.substr(8, 2));
    return true;
}

// One printout from the files as they are now: 0 printed; 1 failed (messages in `dlg`, and
// `unreadable` set when the data could not be read).
int printOnce(const std::string& home, bool ledger, const std::vector<std::string>& dates,
              const PrintOutputChoice& output, HeadlessDialogs& dlg, DataLock& lock, bool& unreadable, int& pages) {
    AppState app;
    app.home = home;
    app.dataFolder = DataFolder(app.home);
    if (std::string error; SettleUnfinishedCommit(app.home, app.dataFolder, lock, error) != 0) {
        dlg.MsgOK(error, "");
        return 1;
    }
    if (ReadSettings(app.settingsPath(), app.settings) != 0) SettingsDefaults(app.settings);
    ClampBlockSettings(app.settings);
    app.ledger.MaxBlockLines = app.settings.MaxBlockLines;
    app.ledger.index.SetDataFolder(app.dataFolder);
    if (!QFileInfo(QString::fromStdString(app.dataFolder)).isDir() || ScanLedgerYears(app.ledger, dlg) != 0 ||
        (!ledger && LoadItemTable(app.namePaths().item, app.names) < 0)) {
        unreadable = true;
        return 1;
    }

    HeadlessPrintForm form(dates);
    QtPrintDevice device(nullptr, dlg, output, false);
    int r = 1;
    if (ledger) {
        LedgerPrintSession s;
        s.ledger = &app.ledger;
        s.settings = &app.settings;
        s.dlg = &dlg;
        s.form = &form;
        s.device = &device;
        r = PrintLedger(s);
    } else if (app.ledger.index.YearCount > 0) {
        // The week ending at the date, with the stored closing day; the budget as on file.
        BgtRecord budget;
        TotalsSession t;
        t.ledger = &app.ledger;
        t.names = &app.names;
        t.settings = &app.settings;
        t.budget = &budget;
        t.budgetPlace = BudgetPlaceOf(app.home);
        t.dlg = &dlg;
        CivilDate last{std::stoi(dates[0]), std::stoi(dates[1]), std::stoi(dates[2])};
        if (ComputeTotals(t, last, true) == 0) {
            TotalsPrintSession p;
            p.state = &t.state;
            p.budget = &budget;
            p.settings = &app.settings;
            p.dlg = &dlg;
            p.form = &form;
            p.device = &device;
            r = PrintTotals(p);
        }
    } else {
        dlg.MsgOK("入出金データがありません。", "集計データの印刷");
    }
    pages = device.PagesCompleted();
    return r == 0 ? 0 : 1;
}

} // namespace

int RunLedgerPrint(AppState& app, Dialogs& dlg) {
    auto* qt = dynamic_cast<QtDialogs*>(&dlg);
    QWidget* owner = qt ? qt->Owner() : nullptr;
    QtPrintSettingsForm form(owner, app.settings.KeyInputMode, g_output);
    QtPrintDevice device(owner, dlg, g_output);
    LedgerPrintSession s;
    s.ledger = &app.ledger;
    s.settings = &app.settings;
    s.settingsPath = app.settingsPath();
    s.dlg = &dlg;
    s.form = &form;
    s.device = &device;
    s.lastFrom = g_lastFrom;
    s.lastTo = g_lastTo;
    const int r = PrintLedger(s);
    g_lastFrom = s.lastFrom;
    g_lastTo = s.lastTo;
    return r;
}

bool IsHeadlessPrint(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--print-ledger") || !std::strcmp(argv[i], "--print-totals")) return true;
    return false;
}

int RunHeadlessPrint(const QStringList& args) {
    // One printout per call: a second request would be dropped while the call reports success.
    const qsizetype requests =
        args.count(QStringLiteral("--print-ledger")) + args.count(QStringLiteral("--print-totals"));
    if (requests > 1 || args.count(QStringLiteral("--pdf")) > 1) {
        std::cerr
            << "印刷の指定は一度に一つだけです (--print-ledger か --print-totals のどちらか一つと --pdf 一つ)。\n";
        return 2;
    }
    if (!Cp932Available()) {
        std::cerr << kCp932UnavailableMessage << "\n";
        return 1;
    }
    const QString pdf = option(args, QStringLiteral("--pdf"));
    std::vector<std::string> dates;
    const bool ledger = args.contains(QStringLiteral("--print-ledger"));
    const bool usable = ledger ? dateParts(option(args, QStringLiteral("--print-ledger"), 1), dates) &&
                                     dateParts(option(args, QStringLiteral("--print-ledger"), 2), dates)
                               : dateParts(option(args, QStringLiteral("--print-totals"), 1), dates);
    if (pdf.isEmpty() || !usable) {
        std::cerr << "usage: mrtkel [--home DIR] --print-ledger YYYY-MM-DD YYYY-MM-DD --pdf FILE\n"
                     "       mrtkel [--home DIR] --print-totals YYYY-MM-DD --pdf FILE\n";
        return 2;
    }
    const std::string home = ChooseHomeFolder(option(args, QStringLiteral("--home")).toStdString());
    PrintOutputChoice output;
    output.pdf = true;
    output.pdfPath = QFileInfo(pdf).absoluteFilePath();
    HeadlessDialogs dlg;
    DataLock lock; // taken only to complete a save that a crash cut short
    bool unreadable = false;
    int pages = 0;
    // A save of another program while the data is read prints again, from the saved state.
    const int r = ReadCommitted(
        home, [&] { return printOnce(home, ledger, dates, output, dlg, lock, unreadable, pages); },
        [&] {
            dlg.Clear();
            unreadable = false;
        });
    if (r != 0) {
        dlg.Flush();
        if (unreadable) std::cerr << "データを読めません: " << DataFolder(home) << "\n";
        return 1;
    }
    std::cout << output.pdfPath.toStdString() << ": " << pages << " ページ\n";
    return 0;
}

} // namespace mrt
