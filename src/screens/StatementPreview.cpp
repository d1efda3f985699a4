#include "screens/StatementPreview.h"

#include "ledger/AmountExpr.h"
#include "ledger/LineRules.h"
#include "port/Dialogs.h"
#include "screens/ItemChoice.h"
#include "totals/TotalsText.h"
#include "util/DateText.h"

#include <algorithm>

namespace mrt {
namespace {

constexpr const char* kTitle = "明細取込";

} // namespace

StatementPreview::StatementPreview(StatementTarget target, Dialogs& dlg) : m_target(std::move(target)), m_dlg(dlg) {}

bool StatementPreview::Load(const std::string& path, const std::string& bytes) {
    std::string error;
    if (m_import.Open(m_target.dataFolder, *m_target.index, *m_target.names, m_target.taxRate, m_registerItems,
                      error) != 0) {
        m_dlg.MsgOK(error, kTitle);
        return false;
    }
    std::string layout;
    int year = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (m_import.Read(bytes, layout, year, error)) {
            const StatementPlan& p = m_import.Plan();
            m_title = std::string(kTitle) + " — " + path + " (" + p.file.layout.label + ", " +
                      StatementEncodingName(p.file.encoding) + ")";
            return true;
        }
        const StatementFile& f = m_import.Plan().file;
        if (f.needsYear && year == 0) {
            std::string text = std::to_string(m_target.thisYear);
            if (m_dlg.InputKel(text, "明細の日付に年がありません。最初の行の年を入力してください。", kTitle, 0, 0,
                               "2000,2050") != 0)
                return false;
            year = std::atoi(text.c_str());
            continue;
        }
        if (f.needsMapping && layout.empty()) {
            CustomLayout custom;
            if (!askMapping(f, custom)) return false;
            layout = custom.name;
            m_import.SaveLayout(std::move(custom));
            continue;
        }
        m_dlg.MsgOK(f.error.empty() ? error : f.error, kTitle);
        return false;
    }
    return false;
}

// The column-mapping step: the date, shop and amount columns from lists of the header's columns
// (with the first line's values), then a name to keep the mapping under.
bool StatementPreview::askMapping(const StatementFile& f, CustomLayout& layout) {
    std::vector<std::string> columns;
    for (size_t i = 0; i < f.header.size(); ++i) {
        std::string entry = std::to_string(i + 1) + ": " + f.header[i];
        if (!f.sampleRows.empty() && i < f.sampleRows[0].size()) entry += "  (例: " + f.sampleRows[0][i] + ")";
        columns.push_back(entry);
    }
    std::vector<std::string> optional = columns;
    optional.insert(optional.begin(), "（なし）");
    ColumnMap map;
    auto pick = [&](ColumnRole role, bool canSkip) {
        const std::string msg =
            std::string("見出しから明細の形式がわかりません。「") + ColumnRoleLabel(role) + "」の列を選んでください。";
        const int r = m_dlg.ListKel(canSkip ? optional : columns, 1, msg, "列の割り当て");
        if (r < 1) return false;
        map[role] = canSkip ? r - 2 : r - 1;
        return true;
    };
    if (!pick(ColumnRole::Date, false) || !pick(ColumnRole::Shop, false)) return false;
    const int form = m_dlg.MsgKel({"出金と入金の2列", "符号付きの1列", "中止"}, "金額の列の形は？", "列の割り当て");
    if (form == 1) {
        if (!pick(ColumnRole::Out, false) || !pick(ColumnRole::In, true)) return false;
    } else if (form == 2) {
        if (!pick(ColumnRole::Signed, false)) return false;
        const int sign = m_dlg.MsgKel({"支払いが正 (カード)", "支払いが負 (口座)", "中止"}, "支払いの金額の符号は？",
                                      "列の割り当て");
        if (sign != 1 && sign != 2) return false;
        layout.sign = sign == 1 ? SignRule::SpendPositive : SignRule::SpendNegative;
    } else {
        return false;
    }
    if (!pick(ColumnRole::Memo, true)) return false;
    std::string name;
    if (m_dlg.InputKel(name, "この割り当てを保存する名前 (次からこの見出しの明細に使います):", "列の割り当て", 0, 0,
                       "1,40") != 0 ||
        name.empty())
        return false;
    layout = MakeCustomLayout(name, f.header, map, layout.sign);
    return true;
}

std::vector<std::string> StatementPreview::Headers() {
    return {"行", "取込", "状態", "日付", "明細の店名", "金額", "項目名", "内訳・備考", "店名・相手先", "根拠・理由"};
}

std::vector<std::string> StatementPreview::RowCells(int r) const {
    const PlannedLine& p = line(r);
    const StatementRow& row = m_import.Plan().file.rows[static_cast<size_t>(p.row)];
    std::string why = p.problem.empty() ? p.reason : p.problem;
    if (!p.source.empty() && why != p.source) why = why.empty() ? p.source : p.source + " / " + why;
    if (!row.problem.empty())
        return {std::to_string(row.lineNo), "", LineStateName(p.Shown()), "", "", "", "", "", "", why};
    return {std::to_string(row.lineNo),
            p.include ? "○" : "",
            LineStateName(p.Shown()),
            FormatDate(p.line.Year, p.line.Month, p.line.Day),
            row.rawShop,
            GroupedAmount(row.amount),
            p.line.ItemName,
            p.line.Note,
            p.line.ShopName,
            why};
}

std::string StatementPreview::Summary() const {
    const StatementPlan& p = m_import.Plan();
    std::string s =
        "取り込む行: " + std::to_string(p.Included()) + " 行  出金 " + GroupedAmount(p.IncludedOut()) + " 円  入金 " +
        GroupedAmount(p.IncludedIn()) + " 円    重複 " + std::to_string(p.Count(LineState::Duplicate)) + "  対象外 " +
        std::to_string(p.Count(LineState::Skipped)) + "  相殺 " + std::to_string(p.Count(LineState::Cancelled)) +
        "  項目未定 " + std::to_string(p.Count(LineState::NeedsItem)) + "  誤り " +
        std::to_string(p.Count(LineState::Error));
    if (!p.ledgerError.empty())
        s += "\n" + p.ledgerError;
    else if (p.IncludedProblems() > 0)
        s += "\n誤りのある行を直すか除外するまで取り込めません。";
    if (!p.newItems.empty()) s += "\n新しく登録する項目名: " + std::to_string(p.newItems.size()) + " 件";
    return s;
}

bool StatementPreview::CanImport() const {
    const StatementPlan& p = m_import.Plan();
    return p.IncludedProblems() == 0 && (p.Included() == 0 || p.ledgerError.empty()) &&
           (p.Included() > 0 || m_import.RulesChanged());
}

bool StatementPreview::ChangeItem(int r) {
    const PlannedLine& p = line(r);
    if (p.state == LineState::Error && !m_import.Plan().file.rows[static_cast<size_t>(p.row)].problem.empty()) {
        m_dlg.Beep();
        return false;
    }
    const int kind = p.line.Income > 0 ? kIncomeKind : kExpenseKind;
    std::vector<std::string> items;
    const int chosen = ChooseItem(m_dlg, *m_target.names, {kind}, {}, p.line.ItemName,
                                  "「" + p.line.ShopName + "」の項目名を選んでください。",
                                  kind == kIncomeKind ? "入金項目名" : "出金項目名", items);
    if (chosen < 1) return false;
    SetLineItem(m_import.Plan(), r, items[static_cast<size_t>(chosen - 1)], m_import.Context());
    return true;
}

bool StatementPreview::Toggle(int r) {
    if (ToggleLine(m_import.Plan(), r, m_import.Context())) return true;
    m_dlg.Beep();
    return false;
}

bool StatementPreview::AddRule(int r) {
    const PlannedLine& p = line(r);
    if (!m_import.Plan().file.rows[static_cast<size_t>(p.row)].problem.empty()) {
        m_dlg.Beep();
        return false;
    }
    const std::string shop = p.fullShop.empty() ? p.line.ShopName : p.fullShop;
    std::vector<std::string> choices;
    if (!p.line.ItemName.empty()) choices.push_back("「" + p.line.ItemName + "」にする");
    choices.push_back("取り込まない");
    choices.push_back("中止");
    const int c = m_dlg.MsgKel(choices, "店名「" + shop + "」の規則を追加します。この店の明細を", "規則の追加");
    const bool skip = choices[static_cast<size_t>(c - 1)] == "取り込まない";
    if (c == static_cast<int>(choices.size())) return false;
    std::string why;
    if (!m_import.AddRule(RuleFromLine(m_import.Plan(), r, skip), why)) {
        m_dlg.MsgOK(why, "規則の追加");
        return false;
    }
    return true;
}

bool StatementPreview::Cut(int r) {
    if (ConsentCut(m_import.Plan(), r, m_import.Context())) return true;
    m_dlg.Beep();
    return false;
}

void StatementPreview::SetRegisterItems(bool on) {
    m_registerItems = on;
    m_import.SetRegisterItems(on);
}

int StatementPreview::Import() {
    if (!CanImport()) {
        m_dlg.Beep();
        return -1;
    }
    const int count = m_import.Plan().Included();
    LedgerState work;
    work.index = *m_target.index;
    work.BlockMonthsInUse = m_target.blockMonths;
    m_dlg.MsgOn("\r\nしばらくお待ちください。", "取込み中...");
    const int r = m_import.Apply(work, *m_target.names, m_target.files, m_dlg);
    m_dlg.MsgOff();
    if (r < 0) return -1;
    if (count > 0) offerShopNames();
    m_dlg.MsgOK(std::to_string(count) + " 行を取り込みました。", kTitle);
    return 0;
}

// As the ledger screen offers a typed name: the shops of the added lines that their item's shop
// list lacks, in one question, each registered under its item until the list is full.
void StatementPreview::offerShopNames() {
    std::vector<std::pair<int, std::string>> fresh;
    NameTables& names = *m_target.names;
    for (const PlannedLine& p : m_import.Plan().lines) {
        if (!p.include || p.line.ShopName.empty()) continue;
        const int kind = p.line.Income > 0 ? kIncomeKind : kExpenseKind;
        const int pos = FindItemPosition(names, p.line.ItemName, kind);
        if (pos <= 0) continue;
        const int key = ItemKeyOf(names, kind, pos - names.items.ItemCount[kIncomeKind] * kind);
        const std::pair<int, std::string> entry{key, p.line.ShopName};
        if (FindListEntry(FillShopList(names, key, false), p.line.ShopName) < 0 &&
            std::find(fresh.begin(), fresh.end(), entry) == fresh.end())
            fresh.push_back(entry);
    }
    if (fresh.empty()) return;
    std::string list;
    for (size_t i = 0; i < fresh.size() && i < 5; ++i)
        list += "\r\n  " + fresh[i].second;
    if (fresh.size() > 5) list += "\r\n  ほか " + std::to_string(fresh.size() - 5) + " 件";
    if (m_dlg.MsgYesNo2("未登録の店名・相手先が " + std::to_string(fresh.size()) +
                            " 件あります。各項目の店名に登録しますか？" + list,
                        "店名・相手先", 1) != 0)
        return;
    for (const auto& [key, shop] : fresh) {
        const int r = QuickAddName(names, m_target.files, kShopTable, key, shop, m_dlg);
        if (r < 0) return;
        if (r == 1) m_dlg.MsgOK(NameListFullMessage(kShopTable, key), "店名・相手先");
    }
}

} // namespace mrt
