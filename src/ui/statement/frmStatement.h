#pragma once
#include "screens/StatementPreview.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QTableWidget;

namespace mrt {

class Dialogs;

// The statement preview window: the lines of the file with their proposed ledger lines and
// state. F2 changes the item from the choice list, Space includes or leaves out a line, F3 adds a
// rule from the line, F4 takes the cut of a long shop name, F5 registers unknown items with the
// import; Enter imports all or nothing, Esc closes without a change.
class frmStatement : public QDialog {
    Q_OBJECT
public:
    frmStatement(StatementPreview& preview, Dialogs& dlg, QWidget* owner = nullptr);

    QTableWidget* Rows() const { return m_rows; }
    QLabel* Summary() const { return m_summary; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool handleKey(int key);
    void refresh();

    StatementPreview& m_preview;
    Dialogs& m_dlg;
    QTableWidget* m_rows;
    QLabel* m_summary;
    QCheckBox* m_register;
};

} // namespace mrt
