#pragma once
#include "backup/Volumes.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace mrt {

// The folder and file chooser: a drive list (home folder, removable media, other disks, the
// whole tree), a folder list showing the way from the drive's top to the current folder and the
// folders in it, a file list filtered by a pattern, a prompt and two buttons. Folders are
// returned without a trailing "/" (the root is "/").
//
// Keys: in the folder list Up/Down highlight a folder and Enter opens it; leaving the list opens
// the highlighted folder too, so a folder only highlighted is the one taken. Letters typed in
// either list highlight the next name starting with them. F7 (or the button) makes a new folder
// in the current one and opens it. Enter in the file list or on the confirm button, or F12
// anywhere, confirms; Esc cancels.
class frmFILE : public QDialog {
    Q_OBJECT
public:
    explicit frmFILE(QWidget* owner, const VolumeSources& sources = SystemVolumeSources());

    // path: start folder in ("a:" = the first removable medium; one that cannot be entered = the
    // user's home folder), chosen folder out. 0 chosen, -1 cancelled (path unchanged).
    int GetDirName(const QString& ttl, const QString& msg, QString& path);
    // mode 0 = any number of files, 1 = one file, 2 = every matching file without showing the
    // window. Files of 0 bytes are not listed. A start folder that cannot be entered gives -1 at
    // once. 0 = at least one file (path = its folder, files = names in list order), -1 otherwise.
    int GetFileName(const QString& ttl, const QString& msg, const QString& ptn, int mode, QString& path,
                    QStringList& files);

    // Controls, for the windows' tests.
    QComboBox* DriveList() const { return m_drive; }
    QListWidget* DirList() const { return m_dirs; }
    QListWidget* FileList() const { return m_files; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* NewFolderButton() const { return m_newFolder; }
    QLabel* Prompt() const { return m_msg; }
    // The folder list's current folder.
    QString CurrentFolder() const { return m_path; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Makes `folder` the folder list's current folder; false (nothing changed) when it cannot be read.
    bool setFolder(const QString& folder);
    void openHighlighted();
    void chooseDrive(int index);
    void showDriveOf(const QString& folder);
    void layoutWindow(bool withFiles);
    void confirm();
    // Highlights the next name in `list` that starts with the letters typed so far; false when none does.
    bool typeAhead(QListWidget* list, const QString& typed);
    // Asks for a name, makes that folder in the current one and opens it.
    void makeFolder();

    std::vector<Volume> m_volumes;
    QString m_userHome;
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    QComboBox* m_drive;
    QLabel* m_driveLabel;
    QLabel* m_dirLabel;
    QLabel* m_fileLabel;
    QListWidget* m_dirs;
    QListWidget* m_files;
    QLabel* m_msg;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_newFolder;
    bool m_confirmed = false;
    // The letters typed in a list in quick succession, the list and when the last one came.
    QString m_typed;
    QListWidget* m_typedIn = nullptr;
    QElapsedTimer m_typedAt;
};

} // namespace mrt
