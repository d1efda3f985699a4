#include "budget/Budget.h"

#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/FileCopy.h"
#include "util/Home.h"
#include "util/Paths.h"
#include "util/ProgramInfo.h"

#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace mrt {

namespace {

constexpr const char* kAppTitle = kProgramName;
constexpr const char* kDamageTitle = "予算データ異常";
constexpr const char* kDamageQuestion =
    "予算データが異常です。前回登録時のデータに戻します。\r\n(直前の登録部分は削除されます)　　よろしいですか？";
constexpr const char* kRestoreFailed = "予算データを復元できませんでした。";
constexpr const char* kWriteFailed = "予算データ書き込みに失敗しました。";

bool isFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Outcome of one reading attempt.
enum class ReadResult { Done, Damaged, Failed };

// Reads `path` into rec; Damaged when it cannot be read or parsed.
ReadResult readFile(const std::string& path, BudgetCounts counts, BgtRecord& rec) {
    std::string text;
    if (!ReadWholeFile(path, text)) return ReadResult::Damaged;
    return DecodeBudgetFile(text, counts, rec) ? ReadResult::Done : ReadResult::Damaged;
}

// Steps 2 to 6 of loading: the year's own file, else the previous December, else no budget.
// `damagedPath` names the file that could not be read.
ReadResult readYear(BgtRecord& rec, int year, BudgetCounts counts, const BudgetPlace& place, Dialogs& dlg,
                    std::string& damagedPath) {
    std::string own = BudgetPath(place, year);
    int missing = FileMissing(own, dlg);
    if (missing < 0) return ReadResult::Failed;
    if (missing == 0) {
        if (readFile(own, counts, rec) != ReadResult::Done) {
            damagedPath = own;
            return ReadResult::Damaged;
        }
        rec.BudgetFileName = own;
        return ReadResult::Done;
    }
    std::string previous = BudgetPath(place, year - 1);
    missing = FileMissing(previous, dlg);
    if (missing < 0) return ReadResult::Failed;
    if (missing == 0) {
        BgtRecord last;
        if (readFile(previous, counts, last) != ReadResult::Done) {
            damagedPath = previous;
            return ReadResult::Damaged;
        }
        for (int month = 1; month <= kBudgetMonths; ++month)
            rec.BudgetAmounts[month] = last.BudgetAmounts[12];
        return ReadResult::Done;
    }
    FillBudget(rec, -1);
    return ReadResult::Done;
}

} // namespace

BudgetCounts BudgetCountsOf(const ItemRecord& items) {
    return {items.ItemCount[0], items.ItemCount[1]};
}

BudgetPlace BudgetPlaceOf(const std::string& home) {
    return {DataFolder(home), BackupFolder(home)};
}

std::string BudgetPath(const BudgetPlace& place, int year) {
    return ResolveCase(place.dataFolder, BudgetFileNameOf(year));
}

int LoadBudget(BgtRecord& rec, int year, const ItemRecord& items, const BudgetPlace& place, Dialogs& dlg) {
    const BudgetCounts counts = BudgetCountsOf(items);
    if (year != 0 && rec.HeldYear == year) return 0;
    bool restored = false;
    for (;;) {
        rec.HeldYear = 0;
        rec.BudgetFileName.clear();
        FillBudget(rec, 0);
        std::string damagedPath;
        ReadResult r = readYear(rec, year, counts, place, dlg, damagedPath);
        if (r == ReadResult::Done) {
            rec.HeldYear = year;
            return 0;
        }
        if (r == ReadResult::Failed) return -1;
        // A restored file that is still damaged, or no backup to restore from, would only bring the
        // same question back: the restoration has failed.
        std::string folder, fileName;
        SplitPath(damagedPath, folder, fileName);
        if (restored) {
            dlg.MsgOK(kRestoreFailed, kDamageTitle);
            return -1;
        }
        if (dlg.MsgYesNo2(kDamageQuestion, kDamageTitle, 0) != 0) return -1;
        if (!isFile(ResolveCase(place.backupFolder, fileName))) {
            dlg.MsgOK(kRestoreFailed, kDamageTitle);
            return -1;
        }
        if (CopyChangedFiles(fileName, place.backupFolder, place.dataFolder, dlg) != 0) return -1;
        restored = true;
    }
}

int SaveBudget(const BgtRecord& rec, int year, const ItemRecord& items, const BudgetPlace& place, Dialogs& dlg) {
    // Writing another year's amounts under this name would corrupt the file: refuse it.
    if (rec.HeldYear != year ||
        !WriteWholeFile(BudgetPath(place, year), EncodeBudgetFile(rec, BudgetCountsOf(items)))) {
        dlg.MsgBox(kWriteFailed, kAppTitle, MsgIcon::Critical, MsgButtons::OK);
        return -1;
    }
    return 0;
}

int32_t BudgetTextValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > std::numeric_limits<int32_t>::max()) v = std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(negative ? -v : v);
}

void CommitBudgetPage(BgtRecord& rec, int /*year*/, int month, int kind, const std::vector<std::string>& texts,
                      const ItemRecord& items) {
    if (month < 1 || month > kBudgetMonths || kind < 0 || kind > 1) return;
    const size_t count = static_cast<size_t>(std::clamp<int>(items.ItemCount[kind], 0, ItemMax[kind]));
    for (size_t i = 0; i < texts.size() && i < count; ++i) {
        int slot = items.ItemOrder[kind][i + 1];
        if (slot < 1 || slot > kBudgetSlotMax[kind]) continue;
        std::string text = TrimRight(texts[i]);
        bool forward = false;
        if (!text.empty() && text.back() == '+') {
            text.pop_back();
            forward = true;
        } else if (text.size() >= 3 && text.compare(text.size() - 3, 3, "＋") == 0) {
            text.resize(text.size() - 3);
            forward = true;
        }
        text = TrimRight(text);
        int32_t amount = text.empty() ? -1 : BudgetTextValue(text);
        int lastMonth = forward ? kBudgetMonths : month;
        for (int m = month; m <= lastMonth; ++m)
            rec.at(m, kind, slot) = amount;
    }
}

} // namespace mrt
