#pragma once
#include "ledger/LedgerSearch.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace mrt {

class Dialogs;

// The search window: a text, an optional date and amount range, and the lines found (newest
// first) with their count. Enter in a field searches; Enter (or a double-click) on a line
// chooses it and closes the window; Esc closes it without a choice.
class frmSearch : public QDialog {
    Q_OBJECT
public:
    frmSearch(const LedgerIndex& index, Dialogs& dlg, QWidget* owner = nullptr);

    // Shows the window modally. 0 with `hit` set when a line was chosen, 1 otherwise.
    int Run(SearchHit& hit);
    // Searches with the fields as they are (a field in error is reported and nothing changes).
    void RunSearch();

    QLineEdit* TextField() const { return m_text; }
    QLineEdit* FromField() const { return m_from; }
    QLineEdit* ToField() const { return m_to; }
    QLineEdit* MinField() const { return m_min; }
    QLineEdit* MaxField() const { return m_max; }
    QTableWidget* Results() const { return m_results; }
    QLabel* CountLabel() const { return m_count; }

protected:
    // F1 shows the help page of search and CSV.
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(int row);

    const LedgerIndex& m_index;
    Dialogs& m_dlg;
    QLineEdit* m_text;
    QLineEdit* m_from;
    QLineEdit* m_to;
    QLineEdit* m_min;
    QLineEdit* m_max;
    QPushButton* m_search;
    QTableWidget* m_results;
    QLabel* m_count;
    SearchResult m_found;
    int m_chosen = -1;
};

} // namespace mrt
