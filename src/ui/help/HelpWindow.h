#pragma once
#include "port/Dialogs.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace mrt {

// The help viewer: one top-level window showing a help page (HTML) by topic number. It belongs to
// the window that asked for it (`parent`) and closes when that one closes. While it is shown, a
// request of the window manager to close another window (Alt+F4, the close box) closes the help
// window only, and the other window stays open.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows <folder>/help/main|sub/<topic>.html, or index.html for the contents (topic 0).
    // A missing page shows a short notice instead; false then.
    bool ShowPage(HelpFile file, int topic);

    QTextBrowser* Browser() const { return m_browser; }
    HelpFile CurrentFile() const { return m_file; }
    int CurrentTopic() const { return m_topic; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextBrowser* m_browser;
    HelpFile m_file = HelpFile::Main;
    int m_topic = -1;
};

// Help access for the whole program: opens the help window at a topic, replaces what it shows
// when another topic opens, and closes it. Windows ask HelpShown() to let Alt+F4 close the
// help window instead of themselves. The help window belongs to the modal window open (which
// blocks every other window), else to the active window.
class HelpAccess {
public:
    void ShowHelpContents(HelpFile file);
    void ShowHelpTopic(HelpFile file, int topic);
    // Closes the help window when one was opened; does nothing otherwise.
    void CloseAllHelp();
    bool HelpShown() const { return m_shown && m_window && m_window->isVisible(); }
    // The open help window, or null.
    HelpWindow* Window() const { return m_window; }

    // Folder holding help/ (main/ and sub/ below it). Defaults to the resource folder found
    // beside the program; tests may point it elsewhere.
    static QString HelpFolder();
    static void SetHelpFolder(const QString& folder);

private:
    void show(HelpFile file, int topic);

    QPointer<HelpWindow> m_window;
    bool m_shown = false;
};

// The program's one help access.
HelpAccess& AppHelp();

} // namespace mrt
