#include "app/EditingPeriod.h"

#include "app/AppState.h"
#include "ledger/AmountExpr.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerSave.h"
#include "ledger/LineRules.h"
#include "port/Dialogs.h"
#include "util/Clock.h"
#include "util/DateText.h"

namespace mrt {

int BeginEditingPeriod(AppState& app, Dialogs& dlg) {
    LedgerState& st = app.ledger;
    if (st.block.empty()) {
        dlg.Beep();
        CivilDate today = AppClock().Today();
        std::string dateText = FormatDate(today.year, today.month, today.day, "/");
        int y = 0, m = 0, d = 0;
        // The ledger grid shows two-digit years of 2000..2050, so the start date must lie there.
        for (;;) {
            if (dlg.DateInYMD("開始する日付を入力してください。", dateText, dateText) != 0) return -1;
            if (ParseDateText(dateText, y, m, d) && CheckLineDate(y, m, d) == LineDateFault::None) break;
            dlg.Beep();
            dlg.MsgOK("日付が異常です。\r\n２０００年から２０５０年までの日付を入力してください。", "開始日付");
        }
        int32_t amount = 0;
        if (AskAmount(dlg, "最初の残高を入力してください。", 0, amount) != 0) return -1;
        st.block = {InitialBalanceLine(y, m, d, amount)};
        st.BlockPos = kBlockWhole;
        // Saved at once: the user has just typed it, and it must not depend on a clean exit.
        st.LedgerModified = true;
        if (SaveLedgerBlock(st, dlg) != 0) {
            st.block.clear();
            return -1;
        }
        app.start.StartDateText = FormatDate(y, m, d, "");
        app.start.InitialBalance = amount;
        return 0;
    }
    app.start.StartDateText = StartDateTextOf(st.index);
    return 0;
}

int EndEditingPeriod(AppState& app, Dialogs& dlg) {
    LedgerState& st = app.ledger;
    if (app.MenuSel == Command::Leave) return -1;
    if (st.block.empty() || !st.LedgerModified) return 0;
    const bool wait = st.block.size() > 100;
    if (wait) dlg.MsgOn("データ書込中、しばらくお待ち下さい", "");
    DropTrailingEmptyLines(st.block);
    int r = SaveLedgerBlock(st, dlg);
    if (wait) dlg.MsgOff();
    if (r != 0) return kEditSaveFailed;
    st.LedgerModified = false;
    return 0;
}

} // namespace mrt
