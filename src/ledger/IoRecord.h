#pragma once
#include <cstdint>
#include <string>

namespace mrt {

// One ledger line. Texts are UTF-8 without trailing blanks; on disk they are blank-padded CP932
// fields of kItemNameBytes, kNoteBytes and kShopNameBytes bytes. Amounts are whole yen.
struct IoRecord {
    int16_t Year = 0;
    int16_t Month = 0;
    int16_t Day = 0;
    std::string ItemName;
    std::string Note;
    std::string ShopName;
    int32_t Income = 0;
    int32_t Expense = 0;
    int32_t Balance = 0;  // balance after this line

    bool operator==(const IoRecord&) const = default;
};

// Byte layout of an IoRecord on disk (little-endian).
constexpr int kItemNameBytes = 20;
constexpr int kNoteBytes = 40;
constexpr int kShopNameBytes = 30;
constexpr int kIoRecordSize = 2 + 2 + 2 + kItemNameBytes + kNoteBytes + kShopNameBytes + 4 + 4 + 4;  // 108
static_assert(kIoRecordSize == 108);

// Reserved values of Year inside year files; never part of a loaded line.
constexpr int16_t kFillerYear = 8888;     // a free slot of a month region
constexpr int16_t kRegionEndYear = 9999;  // the last slot of every month region
// A loaded line whose Year is above this is corrupt.
constexpr int16_t kMaxLineYear = 2500;

// The capacity and line count of one month of a year file.
struct InfRecord {
    int16_t Capacity = 500;  // slots of the month's region, region-end slot included
    int16_t LineCount = 0;   // lines stored in the first LineCount slots

    bool operator==(const InfRecord&) const = default;
};
constexpr int kInfRecordSize = 10;  // Capacity 2, LineCount 2, six reserved zero bytes
constexpr int16_t kNewMonthCapacity = 500;

// Writes exactly kIoRecordSize bytes. Returns false when a text holds a character CP932 cannot
// store (that character is written as "?"); the record is written either way.
bool EncodeIoRecord(const IoRecord& rec, char* dest);
// Reads kIoRecordSize bytes. A double-byte character cut at a field's end is dropped.
IoRecord DecodeIoRecord(const char* src);
// The same into `rec`, reusing the storage of its texts (for walks over many records).
void DecodeIoRecordInto(const char* src, IoRecord& rec);

// Fast access to the numeric fields of an encoded record (no text conversion), for walks that
// only carry balances.
int16_t EncodedYear(const char* src);
int16_t EncodedMonth(const char* src);
int16_t EncodedDay(const char* src);
int32_t EncodedIncome(const char* src);
int32_t EncodedExpense(const char* src);
int32_t EncodedBalance(const char* src);
void PatchEncodedBalance(char* dest, int32_t balance);
// The date, amounts and balance of an encoded record; its texts are left empty (not decoded).
IoRecord DecodeIoNumbers(const char* src);

void EncodeInfRecord(const InfRecord& rec, char* dest);
InfRecord DecodeInfRecord(const char* src);

// The marker records of a month region: Year 8888 or 9999, texts blank, amounts zero.
IoRecord FillerRecord();
IoRecord RegionEndRecord();

// Why a record read from the region of (year, month) cannot be a ledger line: a date outside the
// calendar or outside its region (a marker record included), or an income or expense outside
// 0..99,999,999. Empty when the line is sound. Balances may hold any value.
std::string LineDamage(const IoRecord& rec, int year, int month);
// True when LineDamage finds nothing, without making its text.
bool LineNumbersSound(const IoRecord& rec, int year, int month);

// Why the texts of an encoded record (kIoRecordSize bytes) cannot be read as they were written:
// the field that is not CP932 (a double-byte character cut at a field's end is allowed). Such a
// text would read as replacement characters and be saved as "?". Empty when all three are sound.
std::string EncodedTextDamage(const char* src);

// Day serial (days since 30 December 1899) of the line's date, for ordering.
int32_t DateKey(const IoRecord& rec);
// Year * 10000 + Month * 100 + Day.
int32_t DateNum(const IoRecord& rec);

} // namespace mrt
