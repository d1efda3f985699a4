// backup / restore: the program's backup and restore flows with the answers taken from the
// command line, for scripted backups (cron). Both take the data-folder lock.
#include "backup/BackupData.h"
#include "backup/Generations.h"
#include "port/ConsoleDialogs.h"
#include "tool/ToolCommands.h"
#include "util/FileCopy.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <iostream>
#include <sys/stat.h>

namespace {

// Answers the flow's questions as the options say; every other question gets its cancel answer.
class OptionDialogs : public mrt::ConsoleDialogs {
public:
    int kind = 0;
    int year = 0;
    std::string folder;  // the other folder
    std::string pattern; // --files

    int SubMenuH(const std::string&, int&, const std::vector<std::string>&, int) override { return kind; }
    int SubMenu(const std::string&, int&, const std::vector<std::string>& sel) override {
        for (size_t i = 0; i < sel.size(); ++i)
            if (sel[i] == mrt::LedgerYearEntry(year)) return static_cast<int>(i) + 1;
        return -1;
    }
    int GetDirName(const std::string&, const std::string&, std::string& path) override {
        path = folder;
        return 0;
    }
    int GetFileName(const std::string&, const std::string&, const std::string& ptn, int mode, std::string& path,
                    std::vector<std::string>& files) override {
        mrt::ListFiles(path, mode == 2 || pattern.empty() ? ptn : pattern, files);
        return files.empty() ? -1 : 0;
    }
    int MsgKel2(const std::vector<std::string>&, const std::string&, const std::string&, int, int, int) override {
        return 1; // "Ｏ  Ｋ": the command line is the confirmation
    }
    void MsgOK(const std::string& msg, const std::string& ttl, int x, int y) override {
        if (msg.find("完了しました") != std::string::npos) return; // the copied files are listed instead
        mrt::ConsoleDialogs::MsgOK(msg, ttl, x, y);
    }
};

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int runCopy(mrt::ToolContext& ctx, int direction) {
    const bool restore = direction == mrt::kRestoreDirection;
    const char* folderOption = restore ? "--from" : "--to";
    const std::string usage = std::string("usage: mrtkel-tool ") + (restore ? "restore --from" : "backup --to") +
                              " DIR (--year YYYY | --names | --files PATTERN)\n";
    OptionDialogs dlg;
    const auto folder = ctx.option(folderOption);
    const auto year = ctx.option("--year");
    const auto files = ctx.option("--files");
    const bool names = ctx.flag("--names");
    if (!folder || folder->empty() || (year.has_value() + names + files.has_value()) != 1) {
        std::cerr << usage;
        return 2;
    }
    if (!restore && !ctx.requireDataFolder("backup")) return 1;
    dlg.folder = ctx.argumentPath(*folder);
    if (restore && !isFolder(dlg.folder)) {
        std::cerr << dlg.folder << ": フォルダがありません。\n";
        return 1;
    }
    // A missing backup folder is made by the backup itself, which removes it again when it fails.
    if (year) {
        dlg.kind = mrt::kLedgerYearKind;
        try {
            dlg.year = std::stoi(*year);
        } catch (const std::exception&) {
            std::cerr << usage;
            return 2;
        }
        // With one year in the folder the flow takes it without asking; it must be the one asked for.
        const std::string source = restore ? dlg.folder : ctx.dataFolder;
        struct stat st;
        if (::stat(mrt::ResolveCase(source, "inf" + std::to_string(dlg.year) + ".usr").c_str(), &st) != 0) {
            std::cerr << source << ": " << dlg.year << "年の入出金データがありません。\n";
            return 1;
        }
    } else {
        dlg.kind = names ? mrt::kRegisteredKind : mrt::kChosenFilesKind;
        if (files) dlg.pattern = *files;
    }
    if (!ctx.lockForWriting()) return 1;
    if (restore && !mrt::MakeFolders(mrt::JoinPath(ctx.dataFolder, "BU"))) {
        std::cerr << ctx.dataFolder << ": フォルダを作成できません。\n";
        return 1;
    }

    mrt::CopyJob job;
    job.dataFolder = ctx.dataFolder;
    int kind = 0;
    if (mrt::ChooseBackupData(direction, kind, dlg) != 0 || mrt::CopyData(direction, kind, job, dlg) != 0) return 1;
    const std::string from = restore ? job.otherFolder : ctx.dataFolder;
    const std::string to = restore ? ctx.dataFolder : job.otherFolder;
    for (const std::string& n : job.copied)
        std::cout << mrt::JoinPath(from, n) << " -> " << mrt::ResolveCase(to, n) << "\n";
    return 0;
}

// Bytes with a comma every three digits.
std::string grouped(int64_t n) {
    std::string s = std::to_string(n);
    for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3)
        s.insert(static_cast<size_t>(i), ",");
    return s;
}

// One line per generation, oldest first: date, the size of that day's data, the bytes stored for
// it alone, and whether it verified.
int listGenerations(mrt::ToolContext& ctx) {
    if (!ctx.requireDataFolder("backup")) return 1;
    for (const mrt::GenerationInfo& g : mrt::ListGenerations(mrt::BackupFolder(ctx.home))) {
        std::cout << mrt::GenerationDateText(g.date) << "  " << grouped(g.bytes) << "バイト  (この世代のみ "
                  << grouped(g.ownBytes) << "バイト)  " << g.files << "ファイル  "
                  << (g.good ? "正常" : "確認できず(" + g.folder + ")") << "\n";
    }
    return 0;
}

int restoreGeneration(mrt::ToolContext& ctx) {
    const std::string usage = "usage: mrtkel-tool restore --generation YYYY-MM-DD [--year YYYY | --names]\n";
    const std::string date = *ctx.option("--generation");
    const auto year = ctx.option("--year");
    const bool names = ctx.flag("--names");
    mrt::CivilDate d;
    int y = 0;
    if (!mrt::ParseGenerationDate(date, d) || (year && names) || ctx.option("--from") || ctx.option("--files")) {
        std::cerr << usage;
        return 2;
    }
    if (year) {
        try {
            y = std::stoi(*year);
        } catch (const std::exception&) {
            std::cerr << usage;
            return 2;
        }
    }
    if (!ctx.requireDataFolder("restore")) return 1;
    if (!ctx.lockForWriting()) return 1;
    mrt::GenerationInfo gen;
    if (!mrt::FindGoodGeneration(mrt::BackupFolder(ctx.home), date, gen)) {
        std::cerr << date << ": 確認済みの保存世代がありません (mrtkel-tool backup --list-generations)。\n";
        return 1;
    }
    const int kind = year ? mrt::kLedgerYearKind : names ? mrt::kRegisteredKind : mrt::kWholeGenerationKind;
    std::vector<std::string> copied;
    mrt::CopyFailure failure;
    bool changed = false;
    if (mrt::RestoreGeneration(gen, kind, y, ctx.dataFolder, *ctx.dialogs, copied, failure, changed) != 0) {
        std::cerr << (changed ? "ファイルの複写に失敗しました。"
                              : "保管データを復帰できません。システムのデータは変更していません。")
                  << "\n"
                  << (failure.file.empty() ? "" : failure.file + ": ") << failure.reason << "\n";
        return 1;
    }
    for (const std::string& n : copied)
        std::cout << mrt::JoinPath(gen.folder, n) << " -> " << mrt::ResolveCase(ctx.dataFolder, n) << "\n";
    return 0;
}

int runBackup(mrt::ToolContext& ctx) {
    if (ctx.flag("--list-generations")) return listGenerations(ctx);
    return runCopy(ctx, mrt::kBackupDirection);
}
int runRestore(mrt::ToolContext& ctx) {
    if (ctx.option("--generation")) return restoreGeneration(ctx);
    return runCopy(ctx, mrt::kRestoreDirection);
}

} // namespace

MRT_TOOL_COMMAND(backup,
                 "copies data files to --to DIR: --year YYYY, --names (*.mrt) or --files PATTERN; "
                 "--list-generations lists the dated generations",
                 runBackup);
MRT_TOOL_COMMAND(restore,
                 "copies backed-up files from --from DIR into Data1/, all or none: --year, --names, --files; "
                 "--generation YYYY-MM-DD [--year | --names] restores a dated generation",
                 runRestore, mrt::HomeUse::Writes);
