#include "backup/BackupCopy.h"

#include "backup/RestoreCheck.h"
#include "ledger/IoRecord.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "settings/IniRecord.h"
#include "util/CommitJournal.h"
#include "util/FileBatch.h"
#include "util/FileCopy.h"
#include "util/FileSystem.h"
#include "util/Paths.h"
#include "util/SystemError.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// True when `name` is prefix + four digits + ext, letter case ignored.
bool isYearFile(const std::string& name, const char* prefix, const char* ext) {
    const std::string n = lower(name);
    const size_t p = std::strlen(prefix), e = std::strlen(ext);
    if (n.size() != p + 4 + e || n.compare(0, p, prefix) != 0 || n.compare(p + 4, e, ext) != 0) return false;
    for (size_t i = p; i < p + 4; ++i)
        if (!std::isdigit(static_cast<unsigned char>(n[i]))) return false;
    return true;
}

// Sets the modification time of `path` to that of `st`; a file system that cannot keep it
// (some media round it) still holds the copy, so a failure here is not one of the copy.
void keepTime(const std::string& path, const struct stat& st) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

int64_t sizeOf(const struct stat& st) {
    return static_cast<int64_t>(st.st_size);
}

} // namespace

std::string RestoreSizeProblem(const std::string& name, int64_t length) {
    const std::string bytes = std::to_string(length) + "バイト";
    if (length <= 0) return "空のファイルです。";
    if (isYearFile(name, "io", ".usr") && length % kIoRecordSize != 0)
        return "長さ " + bytes + " が入出金データの記録(108バイト)の倍数ではありません。";
    if (isYearFile(name, "inf", ".usr") && length != 12 * kInfRecordSize)
        return "長さ " + bytes + " が入出金情報の12か月分(120バイト)ではありません。";
    const std::string n = lower(name);
    if (n == lower(kSettingsFileName) && length < kIniRecordSize)
        return "長さ " + bytes + " が環境設定の記録(" + std::to_string(kIniRecordSize) + "バイト)に足りません。";
    for (auto [file, record] :
         {std::pair{kBrkDnFileName, kBrkDnRecordBytes}, std::pair{kShopFileName, kShopRecordBytes}}) {
        // The table is read as far as whole records go once it holds every key.
        if (n == lower(file) && length % record != 0 && length / record < kItemKeyMax)
            return "長さ " + bytes + " が登録データの記録(" + std::to_string(record) + "バイト)の倍数ではありません。";
    }
    return {};
}

namespace {

// Creates the missing folders of `target`, the outermost first, and makes their names durable.
// `created` receives them in that order. False with `error` set (what was created stays listed).
bool makeFolders(const std::string& target, std::vector<std::string>& created, std::string& error) {
    std::filesystem::path p = std::filesystem::path(target).lexically_normal();
    if (!p.has_filename()) p = p.parent_path();
    std::vector<std::filesystem::path> missing;
    for (; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        struct stat st;
        if (::stat(p.c_str(), &st) == 0) break;
        missing.push_back(p);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0777) != 0 && errno != EEXIST) {
            error = it->string() + ": " + SystemErrorText(errno);
            return false;
        }
        created.push_back(it->string());
        std::string parent = it->parent_path().string();
        if (Fs().SyncFolder(parent.empty() ? "." : parent) != 0) {
            error = parent + ": " + SystemErrorText(errno);
            return false;
        }
    }
    return true;
}

// Removes the folders a failed backup created, the innermost first; one that is not empty stays.
void removeFolders(const std::vector<std::string>& created) {
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        ::rmdir(it->c_str());
}

// The failure of a batch call: its error names the file already.
CopyFailure batchFailure(const std::string& error) {
    return {std::string(), error};
}

// The other name in `listing` that is `name` but for letter case; empty when there is none.
std::string caseTwin(const std::vector<std::string>& listing, const std::string& name) {
    for (const std::string& n : listing)
        if (n != name && ::strcasecmp(n.c_str(), name.c_str()) == 0) return n;
    return {};
}

} // namespace

int BackupFilesTogether(const std::string& source, const std::string& target, const std::vector<std::string>& names,
                        Dialogs& dlg, std::vector<std::string>& copied, CopyFailure& failure) {
    copied.clear();
    std::vector<struct stat> stats(names.size());
    int64_t total = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        if (::stat(JoinPath(source, names[i]).c_str(), &stats[i]) != 0 || !S_ISREG(stats[i].st_mode)) {
            failure = {names[i], "ファイルがありません。"};
            return -1;
        }
        total += sizeOf(stats[i]);
    }
    std::vector<std::string> created;
    std::string err;
    FileBatch batch; // dropped without Commit, it removes what it staged
    auto fail = [&](CopyFailure f) {
        batch.Abort();
        removeFolders(created);
        failure = std::move(f);
        return -1;
    };
    if (!makeFolders(target, created, err)) return fail({std::string(), "保管先のフォルダを作成できません。" + err});
    // A backup cut short there is finished or undone before its files count as the older backup.
    if (RecoverCopyFolder(target, err) != 0)
        return fail({std::string(), "保管先で前回中断した保管を完了できません。" + err});

    const int count = static_cast<int>(names.size());
    int64_t done = 0;
    dlg.MsgProgress(0, count, 0, total);
    ByteBuffer data; // each file read into the same block, never cleared first
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (!ReadWholeFile(JoinPath(source, name), data))
            return fail({name, "読み込めません。" + SystemErrorText(errno)});
        if (!batch.Stage(ResolveCase(target, name), data, err)) return fail(batchFailure(err));
        done += static_cast<int64_t>(data.size());
        dlg.MsgProgress(static_cast<int>(i) + 1, count, done, std::max(total, done));
    }
    if (!batch.Commit(err)) return fail(batchFailure(err));
    for (size_t i = 0; i < names.size(); ++i)
        keepTime(ResolveCase(target, names[i]), stats[i]);
    copied = names;
    return 0;
}

int RestoreFilesTogether(const std::string& source, const std::string& dataFolder,
                         const std::vector<std::string>& names, Dialogs& dlg, std::vector<std::string>& copied,
                         CopyFailure& failure, bool& dataChanged, const std::vector<std::string>& removals) {
    copied.clear();
    dataChanged = false;
    // Everything is checked before the first byte is written into the data folder.
    std::vector<struct stat> stats(names.size());
    std::vector<std::string> listing;
    ListFiles(source, "*", listing, true);
    int64_t total = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (::strcasecmp(names[i].c_str(), names[j].c_str()) == 0) {
                failure = {names[i], names[j] + " と大文字・小文字だけが違う同じ名前のファイルです。"};
                return -1;
            }
        }
        // Which of two names differing only in case is the backup cannot be told.
        if (std::string twin = caseTwin(listing, names[i]); !twin.empty()) {
            failure = {names[i], names[i] + " と " + twin +
                                     " は大文字・小文字だけが違う名前です。どちらを復帰するか決められません。"};
            return -1;
        }
        const std::string src = JoinPath(source, names[i]);
        if (::stat(src.c_str(), &stats[i]) != 0 || !S_ISREG(stats[i].st_mode)) {
            failure = {names[i], "ファイルがありません。"};
            return -1;
        }
        if (::access(src.c_str(), R_OK) != 0) {
            failure = {names[i], "読み込めません。" + SystemErrorText(errno)};
            return -1;
        }
        if (std::string p = RestoreSizeProblem(names[i], sizeOf(stats[i])); !p.empty()) {
            failure = {names[i], p};
            return -1;
        }
        total += sizeOf(stats[i]);
    }

    // Each file is read once: the bytes checked are the bytes restored.
    const int count = static_cast<int>(names.size());
    int64_t done = 0;
    dlg.MsgProgress(0, count, 0, total);
    std::vector<RestoredFile> files;
    for (size_t i = 0; i < names.size(); ++i) {
        RestoredFile f;
        f.sourceName = names[i];
        std::string folder;
        SplitPath(ResolveCase(dataFolder, names[i]), folder, f.targetName);
        if (!ReadWholeFile(JoinPath(source, names[i]), f.bytes)) {
            failure = {names[i], "読み込めません。" + SystemErrorText(errno)};
            return -1;
        }
        // The file may have changed since it was checked.
        if (std::string p = RestoreSizeProblem(names[i], static_cast<int64_t>(f.bytes.size())); !p.empty()) {
            failure = {names[i], p};
            return -1;
        }
        done += static_cast<int64_t>(f.bytes.size());
        files.push_back(std::move(f));
        dlg.MsgProgress(static_cast<int>(i) + 1, count, done, std::max(total, done));
    }
    if (!CheckRestoredFiles(dataFolder, files, failure, removals)) return -1;

    FileBatch batch; // dropped without Commit, it removes what it staged
    std::string err;
    for (const RestoredFile& f : files) {
        if (!batch.Stage(JoinPath(dataFolder, f.targetName), f.bytes, err)) {
            failure = batchFailure(err);
            return -1;
        }
    }
    for (const std::string& name : removals) {
        if (!batch.StageRemoval(JoinPath(dataFolder, name), err)) {
            failure = batchFailure(err);
            return -1;
        }
    }
    if (!batch.Commit(err)) {
        dataChanged = true; // a rename may have gone through before the one that failed
        failure = batchFailure(err);
        return -1;
    }
    dataChanged = !names.empty() || !removals.empty();
    for (size_t i = 0; i < files.size(); ++i)
        keepTime(JoinPath(dataFolder, files[i].targetName), stats[i]);
    copied = names;
    return 0;
}

} // namespace mrt
