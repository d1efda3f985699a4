#pragma once
#include "screens/RepeatRegistration.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QLabel;

namespace mrt {

class Dialogs;
struct AppState;

// The registration window of recurring lines: the entries on the left, the form of the chosen
// one on the right. Up/Down choose an entry, Enter moves through the form, F12 (or Enter on the
// last field) stores it, F2 starts a new entry, F4 ends the entry on a date, F5 removes it, Esc
// closes the window.
class frmRepeat : public QDialog {
    Q_OBJECT
public:
    frmRepeat(AppState& app, Dialogs& dlg, const IoRecord* line, QWidget* owner = nullptr);

    QListWidget* Entries() const { return m_entries; }
    QComboBox* SideBox() const { return m_side; }
    QComboBox* ItemBox() const { return m_item; }
    QComboBox* NoteBox() const { return m_note; }
    QComboBox* ShopBox() const { return m_shop; }
    QComboBox* KindBox() const { return m_kind; }
    QLineEdit* AmountField() const { return m_amount; }
    QLineEdit* DayField() const { return m_day; }
    QLineEdit* FirstField() const { return m_first; }
    QLineEdit* LastField() const { return m_last; }
    QCheckBox* BusinessBox() const { return m_business; }

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool key(QKeyEvent* e);
    void fillList(int select);
    void showForm(const RepeatForm& f);
    RepeatForm readForm() const;
    void sideChanged();
    void itemChanged();
    void kindChanged();
    void store();
    void newEntry();
    void endEntry();
    void removeEntry();
    QList<QWidget*> fields() const;

    AppState& m_app;
    Dialogs& m_dlg;
    RepeatRegistration m_reg;
    int m_current = -1; // the entry in the form; -1 a new one
    int32_t m_offeredUpTo = 0;
    bool m_filling = false;
    QListWidget* m_entries;
    QComboBox *m_side, *m_item, *m_note, *m_shop, *m_kind;
    QLineEdit *m_amount, *m_every, *m_day, *m_first, *m_last;
    QLabel *m_everyUnit, *m_dayHint, *m_state;
    QCheckBox* m_business;
};

} // namespace mrt
