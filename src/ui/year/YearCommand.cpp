#include "ui/year/YearCommand.h"

#include "app/AppState.h"
#include "print/YearReportPrint.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/grid/GridView.h"
#include "ui/print/QtPrintDevice.h"
#include "ui/print/frmPr.h"
#include "ui/year/frmYear.h"
#include "util/Clock.h"

namespace mrt {

namespace {

// The output chosen for the year printout, offered again by the next one of the run.
PrintOutputChoice g_output;

} // namespace

int RunYearCommand(AppState& app, Dialogs& dlg, QWidget* owner, int year, bool periods) {
    YearReportOptions o;
    o.year = year > 0 ? year : app.ledger.index.LastYear > 0 ? app.ledger.index.LastYear : AppClock().Today().year;
    o.periods = periods;
    o.closingDay = app.settings.ClosingDay;
    YearReportScreen screen(app.dataFolder, o);
    if (screen.Load(dlg) != 0) return -1;
    auto* qt = dynamic_cast<QtDialogs*>(&dlg);
    frmYear window(screen, dlg, owner);
    QWidget* previousOwner = qt ? qt->Owner() : nullptr;
    if (qt) qt->SetOwner(&window);
    window.onPrint = [&] {
        QtPrintSettingsForm form(&window, app.settings.KeyInputMode, g_output);
        QtPrintDevice device(&window, dlg, g_output);
        YearPrintSession p;
        p.report = &screen.Report();
        p.settings = &app.settings;
        p.dlg = &dlg;
        p.form = &form;
        p.device = &device;
        PrintYearReport(p);
    };
    window.Grid()->setFocus();
    window.exec();
    if (qt) qt->SetOwner(previousOwner);
    return 0;
}

} // namespace mrt
