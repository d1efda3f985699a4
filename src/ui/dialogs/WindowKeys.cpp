#include "ui/dialogs/WindowKeys.h"

#include "ui/help/HelpWindow.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace mrt {

std::optional<WindowKey> ToWindowKey(const QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    if (e->key() == Qt::Key_F4 && (mods & Qt::AltModifier)) return WindowKey::AltF4;
    if (mods & (Qt::ControlModifier | Qt::AltModifier)) return std::nullopt;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return shift ? WindowKey::ShiftEnter : WindowKey::Enter;
    case Qt::Key_Tab:
        return shift ? WindowKey::ShiftTab : WindowKey::Tab;
    case Qt::Key_Backtab:
        return WindowKey::ShiftTab;
    case Qt::Key_Escape:
        return WindowKey::Esc;
    case Qt::Key_Left:
        return WindowKey::Left;
    case Qt::Key_Right:
        return WindowKey::Right;
    case Qt::Key_Up:
        return WindowKey::Up;
    case Qt::Key_Down:
        return WindowKey::Down;
    case Qt::Key_Home:
        return WindowKey::Home;
    case Qt::Key_End:
        return WindowKey::End;
    case Qt::Key_PageUp:
        return WindowKey::PageUp;
    case Qt::Key_PageDown:
        return WindowKey::PageDown;
    case Qt::Key_F1:
        return WindowKey::F1;
    case Qt::Key_F2:
        return WindowKey::F2;
    case Qt::Key_F3:
        return WindowKey::F3;
    case Qt::Key_F4:
        return WindowKey::F4;
    case Qt::Key_F12:
        return WindowKey::F12;
    default:
        break;
    }
    const QString text = e->text();
    if (!text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0) != QChar(0x7F)) return WindowKey::Char;
    return std::nullopt;
}

int Utf16Position(const QString& text, int characters) {
    int units = 0;
    for (int cp = 0; cp < characters && units < text.size(); ++cp)
        units += text.at(units).isHighSurrogate() ? 2 : 1;
    return units;
}

bool AltF4CloseHelpOrWindow(QWidget* window) {
    if (AppHelp().HelpShown())
        AppHelp().CloseAllHelp();
    else
        window->close();
    return true;
}

bool KeepCaretOnTabFocus(QLineEdit* box, QEvent* event) {
    if (event->type() != QEvent::FocusIn) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason && reason != Qt::ShortcutFocusReason)
        return false;
    QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(box, &plain);
    return true;
}

} // namespace mrt
