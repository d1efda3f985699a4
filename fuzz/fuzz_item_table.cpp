// The item table (TBITEM.mrt, CP932 text). A table that loads is written and read again
// unchanged, unless a name cannot be written (a quotation mark or line break) or the CP932 bytes
// written happen to read as UTF-8 text, which the loader refuses by design.
#include "FuzzSupport.h"
#include "names/NameTables.h"
#include "util/Cp932.h"

#include <fstream>
#include <iterator>

using namespace mrt;
using namespace mrt::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClearFolder();
    PutFile(kItemFileName, std::string_view(reinterpret_cast<const char*>(data), size));
    NameTables t;
    std::string why;
    if (LoadItemTable(PathOf(kItemFileName), t, &why) != 0) {
        if (why.empty()) Broken("a refused table without a reason");
        return 0;
    }
    for (int kind = 0; kind < 2; ++kind) {
        std::vector<std::string> list = FillItemList(t, kind, true);
        for (size_t p = 1; p < list.size(); ++p)
            FindItemPosition(t, list[p], kind);
    }
    if (t.items.ItemCount[0] == 0 && t.items.ItemCount[1] == 0) return 0; // saving removes the file
    QuietDialogs dlg;
    const std::string copy = PathOf("copy.mrt");
    if (SaveItemTable(copy, t, dlg) != 0) return 0;
    std::ifstream saved(copy, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    NameTables back;
    if (LoadItemTable(copy, back) != 0) {
        if (LooksLikeUtf8(bytes)) return 0;
        Broken("a written item table does not load");
    }
    const ItemRecord &a = t.items, &b = back.items;
    if (a.ItemCount != b.ItemCount || a.ItemOrder != b.ItemOrder) Broken("item counts or order changed");
    for (int kind = 0; kind < 2; ++kind)
        for (int s = 1; s <= ItemMax[kind]; ++s)
            if (a.ItemText[kind][s] != b.ItemText[kind][s]) Broken("an item name changed in a round trip");
    return 0;
}
