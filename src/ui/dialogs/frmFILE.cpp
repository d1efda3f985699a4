#include "ui/dialogs/frmFILE.h"

#include "ui/dialogs/Fonts.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <algorithm>

namespace mrt {

namespace {
constexpr int kListW = 240;
constexpr int kListH = 220;

QString cleanFolder(const QString& path) {
    QString p = QDir::cleanPath(QDir(path).absolutePath());
    return p.isEmpty() ? QStringLiteral("/") : p;
}
} // namespace

frmFILE::frmFILE(QWidget* owner) : QDialog(owner) {
    setFont(UiFont(PGothicFace(), 10));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
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
    // One file system, one root: the drive list only names it.
    m_drive = new QComboBox(this);
    m_drive->addItem(QStringLiteral("/"));

    m_fsModel = new QFileSystemModel(this);
    m_fsModel->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_fsModel->setRootPath(QStringLiteral("/"));
    m_dirs = new QTreeView(this);
    m_dirs->setModel(m_fsModel);
    for (int c = 1; c < m_fsModel->columnCount(); ++c)
        m_dirs->hideColumn(c);
    m_dirs->header()->hide();
    m_dirs->setRootIndex(m_fsModel->index(QStringLiteral("/")));
    connect(m_dirs->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { refreshFiles(); });

    m_files = new QListWidget(this);

    const QString style = QStringLiteral("QPushButton { background-color: rgb(176,202,153); border: 1px solid "
                                         "rgb(110,130,95); border-radius: 3px; padding: 3px; }"
                                         "QPushButton:focus { border: 2px solid rgb(60,90,50); }");
    m_ok = new QPushButton(QString::fromUtf8("選択確定"), this);
    m_cancel = new QPushButton(QString::fromUtf8("中  　止"), this);
    for (QPushButton* b : {m_ok, m_cancel}) {
        b->setStyleSheet(style);
        b->setAutoDefault(true);
    }
    connect(m_ok, &QPushButton::clicked, this, [this] {
        m_confirmed = true;
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_confirmed = false;
        reject();
    });
}

QStringList frmFILE::MatchingFiles(const QString& folder, const QString& ptn) {
    QDir dir(folder);
    const QStringList filters = ptn.isEmpty() ? QStringList{QStringLiteral("*")} : ptn.split(u';', Qt::SkipEmptyParts);
    // Without QDir::CaseSensitive the name filters ignore letter case.
    return dir.entryList(filters, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
}

QString frmFILE::CurrentFolder() const {
    const QModelIndex index = m_dirs->currentIndex();
    return index.isValid() ? cleanFolder(m_fsModel->filePath(index)) : QStringLiteral("/");
}

void frmFILE::SetCurrentFolder(const QString& folder) {
    const QModelIndex index = m_fsModel->index(cleanFolder(folder));
    m_dirs->setCurrentIndex(index);
    m_dirs->scrollTo(index);
    m_dirs->expand(index);
    refreshFiles();
}

void frmFILE::refreshFiles() {
    m_files->clear();
    m_files->addItems(MatchingFiles(CurrentFolder(), m_pattern));
}

void frmFILE::layoutWindow(bool withFiles) {
    const QFontMetrics fm(font());
    const int lh = fm.height();
    const int margin = 27; // 400 twips beside each list
    m_fileLabel->setVisible(withFiles);
    m_files->setVisible(withFiles);
    const int listsW = withFiles ? 2 * kListW + margin : kListW;
    const int bw = std::max(fm.horizontalAdvance(m_ok->text()), fm.horizontalAdvance(m_cancel->text())) + 2 * lh;
    int width = std::max({listsW + 2 * margin, 2 * bw + 40, fm.horizontalAdvance(m_msg->text()) + 34});
    int y = lh / 2;
    m_msg->setGeometry(0, y, width, lh + 4);
    y += lh + 10;
    const int left = (width - listsW) / 2;
    m_driveLabel->setGeometry(left, y, kListW, lh);
    y += lh + 2;
    m_drive->setGeometry(left, y, kListW, lh + 8);
    y += lh + 14;
    m_dirLabel->setGeometry(left, y, kListW, lh);
    if (withFiles) m_fileLabel->setGeometry(left + kListW + margin, y, kListW, lh);
    y += lh + 2;
    m_dirs->setGeometry(left, y, kListW, kListH);
    if (withFiles) m_files->setGeometry(left + kListW + margin, y, kListW, kListH);
    y += kListH + lh;
    m_ok->setGeometry(width / 2 - 10 - bw, y, bw, lh + 12);
    m_cancel->setGeometry(width / 2 + 10, y, bw, lh + 12);
    y += lh + 12 + lh;
    setFixedSize(width, y);
    QScreen* scr = QGuiApplication::primaryScreen();
    const QRect screen = scr ? scr->geometry() : QRect(0, 0, 1024, 768);
    move(screen.x() + (screen.width() - width) / 2, screen.y() + (screen.height() - y) / 2);
}

int frmFILE::GetDirName(const QString& ttl, const QString& msg, QString& path) {
    QString start = path.isEmpty() ? QDir::currentPath() : path;
    if (!QFileInfo(start).isDir()) start = QDir::currentPath(); // the home folder
    setWindowTitle(ttl);
    m_msg->setText(msg);
    m_pattern = QStringLiteral("*");
    SetCurrentFolder(start);
    layoutWindow(false);
    m_confirmed = false;
    m_dirs->setFocus();
    exec();
    if (!m_confirmed) return -1;
    path = CurrentFolder();
    return 0;
}

int frmFILE::GetFileName(const QString& ttl, const QString& msg, const QString& ptn, int mode, QString& path,
                         QStringList& files) {
    const QString start = path.isEmpty() ? QDir::currentPath() : path;
    if (!QFileInfo(start).isDir() || !QDir(start).isReadable()) return -1;
    m_pattern = ptn.isEmpty() ? QStringLiteral("*") : ptn;
    if (mode == 2) {
        files = MatchingFiles(start, m_pattern);
        path = cleanFolder(start);
        return files.isEmpty() ? -1 : 0;
    }
    setWindowTitle(ttl);
    m_msg->setText(msg);
    m_files->setSelectionMode(mode == 1 ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    SetCurrentFolder(start);
    layoutWindow(true);
    m_confirmed = false;
    m_files->setFocus();
    exec();
    if (!m_confirmed) return -1;
    QStringList chosen;
    if (mode == 1) {
        if (QListWidgetItem* item = m_files->currentItem(); item && item->isSelected()) chosen << item->text();
    } else {
        for (int i = 0; i < m_files->count(); ++i)
            if (m_files->item(i)->isSelected()) chosen << m_files->item(i)->text();
    }
    if (chosen.isEmpty()) return -1;
    path = CurrentFolder();
    files = chosen;
    return 0;
}

void frmFILE::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        m_confirmed = false;
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace mrt
