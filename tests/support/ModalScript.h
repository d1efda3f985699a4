#pragma once
// For window tests (Qt): answers modal windows from a script while their own event loop waits.
// The one helper of every window test: nothing here waits for a time, only for conditions.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <functional>

namespace mrt::test {

// How long a test waits for a condition before it gives up (ms): long, since the machine may be
// busy with other work; a test that passes never waits that long.
inline constexpr int kPatience = 60000;

// Keys go to the window's focus widget, as the keyboard would deliver them.
inline QWidget* FocusOf(QWidget* w) {
    return w->focusWidget() ? w->focusWidget() : w;
}

// A modal window is ready for the user: it is the modal window in front, shown and active, and the
// focus has gone where the window put it (a window without a focusable control: active is enough).
inline bool Settled(QWidget* w) {
    if (!w || !w->isVisible() || QApplication::activeModalWidget() != w || QApplication::activeWindow() != w)
        return false;
    QWidget* f = QApplication::focusWidget();
    return !w->focusWidget() || (f && f->window() == w);
}

// Runs one step per opening of a modal window: waits until a modal window has settled, runs the
// step on it, then waits for that window to hide before the next step (a question asked again
// opens the same window again). The condition is looked at every few milliseconds while the
// window's event loop runs.
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
        if (!Settled(w)) return;
        m_current = w;
        w->installEventFilter(this);
        captions << w->windowTitle();
        m_steps[m_next++](w);
    }

    QList<Step> m_steps;
    qsizetype m_next = 0;
    QPointer<QWidget> m_current;
    QTimer m_timer;
};

// What a step saw of its window: the caption, the texts of its labels and its owner.
struct Seen {
    QString caption;
    QString text;
    QWidget* owner = nullptr;
};

// A step that presses keys, each where the focus is by then (an arrow key moves it), after
// noting what the window shows in `seen`.
inline ModalScript::Step Keys(QList<Qt::Key> keys, Seen* seen = nullptr) {
    return [keys, seen](QWidget* w) {
        if (seen) {
            seen->caption = w->windowTitle();
            seen->owner = w->parentWidget();
            for (QLabel* l : w->findChildren<QLabel*>())
                seen->text += l->text();
        }
        for (Qt::Key k : keys)
            QTest::keyClick(FocusOf(w), k);
    };
}

// Runs `open` (which shows a modal window and returns once it has closed) with the steps that
// answer its windows; true when every step ran.
inline bool Answered(const std::function<void()>& open, QList<ModalScript::Step> steps) {
    ModalScript script(std::move(steps));
    open();
    return script.done();
}

} // namespace mrt::test
