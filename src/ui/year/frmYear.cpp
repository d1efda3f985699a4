#include "ui/year/frmYear.h"

#include "port/Dialogs.h"
#include "screens/TotalsGrids.h"
#include "totals/YearReportCsv.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"
#include "ui/grid/GridView.h"
#include "ui/help/HelpWindow.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QStackedBarSeries>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace mrt {

namespace {

constexpr int kHelpTopic = 210;
const QColor kIncome(240, 150, 0);
const QColor kWithin(70, 130, 210);
const QColor kOver(220, 50, 50);
const QColor kBudget(20, 40, 90);

QChart* newChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setTitleFont(UiFont(PGothicFace(), 10, true));
    chart->setFont(UiFont(PGothicFace(), 8));
    chart->legend()->setFont(UiFont(PGothicFace(), 8));
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    chart->setLocalizeNumbers(true);
    return chart;
}

QValueAxis* yenAxis(double min, double max) {
    auto* axis = new QValueAxis;
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setRange(std::min(0.0, min * 1.08), max > 0 ? max * 1.08 : 1000);
    axis->applyNiceNumbers();
    return axis;
}

// The twelve months as numbers under an axis titled 月 or 締め月, so that they fit a narrow chart.
QBarCategoryAxis* monthAxis(const YearReport& r) {
    auto* axis = new QBarCategoryAxis;
    for (int m = 1; m <= 12; ++m)
        axis->append(QString::number(m));
    axis->setTitleText(r.options.periods ? QStringLiteral("締め月") : QStringLiteral("月"));
    return axis;
}

QPushButton* button(QWidget* parent, const QString& text, const QString& tip) {
    auto* b = new QPushButton(text, parent);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

frmYear::frmYear(YearReportScreen& screen, Dialogs& dlg, QWidget* owner)
    : QDialog(owner), m_screen(screen), m_dlg(dlg) {
    setWindowTitle(QStringLiteral("年間集計"));
    setFont(UiFont(GothicFace(), 10));
    m_caption = new QLabel(this);
    m_caption->setFont(UiFont(GothicFace(), 11, true));
    auto* prev = button(this, QStringLiteral("◀ 前年"), QStringLiteral("前の年を表示します [F2]"));
    auto* next = button(this, QStringLiteral("翌年 ▶"), QStringLiteral("次の年を表示します [F3]"));
    auto* periods = button(this, QStringLiteral("暦月／締め期間"), QStringLiteral("暦月と締め期間を切り替えます [F5]"));
    auto* csv = button(this, QStringLiteral("CSV"), QStringLiteral("年間集計表をCSVファイルに書き出します [F7]"));
    auto* chart = button(this, QStringLiteral("グラフ切替"), QStringLiteral("グラフの表示を切り替えます [F9]"));
    auto* print = button(this, QStringLiteral("印刷"), QStringLiteral("年間集計表を印刷します [F12]"));
    auto* help = button(this, QStringLiteral("説明"), QStringLiteral("年間集計の説明を表示します [F1]"));
    auto* close = button(this, QStringLiteral("終了"), QStringLiteral("年間集計を閉じます [Esc]"));
    connect(prev, &QPushButton::clicked, this, [this] { m_screen.MoveYear(-1, m_dlg) == 0 ? Refresh() : void(); });
    connect(next, &QPushButton::clicked, this, [this] { m_screen.MoveYear(1, m_dlg) == 0 ? Refresh() : void(); });
    connect(periods, &QPushButton::clicked, this, [this] { m_screen.TogglePeriods(m_dlg) == 0 ? Refresh() : void(); });
    connect(csv, &QPushButton::clicked, this, [this] { ExportCsv(); });
    connect(chart, &QPushButton::clicked, this, [this] { m_charts->setCurrentIndex(1 - m_charts->currentIndex()); });
    connect(print, &QPushButton::clicked, this, [this] {
        if (onPrint) onPrint();
    });
    connect(help, &QPushButton::clicked, this, [] { AppHelp().ShowHelpTopic(HelpFile::Sub, kHelpTopic); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    m_grid = new GridView(this);
    m_grid->installEventFilter(this);
    m_spending = new QChartView(newChart(QString()));
    m_item = new QChartView(newChart(QString()));
    for (QChartView* v : {m_spending, m_item}) {
        v->setRenderHint(QPainter::Antialiasing);
        v->setFocusPolicy(Qt::NoFocus);
        v->setMinimumWidth(380);
    }
    m_charts = new QStackedWidget(this);
    m_charts->addWidget(m_spending);
    m_charts->addWidget(m_item);
    m_hint = new QLabel(QStringLiteral(" [差額]＝合計－予算：出金の予算超過は赤、入金の予算超過は緑。"
                                       "グラフは[F9]で「月ごとの出金」と「選択行の項目と予算」を切り替えます。"),
                        this);
    m_hint->setFont(UiFont(PGothicFace(), 8));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {prev, next, periods, csv, chart, print, help, close})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(m_grid, 3);
    body->addWidget(m_charts, 2);
    auto* root = new QVBoxLayout(this);
    root->addWidget(m_caption);
    root->addLayout(buttons);
    root->addLayout(body, 1);
    root->addWidget(m_hint);
    UseProgramColours(this);
    connect(m_grid, &GridView::RowColChange, this, [this] {
        keepColumnShown();
        if (m_screen.ReportRow(m_grid->model().Row()) != m_itemRow) showItemChart();
    });
    Refresh();
    // As wide as the grid's columns and the chart need, within the screen.
    const QScreen* shown = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect room = shown ? shown->availableGeometry() : QRect(0, 0, 1400, 900);
    const int gridWidth = m_grid->TotalColumnsWidth() + 24;
    m_grid->setMinimumWidth(std::min(gridWidth, room.width() - 460));
    resize(std::min(gridWidth + 440, room.width() - 20), std::min(760, room.height() - 60));
}

void frmYear::Refresh() {
    const QFontMetrics fm(m_grid->GridFont(9));
    const TextMeasure measure = [fm](const std::string& text) {
        return TextSize{PixelsToTwips(fm.horizontalAdvance(qs(text))), PixelsToTwips(fm.height())};
    };
    m_screen.Render(m_grid->model(), measure);
    m_caption->setText(qs(m_screen.Caption()));
    showSpendingChart();
    showItemChart();
}

void frmYear::showSpendingChart() {
    const YearReport& r = m_screen.Report();
    const std::vector<YearSeries> series = YearSpendingSeries(r, 7);
    static const QColor palette[8] = {QColor(70, 130, 210),  QColor(220, 80, 80),  QColor(90, 170, 90),
                                      QColor(150, 100, 200), QColor(230, 170, 40), QColor(60, 170, 170),
                                      QColor(200, 110, 160), QColor(150, 150, 150)};
    auto* stacked = new QStackedBarSeries;
    stacked->setBarWidth(0.65);
    for (size_t i = 0; i < series.size(); ++i) {
        auto* set = new QBarSet(qs(series[i].name));
        set->setColor(palette[i % 8]);
        for (int64_t v : series[i].values)
            *set << static_cast<double>(v);
        stacked->append(set);
    }
    auto* income = new QLineSeries;
    income->setName(QStringLiteral("入金合計"));
    income->setPen(QPen(kIncome, 3));
    income->setPointsVisible(true);
    double max = 0;
    const int in = YearRowOfKind(r, YearReportRow::Kind::IncomeSum);
    const int out = YearRowOfKind(r, YearReportRow::Kind::ExpenseSum);
    for (int m = 0; m < 12; ++m) {
        const double inV = in >= 0 ? static_cast<double>(r.rows[in].months[m]) : 0;
        income->append(m, inV);
        max = std::max({max, inV, out >= 0 ? static_cast<double>(r.rows[out].months[m]) : 0.0});
    }
    QChart* chart = newChart(QStringLiteral("%1 出金（項目別）と入金合計（円）").arg(qs(r.Title())));
    chart->addSeries(stacked);
    chart->addSeries(income);
    QBarCategoryAxis* axisX = monthAxis(r);
    QValueAxis* yen = yenAxis(0, max);
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(yen, Qt::AlignLeft);
    for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{stacked, income}) {
        s->attachAxis(axisX);
        s->attachAxis(yen);
    }
    chart->legend()->setAlignment(Qt::AlignRight);
    QChart* old = m_spending->chart();
    m_spending->setChart(chart);
    delete old;
}

void frmYear::showItemChart() {
    const YearReport& r = m_screen.Report();
    int row = m_screen.ReportRow(m_grid->model().Row());
    if (row < 0) row = YearRowOfKind(r, YearReportRow::Kind::ExpenseSum);
    m_itemRow = row;
    QChart* chart = newChart(QString());
    if (row >= 0) {
        const YearReportRow& item = r.rows[row];
        auto* within = new QBarSet(QStringLiteral("予算内・予算なし"));
        auto* over = new QBarSet(QStringLiteral("予算超過"));
        within->setColor(kWithin);
        over->setColor(kOver);
        auto* budget = new QLineSeries;
        budget->setName(QStringLiteral("予算"));
        budget->setPen(QPen(kBudget, 2, Qt::DashLine));
        budget->setPointsVisible(true);
        double min = 0, max = 0;
        for (int m = 0; m < 12; ++m) {
            const double v = static_cast<double>(item.months[m]);
            const int64_t b = item.monthBudgets[m];
            // Over means more spent, or less received, than planned.
            const bool isOver = b >= 0 && (item.side == 1 ? item.months[m] > b : item.months[m] < b);
            *within << (isOver ? 0.0 : v);
            *over << (isOver ? v : 0.0);
            if (b >= 0 && item.kind != YearReportRow::Kind::Balance) budget->append(m, static_cast<double>(b));
            max = std::max({max, v, static_cast<double>(b)});
            min = std::min(min, v);
        }
        auto* bars = new QStackedBarSeries;
        bars->append(within);
        bars->append(over);
        bars->setBarWidth(0.6);
        chart->setTitle(QStringLiteral("%1 %2 の月別金額と予算（円）").arg(qs(r.Title()), qs(item.name)));
        chart->addSeries(bars);
        chart->addSeries(budget);
        QBarCategoryAxis* axisX = monthAxis(r);
        QValueAxis* yen = yenAxis(min, max);
        chart->addAxis(axisX, Qt::AlignBottom);
        chart->addAxis(yen, Qt::AlignLeft);
        for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{bars, budget}) {
            s->attachAxis(axisX);
            s->attachAxis(yen);
        }
        chart->legend()->setAlignment(Qt::AlignBottom);
    }
    QChart* old = m_item->chart();
    m_item->setChart(chart);
    delete old;
}

void frmYear::keepColumnShown() {
    // The grid scrolls rows itself; the columns right of the window's edge are brought in here.
    GridModel& m = m_grid->model();
    const int col = m.Col();
    if (col < m.FixedCols()) return;
    if (col < m.LeftCol()) {
        m.SetLeftCol(col);
        return;
    }
    const int right = m_grid->viewport()->geometry().right();
    while (m.LeftCol() < col) {
        const QRect cell = m_grid->CellRect(m.Row(), col);
        if (!cell.isEmpty() && cell.right() <= right) break;
        m.SetLeftCol(m.LeftCol() + 1);
    }
}

bool frmYear::windowKey(QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (e->key()) {
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_F1:
        AppHelp().ShowHelpTopic(HelpFile::Sub, kHelpTopic);
        return true;
    case Qt::Key_F2:
    case Qt::Key_F3:
        if (m_screen.MoveYear(e->key() == Qt::Key_F2 ? -1 : 1, m_dlg) == 0) Refresh();
        return true;
    case Qt::Key_F5:
        if (m_screen.TogglePeriods(m_dlg) == 0) Refresh();
        return true;
    case Qt::Key_F7:
        ExportCsv();
        return true;
    case Qt::Key_F9:
        m_charts->setCurrentIndex(1 - m_charts->currentIndex());
        return true;
    case Qt::Key_F12:
        if (onPrint) onPrint();
        return true;
    default:
        return false;
    }
}

bool frmYear::eventFilter(QObject* watched, QEvent* event) {
    // The window sees its keys before the grid; the grid keeps arrows and Page Up/Down.
    if (event->type() == QEvent::KeyPress && watched == m_grid) return windowKey(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void frmYear::keyPressEvent(QKeyEvent* e) {
    if (!windowKey(e)) QDialog::keyPressEvent(e);
}

void frmYear::ExportCsv(QString path) {
    const YearReport& r = m_screen.Report();
    if (path.isEmpty()) {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
        const QString name = QStringLiteral("年間集計_%1%2.csv")
                                 .arg(r.options.year)
                                 .arg(r.options.periods ? QStringLiteral("_締め期間") : QString());
        // The writer asks before it replaces a file, so the file dialog does not ask as well.
        path = QFileDialog::getSaveFileName(this, QStringLiteral("CSV出力"), QDir(folder).filePath(name),
                                            QStringLiteral("CSVファイル (*.csv)"), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty()) return;
    }
    const std::string target = path.toStdString();
    const int rows = ExportYearReportCsv(r, CsvEncoding::Utf8Bom, target, m_dlg);
    if (rows >= 0) m_dlg.MsgOK("年間集計表 " + std::to_string(rows) + " 行を書き出しました。\r\n" + target, "CSV出力");
}

} // namespace mrt
