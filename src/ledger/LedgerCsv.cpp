#include "ledger/LedgerCsv.h"

#include "ledger/LedgerBlock.h"
#include "ledger/LineRules.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/DateText.h"

namespace mrt {

void LedgerCsvHeader(CsvWriter& csv, bool japanese) {
    for (const char* h : japanese ? kLedgerCsvHeaderJa : kLedgerCsvHeader)
        csv.Text(h);
    csv.EndRow();
}

void LedgerCsvText(CsvWriter& csv, std::string_view text) {
    text = TrimmedRight(text);
    // Lines stored before texts were checked may hold a TAB or line break, which the import refuses.
    if (HasControlChar(text)) {
        csv.Text(ControlCharsToBlanks(text));
        return;
    }
    csv.Text(text);
}

void LedgerCsvRow(CsvWriter& csv, const IoRecord& l) {
    csv.Date(l.Year, l.Month, l.Day);
    for (const std::string* text : {&l.ItemName, &l.Note, &l.ShopName})
        LedgerCsvText(csv, *text);
    csv.Number(l.Income).Number(l.Expense).Number(l.Balance).EndRow();
}

int WriteLedgerCsv(const LedgerIndex& idx, int32_t from, int32_t to, bool japaneseHeader, CsvWriter& csv, Dialogs& dlg,
                   std::string* why, const LedgerYearFiles* opened) {
    LedgerCsvHeader(csv, japaneseHeader);
    if (from == 0 && to == 0) csv.Reserve(static_cast<size_t>(idx.TotalLines) * 96);
    int lines = 0;
    // The texts go from the record's bytes straight into the CSV text, without a decoded line.
    constexpr int kItemAt = 6, kNoteAt = kItemAt + kItemNameBytes, kShopAt = kNoteAt + kNoteBytes;
    int r = ForEachLedgerRecord(
        idx, dlg,
        [&](const char* src, const IoRecord& l) {
            const int32_t date = DateNum(l);
            if ((from > 0 && date < from) || (to > 0 && date > to)) return 1;
            csv.Date(l.Year, l.Month, l.Day);
            bool sound = csv.Cp932Field(src + kItemAt, kItemNameBytes);
            sound = csv.Cp932Field(src + kNoteAt, kNoteBytes) && sound;
            sound = csv.Cp932Field(src + kShopAt, kShopNameBytes) && sound;
            // A damaged line's row is never ended, so a streaming writer never hands it on.
            if (!sound) return -1;
            csv.Number(l.Income).Number(l.Expense).Number(l.Balance).EndRow();
            ++lines;
            return 1;
        },
        why, opened);
    return r < 0 ? -1 : lines;
}

int ExportLedgerCsv(const LedgerIndex& idx, int32_t from, int32_t to, CsvEncoding enc, const std::string& path,
                    Dialogs& dlg) {
    constexpr const char* kTitle = "CSV出力";
    CsvWriter csv;
    const int lines = WriteLedgerCsv(idx, from, to, true, csv, dlg);
    if (lines < 0) {
        dlg.MsgOK(kLedgerReadFailedMessage, kTitle);
        return -1;
    }
    const int r = WriteCsvFile(csv, enc, path, kTitle, dlg);
    if (r != 0) return r;
    return lines;
}

} // namespace mrt
