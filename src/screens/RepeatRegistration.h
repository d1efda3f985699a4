#pragma once
#include "repeat/RepeatTable.h"
#include "util/Clock.h"

#include <string>
#include <vector>

namespace mrt {

class Dialogs;
struct IoRecord;
struct NameTables;

// The fields of the registration window as typed.
struct RepeatForm {
    int side = 1; // kIncomeKind / kExpenseKind
    std::string item, note, shop, amount;
    RepeatKind kind = RepeatKind::Monthly;
    std::string every = "1";
    std::string day; // Monthly "25" (1..31, 31 the month's end); Weekly "金"; Yearly "12/10"
    bool nextBusinessDay = false;
    std::string first, last; // yyyy/mm/dd; `last` may be blank
    int32_t offeredUpTo = 0; // kept from the entry, or the date of the ledger line it was made from
};

// The registration window's model: the entries, the form of one, and the writes of the table.
class RepeatRegistration {
public:
    RepeatRegistration(RepeatTable table, const NameTables& names, int taxRate, CivilDate today);

    const RepeatTable& Table() const { return m_table; }
    // One line per entry: rule, side, item, note, shop, amount and the period.
    std::vector<std::string> ListRows() const;

    // An expense due monthly on today's day from today.
    RepeatForm NewForm() const;
    RepeatForm FormOf(int index) const;
    // A monthly entry on the line's day from the line's date, the line itself counted as offered.
    RepeatForm FormFromLine(const IoRecord& line) const;

    // The choice lists of the ledger screen: the registered items of a side, and the breakdowns
    // and shops of an item (none for an item that is not registered).
    std::vector<std::string> Items(int side) const;
    std::vector<std::string> Notes(int side, const std::string& item) const;
    std::vector<std::string> Shops(int side, const std::string& item) const;

    // The entry the form describes; the refusal, empty when it is good.
    std::string EntryOf(const RepeatForm& form, RepeatEntry& entry) const;
    // Stores the form as entry `index` (-1: a new entry, `index` then set) and writes the table.
    // The refusal or the write error (shown through `dlg`), empty when stored.
    std::string Store(const RepeatForm& form, int& index, const std::string& path, Dialogs& dlg);
    // Ends entry `index` on the date `last` (yyyy/mm/dd): no line after it. Empty when written.
    std::string End(int index, const std::string& last, const std::string& path, Dialogs& dlg);
    // Removes entry `index`. 0 written; -1 after the message.
    int Remove(int index, const std::string& path, Dialogs& dlg);

private:
    int itemKey(int side, const std::string& item) const;
    int save(const RepeatTable& next, const std::string& path, Dialogs& dlg);

    RepeatTable m_table;
    const NameTables& m_names;
    int m_taxRate;
    CivilDate m_today;
};

} // namespace mrt
