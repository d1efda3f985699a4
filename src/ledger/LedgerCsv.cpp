#include "ledger/LedgerCsv.h"

#include "ledger/LedgerBlock.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/DateText.h"
#include "util/Paths.h"

#include <filesystem>

namespace mrt {

void LedgerCsvHeader(CsvWriter& csv, bool japanese) {
    for (const char* h : japanese ? kLedgerCsvHeaderJa : kLedgerCsvHeader)
        csv.Text(h);
    csv.EndRow();
}

void LedgerCsvRow(CsvWriter& csv, const IoRecord& l) {
    csv.Text(FormatDate(l.Year, l.Month, l.Day, "-"))
        .Text(TrimRight(l.ItemName))
        .Text(TrimRight(l.Note))
        .Text(TrimRight(l.ShopName))
        .Number(l.Income)
        .Number(l.Expense)
        .Number(l.Balance)
        .EndRow();
}

int WriteLedgerCsv(const LedgerIndex& idx, int32_t from, int32_t to, bool japaneseHeader, CsvWriter& csv,
                   Dialogs& dlg) {
    LedgerCsvHeader(csv, japaneseHeader);
    int lines = 0;
    int r = ForEachLedgerLine(idx, dlg, [&](const IoRecord& l) {
        const int32_t date = DateNum(l);
        if ((from > 0 && date < from) || (to > 0 && date > to)) return true;
        LedgerCsvRow(csv, l);
        ++lines;
        return true;
    });
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
    std::string bytes, bad;
    if (!EncodeCsv(csv.Data(), enc, bytes, &bad)) {
        dlg.MsgOK("「" + bad + "」はシフトJISで書き出せない文字です。\r\nUTF-8 を選んでください。", kTitle);
        return -1;
    }
    std::error_code ec;
    if (std::filesystem::exists(path, ec) &&
        dlg.MsgYesNo2("同じ名前のファイルがあります。\r\n" + path + "\r\n上書きしますか？", kTitle, 1) != 0)
        return -2;
    if (!WriteWholeFile(path, bytes)) {
        dlg.MsgOK("ファイルに書き込めませんでした。\r\n" + path, kTitle);
        return -1;
    }
    return lines;
}

} // namespace mrt
