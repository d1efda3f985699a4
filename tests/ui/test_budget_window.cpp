// The budget window driven by real key presses (offscreen), opened as the command loop opens it;
// the budget file is checked afterwards.
#include "app/AppState.h"
#include "budget/Budget.h"
#include "names/NameTables.h"
#include "support/ScriptedDialogs.h"
#include "ui/WindowTest.h"
#include "ui/budget/frmBGT.h"
#include "ui/dialogs/Fonts.h"
#include "ui/grid/GridView.h"
#include "ui/main/QtCommandScreens.h"
#include "util/Clock.h"
#include "util/Paths.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace mrt;
using namespace mrt::test;

namespace {

// 給与 (income); 食費, 光熱費 and 交通費 (expense).
struct Home {
    QTemporaryDir dir;
    AppState app;
    ScriptedDialogs dlg;

    Home() {
        app.home = dir.path().toStdString();
        app.dataFolder = JoinPath(app.home, "Data1/");
        QDir().mkpath(QString::fromStdString(app.dataFolder + "BU"));
        AddName(app.names, kItemTable, kIncomeKind, "給与");
        for (const char* n : {"食費", "光熱費", "交通費"})
            AddName(app.names, kItemTable, kExpenseKind, n);
        app.settings.KeyInputMode = 0; // Windows type: typing inserts
    }
    BgtRecord onFile(int year) {
        BgtRecord r;
        ScriptedDialogs quiet;
        LoadBudget(r, year, app.names.items, BudgetPlaceOf(app.home), quiet);
        return r;
    }
    // Runs the budget command; `pages` work on the pages in turn, one per showing of the window.
    void run(std::vector<std::function<void(frmBGT*)>> pages) {
        QtCommandScreens screens(dlg);
        size_t next = 0;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* w = qobject_cast<frmBGT*>(QApplication::activeModalWidget());
            if (!w || !w->isVisible() || !QApplication::focusWidget() || w->PagesShown() <= int(next)) return;
            poll.stop();
            if (next < pages.size())
                pages[next++](w);
            else
                QTest::qFail("a page the test does not expect", __FILE__, __LINE__);
            // A page left open (a failed check): leave it, so the command can end.
            if (QApplication::activeModalWidget() == w && w->isVisible() && w->PagesShown() == int(next))
                static_cast<QDialog*>(w)->done(0);
            poll.start(20);
        });
        poll.start(20);
        screens.BudgetRegistration(app);
        QCOMPARE(next, pages.size());
    }
};

QString cell(frmBGT* w, int row) {
    return QString::fromStdString(w->grid()->model().TextMatrix(row, 1));
}

} // namespace

class BudgetWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallFontSubstitutions();
        static FixedClock clock({2004, 10, 5});
        SetClock(&clock);
    }

    // A "+" after the amount copies it to the later months of the year; Enter on the last row
    // goes to the register button and Enter there registers the page.
    void plusCopiesForward() {
        Home h;
        h.dlg.expect("DateInYM").withText("2004/10").expectMessage("予算登録する年月を入力してください。");
        h.dlg.expect("DateInYM", -1);
        h.run({[&](frmBGT* w) {
            QCOMPARE(w->caption()->text(), QStringLiteral("２００４年 １０月分（出金）"));
            QCOMPARE(w->windowTitle(), QStringLiteral("予算表の登録"));
            QCOMPARE(w->expenseCount()->text(), QStringLiteral("３"));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->editBox()));
            Type(QStringLiteral("1000+"));
            Press(Qt::Key_Return);
            Type(QStringLiteral("8000"));
            Press(Qt::Key_Down);
            QCOMPARE(QString::fromStdString(w->sumGrid()->model().TextMatrix(0, 1)), QStringLiteral("9000"));
            Press(Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->okButton()));
            Press(Qt::Key_Return);
        }});
        VERIFY_DIALOGS(h.dlg);
        const BgtRecord r = h.onFile(2004);
        for (int m : {10, 11, 12})
            QCOMPARE(r.at(m, kExpenseKind, 1), 1000);
        QCOMPARE(r.at(9, kExpenseKind, 1), -1);
        QCOMPARE(r.at(10, kExpenseKind, 2), 8000);
        QCOMPARE(r.at(11, kExpenseKind, 2), -1);
        QCOMPARE(r.at(10, kExpenseKind, 3), -1);
    }

    // Nine digits or letters are refused ("再 入 力" keeps the box); Tab shows the income page of
    // the same month after storing the expense page.
    void refusedAmountsAndTheKindSwitch() {
        Home h;
        h.dlg.expect("DateInYM").withText("2004/03");
        h.dlg.expect("MsgKel", 1).expectMessage("入力内容が異常です。");
        h.dlg.expect("MsgKel", 1).expectMessage("入力内容が異常です。");
        h.dlg.expect("DateInYM", -1);
        h.run({[&](frmBGT* w) {
                   Type(QStringLiteral("123456789"));
                   Press(Qt::Key_Return);
                   QCOMPARE(w->grid()->model().Row(), 1);
                   QCOMPARE(w->editBox()->text(), QStringLiteral("123456789"));
                   QCOMPARE(cell(w, 1), QString());
                   Press(Qt::Key_A, Qt::ControlModifier);
                   Type(QStringLiteral("abc"));
                   Press(Qt::Key_Return);
                   QCOMPARE(cell(w, 1), QString());
                   Press(Qt::Key_A, Qt::ControlModifier);
                   Type(QStringLiteral("30000"));
                   Press(Qt::Key_Tab);
               },
               [&](frmBGT* w) {
                   QCOMPARE(w->caption()->text(), QStringLiteral("２００４年 ３月分（入金）"));
                   QCOMPARE(w->grid()->model().Rows(), 2);
                   Type(QStringLiteral("250000"));
                   Press(Qt::Key_F12);
               }});
        VERIFY_DIALOGS(h.dlg);
        const BgtRecord r = h.onFile(2004);
        QCOMPARE(r.at(3, kExpenseKind, 1), 30000);
        QCOMPARE(r.at(3, kIncomeKind, 1), 250000);
    }

    // Esc in the box asks; "いいえ" goes on, "はい" drops the page and asks for the month again.
    void escAsksBeforeDroppingThePage() {
        Home h;
        h.dlg.expect("DateInYM").withText("2004/10");
        h.dlg.expect("MsgYesNo2", 1).expectMessage("作業を中止てもよろしいですか。");
        h.dlg.expect("MsgYesNo2", 0);
        h.dlg.expect("DateInYM", -1);
        h.run({[&](frmBGT* w) {
            Type(QStringLiteral("500"));
            Press(Qt::Key_Return);
            Press(Qt::Key_Escape);
            QVERIFY(w->isVisible());
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->editBox()));
            Press(Qt::Key_Escape);
        }});
        VERIFY_DIALOGS(h.dlg);
        QCOMPARE(h.dlg.transcript()[1].title, std::string("[ESC]中断"));
        QCOMPARE(h.app.budget.at(10, kExpenseKind, 1), -1);
    }

    // F3 stores the page and shows the next month.
    void nextMonth() {
        Home h;
        h.dlg.expect("DateInYM").withText("2004/12");
        h.dlg.expect("DateInYM", -1);
        h.run({[&](frmBGT*) {
                   Type(QStringLiteral("700"));
                   Press(Qt::Key_F3);
               },
               [&](frmBGT* w) {
                   QCOMPARE(w->caption()->text(), QStringLiteral("２００５年 １月分（出金）"));
                   QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
               }});
        VERIFY_DIALOGS(h.dlg);
        // Leaving December saved the year before the next one was read.
        QCOMPARE(h.onFile(2004).at(12, kExpenseKind, 1), 700);
    }
};

QTEST_MAIN(BudgetWindowTest)
#include "test_budget_window.moc"
