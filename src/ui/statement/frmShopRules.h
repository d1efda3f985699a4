#pragma once
#include "screens/ShopRulesScreen.h"

#include <QDialog>

class QTableWidget;

namespace mrt {

class Dialogs;

// The shop rules window of the statement import: one row a rule. Ins/F3 adds a rule, F2 changes
// its item (or to skip), F4 its breakdown, Del/F5 removes it; Enter/F12 saves all changes at once,
// Esc closes (asking when changes are unsaved), F1 help.
class frmShopRules : public QDialog {
    Q_OBJECT
public:
    frmShopRules(ShopRulesScreen& screen, Dialogs& dlg, QWidget* owner = nullptr);

    QTableWidget* Rows() const { return m_rows; }

public slots:
    // Esc, the close box and the button: close only when the presenter allows it.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool handleKey(int key);
    void refresh(int current);

    ShopRulesScreen& m_screen;
    Dialogs& m_dlg;
    QTableWidget* m_rows;
};

} // namespace mrt
