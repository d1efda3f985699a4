#include "ui/backup/frmFILE.h"

#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/Pictures.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"
#include "ui/dialogs/frmMSG.h"
#include "util/FileCopy.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace mrt {

namespace {
constexpr int kListW = 230;
constexpr int kListH = 210;
constexpr int kButtonH = 34;
// Window geometry of the rules in twips at 15 twips a pixel.
constexpr int px(int twips) {
    return twips / 15;
}

QString cleanFolder(const QString& path) {
    const QString p = QDir::cleanPath(QDir(path).absolutePath());
    return p.isEmpty() ? QStringLiteral("/") : p;
}

bool canEnter(const QString& folder) {
    const QFileInfo fi(folder);
    return fi.isDir() && fi.isReadable() && fi.isExecutable();
}

// Texts handed over with CR LF line breaks show one break each.
QString plainLines(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
} // namespace

frmFILE::frmFILE(QWidget* owner, const VolumeSources& sources) : QDialog(owner) {
    m_volumes = ListVolumes(sources);
    m_userHome = cleanFolder(qs(sources.userHome.empty() ? std::string("/") : sources.userHome));
    setFont(UiFont(PGothicFace(), 10));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(224, 235, 224));
    setPalette(pal);
    setAutoFillBackground(true);

    m_msg = new QLabel(this);
    QPalette mp = m_msg->palette();
    mp.setColor(QPalette::WindowText, QColor(80, 0, 5));
    m_msg->setPalette(mp);
    m_msg->setAlignment(Qt::AlignCenter);
    m_driveLabel = new QLabel(QString::fromUtf8("<ドライブ名>"), this);
    m_dirLabel = new QLabel(QString::fromUtf8("<フォルダ名>"), this);
    m_fileLabel = new QLabel(QString::fromUtf8("<ファイル名>"), this);

    m_drive = new QComboBox(this);
    m_drive->setFont(UiFont(GothicFace(), 10));
    for (const Volume& v : m_volumes)
        m_drive->addItem(style()->standardIcon(v.removable ? QStyle::SP_DriveFDIcon : QStyle::SP_DriveHDIcon),
                         qs(v.label) + QStringLiteral("  (") + qs(v.root) + QStringLiteral(")"), qs(v.root));
    connect(m_drive, &QComboBox::activated, this, &frmFILE::chooseDrive);

    m_dirs = new QListWidget(this);
    m_dirs->setFont(UiFont(GothicFace(), 10));
    m_dirs->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_dirs, &QListWidget::itemDoubleClicked, this, [this] { openHighlighted(); });

    m_files = new QListWidget(this);
    m_files->setFont(UiFont(GothicFace(), 10));

    m_ok = new QPushButton(QIcon(ButtonPicture(1, QSize(22, 22))), QString::fromUtf8("決　定"), this);
    m_ok->setToolTip(QString::fromUtf8("選んだフォルダ・ファイルで作業を続けます（［F12］ｷｰ）"));
    m_cancel = new QPushButton(QIcon(ButtonPicture(2, QSize(22, 22))), QString::fromUtf8("中　止"), this);
    m_cancel->setToolTip(QString::fromUtf8("作業を中止します（［ESC］ｷｰ）"));
    m_newFolder = new QPushButton(QString::fromUtf8("新しいフォルダ(&N)"), this);
    m_newFolder->setToolTip(QString::fromUtf8("表示中のフォルダの中にフォルダを作ります（［F7］ｷｰ）"));
    for (QPushButton* b : {m_ok, m_cancel}) {
        b->setIconSize(QSize(22, 22));
        b->setAutoDefault(false);
    }
    m_newFolder->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &frmFILE::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_newFolder, &QPushButton::clicked, this, &frmFILE::makeFolder);

    setTabOrder(m_drive, m_dirs);
    setTabOrder(m_dirs, m_files);
    setTabOrder(m_files, m_ok);
    setTabOrder(m_ok, m_cancel);
    setTabOrder(m_cancel, m_newFolder);
    for (QWidget* w : std::initializer_list<QWidget*>{m_drive, m_dirs, m_files, m_ok, m_cancel, m_newFolder})
        w->installEventFilter(this);
    // The window's colours, and an edge that shows which list or button has the focus.
    UseProgramColours(this);
}

bool frmFILE::setFolder(const QString& folder) {
    const QString path = cleanFolder(folder);
    if (!canEnter(path)) return false;
    m_path = path;

    // The way from the drive's top down to the folder, then the folders in it.
    const int v = VolumeOf(path.toStdString(), m_volumes);
    const QString root = v >= 0 ? qs(m_volumes[static_cast<size_t>(v)].root) : QStringLiteral("/");
    QStringList way{root};
    if (path != root) {
        const QString rest = root == QStringLiteral("/") ? path.mid(1) : path.mid(root.size() + 1);
        QString at = root;
        for (const QString& part : rest.split(u'/', Qt::SkipEmptyParts)) {
            at = at == QStringLiteral("/") ? at + part : at + u'/' + part;
            way << at;
        }
    }
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    m_dirs->clear();
    for (int i = 0; i < way.size(); ++i) {
        const QString text = i == 0 ? root : QFileInfo(way[i]).fileName();
        auto* item = new QListWidgetItem(open, QString(2 * i, u' ') + text, m_dirs);
        item->setData(Qt::UserRole, way[i]);
    }
    const QFileInfoList subs =
        QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& fi : subs) {
        auto* item = new QListWidgetItem(closed, QString(2 * way.size(), u' ') + fi.fileName(), m_dirs);
        item->setData(Qt::UserRole, cleanFolder(fi.absoluteFilePath()));
    }
    m_dirs->setCurrentRow(static_cast<int>(way.size()) - 1);
    showDriveOf(path);

    m_files->clear();
    std::vector<std::string> names;
    ListFiles(path.toStdString(), m_pattern.toStdString(), names);
    for (const std::string& n : names)
        m_files->addItem(qs(n));
    return true;
}

void frmFILE::openHighlighted() {
    QListWidgetItem* item = m_dirs->currentItem();
    if (!item) return;
    const QString folder = item->data(Qt::UserRole).toString();
    if (folder == m_path) return;
    if (!setFolder(folder)) {
        // A folder that cannot be read is not entered: the highlight returns to the current one.
        QApplication::beep();
        for (int i = 0; i < m_dirs->count(); ++i)
            if (m_dirs->item(i)->data(Qt::UserRole).toString() == m_path) m_dirs->setCurrentRow(i);
    }
}

void frmFILE::showDriveOf(const QString& folder) {
    const int v = VolumeOf(folder.toStdString(), m_volumes);
    const QSignalBlocker block(m_drive);
    m_drive->setCurrentIndex(v);
}

void frmFILE::chooseDrive(int index) {
    const QString root = m_drive->itemData(index).toString();
    if (root.isEmpty() || !setFolder(root)) {
        // A drive that cannot be read: back to the drive of the current folder.
        QApplication::beep();
        showDriveOf(m_path);
    }
}

void frmFILE::confirm() {
    openHighlighted();
    m_confirmed = true;
    accept();
}

bool frmFILE::typeAhead(QListWidget* list, const QString& typed) {
    // Letters typed within the desktop's keyboard interval make one prefix, looked for from the
    // highlighted name on; a new prefix, or the same single letter again, from the name after it.
    if (list != m_typedIn || !m_typedAt.isValid() || m_typedAt.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_typedIn = list;
    m_typedAt.restart();
    const bool again = m_typed.compare(typed, Qt::CaseInsensitive) == 0 && typed.size() == 1;
    const bool fresh = m_typed.isEmpty();
    if (!again) m_typed += typed;
    const int n = list->count();
    const int current = list->currentRow();
    const int first = current < 0 ? 0 : current + (again || fresh ? 1 : 0);
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        if (!list->item(i)->text().trimmed().startsWith(m_typed, Qt::CaseInsensitive)) continue;
        // Files chosen with Shift or Ctrl stay chosen; the highlight alone moves.
        const auto how = list->selectionMode() == QAbstractItemView::ExtendedSelection
                             ? QItemSelectionModel::NoUpdate
                             : QItemSelectionModel::ClearAndSelect;
        list->setCurrentRow(i, how);
        return true;
    }
    return false;
}

void frmFILE::makeFolder() {
    // A folder only highlighted is the one the new folder goes into, as it is the one taken.
    openHighlighted();
    const QString title = QString::fromUtf8("新しいフォルダ");
    QInputDialog ask(this);
    ask.setWindowTitle(title);
    ask.setLabelText(m_path + QString::fromUtf8("\nの中に作るフォルダの名前を入力してください。"));
    ask.setTextValue(title);
    ask.setOkButtonText(QString::fromUtf8("作　成"));
    ask.setCancelButtonText(QString::fromUtf8("中　止"));
    UseProgramColours(&ask);
    // The chooser takes the focus back from the windows opened here, on the control that had it.
    const QPointer<QWidget> back = QApplication::focusWidget();
    auto comeBack = [this](QWidget* to) {
        activateWindow();
        if (to) to->setFocus();
    };
    if (ask.exec() != QDialog::Accepted) {
        comeBack(back);
        return;
    }
    const QString name = ask.textValue().trimmed();
    QString problem;
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..") || name.contains(u'/'))
        problem = QString::fromUtf8("フォルダの名前に使えません。\n（空欄、「.」「..」、「/」を含む名前）");
    else if (QFileInfo::exists(m_path + u'/' + name))
        problem = QString::fromUtf8("同じ名前のフォルダまたはファイルがあります。");
    else if (!QDir(m_path).mkdir(name))
        problem = QString::fromUtf8("フォルダを作れませんでした。\n") + m_path + u'/' + name;
    if (!problem.isEmpty())
        frmMSG(this, 0).MsgOK(problem, title);
    else
        setFolder(m_path + u'/' + name);
    comeBack(m_dirs);
}

bool frmFILE::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        if (k->key() == Qt::Key_Escape) {
            reject();
            return true;
        }
        if (k->key() == Qt::Key_F12 || (enter && (watched == m_ok || watched == m_files))) {
            confirm();
            return true;
        }
        if (enter && watched == m_cancel) {
            reject();
            return true;
        }
        if (enter && watched == m_dirs) {
            openHighlighted();
            return true;
        }
        if (enter && watched == m_drive) {
            m_dirs->setFocus();
            return true;
        }
        if (k->key() == Qt::Key_F7) {
            makeFolder();
            return true;
        }
        const bool plain = !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if ((watched == m_dirs || watched == m_files) && plain && !k->text().isEmpty() && k->text()[0].isPrint() &&
            !k->text()[0].isSpace()) {
            if (!typeAhead(static_cast<QListWidget*>(watched), k->text())) QApplication::beep();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && watched == m_dirs) {
        openHighlighted();
    }
    return QDialog::eventFilter(watched, event);
}

void frmFILE::layoutWindow(bool withFiles) {
    const QFontMetrics fm(font());
    const int lh = fm.height();
    const int side = px(400);
    m_fileLabel->setVisible(withFiles);
    m_files->setVisible(withFiles);
    const int listsW = withFiles ? 2 * kListW + side : kListW;
    const int bw = std::max(m_ok->sizeHint().width(), m_cancel->sizeHint().width()) + 16;
    const QSize msgSize = fm.size(0, m_msg->text());
    int width = std::max(listsW + 2 * side, 2 * bw + px(600) + 20);
    if (withFiles)
        width = std::max(width, msgSize.width() + px(500));
    else
        width = std::max(width, msgSize.width() + 2 * lh);

    int y = lh / 2 + 2;
    m_msg->setGeometry(0, y, width, msgSize.height() + 4);
    y += msgSize.height() + lh;
    const int left = (width - listsW) / 2;
    const int top = y;
    m_driveLabel->setGeometry(left, y, kListW, lh + 2);
    y += lh + 4;
    m_drive->setGeometry(left, y, kListW, lh + 10);
    y += lh + 18;
    m_dirLabel->setGeometry(left, y, kListW, lh + 2);
    y += lh + 4;
    m_dirs->setGeometry(left, y, kListW, kListH);
    y += kListH + 6;
    m_newFolder->setGeometry(left, y, kListW, lh + 12);
    if (withFiles) {
        const int fx = left + kListW + side;
        m_fileLabel->setGeometry(fx, top, kListW, lh + 2);
        m_files->setGeometry(fx, top + lh + 4, kListW, y + lh + 12 - (top + lh + 4));
    }
    y += lh + 12 + lh;
    m_ok->setGeometry(width / 2 - 10 - bw, y, bw, kButtonH);
    m_cancel->setGeometry(width / 2 + 10, y, bw, kButtonH);
    y += kButtonH + lh;
    setFixedSize(width, y);
    QScreen* scr = QGuiApplication::primaryScreen();
    const QRect screen = scr ? scr->availableGeometry() : QRect(0, 0, 1024, 768);
    move(screen.x() + (screen.width() - width) / 2, screen.y() + (screen.height() - y) / 2);
}

int frmFILE::GetDirName(const QString& ttl, const QString& msg, QString& path) {
    const QString start = qs(StartFolderFor(path.toStdString(), m_volumes, m_userHome.toStdString()));
    if (!setFolder(start) && !setFolder(m_userHome)) setFolder(QStringLiteral("/"));
    setWindowTitle(ttl);
    m_msg->setText(plainLines(msg));
    layoutWindow(false);
    m_confirmed = false;
    m_dirs->setFocus();
    exec();
    if (!m_confirmed) return -1;
    path = m_path;
    return 0;
}

int frmFILE::GetFileName(const QString& ttl, const QString& msg, const QString& ptn, int mode, QString& path,
                         QStringList& files) {
    m_pattern = ptn.isEmpty() ? QStringLiteral("*.*") : ptn;
    QString start = path.isEmpty() ? QDir::currentPath() : path;
    if (start.size() >= 2 && start[1] == u':')
        start = qs(StartFolderFor(start.toStdString(), m_volumes, m_userHome.toStdString()));
    if (!setFolder(start)) return -1;
    auto listed = [this] {
        QStringList names;
        for (int i = 0; i < m_files->count(); ++i)
            names << m_files->item(i)->text();
        return names;
    };
    if (mode == 2) {
        files = listed();
        path = m_path;
        return files.isEmpty() ? -1 : 0;
    }
    setWindowTitle(ttl);
    m_msg->setText(plainLines(msg));
    m_files->setSelectionMode(mode == 1 ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    layoutWindow(true);
    m_confirmed = false;
    m_files->setFocus();
    exec();
    if (!m_confirmed) return -1;
    QStringList chosen;
    if (mode == 1) {
        // The highlighted file, also the first one the list highlights when it takes the focus.
        if (QListWidgetItem* item = m_files->currentItem()) chosen << item->text();
    } else {
        for (int i = 0; i < m_files->count(); ++i)
            if (m_files->item(i)->isSelected()) chosen << m_files->item(i)->text();
    }
    if (chosen.isEmpty()) return -1;
    path = m_path;
    files = chosen;
    return 0;
}

} // namespace mrt
