#include "backup/BackupData.h"

#include "backup/BackupCopy.h"
#include "port/Dialogs.h"
#include "util/CommitJournal.h"
#include "util/FileCopy.h"
#include "util/HomeSettings.h"
#include "util/Paths.h"
#include "util/ProgramInfo.h"

#include <algorithm>
#include <cctype>
#include <strings.h>
#include <sys/stat.h>

namespace mrt {
namespace {

constexpr const char* kProgramTitle = kProgramName;
// Where a chooser starts when no folder was used before: the first removable medium.
constexpr const char* kDefaultOtherFolder = "a:";

struct Direction {
    const char* verb;
    const char* title;
};
Direction directionOf(int direction) {
    return direction == kRestoreDirection ? Direction{"復帰", "保管データの復帰"} : Direction{"保管", "各データの保管"};
}

const char* kindName(int kind) {
    switch (kind) {
    case kLedgerYearKind:
        return "入出金データ";
    case kRegisteredKind:
        return "登録データ(項目名・店名 等)";
    default:
        return "ファイル名個別選択";
    }
}

bool isFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// The name of the file `name` has in `folder`, letter case resolved.
std::string nameIn(const std::string& folder, const std::string& name) {
    std::string dir, file;
    SplitPath(ResolveCase(folder, name), dir, file);
    return file;
}

// Digits 0-9 as the full-width characters "０".."９".
std::string fullWidthDigits(const std::string& digits) {
    std::string r;
    for (char c : digits) {
        if (c >= '0' && c <= '9')
            r += std::string("\xEF\xBC") + static_cast<char>(0x90 + (c - '0'));
        else
            r += c;
    }
    return r;
}

// "file: reason", or the reason alone when it names its file itself.
std::string failureText(const CopyFailure& f) {
    if (f.file.empty() || ::strncasecmp(f.reason.c_str(), f.file.c_str(), f.file.size()) == 0) return f.reason;
    return f.file + ": " + f.reason;
}

} // namespace

std::string LedgerYearEntry(int year) {
    return "   " + fullWidthDigits(std::to_string(year)) + "年の入出金データ   ";
}

int ChooseBackupData(int direction, int& kind, Dialogs& dlg) {
    int first = 1;
    const std::vector<std::string> entries = {"      入出金データ         ", "登録データ(項目名・店名 等)",
                                              "ファイル名個別選択"};
    int r =
        dlg.SubMenuH(std::string(directionOf(direction).verb) + "するデータを選択してください。", first, entries, 800);
    if (r < 1 || r > 3) return -1;
    kind = r;
    return 0;
}

int ChooseLedgerYear(const std::string& folder, const std::string& prefix, const std::string& extension, int& year,
                     Dialogs& dlg) {
    std::vector<std::string> names;
    ListFiles(folder, prefix + "*" + extension, names);
    // The year is the four digits after the prefix; one entry per year, oldest first.
    std::vector<int> years;
    for (const std::string& n : names) {
        if (n.size() != prefix.size() + 4 + extension.size()) continue;
        const std::string digits = n.substr(prefix.size(), 4);
        if (!std::all_of(digits.begin(), digits.end(),
                         [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            continue;
        years.push_back(std::stoi(digits));
    }
    std::sort(years.begin(), years.end());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    if (years.empty()) {
        dlg.MsgBox("該当ファイルがありません。\r\n作業を終了します。", kProgramTitle, MsgIcon::Exclamation,
                   MsgButtons::OK);
        return 0;
    }
    if (years.size() == 1) {
        year = years.front();
        return 1;
    }
    std::vector<std::string> entries;
    for (int y : years)
        entries.push_back(LedgerYearEntry(y));
    int first = 1;
    int r = dlg.SubMenu("入出金データの年度を選択して下さい。", first, entries);
    if (r < 1 || r > static_cast<int>(years.size())) return -1;
    year = years[static_cast<size_t>(r - 1)];
    return static_cast<int>(years.size());
}

int CopyData(int direction, int kind, CopyJob& job, Dialogs& dlg) {
    const Direction d = directionOf(direction);
    const std::string verb = d.verb, title = d.title;
    const bool restore = direction == kRestoreDirection;
    job.copied.clear();
    job.dataChanged = false;
    bool waitOpen = false;
    auto fail = [&]() {
        if (waitOpen) dlg.MsgOff();
        dlg.MsgOK("データの" + verb + "に失敗しました。", title, 10, 10);
        return -1;
    };

    // The chooser offers the folder used last time while it is there, else the first medium.
    std::string other = job.rememberIn.empty() ? std::string() : ReadHomeSetting(job.rememberIn, kLastBackupFolderKey);
    if (!isFolder(other)) other = kDefaultOtherFolder;

    std::string source = job.dataFolder, target = job.dataFolder;
    if (restore) {
        std::string path = other;
        if (dlg.GetDirName(title, "保管データのあるフォルダ(ドライブ)を指定してください。", path) != 0) return fail();
        source = path;
        // A backup cut short there is finished or undone before its files are listed.
        if (std::string error; HasUnfinishedCommit(source) && RecoverCopyFolder(source, error) != 0) {
            dlg.MsgBox("保管データのフォルダで前回中断した保管を完了できません。\r\n" + error, title, MsgIcon::Critical,
                       MsgButtons::OK);
            return fail();
        }
    }

    std::vector<std::string> files;
    std::string dataName = kindName(kind);
    if (kind == kLedgerYearKind) {
        int year = 0;
        if (ChooseLedgerYear(withSlash(source), "inf", ".usr", year, dlg) <= 0) return fail();
        const std::string y = std::to_string(year);
        files = {nameIn(source, "inf" + y + ".usr"), nameIn(source, "io" + y + ".usr")};
        dataName = "入出金データ(" + y + "年)";
    } else {
        std::string path = source;
        const std::string msg = verb + "するファイルを選択して下さい。\r\n（[Shift],[Ctrl]の併用で複数のﾌｧｲﾙ選択も可）";
        const int mode = kind == kRegisteredKind ? 2 : 0;
        if (dlg.GetFileName(title, msg, kind == kRegisteredKind ? "*.mrt" : "*.*", mode, path, files) != 0 ||
            files.empty())
            return fail();
        source = path;
    }

    if (!restore) {
        std::string path = other;
        if (dlg.GetDirName(title, "保管先のフォルダ(ドライブ)を指定してください。", path) != 0) return fail();
        target = path;
    }

    const std::string what =
        restore ? "( " + source + " の " + dataName + " をシステムへ )" : "( " + dataName + " を " + target + " へ )";
    if (dlg.MsgKel2({"Ｏ  Ｋ", "中  止"}, "データの" + verb + "を開始します。\r\n" + what, title, 10, 10, 0) != 1)
        return fail();

    dlg.MsgOn("データの" + verb + "中・・・・", title);
    waitOpen = true;
    CopyFailure failure;
    int r = restore ? RestoreFilesTogether(withSlash(source), withSlash(target), files, dlg, job.copied, failure,
                                           job.dataChanged)
                    : BackupFilesTogether(withSlash(source), withSlash(target), files, dlg, job.copied, failure);
    if (r != 0) {
        dlg.MsgOff();
        waitOpen = false;
        const std::string head = restore && !job.dataChanged
                                     ? "保管データを復帰できません。システムのデータは変更していません。"
                                     : "ファイルの複写に失敗しました。";
        dlg.MsgBox(head + "\r\n" + failureText(failure), title, MsgIcon::Critical, MsgButtons::OK);
        return fail();
    }
    dlg.MsgOff();
    waitOpen = false;
    job.otherFolder = restore ? source : target;
    if (!job.rememberIn.empty()) WriteHomeSetting(job.rememberIn, kLastBackupFolderKey, job.otherFolder);
    dlg.MsgOK("データの" + verb + "が完了しました。", title, 10, 10);
    return 0;
}

int RunBackupCommand(int direction, const std::string& home, const std::string& dataFolder, Dialogs& dlg,
                     bool* dataChanged) {
    if (dataChanged) *dataChanged = false;
    int kind = 0;
    if (ChooseBackupData(direction, kind, dlg) != 0) return -1;
    CopyJob job;
    job.dataFolder = dataFolder;
    job.rememberIn = home;
    int r = CopyData(direction, kind, job, dlg);
    if (dataChanged) *dataChanged = job.dataChanged;
    return r;
}

} // namespace mrt
