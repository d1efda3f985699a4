// The totals window (frmTotal) driven by real key presses (offscreen): the date question, week
// moves across a year end and into the ledger's first date, the closing-day mark, the budget
// colours, F11, F12 to a PDF, F9 for the chart, and Esc storing the window state.
#include "app/AppState.h"
#include "budget/Budget.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "settings/IniRecord.h"
#include "support/ModalScript.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/dialogs/frmMSG.h"
#include "ui/grid/GridView.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/print/frmPr.h"
#include "ui/totals/frmChart.h"
#include "ui/totals/frmTotal.h"
#include "util/Clock.h"
#include "util/Home.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace mrt;
using mrt::test::FocusOf;
using mrt::test::ModalScript;

namespace {

struct Line {
    int y, m, d;
    const char* item;
    int32_t income, expense;
};

// A home folder with 2 income and 3 expense items and the lines given (the first carries the
// initial balance of 10,000).
struct Home {
    QTemporaryDir dir;
    AppState app;
    QtDialogs dlg;

    explicit Home(const std::vector<Line>& lines) : dlg(nullptr, &app.settings) {
        app.home = dir.path().toStdString();
        app.dataFolder = DataFolder(app.home);
        MakeFolders(app.dataFolder + "BU");
        app.settings.KeyInputMode = 0; // Enter confirms the date question
        for (const char* n : {"給与", "賞与"})
            AddName(app.names, kItemTable, kIncomeKind, n);
        for (const char* n : {"食費", "光熱費", "交通費"})
            AddName(app.names, kItemTable, kExpenseKind, n);
        LedgerState w;
        w.index.SetDataFolder(app.dataFolder);
        int32_t balance = 10000;
        for (const Line& l : lines) {
            IoRecord r;
            r.Year = static_cast<int16_t>(l.y);
            r.Month = static_cast<int16_t>(l.m);
            r.Day = static_cast<int16_t>(l.d);
            r.ItemName = l.item;
            r.Income = l.income;
            r.Expense = l.expense;
            balance += l.income - l.expense;
            r.Balance = balance;
            w.block.push_back(r);
        }
        SaveLedgerBlock(w, dlg);
        app.ledger.index.SetDataFolder(app.dataFolder);
        app.ledger.MaxBlockLines = 1500;
        ScanLedgerYears(app.ledger, dlg);
    }
};

frmTotal* totalsWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<frmTotal*>(w); t && t->isVisible()) return t;
    return nullptr;
}

// Runs `act` on the totals window once it shows (from a timer, so that keys it presses may open
// modal windows that a ModalScript answers); a failed check still ends the window with Esc.
void whenShown(const std::function<void(frmTotal*)>& act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        frmTotal* w = totalsWindow();
        if (!w) return;
        poll->stop();
        poll->deleteLater();
        act(w);
        if (totalsWindow()) QTest::keyClick(FocusOf(w), Qt::Key_Escape);
    });
    poll->start(10);
}

std::string cell(frmTotal* w, int grid, int row, int col) {
    std::string t = w->Grid(grid)->model().TextMatrix(row, col);
    while (!t.empty() && t.front() == ' ')
        t.erase(t.begin());
    return t;
}

int markedColumn(frmTotal* w) {
    const GridModel& g = w->Grid(0)->model();
    for (int c = 1; c < g.Cols(); ++c)
        if (g.CellBackColorAt(0, c) == kTotalsClosingMark) return c;
    return 0;
}

// The date question answered with the proposed date (today of the fixed clock).
ModalScript::Step acceptDate() {
    return [](QWidget* w) { QTest::keyClick(FocusOf(w), Qt::Key_Return); };
}

} // namespace

class TestTotalsWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }
    void cleanup() { SetClock(nullptr); }

    void weekMovesAcrossTheYearEndAndIntoTheFirstDate() {
        Home h({{2023, 12, 28, "初期残高", 0, 0},
                {2023, 12, 30, "食費", 0, 1200},
                {2024, 1, 2, "給与", 200000, 0},
                {2024, 1, 10, "交通費", 0, 640}});
        FixedClock clock({2024, 1, 10});
        SetClock(&clock);
        ModalScript date({acceptDate()});
        QStringList headers;
        int cols7 = 0, cols6 = 0, builds = 0, buildsAfterMove = 0, buildsAfterShorter = 0;
        QString shown;
        whenShown([&](frmTotal* w) {
            const GridModel& g = w->Grid(0)->model();
            cols7 = g.Cols();
            builds = w->FullBuilds();
            QTest::keyClick(FocusOf(w), Qt::Key_F2); // back a week: 28 Dec – 3 Jan
            buildsAfterMove = w->FullBuilds();
            headers << QString::fromStdString(g.TextMatrix(0, 1)) << QString::fromStdString(g.TextMatrix(0, 7));
            QTest::keyClick(FocusOf(w), Qt::Key_F3); // one day more: the week starts at the first date
            cols6 = g.Cols();
            buildsAfterShorter = w->FullBuilds();
            shown = w->ShownLabel()->text();
            headers << QString::fromStdString(g.TextMatrix(0, 9));
        });
        QtCommandScreens screens(h.dlg);
        QCOMPARE(screens.Totals(h.app), 0);
        QVERIFY(date.done());
        QCOMPARE(cols7, 1 + 7 + 3);
        QCOMPARE(buildsAfterMove, builds); // same column count: values only
        QCOMPARE(headers[0], QStringLiteral("12/28(木)"));
        QCOMPARE(headers[1], QStringLiteral("01/03(水)"));
        QCOMPARE(cols6, 1 + 6 + 3);
        QCOMPARE(buildsAfterShorter, builds + 1);
        QCOMPARE(shown, QStringLiteral("2023年12月28日～2024年1月2日"));
        QCOMPARE(headers[2], QStringLiteral("1月予算 "));
    }

    void closingDayMarksAndBudgetColours() {
        Home h({{2024, 3, 1, "初期残高", 0, 0},
                {2024, 3, 5, "給与", 300000, 0},
                {2024, 3, 9, "食費", 0, 3000},
                {2024, 3, 31, "光熱費", 0, 9000},
                {2024, 4, 2, "食費", 0, 100}});
        BgtRecord b;
        b.HeldYear = 2024;
        FillBudget(b, -1);
        b.at(4, 0, 1) = 100; // April: 給与 (nothing in April yet), 食費 over, 光熱費 within
        b.at(4, 1, 1) = 50;
        b.at(4, 1, 2) = 500;
        b.at(3, 0, 1) = 250000; // March: 給与 over
        SaveBudget(b, 2024, h.app.names.items, BudgetPlaceOf(h.app.home), h.dlg);
        FixedClock clock({2024, 4, 2});
        SetClock(&clock);
        ModalScript date({acceptDate()});
        int markEnd = -1, mark31 = -1;
        GridColor foodBudget = 0, powerBudget = 0, salaryBudget = 0;
        std::string foodText;
        whenShown([&](frmTotal* w) {
            // 27 March – 2 April, closing day 31: the column of 31 March.
            markEnd = markedColumn(w);
            foodBudget = w->Grid(1)->model().CellForeColorAt(0, 10);
            powerBudget = w->Grid(1)->model().CellForeColorAt(1, 10);
            foodText = cell(w, 1, 0, 10);
            QTest::keyClick(FocusOf(w), Qt::Key_F3);
            QTest::keyClick(FocusOf(w), Qt::Key_F3); // ends on 31 March: its last column
            mark31 = markedColumn(w);
            salaryBudget = w->Grid(0)->model().CellForeColorAt(1, 10);
        });
        QtCommandScreens screens(h.dlg);
        screens.Totals(h.app);
        QCOMPARE(markEnd, 5);
        QCOMPARE(foodText, std::string("50"));
        QCOMPARE(foodBudget, kBudgetOverExpense);
        QCOMPARE(powerBudget, Rgb(0, 0, 0));
        QCOMPARE(mark31, 7);
        QCOMPARE(salaryBudget, kBudgetOverIncome);
    }

    void f11ChangesTheClosingDayAndEscStoresTheWindowState() {
        Home h({{2024, 3, 1, "初期残高", 0, 0}, {2024, 3, 20, "食費", 0, 700}, {2024, 3, 28, "食費", 0, 300}});
        h.app.settings.TotalsWindowState = 5; // not a state: ignored, replaced when the window closes
        FixedClock clock({2024, 3, 28});
        SetClock(&clock);
        QString prompt;
        ModalScript dialogs({acceptDate(), [&](QWidget* w) {
                                 for (QLabel* l : w->findChildren<QLabel*>())
                                     prompt += l->text();
                                 QTest::keyClick(FocusOf(w), Qt::Key_A, Qt::ControlModifier);
                                 QTest::keyClicks(FocusOf(w), QStringLiteral("25"));
                                 QTest::keyClick(FocusOf(w), Qt::Key_Return);
                             }});
        QString before, after;
        int mark = -1;
        std::string header;
        whenShown([&](frmTotal* w) {
            before = w->ClosingLabel()->text();
            QTest::keyClick(FocusOf(w), Qt::Key_F11);
            after = w->ClosingLabel()->text();
            mark = markedColumn(w);
            header = w->Grid(0)->model().TextMatrix(0, 9);
        });
        QtCommandScreens screens(h.dlg);
        screens.Totals(h.app);
        QVERIFY(dialogs.done());
        QVERIFY2(prompt.contains(QStringLiteral("締め日")), qPrintable(prompt));
        QCOMPARE(before, QStringLiteral("末日締"));
        QCOMPARE(after, QStringLiteral("２５日締"));
        QCOMPARE(mark, 4); // 22 – 28 March: the 25th
        QCOMPARE(header, std::string("4月締合計"));
        IniRecord stored;
        QCOMPARE(ReadSettings(h.app.settingsPath(), stored), 0);
        QCOMPARE(stored.ClosingDay, 25);
        QCOMPARE(stored.TotalsWindowState, 0);
    }

    void f12PrintsTheTotalsAndF9ShowsTheChart() {
        Home h({{2024, 3, 1, "初期残高", 0, 0}, {2024, 3, 5, "給与", 250000, 0}, {2024, 3, 9, "食費", 0, 3456}});
        FixedClock clock({2024, 3, 10}); // after the last line: the week ends on the 9th
        SetClock(&clock);
        const QString pdf = h.dir.filePath(QStringLiteral("totals.pdf"));
        QString printCaption, done;
        int tabs = -1, tabAfterF9 = -1;
        ModalScript dialogs({acceptDate(),
                             [&](QWidget* w) {
                                 auto* pr = qobject_cast<frmPr*>(w);
                                 printCaption = w->windowTitle();
                                 pr->OutputBox()->setFocus();
                                 while (pr->OutputBox()->currentText() != PdfOutputName())
                                     QTest::keyClick(FocusOf(w), Qt::Key_Down);
                                 QTest::keyClick(FocusOf(w), Qt::Key_F12);
                             },
                             [&](QWidget* w) {
                                 QTest::keyClick(FocusOf(w), Qt::Key_A, Qt::ControlModifier);
                                 QTest::keyClicks(FocusOf(w), pdf);
                                 QTest::keyClick(FocusOf(w), Qt::Key_Return);
                             },
                             [&](QWidget* w) {
                                 for (QLabel* l : w->findChildren<QLabel*>())
                                     done += l->text();
                                 QTest::keyClick(FocusOf(w), Qt::Key_Return);
                             },
                             [&](QWidget* w) {
                                 auto* chart = qobject_cast<frmChart*>(w);
                                 tabs = chart ? chart->Tabs()->count() : -2;
                                 QTest::keyClick(FocusOf(w), Qt::Key_F9);
                                 tabAfterF9 = chart ? chart->Tabs()->currentIndex() : -2;
                                 QTest::keyClick(FocusOf(w), Qt::Key_Escape);
                             }});
        whenShown([&](frmTotal* w) {
            QTest::keyClick(FocusOf(w), Qt::Key_F12);
            QTest::keyClick(FocusOf(w), Qt::Key_F9);
        });
        QtCommandScreens screens(h.dlg);
        screens.Totals(h.app);
        QVERIFY(dialogs.done());
        QCOMPARE(printCaption, QStringLiteral("集計データの印刷"));
        QVERIFY2(done.contains(QStringLiteral("2024年3月3日～2024年3月9日  印刷完了しました。")), qPrintable(done));
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished(20000);
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("家計簿集計")) && text.contains(QStringLiteral("3,456")) &&
                     text.contains(QStringLiteral("(差引残高)")),
                 qPrintable(text));
        QCOMPARE(tabs, 2);
        QCOMPARE(tabAfterF9, 1);
    }

    // F12 with a top offset that leaves no row: the message opened from this window (which has a
    // style sheet) is drawn in the message window's own font, and every line fits its label.
    void aTopOffsetWithoutRoomIsSaidInFull() {
        Home h({{2024, 3, 1, "初期残高", 0, 0}, {2024, 3, 9, "食費", 0, 3456}});
        FixedClock clock({2024, 3, 10});
        SetClock(&clock);
        QFont labelFont, windowFont;
        QStringList unfit;
        ModalScript dialogs({acceptDate(),
                             [&](QWidget* w) {
                                 auto* pr = qobject_cast<frmPr*>(w);
                                 pr->PosBox(1)->setFocus();
                                 QTest::keyClick(FocusOf(w), Qt::Key_A, Qt::ControlModifier);
                                 QTest::keyClicks(FocusOf(w), QStringLiteral("200"));
                                 QTest::keyClick(FocusOf(w), Qt::Key_F12);
                             },
                             [&](QWidget* w) {
                                 QLabel* label = qobject_cast<frmMSG*>(w)->MessageLabel();
                                 labelFont = label->font();
                                 windowFont = w->font();
                                 for (const QString& line : label->text().split(u'\n'))
                                     if (label->fontMetrics().horizontalAdvance(line) > label->width()) unfit << line;
                                 QTest::keyClick(FocusOf(w), Qt::Key_Return);
                             },
                             [&](QWidget* w) { QTest::keyClick(FocusOf(w), Qt::Key_Escape); }});
        whenShown([&](frmTotal* w) { QTest::keyClick(FocusOf(w), Qt::Key_F12); });
        QtCommandScreens screens(h.dlg);
        screens.Totals(h.app);
        QVERIFY(dialogs.done());
        QVERIFY(dialogs.captions.at(2).contains(QString::fromUtf8("集計データの印刷")));
        QCOMPARE(labelFont, windowFont);
        QVERIFY2(unfit.isEmpty(), qPrintable(unfit.join(u'|')));
    }
};

QTEST_MAIN(TestTotalsWindow)
#include "test_totals_window.moc"
