#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

// Replaces and removes several files of one folder together: all of them or none, across a
// failed call, a crash or a power cut alike. Stage writes the new content of a file beside it
// under a temporary name and starts its writing to the disk; Commit flushes the staged files,
// writes the commit journal (CommitJournal.h) and syncs the folder, renames the staged files over
// their targets and removes the targets marked for removal, syncs the folder again and removes
// the journal. A failure after the first rename puts the old files back at once (each replaced
// target keeps a second name until the end); a crash is finished or undone by RecoverDataFolder
// at the next start. A batch of one replaced file needs no journal: its rename is the commit. Until Commit
// nothing visible changes; a batch dropped without Commit removes its temporary files. Every
// call goes through Fs().
class FileBatch {
public:
    FileBatch() = default;
    ~FileBatch();
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Lets the paths of this batch lie in `root` and in any folder below it (the books of a home):
    // the journal is then written in `root`, and every folder the commit touches is synced. Called
    // before the first Stage.
    void SpanFolders(const std::string& root);

    // Writes the staged content of `path`, replacing an earlier staging or removal of the same
    // path. The paths of one batch lie in one folder. False with `error` set when it could not be
    // written (the batch should then be dropped).
    bool Stage(const std::string& path, std::string_view data, std::string& error);
    // Marks `path` for removal by the commit, dropping its staged content. A path that does not
    // exist at the commit is left out. False with `error` set (another folder, say).
    bool StageRemoval(const std::string& path, std::string& error);
    // False with `error` set when the commit failed: the files are then as they were before it.
    // The one exception is a failure that could not be undone either: the error says so, and the
    // folder takes no further commit until RecoverDataFolder has run (at the next start).
    bool Commit(std::string& error);
    // Commits the staged files one after another in the order they were first staged, each
    // durable before the next is renamed, without a journal: for a caller that knows the folder
    // holds a sound state after every first part of the renames (a new file that only adds what
    // the old files beside it do not point to yet, then the file that points to it). A batch with
    // a removal, or of one file, is committed as Commit does. On failure the files already
    // renamed are put back.
    bool CommitInOrder(std::string& error);
    size_t Count() const { return m_entries.size(); }
    // The file names (without folder) in the order they were first staged.
    std::vector<std::string> Targets() const;
    // Removes the temporary files without touching the targets.
    void Abort();

    bool Empty() const { return m_entries.empty(); }
    // The temporary file holding the staged content of `path`; empty when it is not staged.
    std::string StagedFile(const std::string& path) const;
    // True when `path` is marked for removal.
    bool RemovalStaged(const std::string& path) const;

private:
    struct Entry {
        std::string target; // file name inside m_folder ("<subfolder>/<name>" when spanning)
        bool remove = false;
        bool staged = false;   // the staged file may exist
        int fd = -1;           // the staged file, open until Commit makes it durable
        bool hadOld = false;   // the target existed when the commit began
        bool undoMade = false; // the undo copy may exist
    };
    Entry* entryFor(const std::string& path, std::string& error);
    const Entry* findEntry(const std::string& path) const;
    void dropStaged(Entry& e);
    bool makeUndo(Entry& e, std::string& error);
    bool fail(std::string& error, const std::string& what);
    bool rollBackNow(bool journaled, std::string& error);
    bool flushStaged(std::string& error);

    // The folders the commit touches: m_folder and, in a spanning batch, the targets' subfolders.
    std::vector<std::string> touchedFolders() const;

    std::string m_folder; // ends in "/"
    bool m_span = false;  // targets may be "<subfolder>/<name>" below m_folder
    std::string m_tag;    // names this commit's temporary files
    std::vector<Entry> m_entries;
};

// True when `folder` (or, for a data folder, its home) holds a commit that this process did not
// finish or undo (or one it could not undo): nothing may be replaced there until
// RecoverDataFolder has run.
bool CommitsBlocked(const std::string& folder);

// Shown when a commit finds the journal of an earlier one that was not finished or undone.
inline constexpr const char* kUnfinishedCommitMessage =
    "前回の保存が完了していません。プログラムを起動し直してください。";
// Put in front of the error when a failed commit could not be undone.
inline constexpr const char* kCommitNotUndoneMessage =
    "保存に失敗し、元に戻すこともできませんでした。プログラムを起動し直してください。";

} // namespace mrt
