#pragma once
#include <QWidget>

class QLineEdit;
class QListWidget;

namespace mrt {

// A choice box of the ledger screen: an edit field over a grid cell with its list dropped below
// it, both plain child widgets of the window (no popup window), so the keyboard focus never
// leaves the main window. Up and Down move the selection and show it in the field; typing edits
// the field freely; Enter, Esc and Tab are reported to the owner.
class ChoiceBox : public QWidget {
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget* parent);

    // Fills the list; selected -1 shows `text` with nothing selected.
    void Open(const QStringList& entries, int selected, const QString& text, const QRect& cell, int listRows);
    void Close();
    // The selected entry, or -1 when the field holds a text that is not the selected entry.
    int Selected() const;
    QString Text() const;
    QLineEdit* field() const { return m_edit; }
    QListWidget* list() const { return m_list; }
    void SetColour(const QColor& c);

signals:
    void KeyEnter();
    void KeyEsc();
    void KeyTab();
    void EntryDoubleClicked(int index);

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void select(int index);

    QLineEdit* m_edit;
    QListWidget* m_list;
};

} // namespace mrt
