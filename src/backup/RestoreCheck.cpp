#include "backup/RestoreCheck.h"

#include "budget/Budget.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerFiles.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "settings/IniRecord.h"
#include "util/FileCopy.h"
#include "util/Paths.h"
#include "util/SystemError.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <strings.h>
#include <system_error>
#include <unistd.h>

namespace mrt {
namespace {

// The loaders report through dialogs as well; here only their results count.
class SilentDialogs : public ConsoleDialogs {
public:
    void MsgOK(const std::string&, const std::string&, int, int) override {}
    MsgResult MsgBox(const std::string&, const std::string&, MsgIcon, MsgButtons) override { return MsgResult::Cancel; }
};

// A folder of the system's temporary space, removed with everything in it when it goes.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "mrtkel-restore-XXXXXX").string();
        if (ec) pattern = "/tmp/mrtkel-restore-XXXXXX";
        if (::mkdtemp(pattern.data())) m_path = pattern + "/";
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return m_path; } // ends in "/"; empty when it could not be made

private:
    std::string m_path;
};

// Writes a file of the scratch folder; no data, so not through the file system of the write path.
bool writeScratch(const std::string& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const int err = errno;
    ::close(fd);
    errno = err;
    return done == bytes.size();
}

// The data folder as the restore would leave it: a link to each file it keeps, a copy of each
// file the restore brings. False with `error` set.
bool buildView(const std::string& scratch, const std::string& dataFolder, const std::vector<RestoredFile>& files,
               std::string& error) {
    std::set<std::string> replaced;
    for (const RestoredFile& f : files)
        replaced.insert(f.targetName);
    std::vector<std::string> kept;
    std::error_code ec;
    const std::string data = std::filesystem::absolute(dataFolder, ec).string();
    if (ListFiles(data, "*", kept, true) > 0) {
        for (const std::string& name : kept) {
            if (replaced.count(name)) continue;
            if (::symlink(JoinPath(data, name).c_str(), (scratch + name).c_str()) != 0) {
                error = SystemErrorText(errno);
                return false;
            }
        }
    }
    for (const RestoredFile& f : files) {
        if (!writeScratch(scratch + f.targetName, f.bytes)) {
            error = SystemErrorText(errno);
            return false;
        }
    }
    return true;
}

bool sameName(const std::string& a, const std::string& b) {
    return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The failure for a loader's or check's text, which begins with the name of the file it concerns:
// that file as the source folder spells it.
CopyFailure failureOf(const std::string& problem, const std::vector<RestoredFile>& files) {
    for (const RestoredFile& f : files) {
        const std::string& n = f.targetName;
        if (problem.size() > n.size() && sameName(problem.substr(0, n.size()), n) &&
            (problem[n.size()] == ':' || problem[n.size()] == ' '))
            return {f.sourceName, problem};
    }
    return {std::string(), problem};
}

bool checkLedger(const std::string& view, const std::string& dataFolder, const std::vector<RestoredFile>& files,
                 CopyFailure& failure) {
    LedgerState st;
    st.index.SetDataFolder(view);
    std::set<int> years;
    for (const RestoredFile& f : files) {
        for (int y : {YearOfFileName(f.targetName, st.index.InfPrefix, st.index.InfExtension),
                      YearOfFileName(f.targetName, st.index.IoPrefix, st.index.IoExtension)})
            if (y >= 0) years.insert(y);
    }
    if (years.empty()) return true;
    for (int y : years) {
        if (std::vector<std::string> problems = CheckLedgerYear(st.index, y); !problems.empty()) {
            failure = failureOf(problems.front(), files);
            return false;
        }
    }
    // As a start reads it: the scan of every year, then every line of the restored years. A start
    // that fails on the data folder as it is now does not make the restore's fault.
    SilentDialogs quiet;
    st.MaxBlockLines = INT_MAX;
    if (ScanLedgerYears(st, quiet) != 0) {
        LedgerState now;
        now.index.SetDataFolder(dataFolder);
        now.MaxBlockLines = INT_MAX;
        if (ScanLedgerYears(now, quiet) != 0) return true;
        failure = failureOf(st.ReadFailure.empty() ? std::string(kLedgerReadFailedMessage) : st.ReadFailure, files);
        return false;
    }
    for (int y : years) {
        std::string why;
        if (CheckYearLines(st.index, y, quiet, why) != 0) {
            failure = failureOf(why.empty() ? std::string(kLedgerReadFailedMessage) : why, files);
            return false;
        }
    }
    return true;
}

// The name tables, budgets and settings file among the files, each through its loader.
bool checkOthers(const std::string& view, const std::vector<RestoredFile>& files, CopyFailure& failure) {
    NameTables tables;
    std::string why;
    const std::string itemPath = ResolveCase(view, kItemFileName);
    const int items = LoadItemTable(itemPath, tables, &why);
    for (const RestoredFile& f : files) {
        const std::string path = view + f.targetName;
        int r = 0;
        std::string reason;
        if (sameName(f.targetName, kItemFileName)) {
            r = items;
            reason = why;
        } else if (sameName(f.targetName, kBrkDnFileName)) {
            r = LoadBrkDnTable(path, tables, false, &reason);
        } else if (sameName(f.targetName, kShopFileName)) {
            r = LoadShopTable(path, tables, false, &reason);
        } else if (sameName(f.targetName, kSettingsFileName)) {
            IniRecord rec;
            r = ReadSettings(path, rec, &reason);
        } else if (YearOfFileName(f.targetName, "Bgt", ".usr") >= 0 && items >= 0) {
            // Budgets are read with the item table the data folder will hold.
            BgtRecord rec;
            if (!DecodeBudgetFile(f.bytes, BudgetCountsOf(tables.items), rec)) {
                r = -1;
                reason = f.targetName + ": 予算データとして読み込めません (値が足りないか、数字でない値があります)。";
            }
        }
        if (r < 0) {
            failure = failureOf(reason.empty() ? f.targetName + ": 読み込めません。" : reason, files);
            if (failure.file.empty()) failure.file = f.sourceName;
            return false;
        }
    }
    return true;
}

} // namespace

bool CheckRestoredFiles(const std::string& dataFolder, const std::vector<RestoredFile>& files, CopyFailure& failure) {
    ScratchFolder scratch;
    std::string error;
    if (scratch.path().empty()) error = SystemErrorText(errno);
    if (error.empty() && buildView(scratch.path(), dataFolder, files, error))
        return checkLedger(scratch.path(), dataFolder, files, failure) && checkOthers(scratch.path(), files, failure);
    failure = {std::string(), "復帰するデータを確かめる作業用のフォルダを作れません。" + error};
    return false;
}

} // namespace mrt
