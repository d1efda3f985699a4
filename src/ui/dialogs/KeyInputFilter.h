#pragma once
#include <QObject>

class QLineEdit;

namespace mrt {

// Key handling shared by the text boxes of the dialogs, following the key input mode
// (IniRecord::KeyInputMode): 0 = Windows type (typing inserts, Enter confirms), other = DOS type:
// typing overwrites the character after the caret until [Insert] switches insert on, [↓]/[↑]
// move to the next/previous field and, when `enterMovesFocus`, [Enter] moves to the next field
// instead of reaching the box. [Shift]+[Insert] is swallowed in the DOS type.
class KeyInputFilter : public QObject {
public:
    KeyInputFilter(int keyInputMode, bool enterMovesFocus, QObject* parent);
    void attach(QLineEdit* edit);

    // The insert flag is one for the whole program, as the key routine keeps it; it starts off.
    static bool InsertOn();
    static void SetInsertOn(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_mode;
    bool m_enterMovesFocus;
};

} // namespace mrt
