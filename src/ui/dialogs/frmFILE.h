#pragma once
#include <QDialog>
#include <QStringList>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace mrt {

// The folder and file chooser: a folder tree, a file list filtered by a pattern, a prompt and
// two buttons. Folders are returned without a trailing "/" (the root is "/").
class frmFILE : public QDialog {
    Q_OBJECT
public:
    explicit frmFILE(QWidget* owner);

    // path: start folder in (empty = the current folder; one that cannot be entered = the
    // current folder), chosen folder out. 0 chosen, -1 cancelled (path unchanged).
    int GetDirName(const QString& ttl, const QString& msg, QString& path);
    // mode 0 = any number of files, 1 = one file, 2 = every matching file without showing the
    // window. A start folder that cannot be entered gives -1 at once. 0 = at least one file
    // (path = its folder, files = names in list order), -1 otherwise.
    int GetFileName(const QString& ttl, const QString& msg, const QString& ptn, int mode, QString& path,
                    QStringList& files);

    // Names of the files in `folder` matching `ptn` ("*.usr", "Io*.usr;Inf*.usr"; letter case
    // ignored), sorted by name.
    static QStringList MatchingFiles(const QString& folder, const QString& ptn);

    // Controls, for the windows' tests.
    QTreeView* DirList() const { return m_dirs; }
    QListWidget* FileList() const { return m_files; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QLabel* Prompt() const { return m_msg; }
    // Folder highlighted in the folder list.
    QString CurrentFolder() const;
    // Highlights a folder in the folder list (the file list follows).
    void SetCurrentFolder(const QString& folder);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void layoutWindow(bool withFiles);
    void refreshFiles();

    QFileSystemModel* m_fsModel;
    QComboBox* m_drive;
    QLabel* m_driveLabel;
    QLabel* m_dirLabel;
    QLabel* m_fileLabel;
    QTreeView* m_dirs;
    QListWidget* m_files;
    QLabel* m_msg;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QString m_pattern = QStringLiteral("*");
    bool m_confirmed = false;
};

} // namespace mrt
