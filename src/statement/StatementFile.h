#pragma once
#include "statement/StatementLayout.h"
#include "statement/StatementText.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

// One line of a statement as read, before any rule or the ledger is looked at.
struct StatementRow {
    int lineNo = 0; // line of the file the record starts on
    int year = 0, month = 0, day = 0;
    std::string shop;    // normalised (NormaliseShopName)
    std::string rawShop; // as the file had it
    std::string memo, category, subCategory;
    int64_t amount = 0;  // positive: money out; negative: money in (refund, cancellation, deposit)
    std::string skip;    // the statement's own reason this is no spending ("チャージ", "振替"); empty else
    std::string problem; // why the line cannot be read; empty for a good line
};

// What ReadStatement found.
struct StatementFile {
    std::string error; // the file as a whole cannot be read (encoding, no header, no year)
    StatementEncoding encoding = StatementEncoding::Utf8;
    Layout layout;
    int headerLine = 0;              // file line of the header row
    std::vector<std::string> header; // its cells
    // No layout fits: the cells of the first rows, for the user to map by hand (error is set).
    bool needsMapping = false;
    std::vector<std::vector<std::string>> sampleRows;
    // The dates carry no year and none was given (error is set).
    bool needsYear = false;
    bool yearGuessed = false; // the year came from the caller, not from the file
    std::vector<StatementRow> rows;

    int BadRows() const;
};

// Reads a statement: decodes it (DecodeStatementBytes), finds the header row among the first 30
// records (it may follow lines naming the card holder), picks its layout (RecogniseHeader; `only`
// forces one by name) and reads every record below it. A record without a date and amount is a
// footer or note and is passed over; one whose date or amount cannot be read is a bad row. Dates
// without a year take the year of the file's other dates or else `year` (the year of the first
// such line; a month that falls back by half a year starts the next). 0 for `year` asks nothing:
// the file then needs one.
StatementFile ReadStatement(std::string_view bytes, const std::vector<CustomLayout>& custom, std::string_view only = {},
                            int year = 0);

} // namespace mrt
