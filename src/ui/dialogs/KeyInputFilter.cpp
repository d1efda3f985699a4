#include "ui/dialogs/KeyInputFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace mrt {

namespace {
bool g_insertOn = false;

void sendTab(QObject* target, bool backwards) {
    QKeyEvent tab(QEvent::KeyPress, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                  backwards ? Qt::ShiftModifier : Qt::NoModifier);
    QCoreApplication::sendEvent(target, &tab);
}
} // namespace

KeyInputFilter::KeyInputFilter(int keyInputMode, bool enterMovesFocus, QObject* parent)
    : QObject(parent), m_mode(keyInputMode), m_enterMovesFocus(enterMovesFocus) {}

void KeyInputFilter::attach(QLineEdit* edit) {
    edit->installEventFilter(this);
}

bool KeyInputFilter::InsertOn() {
    return g_insertOn;
}
void KeyInputFilter::SetInsertOn(bool on) {
    g_insertOn = on;
}

bool KeyInputFilter::eventFilter(QObject* watched, QEvent* event) {
    if (m_mode == 0 || event->type() != QEvent::KeyPress) return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    switch (key->key()) {
    case Qt::Key_Insert:
        if (!shift) g_insertOn = !g_insertOn;
        return true;
    case Qt::Key_Down:
        sendTab(edit, false);
        return true;
    case Qt::Key_Up:
        sendTab(edit, true);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!m_enterMovesFocus) return false;
        sendTab(edit, false);
        return true;
    default:
        break;
    }
    // A character replaces the one after the caret unless text is selected or insert is on.
    const QString text = key->text();
    const bool printable =
        !text.isEmpty() && text.at(0).unicode() >= 32 && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (printable && !edit->hasSelectedText() && !g_insertOn && edit->cursorPosition() < edit->text().size())
        edit->setSelection(edit->cursorPosition(), 1);
    return false;
}

} // namespace mrt
