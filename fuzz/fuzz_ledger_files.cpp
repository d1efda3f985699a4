// Year and information files as the loaders take them: the information file, the year file, and
// every line of the regions it declares. A sound line must survive encoding unchanged.
#include "FuzzSupport.h"
#include "ledger/LedgerFiles.h"

#include <cstring>

using namespace mrt;
using namespace mrt::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Pieces in(data, size);
    std::string_view inf;
    in.Next(inf);
    std::string_view io = in.Rest();
    ClearFolder();
    PutFile("Inf2024.usr", inf);
    PutFile("Io2024.usr", io);

    LedgerIndex idx;
    idx.SetDataFolder(Folder());
    idx.FirstYear = 2024;
    std::string why;
    const int infRead = ReadInfFile(idx, 1, &why);
    if (infRead == 0 && inf.size() != 12 * kInfRecordSize) Broken("an information file of the wrong size was read");
    if (infRead < 0 && why.empty()) Broken("a refused information file without a reason");
    QuietDialogs dlg;
    YearFile file;
    const int records = OpenIoFile(idx, 2024, dlg, file);
    if (records >= 0 && io.size() % kIoRecordSize != 0) Broken("a year file cut inside a record was read");
    if (infRead != 0 || records < 0) return 0;

    std::array<int, 13> ms = MonthStartTable(idx, 1);
    for (int m = 1; m <= 12; ++m) {
        for (int k = 1; k <= idx.Inf(1, m).LineCount; ++k) {
            IoRecord rec;
            if (!ReadIoRecord(file, ms[m - 1] + k, rec)) return 0; // shorter than its regions
            if (!LineDamage(rec, 2024, m).empty()) continue;
            char bytes[kIoRecordSize];
            if (!EncodeIoRecord(rec, bytes)) continue; // a text that CP932 cannot hold again
            if (!(DecodeIoRecord(bytes) == rec)) Broken("a sound line changed in a round trip");
        }
    }
    return 0;
}
