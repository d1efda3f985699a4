#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A receipt's recognised text read into its parts, with the checks that tell whether its sums
// hold together. Amounts are whole yen; -1 where a value was not read.
namespace mrt {

// One line as the recogniser gave it, with the byte ranges of characters it was unsure of.
struct ReadLine {
    std::string text;                              // UTF-8
    std::vector<std::pair<size_t, size_t>> unsure; // [begin, end) byte offsets into text
};

struct ReceiptItem {
    std::string name;
    int64_t price = 0;    // as printed: tax included or not, as the receipt's tax mode says
    bool reduced = false; // carries the reduced-rate mark (8 %)
    int line = 0;         // index of its read line
};

// The amounts of one tax rate.
struct RatePart {
    int rate = 0;        // 8 or 10
    int64_t base = -1;   // the printed "対象" amount
    int64_t tax = -1;    // the printed tax of the rate
    int64_t itemSum = 0; // the items that carry this rate
    int itemCount = 0;
    int64_t included = -1; // the part tax included: what the ledger line of this rate takes
};

enum class TaxMode { Unknown, Included, Excluded }; // 内税 / 外税

enum class TNumberCheck { Missing, Valid, BadCheckDigit };

// A place where the receipt does not add up or could not be read.
struct ReceiptIssue {
    std::string text;          // what the user is shown
    int64_t difference = 0;    // by how much a sum misses (0 when not a sum)
    bool affectsTotals = true; // false for places that leave the amounts to book unchanged
};

struct ReadReceipt {
    std::string shop;     // the registered shop name matched, else the line read
    std::string shopRead; // the line the shop was taken from
    bool shopRegistered = false;
    int32_t date = 0; // yyyymmdd; 0 not read
    int time = -1;    // hhmm
    std::vector<ReceiptItem> items;
    int64_t subtotal = -1;
    RatePart reduced{8};
    RatePart standard{10};
    TaxMode mode = TaxMode::Unknown;
    int64_t total = -1;
    std::string payment;        // 現金, クレジット, 電子マネー, ... empty when not read
    int64_t paymentAmount = -1; // the card or e-money amount, or the cash taken less the change
    std::string tnumber;        // "T" and 13 digits
    TNumberCheck tcheck = TNumberCheck::Missing;
    std::vector<ReceiptIssue> issues;
    std::vector<int> unsureTotalLines; // read lines with an amount the recogniser was unsure of

    // True when the total was read and every check of the sums holds.
    bool TotalsConfirmed() const;
};

// Reads the lines of one receipt. `shopNames` are the registered shop names (UTF-8), matched
// against the first lines without regard to width and katakana form.
ReadReceipt ParseReceipt(const std::vector<ReadLine>& lines, const std::vector<std::string>& shopNames);
// The same from plain text, one line per line (nothing marked unsure).
ReadReceipt ParseReceiptText(const std::string& text, const std::vector<std::string>& shopNames);

// The check of an invoice registration number "T" + 13 digits (a corporate number's check digit).
TNumberCheck CheckTNumber(const std::string& tnumber);

} // namespace mrt
