// The breakdown/note table (TBBRKDN.mrt).
#include "NameTableFuzz.h"

using namespace mrt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::FuzzNameListFile(
        data, size, kBrkDnFileName, kBrkDnRecordBytes, LoadBrkDnTable, SaveBrkDnTable,
        [](NameTables& t) -> std::array<NameListRecord, kItemKeyMax + 1>& { return t.brkDn; });
}
