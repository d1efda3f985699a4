// backup / restore: the program's backup and restore flows with the answers taken from the
// command line, for scripted backups (cron). Both take the data-folder lock.
#include "backup/BackupData.h"
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

int runBackup(mrt::ToolContext& ctx) {
    return runCopy(ctx, mrt::kBackupDirection);
}
int runRestore(mrt::ToolContext& ctx) {
    return runCopy(ctx, mrt::kRestoreDirection);
}

} // namespace

MRT_TOOL_COMMAND(backup, "copies data files to --to DIR: --year YYYY, --names (*.mrt) or --files PATTERN", runBackup);
MRT_TOOL_COMMAND(restore, "copies backed-up files from --from DIR into Data1/, all or none: --year, --names, --files",
                 runRestore, mrt::HomeUse::Writes);
