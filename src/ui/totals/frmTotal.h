#pragma once
#include "screens/TotalsGrids.h"
#include "totals/Totals.h"

#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace mrt {

class Dialogs;
class GridView;
class QtDialogs;

// The totals window "集計表示": the week's totals of every item in three stacked grids (income,
// expense, the summaries) under the dates, the closing day and the buttons. F2–F5 move the week,
// F11 changes the closing day, F12 prints, F9 shows the chart, F6 switches between this book and
// all books, Esc and the close box end it.
// The main window is hidden while it is open.
class frmTotal : public QWidget, public TotalsView {
    Q_OBJECT
public:
    frmTotal(TotalsSession& session, QWidget* mainWindow);
    ~frmTotal() override;

    // TotalsView
    void ShowTotals(const TotalsState& st, const BgtRecord& budget, bool rebuild) override;
    void RunTotalsWindow() override;

    // The dialogs whose questions this window owns while it is open (may be null).
    void SetDialogs(QtDialogs* dialogs) { m_dialogs = dialogs; }

    // What F12, F9 and F8 (the year report) run (set by the command that opens the window).
    std::function<void()> onPrint, onChart, onYear;
    // What F6 runs: the switch between this book and all books (unset in a home with one book).
    std::function<void()> onBooks;

    // Controls, for the window's tests.
    GridView* Grid(int i) const { return m_grids[i]; }
    QLabel* RegisteredLabel() const { return m_lblRegDate; }
    QLabel* ShownLabel() const { return m_lblDspDate; }
    QLabel* ClosingLabel() const { return m_lblDate; }
    QLabel* HelpLabel() const { return m_lblOnePtHelp; }
    QPushButton* ToolButton(int i) const { return m_cmdTool[i]; }
    QPushButton* SetButton() const { return m_cmdSET; }
    QPushButton* PrintButton() const { return m_cmdPR; }
    QPushButton* EndButton() const { return m_cmdEND; }
    QPushButton* ChartButton() const { return m_cmdChart; }
    QPushButton* CsvButton() const { return m_cmdCSV; }
    // The table shown into a CSV file (UTF-8 with BOM); `path` empty: asks for the file first.
    void ExportCsv(QString path = QString());
    int FullBuilds() const { return m_fullBuilds; }
    // Window state as stored in the settings: 0 normal, 1 minimised, 2 maximised.
    int WindowStateCode() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    bool windowKey(QKeyEvent* e);
    void relayout();
    void end();

    TotalsSession& m_session;
    QPointer<QWidget> m_main;
    QtDialogs* m_dialogs = nullptr;
    std::array<GridModel, 3> m_models;
    std::array<GridView*, 3> m_grids{};
    TotalsLayout m_layout;
    bool m_end = false;
    QEventLoop* m_endLoop = nullptr;
    bool m_running = false;
    int m_fullBuilds = 0;

    std::array<QPushButton*, 4> m_cmdTool{};
    QPushButton* m_cmdSET;
    QPushButton* m_cmdPR;
    QPushButton* m_cmdEND;
    QPushButton* m_cmdChart;
    QPushButton* m_cmdCSV;
    QPushButton* m_cmdHelp;
    QWidget* m_picTool;
    QWidget* m_picCmd;
    QWidget* m_picHelp;
    QLabel* m_lblOnePtHelp;
    QLabel* m_lblRegDateT;
    QLabel* m_lblRegDate;
    QLabel* m_lblDspDateT;
    QLabel* m_lblDspDate;
    QLabel* m_lblDate;
};

} // namespace mrt
