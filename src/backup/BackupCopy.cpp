#include "backup/BackupCopy.h"

#include "util/FileBatch.h"
#include "ledger/IoRecord.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Paths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

// The user's words for a system error text of a failed read or write.
std::string reasonFor(const std::string& err) {
    auto is = [&err](int code) { return err == std::strerror(code); };
    std::string r;
    if (is(ENOSPC) || is(EDQUOT))
        r = "保管先の空き容量が足りません。";
    else if (is(EROFS) || is(EACCES) || is(EPERM))
        r = "書込みが禁止されています。";
    else if (is(EIO) || is(ENODEV) || is(ENXIO) || is(ENOENT) || is(ENOTDIR))
        r = "読み書きできません（媒体が取り外された可能性があります）。";
    return r.empty() ? err : r + " (" + err + ")";
}

// Sets the modification time of `path` to that of `st`; a file system that cannot keep it
// (some media round it) still holds the copy, so a failure here is not one of the copy.
void keepTime(const std::string& path, const struct stat& st) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// A backup flushes its copies after about this many bytes.
constexpr int64_t kBytesPerSync = 8 << 20;

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
    for (auto [file, record] :
         {std::pair{kBrkDnFileName, kBrkDnRecordBytes}, std::pair{kShopFileName, kShopRecordBytes}}) {
        // The table is read as far as whole records go once it holds every key.
        if (n == lower(file) && length % record != 0 && length / record < kItemKeyMax)
            return "長さ " + bytes + " が登録データの記録(" + std::to_string(record) + "バイト)の倍数ではありません。";
    }
    return {};
}

int CopyFilesWhole(const std::string& source, const std::string& target, const std::vector<std::string>& names,
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
    const int count = static_cast<int>(names.size());
    int64_t done = 0;
    dlg.MsgProgress(0, count, 0, total);
    // Files are staged and committed in groups: the disk writes each staged file while the next
    // is read, and a copy that stops keeps the groups committed before.
    FileBatch batch;
    std::vector<size_t> staged;
    int64_t stagedBytes = 0;
    ByteBuffer data; // each file read into the same block, never cleared first
    std::string err;
    auto commit = [&]() {
        if (staged.empty()) return true;
        if (!batch.Commit(err)) return false;
        for (size_t i : staged) {
            keepTime(ResolveCase(target, names[i]), stats[i]);
            copied.push_back(names[i]);
        }
        staged.clear();
        stagedBytes = 0;
        return true;
    };
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (!ReadWholeFile(JoinPath(source, name), data)) {
            failure = {name, "読み込めません。" + reasonFor(std::strerror(errno))};
            commit(); // the files written before stay, whole
            return -1;
        }
        if (!batch.Stage(ResolveCase(target, name), data, err)) {
            failure = {name, reasonFor(err)};
            commit();
            return -1;
        }
        staged.push_back(i);
        stagedBytes += static_cast<int64_t>(data.size());
        if (stagedBytes >= kBytesPerSync && !commit()) {
            failure = {name, reasonFor(err)};
            return -1;
        }
        done += static_cast<int64_t>(data.size());
        dlg.MsgProgress(static_cast<int>(i) + 1, count, done, std::max(total, done));
    }
    if (!commit()) {
        failure = {names.back(), reasonFor(err)};
        return -1;
    }
    return 0;
}

int RestoreFilesTogether(const std::string& source, const std::string& dataFolder,
                         const std::vector<std::string>& names, Dialogs& dlg, std::vector<std::string>& copied,
                         CopyFailure& failure, bool& dataChanged) {
    copied.clear();
    dataChanged = false;
    // Everything is checked before the first byte is written into the data folder.
    std::vector<struct stat> stats(names.size());
    int64_t total = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (::strcasecmp(names[i].c_str(), names[j].c_str()) == 0) {
                failure = {names[i], names[j] + " と大文字・小文字だけが違う同じ名前のファイルです。"};
                return -1;
            }
        }
        const std::string src = JoinPath(source, names[i]);
        if (::stat(src.c_str(), &stats[i]) != 0 || !S_ISREG(stats[i].st_mode)) {
            failure = {names[i], "ファイルがありません。"};
            return -1;
        }
        if (::access(src.c_str(), R_OK) != 0) {
            failure = {names[i], "読み込めません。" + reasonFor(std::strerror(errno))};
            return -1;
        }
        if (std::string p = RestoreSizeProblem(names[i], sizeOf(stats[i])); !p.empty()) {
            failure = {names[i], p};
            return -1;
        }
        total += sizeOf(stats[i]);
    }

    const int count = static_cast<int>(names.size());
    int64_t done = 0;
    dlg.MsgProgress(0, count, 0, total);
    FileBatch batch; // dropped without Commit, it removes what it staged
    std::vector<std::string> targets;
    ByteBuffer data; // each file read into the same block, never cleared first
    std::string err;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (!ReadWholeFile(JoinPath(source, name), data)) {
            failure = {name, "読み込めません。" + reasonFor(std::strerror(errno))};
            return -1;
        }
        // The file may have changed since it was checked.
        if (std::string p = RestoreSizeProblem(name, static_cast<int64_t>(data.size())); !p.empty()) {
            failure = {name, p};
            return -1;
        }
        targets.push_back(ResolveCase(dataFolder, name));
        if (!batch.Stage(targets.back(), data, err)) {
            failure = {name, reasonFor(err)};
            return -1;
        }
        done += static_cast<int64_t>(data.size());
        dlg.MsgProgress(static_cast<int>(i) + 1, count, done, std::max(total, done));
    }
    if (!batch.Commit(err)) {
        dataChanged = true; // a rename may have gone through before the one that failed
        failure = {names.empty() ? std::string() : names.front(), reasonFor(err)};
        return -1;
    }
    dataChanged = !names.empty();
    for (size_t i = 0; i < names.size(); ++i)
        keepTime(targets[i], stats[i]);
    copied = names;
    return 0;
}

} // namespace mrt
