#include "ui/totals/frmChart.h"

#include "totals/TotalsGrids.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"
#include "ui/help/HelpWindow.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHorizontalStackedBarSeries>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace mrt {

namespace {

const QColor kWithin(70, 130, 210);
const QColor kOver(220, 50, 50);
const QColor kBudgetMark(20, 40, 90);
const QColor kIncome(240, 150, 0);

// A value axis from 0 that ends on a round number, labelled in yen.
QValueAxis* yenAxis(double max) {
    auto* axis = new QValueAxis;
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setRange(0, max > 0 ? max * 1.08 : 1000);
    axis->applyNiceNumbers();
    return axis;
}

QChart* newChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setTitleFont(UiFont(PGothicFace(), 11, true));
    chart->setFont(UiFont(PGothicFace(), 9));
    chart->legend()->setFont(UiFont(PGothicFace(), 9));
    chart->setAnimationOptions(QChart::NoAnimation);
    // Axis labels in yen with thousands separators ("400,000"), whatever the desktop's language.
    chart->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    chart->setLocalizeNumbers(true);
    return chart;
}

QChartView* newView(QChart* chart) {
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFocusPolicy(Qt::NoFocus);
    return view;
}

QString monthText(int year, int month) {
    return QStringLiteral("%1/%2").arg(year % 100, 2, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
}

} // namespace

frmChart::frmChart(QWidget* owner, const TotalsState& st, const BgtRecord& budget,
                   const std::vector<PeriodTotal>& periods)
    : QDialog(owner) {
    setWindowTitle(QStringLiteral("グラフ － %1月締").arg(st.closingMonth));
    setFont(UiFont(PGothicFace(), 10));
    m_tabs = new QTabWidget(this);
    m_tabs->setFocusPolicy(Qt::NoFocus);
    m_tabs->addTab(budgetChart(st, budget), QStringLiteral("今月の予算比較"));
    m_tabs->addTab(periodsChart(st, periods), QStringLiteral("過去%1か月の推移").arg(periods.size()));
    auto* hint = new QLabel(QStringLiteral("（ [F9]で表示の切替：[Esc]で閉じる ）"), this);
    hint->setAlignment(Qt::AlignCenter);
    auto* root = new QVBoxLayout(this);
    root->addWidget(m_tabs, 1);
    root->addWidget(hint);
    UseProgramColours(this);
    resize(900, 640);
}

QWidget* frmChart::budgetChart(const TotalsState& st, const BgtRecord& budget) {
    const std::vector<BudgetBar> bars = ExpenseBudgetBars(st, budget);
    const int n = static_cast<int>(bars.size());
    // Horizontal bars run from the bottom: the first item is put last so that it stands on top.
    auto* within = new QBarSet(QStringLiteral("予算内・予算なし"));
    auto* over = new QBarSet(QStringLiteral("予算超過"));
    within->setColor(kWithin);
    over->setColor(kOver);
    auto* marks = new QScatterSeries;
    marks->setName(QStringLiteral("予算"));
    marks->setMarkerShape(QScatterSeries::MarkerShapeRotatedRectangle);
    marks->setMarkerSize(11);
    marks->setColor(kBudgetMark);
    marks->setBorderColor(Qt::white);
    QStringList names;
    double max = 0;
    for (int i = n - 1; i >= 0; --i) {
        const BudgetBar& b = bars[i];
        names << qs(b.name);
        *within << (b.over ? 0.0 : static_cast<double>(b.total));
        *over << (b.over ? static_cast<double>(b.total) : 0.0);
        if (b.hasBudget) marks->append(static_cast<double>(b.budget), n - 1 - i);
        max = std::max({max, static_cast<double>(b.total), b.hasBudget ? static_cast<double>(b.budget) : 0.0});
    }
    auto* series = new QHorizontalStackedBarSeries;
    series->append(within);
    series->append(over);
    series->setBarWidth(0.6);

    const QString title =
        QStringLiteral("%1月締（%2～%3）出金の項目別合計と予算（円）")
            .arg(st.closingMonth)
            .arg(qs(FormatPeriodDate(st.periodStart, false)), qs(FormatPeriodDate(st.periodEnd, true)));
    QChart* chart = newChart(title);
    chart->addSeries(series);
    chart->addSeries(marks);
    auto* items = new QBarCategoryAxis;
    items->append(names);
    QValueAxis* yen = yenAxis(max);
    chart->addAxis(items, Qt::AlignLeft);
    chart->addAxis(yen, Qt::AlignBottom);
    series->attachAxis(items);
    series->attachAxis(yen);
    // The budget marks stand on the bars' rows: a hidden axis counts the rows from 0.
    auto* rows = new QValueAxis;
    rows->setRange(-0.5, n - 0.5);
    rows->setVisible(false);
    chart->addAxis(rows, Qt::AlignRight);
    marks->attachAxis(yen);
    marks->attachAxis(rows);
    chart->legend()->setAlignment(Qt::AlignBottom);

    QChartView* view = newView(chart);
    view->setMinimumHeight(std::max(460, 28 * n + 140));
    m_budgetView = view;
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(view);
    return scroll;
}

QWidget* frmChart::periodsChart(const TotalsState& st, const std::vector<PeriodTotal>& periods) {
    const std::vector<PeriodSeries> series = ExpenseSeries(st, periods, 8);
    auto* stacked = new QStackedBarSeries;
    stacked->setBarWidth(0.65);
    static const QColor palette[8] = {QColor(70, 130, 210),  QColor(220, 80, 80),  QColor(90, 170, 90),
                                      QColor(150, 100, 200), QColor(230, 170, 40), QColor(60, 170, 170),
                                      QColor(200, 110, 160), QColor(150, 150, 150)};
    for (size_t i = 0; i < series.size(); ++i) {
        auto* set = new QBarSet(qs(series[i].name));
        set->setColor(palette[i % 8]);
        for (int64_t v : series[i].values)
            *set << static_cast<double>(v);
        stacked->append(set);
    }
    auto* income = new QLineSeries;
    income->setName(QStringLiteral("入金合計"));
    QPen pen(kIncome, 3);
    income->setPen(pen);
    income->setPointsVisible(true);
    QStringList months;
    double max = 0;
    const int inSum = st.RowCount - 2, outSum = st.RowCount - 1;
    // Periods before the ledger's first line have no income line.
    bool begun = false;
    for (size_t p = 0; p < periods.size(); ++p) {
        months << monthText(periods[p].year, periods[p].month);
        begun = begun || periods[p].hasLines;
        if (begun) income->append(static_cast<double>(p), static_cast<double>(periods[p].rows[inSum]));
        max =
            std::max({max, static_cast<double>(periods[p].rows[inSum]), static_cast<double>(periods[p].rows[outSum])});
    }
    QChart* chart = newChart(QStringLiteral("締め期間ごとの出金（項目別）と入金合計（円）"));
    chart->addSeries(stacked);
    chart->addSeries(income);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(months);
    axisX->setTitleText(QStringLiteral("締め月"));
    QValueAxis* yen = yenAxis(max);
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(yen, Qt::AlignLeft);
    stacked->attachAxis(axisX);
    stacked->attachAxis(yen);
    income->attachAxis(axisX);
    income->attachAxis(yen);
    chart->legend()->setAlignment(Qt::AlignRight);
    QChartView* view = newView(chart);
    m_periodsView = view;
    return view;
}

void frmChart::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_F9:
        m_tabs->setCurrentIndex(1 - m_tabs->currentIndex());
        return;
    case Qt::Key_F1:
        AppHelp().ShowHelpTopic(HelpFile::Sub, 200);
        return;
    case Qt::Key_Escape:
        reject();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // The keyboard scrolls a budget chart taller than the window.
        if (auto* scroll = qobject_cast<QScrollArea*>(m_tabs->currentWidget())) {
            QScrollBar* bar = scroll->verticalScrollBar();
            const bool page = e->key() == Qt::Key_PageUp || e->key() == Qt::Key_PageDown;
            const int step = page ? bar->pageStep() : bar->singleStep() * 3;
            const bool up = e->key() == Qt::Key_Up || e->key() == Qt::Key_PageUp;
            bar->setValue(bar->value() + (up ? -step : step));
            return;
        }
        QDialog::keyPressEvent(e);
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

} // namespace mrt
