#include "budget/BudgetRegistration.h"

#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Clock.h"
#include "util/DateText.h"
#include "util/ProgramInfo.h"

#include <cstdio>

namespace mrt {

namespace {

constexpr const char* kAppTitle = kProgramName;
constexpr const char* kNoItems = "項目名データがありません。項目名を登録してください。";
constexpr const char* kAskMonth = "予算登録する年月を入力してください。";

// Each ASCII digit as its full-width form (U+FF10..U+FF19).
std::string fullWidthDigits(int value) {
    std::string out;
    for (char c : std::to_string(value)) {
        out += "\xEF\xBC";
        out += static_cast<char>(0x90 + (c - '0'));
    }
    return out;
}

std::string yearMonthText(int year, int month) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d", year, month);
    return buf;
}

// The answer of the year-month question: the year is its first four characters ("yy/mm" answers
// are widened by the two-digit rule), the month its last two. False when it is not a month.
bool parseYearMonth(const std::string& answer, int& year, int& month) {
    auto number = [](const std::string& s) {
        int v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return s.empty() ? -1 : v;
    };
    if (answer.size() < 4) return false;
    month = number(answer.substr(answer.size() - 2));
    year = answer.size() >= 7 ? number(answer.substr(0, 4)) : number(answer.substr(0, 2));
    if (year >= 0 && answer.size() < 7) year = ExpandTwoDigitYear(year);
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12;
}

} // namespace

std::string BudgetPageCaption(int year, int month, int kind) {
    return fullWidthDigits(year) + "年 " + fullWidthDigits(month) + "月分" + (kind == 0 ? "（入金）" : "（出金）");
}

BudgetPage MakeBudgetPage(const BgtRecord& rec, const NameTables& names, int year, int month, int kind) {
    BudgetPage page;
    page.year = year;
    page.month = month;
    page.kind = kind;
    page.caption = BudgetPageCaption(year, month, kind);
    page.itemCounts = {names.items.ItemCount[0], names.items.ItemCount[1]};
    std::vector<std::string> list = FillItemList(names, kind, false);
    for (size_t i = 0; i < list.size(); ++i) {
        int slot = ItemSlotAt(names, kind, static_cast<int>(i) + 1);
        int32_t amount = slot >= 1 && slot <= kBudgetSlotMax[kind] ? rec.at(month, kind, slot) : -1;
        page.names.push_back(list[i] + " ");
        page.amounts.push_back(amount < 0 ? std::string() : std::to_string(amount));
    }
    return page;
}

int RunBudgetRegistration(BgtRecord& rec, const NameTables& names, const BudgetPlace& place, Dialogs& dlg,
                          BudgetPageView& view) {
    const ItemRecord& items = names.items;
    if (items.ItemCount[0] <= 0 || items.ItemCount[1] <= 0) {
        dlg.MsgBox(kNoItems, kAppTitle, MsgIcon::None, MsgButtons::OK);
        return 0;
    }
    CivilDate today = AppClock().Today();
    std::string proposal = yearMonthText(today.year, today.month);
    int result = 0;
    for (;;) {
        std::string answer;
        if (dlg.DateInYM(kAskMonth, proposal, answer) != 0) break;
        int year = 0, month = 0;
        if (!parseYearMonth(answer, year, month)) continue;
        proposal = answer;
        if ((result = LoadBudget(rec, year, items, place, dlg)) != 0) break;

        int kind = 1; // the expense page first
        bool registered = false;
        for (;;) {
            BudgetPage page = MakeBudgetPage(rec, names, year, month, kind);
            BudgetPageAction action = view.ShowBudgetPage(page);
            if (action == BudgetPageAction::Cancelled) break;
            CommitBudgetPage(rec, year, month, kind, page.amounts, items);
            if (action == BudgetPageAction::Register) {
                registered = true;
                break;
            }
            if (action == BudgetPageAction::SwitchKind) {
                kind = 1 - kind;
                continue;
            }
            month += action == BudgetPageAction::NextMonth ? 1 : -1;
            if (month >= 1 && month <= 12) continue;
            // Leaving the year: its pages are saved before the next year's budget is read.
            if (SaveBudget(rec, year, items, place, dlg) != 0) {
                result = -1;
                break;
            }
            year += month > 12 ? 1 : -1;
            month = month > 12 ? 1 : 12;
            if ((result = LoadBudget(rec, year, items, place, dlg)) != 0) break;
        }
        if (result != 0) break;
        if (registered) {
            dlg.MsgOn("データ処理中、しばらくお待ち下さい", "予算表");
            int saved = SaveBudget(rec, year, items, place, dlg);
            dlg.MsgOff();
            if (saved != 0) {
                result = -1;
                break;
            }
        }
    }
    view.UnloadBudgetWindow();
    return result;
}

} // namespace mrt
