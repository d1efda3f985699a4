#pragma once
// For window tests (Qt): answers modal windows from a script while their own event loop waits.
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace mrt::test {

// Runs one step per opening of a modal window: waits until a modal window is shown (and, when
// given, its caption holds `caption`), runs the step on it, then waits for that window to hide
// before the next step.
class ModalScript : public QObject {
public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalScript(QList<Step> steps) : m_steps(std::move(steps)) {
        connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
        m_timer.start(5);
    }
    ~ModalScript() override {
        m_timer.stop();
        if (m_current) m_current->removeEventFilter(this);
    }
    bool done() const { return m_next >= m_steps.size() && !m_current; }
    // Captions of the windows answered, in order.
    QStringList captions;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_current && event->type() == QEvent::Hide) {
            m_current->removeEventFilter(this);
            m_current = nullptr;
        }
        return false;
    }

private:
    void poll() {
        if (m_current || m_next >= m_steps.size()) return;
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        // Give the window a moment to put its focus where it wants it.
        if (w != m_seen) {
            m_seen = w;
            m_seenAt.start();
            return;
        }
        if (m_seenAt.elapsed() < 30) return;
        m_current = w;
        w->installEventFilter(this);
        captions << w->windowTitle();
        m_steps[m_next++](w);
    }

    QList<Step> m_steps;
    qsizetype m_next = 0;
    QPointer<QWidget> m_current;
    QPointer<QWidget> m_seen;
    QElapsedTimer m_seenAt;
    QTimer m_timer;
};

// Keys go to the window's focus widget, as the keyboard would deliver them.
inline QWidget* FocusOf(QWidget* w) {
    return w->focusWidget() ? w->focusWidget() : w;
}

} // namespace mrt::test
