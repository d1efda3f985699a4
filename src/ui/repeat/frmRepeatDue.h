#pragma once
#include "screens/RepeatDueList.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace mrt {

class Dialogs;
struct AppState;

// The recurring lines that fell due, one row each, decided by key: Space adds the line, S skips
// it for good, P puts it off to the next time, F2 changes its amount; F12 or Enter carries the
// choices out (all or nothing), Esc leaves everything for the next time.
class frmRepeatDue : public QDialog {
    Q_OBJECT
public:
    frmRepeatDue(AppState& app, Dialogs& dlg, QWidget* owner = nullptr);

    // The number of lines added (0 when none), -1 when the window was left without deciding.
    int Run();
    QTableWidget* Rows() const { return m_rows; }
    const RepeatDueList& List() const { return m_list; }

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool key(int key);
    void refresh();
    void choose(DueChoice c);
    void changeAmount();
    void decide();

    AppState& m_app;
    Dialogs& m_dlg;
    RepeatDueList m_list;
    QTableWidget* m_rows;
    QLabel* m_summary;
    int m_added = -1;
};

} // namespace mrt
