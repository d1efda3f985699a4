#pragma once
// Helpers for the tests of the command windows: they are modal, so the test's keys are typed from
// a timer while the window's own event loop runs.
#include "support/ModalScript.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <functional>

namespace mrt::test {

// The widget a key typed now would reach: the focus widget, else the active modal window.
inline QWidget* KeyTarget() {
    if (QWidget* f = QApplication::focusWidget()) return f;
    return QApplication::activeModalWidget();
}

// Presses one key where the focus is, modifiers included.
inline void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* w = KeyTarget();
    if (w) QTest::keyClick(w, key, mods);
}

// Types text where the focus is, one character at a time (any script, as an input method commits).
inline void Type(const QString& text) {
    for (QChar c : text) {
        QWidget* w = KeyTarget();
        if (!w) return;
        const Qt::Key key = c.isDigit() ? Qt::Key(Qt::Key_0 + c.digitValue()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, w, key, QString(c), Qt::NoModifier);
    }
}

// Runs `user` once a modal window of type W is up and has settled, while `open` (which opens the
// window and returns when it closes) runs. Returns false when no such window came up.
template <typename W> bool WhileOpen(const std::function<void()>& open, const std::function<void(W*)>& user) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        W* w = nullptr;
        if (!QTest::qWaitFor(
                [&] {
                    w = qobject_cast<W*>(QApplication::activeModalWidget());
                    return Settled(w);
                },
                mrt::test::kPatience))
            return;
        seen = true;
        user(w);
        // A check that failed inside `user` returned early: close the window all the same.
        if (QApplication::activeModalWidget() == w) w->close();
    });
    open();
    return seen;
}

} // namespace mrt::test

// The scripted dialogs saw no misuse (unexpected question, wrong message, unused answer).
#define VERIFY_DIALOGS(dlg)                                                                                            \
    QVERIFY2((dlg).failures().empty(), (dlg).failures().empty() ? "" : (dlg).failures().front().c_str())
