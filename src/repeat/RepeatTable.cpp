#include "repeat/RepeatTable.h"

#include "ledger/IoRecord.h"
#include "ledger/LineRules.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/Csv.h"
#include "util/FileBatch.h"
#include "util/Paths.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <unistd.h>

namespace mrt {
namespace {

constexpr const char* kMagic = "定期入出金";
constexpr const char* kVersion = "1";
constexpr size_t kColumns = 13;
constexpr const char* kWriteErrorTitle = "定期入出金ファイル書込みエラー";

const char* kindCode(RepeatKind k) {
    return k == RepeatKind::Monthly ? "M" : k == RepeatKind::Weekly ? "W" : "Y";
}

bool number(const std::string& s, int32_t& v) {
    const char* e = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), e, v);
    return !s.empty() && ec == std::errc() && p == e;
}

bool decodeEntry(const std::vector<std::string>& c, RepeatEntry& e, std::string& why) {
    if (c.size() != kColumns) {
        why = "列の数が異常です。";
        return false;
    }
    e.item = c[0];
    e.note = c[1];
    e.shop = c[2];
    int32_t side = 0, every = 0, day = 0, business = 0;
    if (!number(c[3], side) || (side != kIncomeKind && side != kExpenseKind)) {
        why = "入金・出金の区別が異常です。";
        return false;
    }
    e.side = side;
    e.amount = c[4];
    if (c[5] == "M")
        e.rule.kind = RepeatKind::Monthly;
    else if (c[5] == "W")
        e.rule.kind = RepeatKind::Weekly;
    else if (c[5] == "Y")
        e.rule.kind = RepeatKind::Yearly;
    else {
        why = "繰返しの種類が異常です。";
        return false;
    }
    if (!number(c[6], every) || !number(c[7], day) || !number(c[8], business) || business < 0 || business > 1 ||
        !number(c[9], e.rule.first) || !number(c[10], e.rule.last) || !number(c[11], e.offeredUpTo)) {
        why = "数値が異常です。";
        return false;
    }
    e.rule.every = every;
    e.rule.day = day;
    e.rule.nextBusinessDay = business == 1;
    if (std::string r = CheckRepeatRule(e.rule); !r.empty()) {
        why = r;
        return false;
    }
    e.postponed.clear();
    std::string_view rest = c[12];
    while (!rest.empty()) {
        const size_t sp = rest.find(' ');
        int32_t d = 0;
        if (!number(std::string(rest.substr(0, sp)), d)) {
            why = "保留した日付が異常です。";
            return false;
        }
        e.postponed.push_back(d);
        rest = sp == std::string_view::npos ? std::string_view() : rest.substr(sp + 1);
    }
    return true;
}

} // namespace

std::string RepeatFileIn(const std::string& dataFolder) {
    return ResolveCase(dataFolder, kRepeatFileName);
}

bool EncodeRepeatTable(const RepeatTable& table, std::string& bytes, std::string& error) {
    CsvWriter csv;
    csv.Text(kMagic).Text(kVersion).EndRow();
    for (const RepeatEntry& e : table.entries) {
        std::string postponed;
        for (int32_t d : e.postponed)
            postponed += (postponed.empty() ? "" : " ") + std::to_string(d);
        csv.Text(e.item).Text(e.note).Text(e.shop).Number(e.side).Text(e.amount).Text(kindCode(e.rule.kind));
        csv.Number(e.rule.every).Number(e.rule.day).Number(e.rule.nextBusinessDay ? 1 : 0);
        csv.Number(e.rule.first).Number(e.rule.last).Number(e.offeredUpTo).Text(postponed).EndRow();
    }
    std::string bad;
    if (EncodeCsv(csv.Data(), CsvEncoding::Cp932, bytes, &bad)) return true;
    error = NonCp932Refusal(bad, "定期入出金に登録");
    return false;
}

bool DecodeRepeatTable(std::string_view bytes, RepeatTable& table, std::string& why) {
    std::vector<CsvRecord> records;
    if (!ParseCsv(bytes, records, why)) return false;
    if (records.empty() || records[0].cells.size() < 2 || records[0].cells[0] != kMagic) {
        why = "定期入出金のファイルではありません。";
        return false;
    }
    if (records[0].cells[1] != kVersion) {
        why = "このプログラムより新しい形式です。";
        return false;
    }
    RepeatTable t;
    for (size_t i = 1; i < records.size(); ++i) {
        RepeatEntry e;
        if (!decodeEntry(records[i].cells, e, why)) {
            why = std::to_string(records[i].lineNo) + "行目: " + why;
            return false;
        }
        t.entries.push_back(std::move(e));
    }
    table = std::move(t);
    return true;
}

int LoadRepeatTable(const std::string& path, RepeatTable& table, std::string* why) {
    table = RepeatTable{};
    if (::access(path.c_str(), F_OK) != 0 && errno == ENOENT) return 1;
    std::string bytes, reason;
    if (!ReadWholeFile(path, bytes))
        reason = "読み込めません。";
    else if (DecodeRepeatTable(bytes, table, reason))
        return 0;
    std::string dir, name;
    SplitPath(path, dir, name);
    if (why) *why = name + ": " + reason;
    table = RepeatTable{};
    return -1;
}

bool StageRepeatTable(FileBatch& batch, const std::string& path, const RepeatTable& table, std::string& error) {
    std::string bytes;
    return EncodeRepeatTable(table, bytes, error) && batch.Stage(path, bytes, error);
}

int SaveRepeatTable(const std::string& path, const RepeatTable& table, Dialogs& dlg) {
    FileBatch batch;
    std::string error;
    if (StageRepeatTable(batch, path, table, error) && batch.Commit(error)) return 0;
    batch.Abort();
    dlg.MsgBox(error, kWriteErrorTitle, MsgIcon::Exclamation, MsgButtons::OK);
    return -1;
}

std::string CheckRepeatEntry(const RepeatEntry& e, const NameTables* names, int taxRate) {
    const std::pair<LineText, const std::string*> texts[] = {
        {LineText::Item, &e.item}, {LineText::Note, &e.note}, {LineText::Shop, &e.shop}};
    for (const auto& [field, text] : texts)
        if (LineTextFault f = CheckLineText(field, *text)) return LineTextMessage(field, f);
    if (e.item.empty()) return "項目名がありません。";
    if (e.side != kIncomeKind && e.side != kExpenseKind) return "入金か出金かを決めてください。";
    int32_t amount = 0;
    if (TrimRight(e.amount).empty()) return "金額がありません。";
    if (LineAmountFault f = CheckLineAmount(e.amount, taxRate, amount); f != LineAmountFault::None)
        return LineAmountMessage(f);
    if (names) {
        IoRecord probe;
        probe.ItemName = e.item;
        (e.side == kIncomeKind ? probe.Income : probe.Expense) = std::max<int32_t>(amount, 1);
        if (LineItemFault f = CheckLineItem(*names, probe)) return LineItemMessage(probe, f);
    }
    return CheckRepeatRule(e.rule);
}

} // namespace mrt
