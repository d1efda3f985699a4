// The registration window of recurring lines and the due list, driven by real key presses
// (offscreen): an entry typed through the form and its choice lists, a line of the ledger made
// recurring, and due lines skipped, postponed and accepted with a changed amount.
#include "WindowTest.h"
#include "app/AppState.h"
#include "app/Startup.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "support/ScriptedDialogs.h"
#include "ui/repeat/frmRepeat.h"
#include "ui/repeat/frmRepeatDue.h"
#include "util/Clock.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace mrt;
using namespace mrt::test;

namespace {

// A home with 食費 and 給与 (給与 with the shop 勤務先) and a ledger from 2024/01/01.
struct Home {
    QTemporaryDir dir;
    AppState app;
    ScriptedDialogs dlg;
    FixedClock clock{{2024, 3, 15}};

    Home() {
        SetClock(&clock);
        app.home = dir.path().toStdString();
        app.dataFolder = JoinPath(app.home, "Data1/");
        MakeFolders(app.dataFolder);
        AddName(app.names, kItemTable, kIncomeKind, "給与");
        AddName(app.names, kItemTable, kExpenseKind, "食費");
        AddName(app.names, kShopTable, ItemKeyOf(app.names, kIncomeKind, 1), "勤務先");
        const NameFilePaths paths = NameFilesIn(app.dataFolder);
        SaveItemTable(paths.item, app.names, dlg);
        SaveBrkDnTable(paths.brkDn, app.names, dlg);
        SaveShopTable(paths.shop, app.names, dlg);
        app.ledger.index.SetDataFolder(app.dataFolder);
        IoRecord first;
        first.Year = 2024, first.Month = 1, first.Day = 1;
        first.ItemName = kInitialBalanceItem;
        first.Balance = 100000;
        app.ledger.block = {first};
        app.ledger.LedgerModified = true;
        SaveLedgerBlock(app.ledger, dlg);
    }
    ~Home() { SetClock(nullptr); }
    int ledgerLines() {
        LedgerState st;
        st.index.SetDataFolder(app.dataFolder);
        st.MaxBlockLines = 100000;
        if (ScanLedgerYears(st, dlg) != 0) return -1;
        return st.index.TotalLines - 1;
    }
};

} // namespace

class RepeatWindows : public QObject {
    Q_OBJECT
private slots:
    void anEntryIsTypedThroughTheForm();
    void aLedgerLineBecomesAnEntry();
    void dueLinesAreDecidedByKey();
};

void RepeatWindows::anEntryIsTypedThroughTheForm() {
    Home h;
    frmRepeat w(h.app, h.dlg, nullptr);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.ItemBox()));
    // Income: the item list offers 給与, and its shop list 勤務先.
    w.SideBox()->setCurrentIndex(kIncomeKind);
    w.ItemBox()->setFocus();
    Press(Qt::Key_Down);
    QCOMPARE(w.ItemBox()->currentText(), QStringLiteral("給与"));
    Press(Qt::Key_Return);
    Press(Qt::Key_Return);
    Press(Qt::Key_Down);
    QCOMPARE(w.ShopBox()->currentText(), QStringLiteral("勤務先"));
    Press(Qt::Key_Return);
    Type(QStringLiteral("250000"));
    Press(Qt::Key_Return); // to the rule
    Press(Qt::Key_Return); // to the interval
    Press(Qt::Key_Return); // to the day
    Press(Qt::Key_A, Qt::ControlModifier);
    Type(QStringLiteral("31"));
    Press(Qt::Key_Return);
    Press(Qt::Key_Space); // next business day
    QVERIFY(w.BusinessBox()->isChecked());
    for (int i = 0; i < 3; ++i)
        Press(Qt::Key_Return); // first date, last date, store
    QCOMPARE(h.app.repeats.entries.size(), size_t(1));
    RepeatTable onFile;
    QCOMPARE(LoadRepeatTable(RepeatFileIn(h.app.dataFolder), onFile), 0);
    QCOMPARE(onFile.entries.size(), size_t(1));
    const RepeatEntry& e = onFile.entries[0];
    QCOMPARE(QString::fromStdString(e.item + "/" + e.shop + "/" + e.amount), QStringLiteral("給与/勤務先/250000"));
    QCOMPARE(e.rule.day, 31);
    QVERIFY(e.rule.nextBusinessDay);
    QCOMPARE(e.rule.first, 20240315);
    QCOMPARE(w.Entries()->count(), 1);

    // F4 ends it on a date; F5 removes it after the question.
    h.dlg.expect("DateInYMD").withText("2024/12/31");
    Press(Qt::Key_F4);
    QCOMPARE(h.app.repeats.entries[0].rule.last, 20241231);
    h.dlg.expect("MsgYesNo2", 0);
    Press(Qt::Key_F5);
    QVERIFY(h.app.repeats.entries.empty());
    QCOMPARE(w.Entries()->count(), 0);
    h.dlg.VerifyDone();
}

void RepeatWindows::aLedgerLineBecomesAnEntry() {
    Home h;
    IoRecord line;
    line.Year = 2024, line.Month = 2, line.Day = 29;
    line.ItemName = "食費";
    line.Note = "定期便";
    line.Expense = 3980;
    frmRepeat w(h.app, h.dlg, &line);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_COMPARE(QApplication::focusWidget(), w.AmountField());
    Press(Qt::Key_F12);
    QCOMPARE(h.app.repeats.entries.size(), size_t(1));
    const RepeatEntry& e = h.app.repeats.entries[0];
    QCOMPARE(e.rule.day, 29);
    QCOMPARE(e.offeredUpTo, 20240229);
    QCOMPARE(QString::fromStdString(e.note), QStringLiteral("定期便"));
    // The line itself is not due again; the next month's is.
    const std::vector<DueLine> due = CollectDueLines(h.app.repeats, 20240331);
    QCOMPARE(due.size(), size_t(1));
    QCOMPARE(due[0].date, 20240329);
    h.dlg.VerifyDone();
}

void RepeatWindows::dueLinesAreDecidedByKey() {
    Home h;
    RepeatEntry e;
    e.item = "食費";
    e.amount = "1000";
    e.rule = {RepeatKind::Monthly, 1, 10, false, 20240101, 0};
    h.app.repeats.entries = {e};
    QCOMPARE(SaveRepeatTable(RepeatFileIn(h.app.dataFolder), h.app.repeats, h.dlg), 0);
    frmRepeatDue w(h.app, h.dlg);
    QCOMPARE(w.List().Rows(), 3); // 10 January, February and March
    h.dlg.expect("InputKel").withText("1,500+20");
    int added = -2;
    WhileOpen<frmRepeatDue>([&] { added = w.Run(); },
                            [&](frmRepeatDue*) {
                                Press(Qt::Key_S); // January skipped
                                Press(Qt::Key_P); // February postponed
                                Press(Qt::Key_F2);
                                Press(Qt::Key_Return);
                            });
    QCOMPARE(added, 1);
    QCOMPARE(h.ledgerLines(), 1);
    QCOMPARE(h.app.repeats.entries[0].postponed, std::vector<int32_t>{20240210});
    QCOMPARE(h.app.repeats.entries[0].offeredUpTo, 20240315);
    const std::vector<DueLine> again = CollectDueLines(h.app.repeats, 20240315);
    QCOMPARE(again.size(), size_t(1));
    QCOMPARE(again[0].date, 20240210);
    h.dlg.VerifyDone();
}

QTEST_MAIN(RepeatWindows)
#include "test_repeat_windows.moc"
