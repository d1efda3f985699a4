// The chart window (frmChart) on totals computed by the core: the bars of the closing period
// beside their budgets, the stacked periods with the income line; F9 and Esc from the keyboard.
#include "budget/Budget.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "settings/IniRecord.h"
#include "support/ModalScript.h"
#include "totals/PeriodTotals.h"
#include "ui/dialogs/Fonts.h"
#include "ui/totals/frmChart.h"
#include "util/Home.h"

#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QHorizontalStackedBarSeries>
#include <QImage>
#include <QLineSeries>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace mrt;
using mrt::test::FocusOf;
using mrt::test::ModalScript;

namespace {

template <class T> T* seriesOf(QWidget* view) {
    auto* chartView = qobject_cast<QChartView*>(view);
    if (!chartView) return nullptr;
    for (QAbstractSeries* s : chartView->chart()->series())
        if (auto* t = qobject_cast<T*>(s)) return t;
    return nullptr;
}

// Totals of March 2024 over a ledger of January to March: 食費 above its budget, 光熱費 within.
struct Household {
    QTemporaryDir dir;
    ConsoleDialogs dlg;
    NameTables names;
    LedgerState ledger;
    IniRecord settings;
    BgtRecord budget;
    TotalsSession session;
    std::vector<PeriodTotal> periods;

    Household() {
        const std::string home = dir.path().toStdString();
        MakeFolders(DataFolder(home) + "BU");
        AddName(names, kItemTable, kIncomeKind, "給与");
        for (const char* n : {"食費", "光熱費", "交通費"})
            AddName(names, kItemTable, kExpenseKind, n);
        LedgerState w;
        w.index.SetDataFolder(DataFolder(home));
        int32_t balance = 0;
        auto add = [&](int m, int d, const char* item, int32_t in, int32_t out) {
            IoRecord r;
            r.Year = 2024;
            r.Month = static_cast<int16_t>(m);
            r.Day = static_cast<int16_t>(d);
            r.ItemName = item;
            r.Income = in;
            r.Expense = out;
            balance += in - out;
            r.Balance = balance;
            w.block.push_back(r);
        };
        add(1, 5, "初期残高", 0, 0);
        for (int m = 1; m <= 3; ++m) {
            add(m, 10, "給与", 200000 + m * 1000, 0);
            add(m, 12, "食費", 0, 30000 + m * 100);
            add(m, 15, "光熱費", 0, 8000);
        }
        SaveLedgerBlock(w, dlg);
        ledger.index.SetDataFolder(DataFolder(home));
        ledger.MaxBlockLines = 1500;
        ScanLedgerYears(ledger, dlg);
        budget.HeldYear = 2024;
        FillBudget(budget, -1);
        budget.at(3, 1, 1) = 25000;
        budget.at(3, 1, 2) = 9000;
        SaveBudget(budget, 2024, names.items, BudgetPlaceOf(home), dlg);
        budget = BgtRecord();
        session.ledger = &ledger;
        session.names = &names;
        session.settings = &settings;
        session.budget = &budget;
        session.budgetPlace = BudgetPlaceOf(home);
        session.dlg = &dlg;
        CivilDate last{2024, 3, 20};
        ComputeTotals(session, last, true);
        const TotalsState& st = session.state;
        ComputePeriodTotals(st.index, st, st.closingDay, st.closingYear, st.closingMonth, 12, periods, dlg);
    }
};

// The texts the chart view draws (titles, axis labels, legend), once laid out.
QStringList textsOf(QWidget* view) {
    QStringList texts;
    auto* chartView = qobject_cast<QChartView*>(view);
    if (!chartView) return texts;
    for (QGraphicsItem* item : chartView->scene()->items()) {
        if (auto* t = dynamic_cast<QGraphicsTextItem*>(item)) texts << t->toPlainText();
        if (auto* t = dynamic_cast<QGraphicsSimpleTextItem*>(item)) texts << t->text();
    }
    return texts;
}

} // namespace

class TestChartWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void barsBesideTheirBudgetsOverBudgetInRed() {
        Household h;
        frmChart chart(nullptr, h.session.state, h.budget, h.periods);
        auto* bars = seriesOf<QHorizontalStackedBarSeries>(chart.BudgetChart());
        auto* marks = seriesOf<QScatterSeries>(chart.BudgetChart());
        QVERIFY(bars && marks);
        QCOMPARE(bars->count(), 2);
        QBarSet* within = bars->barSets()[0];
        QBarSet* over = bars->barSets()[1];
        QCOMPARE(over->color(), QColor(220, 50, 50));
        // Rows from the bottom: 交通費, 光熱費, 食費 (the first item stands on top).
        QCOMPARE(within->count(), 3);
        QCOMPARE(over->at(2), 30300.0);
        QCOMPARE(within->at(2), 0.0);
        QCOMPARE(within->at(1), 8000.0);
        QCOMPARE(over->at(1), 0.0);
        // Budget marks on the rows of 食費 and 光熱費 only.
        QCOMPARE(marks->count(), 2);
        QCOMPARE(marks->at(0), QPointF(9000, 1));
        QCOMPARE(marks->at(1), QPointF(25000, 2));
    }

    // Yen axes read "200,000", never "200000", in both charts.
    void yenAxesGroupThousands() {
        Household h;
        frmChart chart(nullptr, h.session.state, h.budget, h.periods);
        chart.resize(900, 600);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        const QRegularExpression grouped(QStringLiteral("^[1-9]\\d{0,2}(,\\d{3})+$"));
        const QRegularExpression ungrouped(QStringLiteral("^\\d{4,}$"));
        for (QWidget* view : {chart.BudgetChart(), chart.PeriodsChart()}) {
            chart.Tabs()->setCurrentIndex(view == chart.BudgetChart() ? 0 : 1);
            QTRY_VERIFY(!textsOf(view).filter(grouped).isEmpty());
            QVERIFY2(textsOf(view).filter(ungrouped).isEmpty(), qPrintable(textsOf(view).join(u' ')));
        }
        // The window around the charts wears the program's colour.
        const QImage image = chart.grab().toImage();
        QCOMPARE(image.pixelColor(2, image.height() - 2), QColor(224, 235, 224));
    }

    void pageDownScrollsABudgetChartTallerThanTheWindow() {
        Household h;
        for (int i = 1; i <= 40; ++i)
            AddName(h.names, kItemTable, kExpenseKind, "支出" + std::to_string(i));
        CivilDate last{2024, 3, 20};
        ComputeTotals(h.session, last, true);
        frmChart chart(nullptr, h.session.state, h.budget, h.periods);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart, mrt::test::kPatience));
        auto* scroll = qobject_cast<QScrollArea*>(chart.Tabs()->currentWidget());
        QVERIFY(scroll);
        QCOMPARE(scroll->verticalScrollBar()->value(), 0);
        QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
        QTest::keyClick(FocusOf(&chart), Qt::Key_PageDown);
        QVERIFY(scroll->verticalScrollBar()->value() > 0);
    }

    void periodsStackedWithTheIncomeLineAndKeys() {
        Household h;
        QCOMPARE(h.periods.size(), size_t(12));
        int before = -1, after = -1;
        bool closed = false;
        frmChart chart(nullptr, h.session.state, h.budget, h.periods);
        auto* stacked = seriesOf<QStackedBarSeries>(chart.PeriodsChart());
        auto* income = seriesOf<QLineSeries>(chart.PeriodsChart());
        QVERIFY(stacked && income);
        QCOMPARE(stacked->count(), 2); // 食費 and 光熱費; 交通費 has nothing
        QCOMPARE(stacked->barSets()[0]->label(), QStringLiteral("食費"));
        QCOMPARE(stacked->barSets()[0]->at(11), 30300.0);
        QCOMPARE(stacked->barSets()[0]->at(0), 0.0);
        // The income line starts with the first period holding lines (January, the 10th of 12).
        QCOMPARE(income->count(), 3);
        QCOMPARE(income->at(0), QPointF(9, 201000));
        QCOMPARE(income->at(2), QPointF(11, 203000));
        ModalScript keys({[&](QWidget* w) {
            before = chart.Tabs()->currentIndex();
            QTest::keyClick(FocusOf(w), Qt::Key_F9);
            after = chart.Tabs()->currentIndex();
            QTest::keyClick(FocusOf(w), Qt::Key_Escape);
            closed = true;
        }});
        chart.exec();
        QVERIFY(closed);
        QCOMPARE(before, 0);
        QCOMPARE(after, 1);
    }
};

QTEST_MAIN(TestChartWindow)
#include "test_chart_window.moc"
