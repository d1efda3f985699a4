#pragma once
#include "receipt/ReceiptParse.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mrt {

struct LedgerIndex;
struct NameTables;
class Dialogs;

// One ledger line proposed from a receipt: an expense, tax included.
struct ProposedLine {
    int32_t date = 0; // yyyymmdd
    std::string item;
    std::string note;
    std::string shop;
    int64_t amount = 0;
    int rate = 0; // 8 or 10 for a line of one rate; 0 for the whole receipt
};

enum class ReceiptSplit { PerRate, Whole };

// The item a shop's lines take: the statement import's shop rule when there is one, else the
// item the ledger's lines of that shop name most often. Empty when neither knows the shop.
using ShopItemLookup = std::function<std::string(const std::string& shop)>;

// The lines a receipt makes: one per tax rate with an amount (the 8 % part to 食費 and the 10 %
// part to the shop's item, or 日用品, when those items are registered) or one for the whole receipt
// (the shop's item, else 食費). Amounts are the receipt's per-rate amounts tax included, or its
// total; a part with nothing read gives no line.
std::vector<ProposedLine> ProposeLines(const ReadReceipt& r, ReceiptSplit split, const NameTables& names,
                                       const ShopItemLookup& shopItem);

// The expense item the ledger's lines of `shop` (compared without regard to width) carry most
// often; the newest line decides a tie. Empty when the shop has no lines or the ledger cannot be read.
std::string MostFrequentShopItem(const LedgerIndex& idx, const std::string& shop);
// The item the statement import's shop rule gives the shop (rules kept in the data folder), else
// the shop's most frequent item in the ledger; empty when neither knows it.
std::string ReceiptShopItem(const std::string& dataFolder, const LedgerIndex& idx, const std::string& shop);

// The lines in the ledger's CSV columns (date, item, note, shop, income, expense), the form the
// import path reads and checks.
std::string ProposedLinesCsv(const std::vector<ProposedLine>& lines);

} // namespace mrt

namespace mrt {

// Every shop name registered for any item, once each, in table order.
std::vector<std::string> RegisteredShopNames(const NameTables& names);

// What was read, line by line for the user: shop, date, T-number and its check, the items, the
// subtotal, each rate's amount and tax, the total, the payment and every uncertain place.
std::string DescribeReceipt(const ReadReceipt& r);

} // namespace mrt
