#pragma once
#include "ledger/IoRecord.h"
#include "ledger/LedgerIndex.h"
#include "util/Csv.h"

#include <cstdint>

namespace mrt {

class LedgerYearFiles;

class Dialogs;

// The ledger's CSV columns: date (YYYY-MM-DD), item, breakdown/note, shop, income, expense,
// balance. The tool writes the English header, the program's export the Japanese one; the import
// reads either.
inline constexpr const char* kLedgerCsvHeader[7] = {"date", "item", "note", "shop", "income", "expense", "balance"};
inline constexpr const char* kLedgerCsvHeaderJa[7] = {"日付", "項目名", "内訳・備考", "店名・相手先",
                                                      "入金", "出金",   "残高"};

void LedgerCsvHeader(CsvWriter& csv, bool japanese);
// A text cell of a ledger line: trailing blanks removed, a control character written as a blank,
// so that what the export writes the import reads back.
void LedgerCsvText(CsvWriter& csv, std::string_view text);
void LedgerCsvRow(CsvWriter& csv, const IoRecord& line);

// Every ledger line dated from..to (yyyymmdd, inclusive; 0 leaves a side open), in ledger order
// with its stored balance, after the header. The number of lines written; -1 when the ledger
// cannot be read (`why`, when given: the file and the reason). A streaming writer may have handed
// on the lines before the failure. The year files are read from `opened` when given.
int WriteLedgerCsv(const LedgerIndex& idx, int32_t from, int32_t to, bool japaneseHeader, CsvWriter& csv, Dialogs& dlg,
                   std::string* why = nullptr, const LedgerYearFiles* opened = nullptr);

// The export command: the lines from..to with the Japanese header into the file `path` in the
// encoding. An existing file is replaced only after the question; the file is written whole or
// not at all. The number of lines written (the header alone for none); -2 when the user kept the
// existing file; -1 on a failure (message shown).
int ExportLedgerCsv(const LedgerIndex& idx, int32_t from, int32_t to, CsvEncoding enc, const std::string& path,
                    Dialogs& dlg);

} // namespace mrt
