// Making, verifying, thinning, listing and restoring the dated generations of the data folder.
#include "backup/Generations.h"

#include "backup/BackupData.h"
#include "backup/RestoreCheck.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerFiles.h"
#include "port/ConsoleDialogs.h"
#include "util/Clock.h"
#include "util/FileCopy.h"
#include "util/FileSystem.h"
#include "util/Paths.h"
#include "util/SystemError.h"
#include "util/WholeCopies.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <filesystem>
#include <set>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

constexpr const char* kAsideSuffix = ".bad";

// The loaders report through dialogs as well; here only their results count.
class SilentDialogs : public ConsoleDialogs {
public:
    void MsgOK(const std::string&, const std::string&, int, int) override {}
    MsgResult MsgBox(const std::string&, const std::string&, MsgIcon, MsgButtons) override { return MsgResult::Cancel; }
};

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string withoutSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string rootOf(const std::string& backupFolder) {
    return withSlash(JoinPath(backupFolder, kGenerationFolderName));
}

bool sameTime(const struct stat& a, const struct stat& b) {
    return a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// A folder name of "gen/": a bare date (good), a date + ".bad" + an optional number (kept aside).
// False for every other name, temporary folders included.
bool parseFolderName(const std::string& name, CivilDate& date, bool& good) {
    if (name.size() < 10 || !ParseGenerationDate(name.substr(0, 10), date)) return false;
    const std::string rest = name.substr(10);
    good = rest.empty();
    if (good) return true;
    if (rest.compare(0, 4, kAsideSuffix) != 0) return false;
    return std::all_of(rest.begin() + 4, rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

struct Entry {
    CivilDate date;
    std::string name;
    bool good = false;
};

// The folders of "gen/" that are generations, oldest first (the good one of a date first).
std::vector<Entry> generationFolders(const std::string& root) {
    std::vector<Entry> out;
    DIR* dir = ::opendir(root.c_str());
    if (!dir) return out;
    while (dirent* e = ::readdir(dir)) {
        Entry g;
        g.name = e->d_name;
        struct stat st;
        if (!parseFolderName(g.name, g.date, g.good) || ::stat((root + g.name).c_str(), &st) != 0 ||
            !S_ISDIR(st.st_mode))
            continue;
        out.push_back(std::move(g));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return out;
}

// Removes the temporary folders a creation or a thinning cut short left in "gen/".
void removeTemporaryFolders(const std::string& root) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(root, ec)) {
        const std::string name = e.path().filename().string();
        if (IsTempFileName(name)) std::filesystem::remove_all(e.path(), ec);
    }
}

// Removes a generation: renamed to a temporary name first, so a removal cut short never leaves a
// part of it under its date. False when the rename failed.
bool removeGeneration(const std::string& root, const std::string& name) {
    const std::string doomed = root + name + ".old" + kTempSuffix;
    if (Fs().Rename(root + name, doomed) != 0) return false;
    std::error_code ec;
    std::filesystem::remove_all(doomed, ec);
    return true;
}

struct DataFile {
    std::string name;
    struct stat st {};
};

bool listDataFiles(const std::string& dataFolder, std::vector<DataFile>& files) {
    std::vector<std::string> names;
    if (ListFiles(dataFolder, "*", names) < 0) return false;
    for (const std::string& n : names) {
        DataFile f{n};
        if (::stat(JoinPath(dataFolder, n).c_str(), &f.st) != 0) return false;
        files.push_back(std::move(f));
    }
    return true;
}

// True when `gen` holds exactly the files of `files`, each with its size and modification time.
bool sameAsGeneration(const std::string& gen, const std::vector<DataFile>& files) {
    std::vector<std::string> held;
    if (ListFiles(gen, "*", held) != static_cast<int>(files.size())) return false;
    for (const DataFile& f : files) {
        struct stat st;
        if (::stat((gen + f.name).c_str(), &st) != 0 || st.st_size != f.st.st_size || !sameTime(st, f.st)) return false;
    }
    return true;
}

// Reads the new copies back and through the loaders of a start: each copy byte for byte as its
// source and of a size its kind allows; name tables, budgets and the settings file through their
// loaders (CheckRestoredFiles); the ledger scanned and every copied year read line by line as a
// start reads it. Nothing stricter than a start: data a start accepts makes a good generation.
bool verifyGeneration(const std::string& dataFolder, const std::string& gen, const std::vector<std::string>& copied,
                      CopyFailure& failure) {
    LedgerState st;
    st.index.SetDataFolder(gen);
    st.MaxBlockLines = INT_MAX;
    std::vector<RestoredFile> others;
    std::set<int> years;
    for (const std::string& name : copied) {
        RestoredFile f{name, name, {}};
        std::string source;
        if (!ReadWholeFile(gen + name, f.bytes)) {
            failure = {name, "読み込めません。" + SystemErrorText(errno)};
            return false;
        }
        if (!ReadWholeFile(JoinPath(dataFolder, name), source) || source != f.bytes) {
            failure = {name, "複写した内容が元のファイルと一致しません。"};
            return false;
        }
        if (std::string p = RestoreSizeProblem(name, static_cast<int64_t>(f.bytes.size())); !p.empty()) {
            failure = {name, p};
            return false;
        }
        const int year = std::max(YearOfFileName(name, st.index.InfPrefix, st.index.InfExtension),
                                  YearOfFileName(name, st.index.IoPrefix, st.index.IoExtension));
        if (year >= 0)
            years.insert(year);
        else
            others.push_back(std::move(f));
    }
    if (!others.empty() && !CheckRestoredFiles(gen, others, failure)) return false;
    SilentDialogs quiet;
    if (ScanLedgerYears(st, quiet) != 0) {
        failure = {std::string(), st.ReadFailure.empty() ? std::string(kLedgerReadFailedMessage) : st.ReadFailure};
        return false;
    }
    for (int year : years) {
        std::string why;
        if (CheckYearLines(st.index, year, quiet, why) != 0) {
            failure = {std::string(), why.empty() ? std::string(kLedgerReadFailedMessage) : why};
            return false;
        }
    }
    return true;
}

// The first free name for a copy of `date` kept aside.
std::string asideName(const std::string& root, const std::string& date) {
    for (int n = 1;; ++n) {
        const std::string name = date + kAsideSuffix + (n == 1 ? std::string() : std::to_string(n));
        struct stat st;
        if (::lstat((root + name).c_str(), &st) != 0) return name;
    }
}

// True when `path` is a file of the size and modification time of `f`.
bool sameFile(const std::string& path, const DataFile& f) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == f.st.st_size && sameTime(st, f.st);
}

// Builds the generation of `date` in a temporary folder and renames it into place: good when it
// verifies, aside otherwise. A file unchanged since the `previous` generation is linked to it; a
// changed one is linked to its copy in the backup folder, which the start has just written and
// made durable (that folder's files are only ever replaced whole, never written in place), or
// else copied. -1 with `report.failure` set when it could not be built.
int makeGeneration(const std::string& dataFolder, const std::string& backupFolder, const std::string& root,
                   const std::string& date, const std::vector<DataFile>& files, const std::string& previous,
                   GenerationReport& report) {
    const std::string temp = root + date + kTempSuffix + "/";
    auto fail = [&](const std::string& file, const std::string& why) {
        std::error_code ec;
        std::filesystem::remove_all(withoutSlash(temp), ec);
        report.failure = {file, why};
        return -1;
    };
    if (::mkdir(withoutSlash(temp).c_str(), 0777) != 0)
        return fail(std::string(), "作業用のフォルダを作成できません。" + SystemErrorText(errno));
    std::vector<WholeCopy> jobs;
    std::vector<std::string> fresh; // files new to this generation: verified below
    for (const DataFile& f : files) {
        if (!previous.empty() && sameFile(previous + f.name, f) && Fs().Link(previous + f.name, temp + f.name) == 0)
            continue;
        fresh.push_back(f.name);
        const std::string backup = ResolveCase(backupFolder, f.name);
        if (sameFile(backup, f) && Fs().Link(backup, temp + f.name) == 0) continue;
        jobs.push_back({JoinPath(dataFolder, f.name), temp + f.name, f.st.st_atim, f.st.st_mtim});
    }
    // The copies and the links made durable before the folder takes its date (ReplaceWithCopies
    // syncs the folder when it copied anything).
    if (ReplaceWithCopies(withoutSlash(temp), jobs) != 0 || (jobs.empty() && Fs().SyncFolder(withoutSlash(temp)) != 0))
        return fail(std::string(), "ファイルの複写に失敗しました。" + SystemErrorText(errno));
    CopyFailure why;
    const bool sound = verifyGeneration(dataFolder, temp, fresh, why);
    const std::string name = sound ? date : asideName(root, date);
    // The new name is left for the system to write out: lost in a power cut, it leaves a temporary
    // folder, removed at the next start, which then makes the day's generation again.
    if (Fs().Rename(withoutSlash(temp), root + name) != 0)
        return fail(std::string(), "保存世代の名前を付けられません。" + SystemErrorText(errno));
    report.folder = root + name + "/";
    report.made = sound;
    report.keptAside = !sound;
    if (!sound) report.failure = why;
    return 0;
}

// Removes the good generations the counts no longer keep, and copies kept aside that are older
// than every generation the counts could keep.
void thinGenerations(const std::string& root, const CivilDate& today, const GenerationCounts& counts,
                     GenerationReport& report) {
    const std::vector<Entry> all = generationFolders(root);
    std::vector<CivilDate> good;
    for (const Entry& g : all)
        if (g.good) good.push_back(g.date);
    const std::vector<CivilDate> kept = GenerationsToKeep(good, today, counts);
    std::set<int64_t> keptDays;
    for (const CivilDate& d : kept)
        keptDays.insert(DayNumber(d));
    const int64_t now = DayNumber(today);
    // The first day of the oldest month the monthly count reaches.
    const int64_t firstMonth = int64_t{today.year} * 12 + (today.month - 1) - std::max(counts.months - 1, 0);
    const CivilDate monthStart{static_cast<int>(firstMonth / 12), static_cast<int>(firstMonth % 12) + 1, 1};
    const int64_t oldestKeepable = std::min(now - counts.days - 7 * int64_t{counts.weeks}, DayNumber(monthStart));
    // A removal lost in a power cut brings the whole generation back; the next start removes it.
    for (const Entry& g : all) {
        const int64_t day = DayNumber(g.date);
        const bool drop = g.good ? keptDays.count(day) == 0 : day < oldestKeepable;
        if (drop && removeGeneration(root, g.name) && g.good) report.removed.push_back(g.name);
    }
}

} // namespace

int KeepGeneration(const std::string& dataFolder, const std::string& backupFolder, const CivilDate& today,
                   const GenerationCounts& counts, GenerationReport& report) {
    report = GenerationReport{};
    const std::string root = rootOf(backupFolder);
    struct stat st;
    if (::stat(withoutSlash(root).c_str(), &st) != 0) {
        if (::mkdir(withoutSlash(root).c_str(), 0777) != 0 || Fs().SyncFolder(withoutSlash(backupFolder)) != 0) {
            report.failure = {std::string(), "保存世代のフォルダを作成できません。" + SystemErrorText(errno)};
            return -1;
        }
    }
    removeTemporaryFolders(root);
    std::vector<DataFile> files;
    if (!listDataFiles(dataFolder, files)) {
        report.failure = {std::string(), "データフォルダを読み込めません。" + SystemErrorText(errno)};
        return -1;
    }
    const std::string date = GenerationDateText(today);
    std::string newest;
    bool madeToday = false;
    for (const Entry& g : generationFolders(root)) {
        if (!g.good) continue;
        if (g.name == date) madeToday = true;
        newest = root + g.name + "/"; // sorted by date: the last good one is the newest
    }
    if (!madeToday && !files.empty() && (newest.empty() || !sameAsGeneration(newest, files))) {
        if (makeGeneration(dataFolder, backupFolder, root, date, files, newest, report) != 0) return -1;
    }
    thinGenerations(root, today, counts, report);
    return 0;
}

void KeepGenerationAtStart(const std::string& home, const std::string& dataFolder, const std::string& backupFolder,
                           Dialogs& dlg) {
    GenerationReport report;
    const int r = KeepGeneration(dataFolder, backupFolder, AppClock().Today(), ReadGenerationCounts(home), report);
    if (r == 0 && !report.keptAside) return;
    const std::string why =
        report.failure.file.empty() ? report.failure.reason : report.failure.file + ": " + report.failure.reason;
    const std::string head =
        r != 0 ? "本日の保存世代を作成できませんでした。"
               : "本日の保存世代を確認できませんでした。\r\n" + report.folder + " に別名で残し、復帰には使いません。";
    dlg.MsgBox(head + "\r\n" + why + "\r\n(データと前回までの保存世代はそのままです)", "保存世代", MsgIcon::Exclamation,
               MsgButtons::OK);
}

std::vector<GenerationInfo> ListGenerations(const std::string& backupFolder) {
    const std::string root = rootOf(backupFolder);
    std::vector<GenerationInfo> out;
    for (const Entry& g : generationFolders(root)) {
        GenerationInfo info;
        info.date = g.date;
        info.good = g.good;
        info.folder = root + g.name + "/";
        std::vector<std::string> names;
        ListFiles(info.folder, "*", names);
        for (const std::string& n : names) {
            struct stat st;
            if (::stat((info.folder + n).c_str(), &st) != 0) continue;
            ++info.files;
            info.bytes += st.st_size;
            if (st.st_nlink == 1) info.ownBytes += st.st_size;
        }
        out.push_back(std::move(info));
    }
    return out;
}

bool FindGoodGeneration(const std::string& backupFolder, const std::string& dateText, GenerationInfo& found) {
    CivilDate d;
    if (!ParseGenerationDate(dateText, d)) return false;
    for (const GenerationInfo& g : ListGenerations(backupFolder)) {
        if (g.good && DayNumber(g.date) == DayNumber(d)) {
            found = g;
            return true;
        }
    }
    return false;
}

bool GenerationFiles(const GenerationInfo& gen, int kind, int year, std::vector<std::string>& names,
                     CopyFailure& failure) {
    names.clear();
    if (kind == kLedgerYearKind) {
        const std::string y = std::to_string(year);
        struct stat st;
        for (const std::string& n : {"Inf" + y + ".usr", "Io" + y + ".usr"}) {
            std::string folder, file;
            SplitPath(ResolveCase(gen.folder, n), folder, file);
            if (::stat((gen.folder + file).c_str(), &st) == 0) names.push_back(file);
        }
        if (names.empty() || ::strncasecmp(names.front().c_str(), "inf", 3) != 0) {
            failure = {std::string(),
                       GenerationDateText(gen.date) + "の保存世代に" + y + "年の入出金データがありません。"};
            names.clear();
            return false;
        }
        return true;
    }
    ListFiles(gen.folder, kind == kRegisteredKind ? "*.mrt" : "*", names);
    if (names.empty()) {
        failure = {std::string(), GenerationDateText(gen.date) + "の保存世代に復帰するファイルがありません。"};
        return false;
    }
    return true;
}

int RestoreGeneration(const GenerationInfo& gen, int kind, int year, const std::string& dataFolder, Dialogs& dlg,
                      std::vector<std::string>& copied, CopyFailure& failure, bool& dataChanged) {
    copied.clear();
    dataChanged = false;
    if (!gen.good) {
        failure = {std::string(), "確認できなかった保存世代からは復帰できません。"};
        return -1;
    }
    std::vector<std::string> names, removals;
    if (!GenerationFiles(gen, kind, year, names, failure)) return -1;
    if (kind == kWholeGenerationKind) {
        std::vector<std::string> present;
        ListFiles(dataFolder, "*", present);
        for (const std::string& p : present) {
            const bool held = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
                return ::strcasecmp(n.c_str(), p.c_str()) == 0;
            });
            if (!held) removals.push_back(p);
        }
    }
    return RestoreFilesTogether(gen.folder, withSlash(dataFolder), names, dlg, copied, failure, dataChanged, removals);
}

} // namespace mrt
