#pragma once
// A home folder ready for the main window's tests, and the run of one editing period on it.
#include "app/AppState.h"
#include "app/LedgerEditor.h"
#include "app/Startup.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "support/ModalScript.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/main/QtMainScreen.h"
#include "util/Paths.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace mrt::testing {

// A home folder with a few names and a ledger of one initial-balance line (2004/04/01, 50,000).
struct Home {
    QTemporaryDir dir;
    AppState app;
    QtDialogs dlg;

    explicit Home(const std::vector<IoRecord>& entries = {}) : dlg(nullptr, &app.settings) {
        app.home = dir.path().toStdString();
        NameTables t;
        AddName(t, kItemTable, kIncomeKind, "給与");
        AddName(t, kItemTable, kExpenseKind, "食費");
        AddName(t, kItemTable, kExpenseKind, "日用品");
        AddName(t, kBrkDnTable, 21, "野菜");
        AddName(t, kShopTable, 21, "八百屋");
        const std::string tb = JoinPath(app.home, "TbInit");
        MakeFoldersForTest(tb);
        SaveItemTable(JoinPath(tb, kItemFileName), t, dlg);
        SaveBrkDnTable(JoinPath(tb, kBrkDnFileName), t, dlg);
        SaveShopTable(JoinPath(tb, kShopFileName), t, dlg);
        PrepareDataFolders(app, dlg);
        LedgerState st;
        st.index.SetDataFolder(app.dataFolder);
        IoRecord first;
        first.Year = 2004;
        first.Month = 4;
        first.Day = 1;
        first.ItemName = kInitialBalanceItem;
        first.Balance = 50000;
        st.block = {first};
        for (const IoRecord& e : entries)
            st.block.push_back(e);
        RecomputeBalances(st.block, 1);
        st.LedgerModified = true;
        SaveLedgerBlock(st, dlg);
    }
    static void MakeFoldersForTest(const std::string& p) { QDir().mkpath(QString::fromStdString(p)); }
};

// Starts the program on the home folder and runs one editing period in which `act` runs once
// the editor waits for the first day; returns the period's result.
inline int runPeriod(Home& h, QtMainScreen& screen, QtCommandScreens& screens, const std::function<void()>& act) {
    if (StartUp(h.app, h.dlg, screen, screens) != 0) return -99;
    QTimer::singleShot(0, [&] {
        QTest::qWaitFor([&] { return screen.editor() && screen.editor()->Editing(); }, mrt::test::kPatience);
        act();
        // A check that failed inside `act` returned early: end the period all the same.
        if (screen.window()->MenuSel == Command::None) screen.window()->menuAction(Command::Exit)->trigger();
    });
    return screen.RunLedgerEditing(h.app);
}

inline IoRecord expense(int day, const char* item, int32_t amount) {
    IoRecord r;
    r.Year = 2004;
    r.Month = 4;
    r.Day = static_cast<int16_t>(day);
    r.ItemName = item;
    r.Expense = amount;
    return r;
}

} // namespace mrt::testing
