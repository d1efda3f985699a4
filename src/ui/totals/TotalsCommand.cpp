#include "ui/totals/TotalsCommand.h"

#include "app/AppState.h"
#include "books/BookTotals.h"
#include "books/Books.h"
#include "port/Dialogs.h"
#include "print/TotalsPrint.h"
#include "totals/PeriodTotals.h"
#include "totals/Totals.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/print/QtPrintDevice.h"
#include "ui/print/frmPr.h"
#include "ui/totals/frmChart.h"
#include "ui/totals/frmTotal.h"
#include "ui/year/YearCommand.h"

namespace mrt {

namespace {

// The output chosen for the totals printout, offered again by the next one of the run.
PrintOutputChoice g_output;

// Closing periods in the chart's second view.
constexpr int kChartPeriods = 12;

} // namespace

int RunTotalsCommand(AppState& app, Dialogs& dlg) {
    auto* qt = dynamic_cast<QtDialogs*>(&dlg);
    QWidget* mainWindow = qt ? qt->Owner() : nullptr;
    // A fresh record: the budget files are read as they are now.
    BgtRecord budget;
    TotalsSession s;
    s.ledger = &app.ledger;
    s.names = &app.names;
    s.settings = &app.settings;
    s.settingsPath = app.settingsPath();
    s.budget = &budget;
    s.budgetPlace = BudgetPlaceOf(app.home);
    s.dlg = &dlg;
    frmTotal window(s, mainWindow);
    s.view = &window;
    window.SetDialogs(qt);
    window.onPrint = [&] {
        QtPrintSettingsForm form(&window, app.settings.KeyInputMode, g_output);
        QtPrintDevice device(&window, dlg, g_output);
        TotalsPrintSession p;
        p.state = &s.state;
        p.budget = &budget;
        p.settings = &app.settings;
        p.settingsPath = app.settingsPath();
        p.dlg = &dlg;
        p.form = &form;
        p.device = &device;
        PrintTotals(p);
    };
    window.onChart = [&] {
        std::vector<PeriodTotal> periods;
        const TotalsState& st = s.state;
        if (ComputePeriodTotals(st.index, st, st.closingDay, st.closingYear, st.closingMonth, kChartPeriods, periods,
                                dlg) != 0) {
            dlg.MsgOK("集計データ読込みに失敗しました。", "グラフ");
            return;
        }
        frmChart chart(&window, st, budget, periods);
        chart.exec();
    };
    // The year of the closing month shown, in closing periods unless the month ends at its end.
    window.onYear = [&] { RunYearCommand(app, dlg, &window, s.state.closingYear, s.state.closingDay < 31); };
    // With several books F6 switches between this book and the household (all books, transfers
    // left out, the first book's budget); the title says which is shown.
    std::vector<Book> books;
    std::string error;
    if (LoadBooks(app.home, books, error) == 0 && books.size() > 1) {
        const QString base = window.windowTitle();
        auto title = [&] {
            window.setWindowTitle(base + QStringLiteral("  [%1]").arg(QString::fromUtf8(
                                             s.compute ? std::string(kAllBooksLabel) + " ・予算は" + books.front().name
                                                       : std::string(kThisBookLabel) + " " + app.bookName)));
        };
        title();
        window.onBooks = [&] {
            if (s.compute) {
                s.compute = nullptr;
                s.budgetPlace = BudgetPlaceOf(app.home);
            } else {
                UseHouseholdTotals(s, app.home, books);
            }
            CivilDate lastDate = s.state.LastDate;
            if (ComputeTotals(s, lastDate, true) != 0) dlg.Beep();
            title();
        };
    }
    OpenTotals(s);
    return 0;
}

} // namespace mrt
