#pragma once
// The breakdown and shop tables share their layout; their targets share this body.
#include "FuzzSupport.h"
#include "names/NameTables.h"

namespace mrt::fuzz {

using LoadList = int (*)(const std::string&, NameTables&, bool, std::string*);
using SaveList = int (*)(const std::string&, const NameTables&, Dialogs&);
using ListsOf = std::array<NameListRecord, kItemKeyMax + 1>& (*)(NameTables&);

// A table that loads is completed to 70 records on disk, and written and read again unchanged.
inline int FuzzNameListFile(const uint8_t* data, size_t size, const char* file, int recordBytes, LoadList load,
                            SaveList save, ListsOf lists) {
    ClearFolder();
    const std::string path = PathOf(file);
    PutFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
    NameTables t;
    std::string why;
    if (load(path, t, true, &why) != 0) {
        if (why.empty()) Broken("a refused table without a reason");
        return 0;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    const long length = std::ftell(f);
    std::fclose(f);
    if (length != static_cast<long>(kItemKeyMax) * recordBytes) Broken("a loaded table was not completed to 70");
    for (int key = 1; key <= kItemKeyMax; ++key)
        FillBrkDnList(t, key, true), FillShopList(t, key, true);
    QuietDialogs dlg;
    const std::string copy = PathOf("copy.mrt");
    if (save(copy, t, dlg) != 0) Broken("a loaded table could not be written");
    NameTables back;
    if (load(copy, back, false, nullptr) != 0) Broken("a written table does not load");
    for (int key = 1; key <= kItemKeyMax; ++key) {
        const NameListRecord &a = lists(t)[key], &b = lists(back)[key];
        if (a.NameCount != b.NameCount || a.NameOrder != b.NameOrder || a.NameText != b.NameText)
            Broken("a name list changed in a round trip (key " + std::to_string(key) + ")");
    }
    return 0;
}

} // namespace mrt::fuzz
