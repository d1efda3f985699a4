#pragma once
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>

class QApplication;
class QWidget;

namespace mrt {

// The part of the screen that windows may use (without the desktop's panels) for `window`: the
// screen it is on, else the primary one.
QRect AvailableArea(const QWidget* window);

// The frame the window manager puts around `window`: its own once it is framed, else the frame last
// seen on another window of the program, else a usual caption bar and border.
QMargins FrameMargins(const QWidget* window);

// Moves `window` so that its frame lies within the available area; a resizable window larger than
// the area is made smaller first. A fixed window larger than the area keeps its top-left corner
// (and its caption bar) on the screen.
void KeepOnScreen(QWidget* window);

// Places `window` with its frame in the middle of the available area, kept within it.
void CentreOnScreen(QWidget* window);

// Watches the program's windows under a window manager, installed once on the application:
// - every window is kept on the screen when it is shown, with the frame the window manager put
//   around the windows before it;
// - when the active window closes, the window beneath it (the modal window still open, else the
//   window it belongs to) is activated. A window manager hands the focus back on its own only for
//   the window that had it: when a question and its window close together, nothing would be active.
class WindowKeeper : public QObject {
    Q_OBJECT
public:
    explicit WindowKeeper(QObject* parent = nullptr) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activateNext();

    QPointer<QWidget> m_closed; // the active window that closed last, until the next one is activated
    bool m_activationPending = false;
};

// Installs one WindowKeeper on the application.
void InstallWindowKeeper(QApplication& app);

} // namespace mrt
