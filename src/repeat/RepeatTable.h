#pragma once
#include "repeat/RepeatRule.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

class Dialogs;
class FileBatch;
struct NameTables;

// The table of recurring lines in the data folder: CP932 comma-separated text, a first line
// "定期入出金,1" and one line per entry (see EncodeRepeatTable). Backed up with the other ".mrt"
// files.
inline constexpr const char* kRepeatFileName = "TBREPEAT.mrt";

// One recurring line. Texts are UTF-8; dates yyyymmdd.
struct RepeatEntry {
    std::string item, note, shop;
    int side = 1;       // kIncomeKind (0) or kExpenseKind (1)
    std::string amount; // an amount expression ("%N" included), evaluated when the line is added
    RepeatRule rule;
    int32_t offeredUpTo = 0;        // lines dated up to here were offered; 0 none yet
    std::vector<int32_t> postponed; // line dates put off when offered: offered again next time
};

struct RepeatTable {
    std::vector<RepeatEntry> entries;
};

// The path of the table in a data folder, letter case resolved.
std::string RepeatFileIn(const std::string& dataFolder);

// The file's bytes (CP932). False when a text has no CP932 form (`error` names it).
bool EncodeRepeatTable(const RepeatTable& table, std::string& bytes, std::string& error);
// False with `why` set when the bytes are not a table of ours (or an entry is inconsistent).
bool DecodeRepeatTable(std::string_view bytes, RepeatTable& table, std::string& why);

// 0 read; 1 no file (an empty table); -1 unreadable or damaged (`why`, when given, names the file
// and the reason; the table is left empty).
int LoadRepeatTable(const std::string& path, RepeatTable& table, std::string* why = nullptr);
// Stages the table's new content in `batch` (an empty table too: the file stays). False with `error`.
bool StageRepeatTable(FileBatch& batch, const std::string& path, const RepeatTable& table, std::string& error);
// Replaces the file at once. 0 done; -1 failed after the message through `dlg` (the file unchanged).
int SaveRepeatTable(const std::string& path, const RepeatTable& table, Dialogs& dlg);

// Why an entry cannot be registered: texts by the ledger's text rule, the item registered on its
// side (when `names` is given), the amount an expression of 0..99,999,999 at `taxRate` (not 0),
// the rule by CheckRepeatRule. Empty when it can.
std::string CheckRepeatEntry(const RepeatEntry& entry, const NameTables* names, int taxRate);

} // namespace mrt
