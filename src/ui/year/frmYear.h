#pragma once
#include "screens/YearReportScreen.h"

#include <QDialog>
#include <functional>

class QChartView;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace mrt {

class Dialogs;
class GridView;

// The year report window "年間集計": the grid of the report (items by month, total, average,
// budget, difference, the year before) and beside it a chart, either the monthly spending by item
// stacked with the income line, or the item of the grid's row month by month against its budget.
// F2/F3 the year before/after, F5 calendar months ⇄ closing periods, F9 switches the chart, F7
// writes CSV, F12 prints, F1 help, Esc closes. Arrows and Page Up/Down move in the grid.
class frmYear : public QDialog {
    Q_OBJECT
public:
    frmYear(YearReportScreen& screen, Dialogs& dlg, QWidget* owner);

    // What F12 runs (set by the command that opens the window).
    std::function<void()> onPrint;

    // Shows the report of the screen anew (grid, caption, charts).
    void Refresh();
    // The report into a CSV file (UTF-8 with BOM); `path` empty: asks for the file first.
    void ExportCsv(QString path = QString());

    GridView* Grid() const { return m_grid; }
    QLabel* CaptionLabel() const { return m_caption; }
    QStackedWidget* Charts() const { return m_charts; }
    QChartView* SpendingChart() const { return m_spending; }
    QChartView* ItemChart() const { return m_item; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool windowKey(QKeyEvent* e);
    void showSpendingChart();
    void showItemChart();
    void keepColumnShown();

    YearReportScreen& m_screen;
    Dialogs& m_dlg;
    GridView* m_grid;
    QLabel* m_caption;
    QLabel* m_hint;
    QStackedWidget* m_charts;
    QChartView* m_spending;
    QChartView* m_item;
    int m_itemRow = -1;
};

} // namespace mrt
