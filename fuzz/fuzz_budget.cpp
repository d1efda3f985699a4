// Budget files: the text decoder for any item counts, the loader with its fallbacks (the year's
// file, the previous December, none), and a decoded budget that must encode and decode unchanged.
#include "FuzzSupport.h"
#include "budget/Budget.h"
#include "names/NameTables.h"

#include <filesystem>

using namespace mrt;
using namespace mrt::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Pieces in(data, size);
    const uint8_t flags = in.Byte();
    BudgetCounts counts = {in.Byte() % 21, in.Byte() % 51};
    const std::string_view text = in.Rest();

    BgtRecord rec;
    if (DecodeBudgetFile(text, counts, rec)) {
        for (const auto& month : rec.BudgetAmounts)
            for (const auto& kind : month)
                for (int32_t v : kind)
                    FormatBudgetValue(v);
        BgtRecord back;
        if (!DecodeBudgetFile(EncodeBudgetFile(rec, counts), counts, back)) Broken("an encoded budget does not decode");
        for (int m = 1; m <= kBudgetMonths; ++m)
            for (int kind = 0; kind < 2; ++kind)
                for (int s = 1; s <= kBudgetSlotMax[kind]; ++s)
                    if (rec.at(m, kind, s) != back.at(m, kind, s)) Broken("a budget changed in a round trip");
    }

    // Through the loader: the text as the year's file, or as the previous year's.
    ClearFolder();
    std::filesystem::create_directories(PathOf("BU"));
    BudgetPlace place{Folder(), PathOf("BU")};
    PutFile(BudgetFileNameOf(flags & 1 ? 2023 : 2024), text);
    ItemRecord items;
    items.ItemCount = {static_cast<int16_t>(counts[0]), static_cast<int16_t>(counts[1])};
    QuietDialogs dlg;
    BgtRecord loaded;
    LoadBudget(loaded, 2024, items, place, dlg);
    return 0;
}
