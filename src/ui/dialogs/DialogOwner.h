#pragma once
#include "port/Dialogs.h"
#include "ui/dialogs/QtDialogs.h"

#include <QPointer>
#include <QWidget>

namespace mrt {

// While a window is up, the questions asked through `dlg` belong to it (they are placed over it
// and keep it behind them); the owner before it takes them again when the scope ends. Does
// nothing for dialogs that are not the Qt ones (tests).
class DialogOwner {
public:
    DialogOwner(Dialogs* dlg, QWidget* window) : m_qt(dynamic_cast<QtDialogs*>(dlg)) {
        if (!m_qt) return;
        m_previous = m_qt->Owner();
        m_qt->SetOwner(window);
    }
    ~DialogOwner() {
        if (m_qt) m_qt->SetOwner(m_previous);
    }
    DialogOwner(const DialogOwner&) = delete;
    DialogOwner& operator=(const DialogOwner&) = delete;

private:
    QtDialogs* m_qt;
    QPointer<QWidget> m_previous;
};

// The window a command's window opens in front of: the Qt dialogs' owner (the main window).
inline QWidget* DialogOwnerOf(Dialogs& dlg) {
    auto* qt = dynamic_cast<QtDialogs*>(&dlg);
    return qt ? qt->Owner() : nullptr;
}

} // namespace mrt
