#include "ui/help/HelpWindow.h"

#include "ui/dialogs/Fonts.h"
#include "util/Home.h"
#include "util/ProgramInfo.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace mrt {

namespace {
QString g_helpFolder; // empty = not yet looked up
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QString::fromUtf8(MRTKEL_PROGRAM_NAME " 操作説明"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The calling window keeps the keyboard: F1, Esc and the arrows still reach it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenLinks(true);
    m_browser->setFont(UiFont(PGothicFace(), 10));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(560, 480);
    // Sees the close requests of every window, and the owner's hiding.
    qApp->installEventFilter(this);
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    // A help window already closed (and about to go) has no say.
    if (!watched->isWidgetType() || watched == this || !isVisible()) return false;
    auto* w = static_cast<QWidget*>(watched);
    // The window it belongs to was closed (not minimised): its help goes with it.
    if (event->type() == QEvent::Hide && w == parentWidget() && !event->spontaneous()) {
        if (AppHelp().Window() == this)
            AppHelp().CloseAllHelp();
        else
            close();
        return false;
    }
    // The window manager asks a window to close: with the help shown, only the help closes.
    if (event->type() == QEvent::Close && event->spontaneous() && w->isWindow() && isVisible()) {
        event->ignore();
        AppHelp().CloseAllHelp();
        return true;
    }
    return false;
}

bool HelpWindow::ShowPage(HelpFile file, int topic) {
    m_file = file;
    m_topic = topic;
    const QString sub = file == HelpFile::Main ? QStringLiteral("main") : QStringLiteral("sub");
    const QString name = topic > 0 ? QString::number(topic) + QStringLiteral(".html") : QStringLiteral("index.html");
    const QString path = HelpAccess::HelpFolder() + QStringLiteral("/") + sub + QStringLiteral("/") + name;
    if (!QFileInfo::exists(path)) {
        m_browser->setHtml(QString::fromUtf8("<p>この説明のページ（%1）が見つかりません。</p>").arg(sub + u'/' + name));
        return false;
    }
    // Every page shares one style sheet, applied to the document before the page loads.
    QFile css(HelpAccess::HelpFolder() + QStringLiteral("/help.css"));
    if (css.open(QIODevice::ReadOnly)) m_browser->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
    m_browser->setSource(QUrl::fromLocalFile(path));
    return true;
}

QString HelpAccess::HelpFolder() {
    if (g_helpFolder.isEmpty()) {
        const std::string res = FindResourceFolder(QCoreApplication::applicationFilePath().toStdString());
        if (!res.empty()) g_helpFolder = QString::fromStdString(res) + QStringLiteral("/help");
    }
    return g_helpFolder;
}

void HelpAccess::SetHelpFolder(const QString& folder) {
    g_helpFolder = folder;
}

void HelpAccess::show(HelpFile file, int topic) {
    // A modal window blocks every window that is not its child, so the help window belongs to
    // the modal window that asks for it, else to the window in front.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    if (owner && owner == m_window) owner = m_window->parentWidget();
    if (m_window && m_window->parentWidget() != owner) {
        m_window->close();
        m_window = nullptr;
    }
    if (!m_window) m_window = new HelpWindow(owner);
    m_window->ShowPage(file, topic);
    m_window->show();
    m_window->raise();
    QCoreApplication::processEvents();
    m_shown = true;
}

void HelpAccess::ShowHelpContents(HelpFile file) {
    show(file, 0);
}
void HelpAccess::ShowHelpTopic(HelpFile file, int topic) {
    show(file, topic);
}

void HelpAccess::CloseAllHelp() {
    if (!m_shown) return;
    if (m_window) m_window->close();
    m_window = nullptr;
    QCoreApplication::processEvents();
    m_shown = false;
}

HelpAccess& AppHelp() {
    static HelpAccess help;
    return help;
}

} // namespace mrt
