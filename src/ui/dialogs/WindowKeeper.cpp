#include "ui/dialogs/WindowKeeper.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace mrt {

namespace {

// A caption bar and a thin border: what most window managers draw, used until one is seen.
const QMargins kUsualFrame(4, 32, 4, 4);
QMargins g_lastFrame; // null until a framed window was seen

// The program's own windows, as the window manager sees them; not menus, tooltips or lists.
bool isManagedWindow(const QWidget* w) {
    if (!w->isWindow()) return false;
    switch (w->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Sheet:
    case Qt::Tool:
    case Qt::SplashScreen:
        return true;
    default:
        return false;
    }
}

bool frameless(const QWidget* w) {
    return w->windowType() == Qt::SplashScreen || (w->windowFlags() & Qt::FramelessWindowHint);
}

// The frame around the window as Qt knows it; null before the window manager has framed it.
QMargins knownFrame(const QWidget* w) {
    const QRect f = w->frameGeometry(), g = w->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}

} // namespace

QRect AvailableArea(const QWidget* window) {
    QScreen* s = window ? window->screen() : nullptr;
    if (!s) s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect();
}

QMargins FrameMargins(const QWidget* window) {
    if (frameless(window)) return QMargins();
    const QMargins own = knownFrame(window);
    if (!own.isNull()) {
        g_lastFrame = own;
        return own;
    }
    return g_lastFrame.isNull() ? kUsualFrame : g_lastFrame;
}

void KeepOnScreen(QWidget* window) {
    if (window->isMaximized() || window->isFullScreen()) return;
    const QRect area = AvailableArea(window);
    if (area.isEmpty()) return;
    const QMargins m = FrameMargins(window);
    const QSize room = area.size().shrunkBy(m);
    QSize size = window->size();
    // Only a window laid out by a layout can be made smaller without cutting what it shows.
    const bool resizable =
        window->layout() && !qobject_cast<QMainWindow*>(window) && window->minimumSize() != window->maximumSize();
    if (resizable && (size.width() > room.width() || size.height() > room.height())) {
        size = size.boundedTo(room).expandedTo(window->minimumSize());
        window->resize(size);
    }
    // The position of a top-level window is that of its frame.
    const QSize frame = size.grownBy(m);
    const QPoint at = window->pos();
    const int x = std::max(area.left(), std::min(at.x(), area.right() + 1 - frame.width()));
    const int y = std::max(area.top(), std::min(at.y(), area.bottom() + 1 - frame.height()));
    if (QPoint(x, y) != at) window->move(x, y);
}

void CentreOnScreen(QWidget* window) {
    const QRect area = AvailableArea(window);
    const QSize frame = window->size().grownBy(FrameMargins(window));
    window->move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
    KeepOnScreen(window);
}

bool WindowKeeper::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide && type != QEvent::Move && type != QEvent::Resize) ||
        !watched->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!isManagedWindow(w)) return false;
    switch (type) {
    case QEvent::Show:
        if (!event->spontaneous()) KeepOnScreen(w);
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // Only noted: the frame of a framed window is the best guess for the next window's. The
        // window is not moved from here, as its place may be passing while it is being framed.
        if (w->isVisible() && !frameless(w)) FrameMargins(w);
        break;
    case QEvent::Hide: {
        // Closed by the program (not minimised). Qt may still name the question that closed just
        // before as the active window; then this one was in front too.
        if (event->spontaneous()) break;
        QWidget* active = QApplication::activeWindow();
        if (active && active != w && active->isVisible()) break;
        m_closed = w->parentWidget() ? w->parentWidget()->window() : nullptr;
        // After the code that closed the window has gone on: a question closed together with its
        // window, or a window that opens at once in its place, is settled by then.
        if (!m_activationPending) {
            m_activationPending = true;
            QMetaObject::invokeMethod(this, &WindowKeeper::activateNext, Qt::QueuedConnection);
        }
        break;
    }
    default:
        break;
    }
    return false;
}

void WindowKeeper::activateNext() {
    m_activationPending = false;
    QWidget* next = QApplication::activeModalWidget();
    if (!next || !next->isVisible()) {
        next = nullptr;
        for (QWidget* w = m_closed; w && !next; w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
            if (w->isVisible() && !w->isMinimized()) next = w;
    }
    m_closed = nullptr;
    if (next && QApplication::activeWindow() != next) {
        next->raise();
        next->activateWindow();
    }
}

void InstallWindowKeeper(QApplication& app) {
    app.installEventFilter(new WindowKeeper(&app));
}

} // namespace mrt
