#pragma once
#include "budget/BudgetFile.h"

#include <string>
#include <vector>

namespace mrt {

class Dialogs;
struct ItemRecord;

// ItemCount of both kinds, which fixes the number of values per group of the file.
BudgetCounts BudgetCountsOf(const ItemRecord& items);

// Where the budget files live: home + "/Data1/" and its backup folder "Data1/BU/".
struct BudgetPlace {
    std::string dataFolder;
    std::string backupFolder;
};
BudgetPlace BudgetPlaceOf(const std::string& home);

// Path of the year's budget file in the data folder (letter case of an existing file kept).
std::string BudgetPath(const BudgetPlace& place, int year);

// Makes rec hold the budget of `year`: its own file, else the previous year's December in every
// month, else -1 everywhere. Returns at once when rec already holds that year (changes committed
// but not saved are kept). A damaged file is restored from the backup folder when the user agrees.
// 0 = rec holds the year; -1 = damaged and not restored (rec then holds no year).
int LoadBudget(BgtRecord& rec, int year, const ItemRecord& items, const BudgetPlace& place, Dialogs& dlg);

// Writes rec (which must hold `year`) into the year's file, whole or not at all.
// 0 = written; -1 = failed after the message "予算データ書き込みに失敗しました。".
int SaveBudget(const BgtRecord& rec, int year, const ItemRecord& items, const BudgetPlace& place, Dialogs& dlg);

// Stores the amount texts of one page (texts[i] for list position i + 1 of `kind`, whose slot is
// ItemOrder[kind][i + 1]) into `month`:
// trailing blanks removed; empty = -1; otherwise the leading digits (none = 0); a trailing "+"
// (or "＋") also stores the amount in every later month of the same year.
void CommitBudgetPage(BgtRecord& rec, int year, int month, int kind, const std::vector<std::string>& texts,
                      const ItemRecord& items);

// Numeric value of an amount text: blanks skipped, an optional sign, the leading digits; 0 when
// there are none. Clamped to 32 bits.
int32_t BudgetTextValue(const std::string& text);

} // namespace mrt
