#include "app/CsvCommands.h"

#include "app/AppState.h"
#include "budget/Budget.h"
#include "budget/BudgetCsv.h"
#include "ledger/LedgerCsv.h"
#include "ledger/LedgerSearch.h"
#include "ledger/LineRules.h"
#include "port/Dialogs.h"
#include "util/HomeSettings.h"
#include "util/Paths.h"

#include <filesystem>

namespace mrt {
namespace {

constexpr const char* kImportTitle = "CSV取込";
constexpr const char* kExportTitle = "CSV出力";

void rememberCsvFolder(const std::string& home, const std::string& path) {
    std::string folder, name;
    SplitPath(path, folder, name);
    if (folder.size() > 1) folder.pop_back(); // kept without its final "/", the root as "/"
    // Only a whole path names a folder worth coming back to; a failed note loses nothing but the hint.
    if (!folder.empty() && folder.front() == '/') WriteHomeSetting(home, kLastCsvFolderKey, folder);
}

} // namespace

std::string CsvStartFolder(const std::string& home, const std::string& fallback) {
    const std::string kept = ReadHomeSetting(home, kLastCsvFolderKey);
    std::error_code ec;
    return !kept.empty() && std::filesystem::is_directory(kept, ec) ? kept : fallback;
}

bool ChooseImportFile(Dialogs& dlg, const std::string& home, const std::string& fallback, std::string& path,
                      std::string& bytes) {
    std::string chosen = CsvStartFolder(home, fallback);
    std::vector<std::string> files;
    if (dlg.GetFileName(kImportTitle, "取り込むCSVファイルを選んでください。", "*.csv", 1, chosen, files) != 0 ||
        files.empty())
        return false;
    path = JoinPath(chosen, files.front());
    rememberCsvFolder(home, path);
    if (!ReadWholeFile(path, bytes)) {
        dlg.MsgOK("ファイルを読めませんでした。\r\n" + path, kImportTitle);
        return false;
    }
    return true;
}

ImportPlan PlanAppImport(const AppState& app, const std::string& bytes, bool registerItems) {
    return PlanImport(bytes, app.ledger.index, app.names, app.settings.TaxRate, registerItems);
}

int RunAppImport(AppState& app, const ImportPlan& plan, Dialogs& dlg) {
    if (!plan.Ready()) return 1;
    // The import reads and saves the blocks it needs itself; the loop then reads the ledger anew.
    LedgerState work;
    work.index = app.ledger.index;
    work.BlockMonthsInUse = app.ledger.BlockMonthsInUse;
    dlg.MsgOn("\r\nしばらくお待ちください。", "取込み中...");
    const int r = ApplyImport(work, app.names, app.namePaths(), plan, dlg);
    dlg.MsgOff();
    if (r < 0) return 1;
    std::string msg = std::to_string(plan.rows.size()) + " 行を取り込みました。";
    if (r == 0 && !plan.newItems.empty())
        msg += "\r\n新しい項目名を " + std::to_string(plan.newItems.size()) + " 件登録しました。";
    dlg.MsgOK(msg, kImportTitle);
    return 0;
}

int RunAppExport(const AppState& app, const std::string& from, const std::string& to, CsvEncoding enc,
                 const std::string& path, Dialogs& dlg) {
    int32_t first = 0, last = 0;
    if (!ParseDateBound(from, first) || !ParseDateBound(to, last)) {
        dlg.MsgOK("日付が異常です。", kExportTitle);
        return 1;
    }
    if (first && last && first > last) {
        dlg.MsgOK("開始日が終了日より後になっています。", kExportTitle);
        return 1;
    }
    std::string folder, name;
    SplitPath(path, folder, name);
    if (name.empty()) {
        dlg.MsgOK("出力するファイルの名前を入力してください。", kExportTitle);
        return 1;
    }
    const int lines = ExportLedgerCsv(app.ledger.index, first, last, enc, path, dlg);
    if (lines == -2) return 1;
    if (lines < 0) return -1;
    rememberCsvFolder(app.home, path);
    dlg.MsgOK(std::to_string(lines) + " 行を書き出しました。\r\n" + path, kExportTitle);
    return 0;
}

int RunAppBudgetExport(const AppState& app, const std::string& year, CsvEncoding enc, const std::string& path,
                       Dialogs& dlg) {
    int y = 0;
    for (char c : year) {
        if (c == ' ') continue;
        if (c < '0' || c > '9' || y > 999) {
            y = -1;
            break;
        }
        y = y * 10 + (c - '0');
    }
    if (!IsLedgerYear(y)) {
        dlg.MsgOK("年が異常です。( " + std::to_string(kFirstLedgerYear) + "～" + std::to_string(kLastLedgerYear) + " )",
                  kExportTitle);
        return 1;
    }
    std::string folder, name;
    SplitPath(path, folder, name);
    if (name.empty()) {
        dlg.MsgOK("出力するファイルの名前を入力してください。", kExportTitle);
        return 1;
    }
    const int rows = ExportBudgetCsv(app.names, y, BudgetPlaceOf(app.home), enc, path, dlg);
    if (rows == -2) return 1;
    if (rows < 0) return -1;
    rememberCsvFolder(app.home, path);
    dlg.MsgOK(std::to_string(y) + "年の予算表 " + std::to_string(rows) + " 行を書き出しました。\r\n" + path,
              kExportTitle);
    return 0;
}

} // namespace mrt
