#pragma once
#include "totals/PeriodTotals.h"

#include <QDialog>

class QTabWidget;

namespace mrt {

// The chart of the totals window ("グラフ"): the closing period's total of every expense item as a
// bar beside its budget (a bar above its budget in red), and the last closing periods' expenses
// per item stacked with the income total as a line. F9 switches between the two, Esc closes.
class frmChart : public QDialog {
    Q_OBJECT
public:
    // periods: oldest first, the closing period shown last.
    frmChart(QWidget* owner, const TotalsState& st, const BgtRecord& budget, const std::vector<PeriodTotal>& periods);

    QTabWidget* Tabs() const { return m_tabs; }
    QWidget* BudgetChart() const { return m_budgetView; }
    QWidget* PeriodsChart() const { return m_periodsView; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QWidget* budgetChart(const TotalsState& st, const BgtRecord& budget);
    QWidget* periodsChart(const TotalsState& st, const std::vector<PeriodTotal>& periods);

    QTabWidget* m_tabs;
    QWidget* m_budgetView = nullptr;
    QWidget* m_periodsView = nullptr;
};

} // namespace mrt
