#include "util/FileBatch.h"

#include "util/CommitGate.h"
#include "util/CommitJournal.h"
#include "util/FileSystem.h"
#include "util/Paths.h"
#include "util/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace mrt {
namespace {

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Link errors of file systems without hard links; the undo copy is then written out instead.
bool linkUnsupported(int e) {
    return e == EPERM || e == EOPNOTSUPP || e == ENOSYS || e == EMLINK || e == EXDEV;
}

} // namespace

namespace {

bool blockedAt(const std::string& folder) {
    // A journal this process left after a finished commit may be written over; any other must be
    // dealt with by the next start.
    FolderMark mark = MarkOf(folder);
    bool staleJournalOnly = mark == FolderMark::FinishedJournalLeft && !exists(folder + kRollbackJournalName);
    return mark == FolderMark::NeedsRecovery || (HasOwnUnfinishedCommit(folder) && !staleJournalOnly);
}

// The part of `path` after `root` when it lies in or below it ("" for root itself); both end in "/".
bool below(const std::string& root, const std::string& path, std::string& rest) {
    if (path.compare(0, root.size(), root) == 0) {
        rest = path.substr(root.size());
    } else if (root == "./" && !path.empty() && path[0] != '/') {
        rest = path;
    } else {
        return false;
    }
    while (rest.compare(0, 2, "./") == 0)
        rest.erase(0, 2);
    return rest.find("../") == std::string::npos && rest.find("/./") == std::string::npos;
}

} // namespace

bool CommitsBlocked(const std::string& folderIn) {
    const std::string folder = folderIn.empty() ? "./" : folderIn.back() == '/' ? folderIn : folderIn + "/";
    if (blockedAt(folder)) return true;
    const std::string home = HomeOfDataFolder(folder);
    return !home.empty() && blockedAt(home);
}

void FileBatch::SpanFolders(const std::string& root) {
    if (!m_entries.empty()) return;
    m_folder = root.empty() ? "./" : root.back() == '/' ? root : root + "/";
    m_span = true;
}

std::vector<std::string> FileBatch::touchedFolders() const {
    std::vector<std::string> r{m_folder};
    for (const Entry& e : m_entries) {
        size_t slash = e.target.rfind('/');
        if (slash == std::string::npos) continue;
        std::string f = m_folder + e.target.substr(0, slash + 1);
        if (std::find(r.begin(), r.end(), f) == r.end()) r.push_back(f);
    }
    return r;
}

FileBatch::~FileBatch() {
    Abort();
}

FileBatch::Entry* FileBatch::entryFor(const std::string& path, std::string& error) {
    std::string folder, name;
    SplitPath(path, folder, name);
    if (folder.empty()) folder = "./";
    if (name.empty() || name.find('\n') != std::string::npos) {
        error = "ファイル名が正しくありません。(" + path + ")";
        return nullptr;
    }
    if (m_span) {
        std::string sub;
        if (!below(m_folder, folder, sub)) {
            error = "一度に保存するファイルが別のフォルダにあります。(" + path + ")";
            return nullptr;
        }
        name = sub + name;
        if (m_entries.empty()) m_tag = NewTag();
    } else if (m_entries.empty()) {
        m_folder = folder;
        m_tag = NewTag();
    } else if (folder != m_folder) {
        error = "一度に保存するファイルが別のフォルダにあります。(" + path + ")";
        return nullptr;
    }
    for (Entry& e : m_entries)
        if (e.target == name) return &e;
    m_entries.push_back(Entry{name});
    return &m_entries.back();
}

const FileBatch::Entry* FileBatch::findEntry(const std::string& path) const {
    std::string folder, name;
    SplitPath(path, folder, name);
    if (folder.empty()) folder = "./";
    if (m_span) {
        std::string sub;
        if (!below(m_folder, folder, sub)) return nullptr;
        name = sub + name;
    } else if (folder != m_folder) {
        return nullptr;
    }
    for (const Entry& e : m_entries)
        if (e.target == name) return &e;
    return nullptr;
}

void FileBatch::dropStaged(Entry& e) {
    if (e.fd >= 0) Fs().Close(e.fd);
    e.fd = -1;
    if (e.staged) Fs().Remove(m_folder + StagedName(e.target, m_tag));
    e.staged = false;
}

bool FileBatch::Stage(const std::string& path, std::string_view data, std::string& error) {
    Entry* e = entryFor(path, error);
    if (!e) return false;
    // A staging of the same path before is written over.
    int previous = e->fd;
    e->fd = -1;
    e->remove = false;
    e->staged = true;
    const std::string staged = m_folder + StagedName(e->target, m_tag);
    int fd = previous < 0 || Fs().Close(previous) == 0 ? Fs().OpenForWrite(staged) : -1;
    if (fd >= 0) {
        e->fd = fd;
        // The disk starts on the bytes now, so the commit's flushes find them mostly written.
        if (Fs().Write(fd, data.data(), data.size()) == 0 && Fs().StartFlush(fd) == 0) return true;
    }
    error = e->target + ": " + SystemErrorText(errno);
    dropStaged(*e);
    std::string target = e->target;
    std::erase_if(m_entries, [&](const Entry& x) { return x.target == target; });
    return false;
}

bool FileBatch::StageRemoval(const std::string& path, std::string& error) {
    Entry* e = entryFor(path, error);
    if (!e) return false;
    dropStaged(*e);
    e->remove = true;
    return true;
}

std::string FileBatch::StagedFile(const std::string& path) const {
    const Entry* e = findEntry(path);
    return e && e->staged ? m_folder + StagedName(e->target, m_tag) : std::string();
}

std::vector<std::string> FileBatch::Targets() const {
    std::vector<std::string> names;
    for (const Entry& e : m_entries)
        names.push_back(e.target);
    return names;
}

bool FileBatch::RemovalStaged(const std::string& path) const {
    const Entry* e = findEntry(path);
    return e && e->remove;
}

void FileBatch::Abort() {
    for (Entry& e : m_entries) {
        dropStaged(e);
        if (e.undoMade) Fs().Remove(m_folder + UndoName(e.target, m_tag));
    }
    m_entries.clear();
}

bool FileBatch::fail(std::string& error, const std::string& what) {
    error = (what.empty() ? std::string() : what + ": ") + SystemErrorText(errno);
    Abort();
    return false;
}

bool FileBatch::makeUndo(Entry& e, std::string& error) {
    const std::string target = m_folder + e.target;
    const std::string undo = m_folder + UndoName(e.target, m_tag);
    e.undoMade = true;
    if (Fs().Link(target, undo) == 0) return true;
    if (!linkUnsupported(errno)) {
        error = e.target + ": " + SystemErrorText(errno);
        return false;
    }
    std::string old;
    if (!ReadWholeFile(target, old)) {
        error = e.target + ": " + SystemErrorText(errno);
        return false;
    }
    int fd = Fs().OpenForWrite(undo);
    bool ok = fd >= 0 && Fs().Write(fd, old.data(), old.size()) == 0 && Fs().Flush(fd) == 0;
    if (!ok) error = e.target + ": " + SystemErrorText(errno);
    if (fd >= 0 && Fs().Close(fd) != 0 && ok) {
        error = e.target + ": " + SystemErrorText(errno);
        ok = false;
    }
    return ok;
}

bool FileBatch::Commit(std::string& error) {
    if (m_entries.empty()) return true;
    const std::string& folder = m_folder;
    const std::vector<std::string> folders = touchedFolders();
    if (std::any_of(folders.begin(), folders.end(), [](const std::string& f) { return CommitsBlocked(f); })) {
        error = kUnfinishedCommitMessage;
        Abort();
        return false;
    }

    // 1. The staged files become durable, each on its own: their writing began when they were
    // staged, and nothing else on the disk is waited for.
    if (!flushStaged(error)) return false;

    // 2. Each existing target gets a second name, so a failure can put it back.
    std::erase_if(m_entries, [&](const Entry& e) { return e.remove && !exists(folder + e.target); });
    if (m_entries.empty()) return true;
    for (Entry& e : m_entries) {
        e.hadOld = exists(folder + e.target);
        if (e.hadOld && !makeUndo(e, error)) {
            std::string why = error;
            Abort();
            error = why;
            return false;
        }
    }

    // Readers of other programs wait from here until the targets are replaced or put back.
    CommitSection section;

    // 3. The journal, and one folder sync for it, the staged files and the undo names.
    const bool journaled = m_entries.size() > 1 || m_entries[0].remove;
    Journal journal{m_tag, {}, m_span};
    for (const Entry& e : m_entries)
        journal.entries.push_back({e.remove, e.hadOld, e.target});
    if (journaled) {
        const std::string path = folder + kCommitJournalName;
        const std::string bytes = EncodeJournal(journal);
        int fd = Fs().OpenForWrite(path);
        bool ok = fd >= 0 && Fs().Write(fd, bytes.data(), bytes.size()) == 0 && Fs().Flush(fd) == 0;
        int saved = errno;
        if (fd >= 0 && Fs().Close(fd) != 0 && ok) {
            ok = false;
            saved = errno;
        }
        // The subfolders' staged and undo names first, the journal's folder last: once the
        // journal is durable, so is everything it names.
        for (size_t i = folders.size(); ok && i-- > 0;) {
            if (Fs().SyncFolder(folders[i]) != 0) {
                ok = false;
                saved = errno;
            }
        }
        if (!ok) {
            // No target was touched: without its journal the commit is simply not there.
            Fs().Remove(path);
            errno = saved;
            return fail(error, kCommitJournalName);
        }
    }

    // 4. The renames and removals, and the folder sync that makes them durable.
    int r = RollForward(folder, journal, journaled ? kCommitJournalName : "", error);
    if (r < 0) return rollBackNow(journaled, error);
    for (Entry& e : m_entries)
        e.staged = e.undoMade = false;
    m_entries.clear();
    if (journaled) SetMark(folder, r == 0 ? FolderMark::None : FolderMark::FinishedJournalLeft);
    error.clear();
    return true;
}

bool FileBatch::flushStaged(std::string& error) {
    for (Entry& e : m_entries)
        if (e.staged && Fs().Flush(e.fd) != 0) return fail(error, e.target);
    for (Entry& e : m_entries) {
        if (e.fd < 0) continue;
        int r = Fs().Close(e.fd);
        e.fd = -1;
        if (r != 0) return fail(error, e.target);
    }
    return true;
}

bool FileBatch::CommitInOrder(std::string& error) {
    if (m_entries.size() <= 1) return Commit(error);
    for (const Entry& e : m_entries)
        if (e.remove) return Commit(error);
    const std::string& folder = m_folder;
    if (CommitsBlocked(folder)) {
        error = kUnfinishedCommitMessage;
        Abort();
        return false;
    }
    if (!flushStaged(error)) return false;
    for (Entry& e : m_entries) {
        e.hadOld = exists(folder + e.target);
        if (e.hadOld && !makeUndo(e, error)) {
            std::string why = error;
            Abort();
            error = why;
            return false;
        }
    }
    CommitSection section;
    // Each rename is a commit of one file; a crash between two leaves a sound folder, and the
    // temporary files go at the next start.
    for (const Entry& e : m_entries) {
        if (Fs().Rename(folder + StagedName(e.target, m_tag), folder + e.target) != 0 || Fs().SyncFolder(folder) != 0) {
            const std::string why = e.target + ": " + SystemErrorText(errno);
            // Put back from the last to the first, each durable before the one before it, so
            // that every state on the way is sound as well.
            std::string undoError;
            bool undone = true;
            for (size_t i = m_entries.size(); i-- > 0;) {
                Entry& x = m_entries[i];
                x.staged = x.undoMade = false;
                if (undone && RollBack(folder, Journal{m_tag, {{false, x.hadOld, x.target}}}, "", undoError) != 0)
                    undone = false;
            }
            m_entries.clear();
            if (!undone) {
                SetMark(folder, FolderMark::NeedsRecovery);
                error = std::string(kCommitNotUndoneMessage) + "\r\n" + why + " / " + undoError;
            } else {
                error = why;
            }
            return false;
        }
    }
    for (Entry& e : m_entries) {
        if (e.hadOld) Fs().Remove(folder + UndoName(e.target, m_tag));
        e.staged = e.undoMade = false;
    }
    m_entries.clear();
    error.clear();
    return true;
}

bool FileBatch::rollBackNow(bool journaled, std::string& error) {
    const std::string& folder = m_folder;
    const std::string why = error;
    Journal journal{m_tag, {}, m_span};
    for (const Entry& e : m_entries)
        journal.entries.push_back({e.remove, e.hadOld, e.target});
    for (Entry& e : m_entries)
        e.staged = e.undoMade = false; // RollBack deals with them now
    m_entries.clear();
    std::string undoError;
    int r = -1;
    if (!journaled) {
        r = RollBack(folder, journal, "", undoError);
    } else if (Fs().Rename(folder + kCommitJournalName, folder + kRollbackJournalName) == 0) {
        // The renamed journal marks the commit as being undone, should the undoing be cut short.
        Fs().SyncFolder(folder);
        r = RollBack(folder, journal, kRollbackJournalName, undoError);
    } else {
        undoError = SystemErrorText(errno);
    }
    if (r < 0 && journaled) SetMark(folder, FolderMark::NeedsRecovery);
    if (r == 1) SetMark(folder, FolderMark::NeedsRecovery); // the rollback journal is still there
    error = r < 0 ? std::string(kCommitNotUndoneMessage) + "\r\n" + why + " / " + undoError : why;
    return false;
}

} // namespace mrt
