#include "ledger/IoRecord.h"

#include "ledger/AmountExpr.h"
#include "util/Cp932.h"
#include "util/DateText.h"

#include <cstring>

namespace mrt {
namespace {

void putInt16(char* p, int16_t v) {
    auto u = static_cast<uint16_t>(v);
    p[0] = static_cast<char>(u & 0xFF);
    p[1] = static_cast<char>(u >> 8);
}

void putInt32(char* p, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

int16_t getInt16(const char* p) {
    auto u = static_cast<uint16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
    return static_cast<int16_t>(u);
}

int32_t getInt32(const char* p) {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return static_cast<int32_t>(u);
}

IoRecord markerRecord(int16_t year) {
    IoRecord r;
    r.Year = year;
    return r;
}

} // namespace

bool EncodeIoRecord(const IoRecord& rec, char* dest) {
    char* p = dest;
    putInt16(p, rec.Year);
    putInt16(p + 2, rec.Month);
    putInt16(p + 4, rec.Day);
    p += 6;
    bool ok = EncodeField(rec.ItemName, kItemNameBytes, p);
    p += kItemNameBytes;
    ok = EncodeField(rec.Note, kNoteBytes, p) && ok;
    p += kNoteBytes;
    ok = EncodeField(rec.ShopName, kShopNameBytes, p) && ok;
    p += kShopNameBytes;
    putInt32(p, rec.Income);
    putInt32(p + 4, rec.Expense);
    putInt32(p + 8, rec.Balance);
    return ok;
}

IoRecord DecodeIoRecord(const char* src) {
    IoRecord r;
    DecodeIoRecordInto(src, r);
    return r;
}

void DecodeIoRecordInto(const char* src, IoRecord& r) {
    const char* p = src;
    r.Year = getInt16(p);
    r.Month = getInt16(p + 2);
    r.Day = getInt16(p + 4);
    p += 6;
    DecodeFieldTrimmedInto(p, kItemNameBytes, r.ItemName);
    p += kItemNameBytes;
    DecodeFieldTrimmedInto(p, kNoteBytes, r.Note);
    p += kNoteBytes;
    DecodeFieldTrimmedInto(p, kShopNameBytes, r.ShopName);
    p += kShopNameBytes;
    r.Income = getInt32(p);
    r.Expense = getInt32(p + 4);
    r.Balance = getInt32(p + 8);
}

constexpr int kIncomeOffset = 6 + kItemNameBytes + kNoteBytes + kShopNameBytes;  // 96

int16_t EncodedYear(const char* src) { return getInt16(src); }
int16_t EncodedMonth(const char* src) {
    return getInt16(src + 2);
}
int16_t EncodedDay(const char* src) {
    return getInt16(src + 4);
}
int32_t EncodedIncome(const char* src) { return getInt32(src + kIncomeOffset); }
int32_t EncodedExpense(const char* src) { return getInt32(src + kIncomeOffset + 4); }
int32_t EncodedBalance(const char* src) {
    return getInt32(src + kIncomeOffset + 8);
}
void PatchEncodedBalance(char* dest, int32_t balance) { putInt32(dest + kIncomeOffset + 8, balance); }

IoRecord DecodeIoNumbers(const char* src) {
    IoRecord r;
    r.Year = EncodedYear(src);
    r.Month = EncodedMonth(src);
    r.Day = EncodedDay(src);
    r.Income = EncodedIncome(src);
    r.Expense = EncodedExpense(src);
    r.Balance = EncodedBalance(src);
    return r;
}

void EncodeInfRecord(const InfRecord& rec, char* dest) {
    putInt16(dest, rec.Capacity);
    putInt16(dest + 2, rec.LineCount);
    std::memset(dest + 4, 0, 6);
}

InfRecord DecodeInfRecord(const char* src) {
    InfRecord r;
    r.Capacity = getInt16(src);
    r.LineCount = getInt16(src + 2);
    return r;
}

bool LineNumbersSound(const IoRecord& rec, int year, int month) {
    return rec.Year == year && rec.Month == month && IsValidDate(rec.Year, rec.Month, rec.Day) &&
           IsLedgerAmount(rec.Income) && IsLedgerAmount(rec.Expense);
}

std::string LineDamage(const IoRecord& rec, int year, int month) {
    if (LineNumbersSound(rec, year, month)) return {};
    if (rec.Year != year || rec.Month != month || !IsValidDate(rec.Year, rec.Month, rec.Day))
        return "日付が異常です (" + std::to_string(rec.Year) + "/" + std::to_string(rec.Month) + "/" +
               std::to_string(rec.Day) + ")";
    if (!IsLedgerAmount(rec.Income) || !IsLedgerAmount(rec.Expense))
        return "金額が範囲外です (入金 " + std::to_string(rec.Income) + "、出金 " + std::to_string(rec.Expense) + ")";
    return {};
}

std::string EncodedTextDamage(const char* src) {
    struct Field {
        int offset, width;
        const char* name;
    };
    static constexpr Field kFields[] = {{6, kItemNameBytes, "項目名"},
                                        {6 + kItemNameBytes, kNoteBytes, "内訳・備考"},
                                        {6 + kItemNameBytes + kNoteBytes, kShopNameBytes, "店名・相手先"}};
    for (const Field& f : kFields)
        if (!IsCp932Bytes(std::string_view(src + f.offset, f.width), true))
            return std::string(f.name) + "の文字が異常です (CP932 ではありません)";
    return {};
}

IoRecord FillerRecord() { return markerRecord(kFillerYear); }
IoRecord RegionEndRecord() { return markerRecord(kRegionEndYear); }

int32_t DateKey(const IoRecord& rec) { return DateKey(rec.Year, rec.Month, rec.Day); }
int32_t DateNum(const IoRecord& rec) { return DateNum(rec.Year, rec.Month, rec.Day); }

} // namespace mrt
