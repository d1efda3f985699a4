// The shop/counterparty table (TBSHOP.mrt).
#include "NameTableFuzz.h"

using namespace mrt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::FuzzNameListFile(data, size, kShopFileName, kShopRecordBytes, LoadShopTable, SaveShopTable,
                                  [](NameTables& t) -> std::array<NameListRecord, kItemKeyMax + 1>& { return t.shop; });
}
