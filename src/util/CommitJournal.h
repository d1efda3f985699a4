#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

// The journal of a commit that replaces or removes several files of one folder together
// (FileBatch). It lives in that folder while the commit runs: written and made durable before the
// first file is replaced, removed after the last replacement is durable. A journal renamed to
// the rollback name marks a commit that is being undone.
inline constexpr const char* kCommitJournalName = "commit.journal.tmp~";
inline constexpr const char* kRollbackJournalName = "rollback.journal.tmp~";

struct JournalEntry {
    bool remove = false; // the target is removed rather than replaced by its staged file
    bool hadOld = false; // the target existed before the commit; its undo copy holds it
    std::string target;  // file name inside the folder (no "/" and no line break)
};

struct Journal {
    std::string tag; // names the staged and undo files of this commit (see StagedName/UndoName)
    std::vector<JournalEntry> entries;
};

// A tag that differs from every earlier one, of this process and of others, so that a journal
// left behind by one commit can never apply to the temporary files of another.
std::string NewTag();
// "<target>.<tag>.tmp~": the new content of a replaced target.
std::string StagedName(const std::string& target, const std::string& tag);
// "<target>.<tag>.undo.tmp~": a second name of the old target, kept until the commit is durable.
std::string UndoName(const std::string& target, const std::string& tag);

// Text lines ending in a CRC-32 of everything before it.
std::string EncodeJournal(const Journal& journal);
// False when the bytes are not a whole journal (cut off by a crash, or damaged).
bool DecodeJournal(std::string_view bytes, Journal& journal);
uint32_t Crc32(std::string_view bytes);

// Finishes the commit in `folder`: every staged file still present replaces its target, targets
// marked for removal are removed, the folder is synced, then the undo copies and the journal
// named `journalName` (none when empty) are removed. Repeating it after a crash is harmless.
// 0 done; 1 the commit is complete and durable but the journal could not be removed; -1 a call
// failed before that (error set).
int RollForward(const std::string& folder, const Journal& journal, const std::string& journalName, std::string& error);
// Undoes the commit: staged files are removed, replaced and removed targets get their undo copies
// back, targets the commit created are removed; the folder is synced and the journal named
// `journalName` removed. Repeating it after a crash is harmless. Results as RollForward.
int RollBack(const std::string& folder, const Journal& journal, const std::string& journalName, std::string& error);

// What this process knows of a folder's journal. A journal left behind by a finished commit may
// be overwritten by the next commit; a folder whose failed commit could not be undone takes no
// further commit until RecoverDataFolder has run.
enum class FolderMark { None, FinishedJournalLeft, NeedsRecovery };
FolderMark MarkOf(const std::string& folder);
void SetMark(const std::string& folder, FolderMark mark);

// True when `folder` holds the journal of a commit that did not end.
bool HasUnfinishedCommit(const std::string& folder);

// Run by a writer holding the data folder's lock before it reads anything: a complete commit
// journal is rolled forward, a rollback journal rolled back, a journal cut off by a crash (its
// commit never touched a target) removed; then every temporary file ("*.tmp~") of the folder and
// of its "BU" subfolder is removed. A missing folder is fine. 0 done; -1 the unfinished commit
// could not be completed (error set; the temporary files are left for the next try).
int RecoverDataFolder(const std::string& folder, std::string& error);

// The same for a folder of copies outside the home (the target of a backup, the source of a
// restore), run before its files are listed or replaced: the journal as above, then only the
// temporary files that commits make (staged and undo copies of any tag) are removed; no subfolder
// is looked at. 0 done; -1 (error set).
int RecoverCopyFolder(const std::string& folder, std::string& error);

// Shown when RecoverDataFolder failed; the error follows it.
inline constexpr const char* kRecoveryFailedMessage = "前回中断した保存を完了できませんでした。";

} // namespace mrt
