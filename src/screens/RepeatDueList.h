#pragma once
#include "repeat/RepeatDue.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

// The help page of recurring lines.
constexpr int kRecurringHelpTopic = 107;

class Dialogs;
struct LedgerState;
struct NameTables;

// The due list window's model: the lines due up to a date, each with its choice (add, skip,
// postpone) and its amount, which the user may change for this line alone.
class RepeatDueList {
public:
    RepeatDueList(const RepeatTable& table, int32_t until, int taxRate);

    int Rows() const { return static_cast<int>(m_lines.size()); }
    // Date, side ("入金"/"出金"), item, note, shop, amount (evaluated, with separators) and the
    // choice ("追加", "とばす", "保留") of a row (0-based).
    std::array<std::string, 7> Cells(int row) const;
    void Choose(int row, DueChoice choice);
    // The amount expression of a row, as the line would take it.
    const std::string& AmountText(int row) const { return m_lines.at(static_cast<size_t>(row)).amount; }
    // Takes a new amount expression for one row; the refusal ("金額が異常です。…"), empty when taken.
    std::string ChangeAmount(int row, const std::string& text);
    // "追加 3 行　とばす 1 行　保留 1 行".
    std::string Summary() const;
    const std::vector<DueLine>& Lines() const { return m_lines; }
    int32_t Until() const { return m_until; }

    // Carries the choices out (ApplyDueLines): the number of lines added, -1 after a message.
    int Apply(const LedgerState& st, NameTables& names, const std::string& dataFolder, RepeatTable& table,
              Dialogs& dlg);

private:
    RepeatTable m_table;
    std::vector<DueLine> m_lines;
    int32_t m_until;
    int m_taxRate;
};

} // namespace mrt
