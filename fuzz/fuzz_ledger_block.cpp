// A data folder of two years (information and year files of 2023 and 2024) through the scan, the
// newest block, the listing and the check. A block that loads is saved unchanged: the save must
// either change no file or leave a ledger that loads the same lines again.
#include "FuzzSupport.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerSave.h"

#include <filesystem>
#include <map>

using namespace mrt;
using namespace mrt::fuzz;

namespace {

std::map<std::string, std::string> snapshot() {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(Folder())) {
        std::FILE* f = std::fopen(e.path().c_str(), "rb");
        std::string bytes;
        char buf[65536];
        size_t n;
        while (f && (n = std::fread(buf, 1, sizeof buf, f)) > 0)
            bytes.append(buf, n);
        if (f) std::fclose(f);
        files[e.path().filename().string()] = bytes;
    }
    return files;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Pieces in(data, size);
    const int blockMonths = 2 + in.Byte() % 5;
    ClearFolder();
    for (const char* name : {"Inf2023.usr", "Io2023.usr", "Inf2024.usr", "Io2024.usr"}) {
        std::string_view bytes;
        if (!in.Next(bytes)) break;
        PutFile(name, bytes);
    }

    QuietDialogs dlg;
    LedgerState st;
    st.index.SetDataFolder(Folder());
    st.BlockMonthsInUse = blockMonths;
    st.MaxBlockLines = 1500;
    LedgerIndex names;
    names.SetDataFolder(Folder());
    const std::vector<std::string> problems = CheckLedgerFiles(names);
    if (ScanLedgerYears(st, dlg) != 0 || LoadStartBlock(st, dlg) != 0) return 0;

    int32_t listed = 0;
    if (ForEachLedgerLine(st.index, dlg, [&](const IoRecord&) { return ++listed, true; }) == 0 &&
        listed != st.index.TotalLines)
        Broken("the listing and the index count different lines");
    if (st.block.empty()) return 0;

    const std::vector<IoRecord> block = st.block;
    const auto before = snapshot();
    st.LedgerModified = true;
    if (SaveLedgerBlock(st, dlg) != 0) {
        if (snapshot() != before) Broken("a failed save changed files");
        return 0;
    }
    LedgerState again;
    again.index.SetDataFolder(Folder());
    again.BlockMonthsInUse = blockMonths;
    again.MaxBlockLines = 1500;
    if (ScanLedgerYears(again, dlg) != 0 || LoadStartBlock(again, dlg) != 0)
        Broken("a ledger that loaded no longer loads after saving its newest block");
    if (again.block != block) Broken("saving the newest block unchanged changed its lines");
    // A ledger the check passed stays sound.
    if (problems.empty() && !CheckLedgerFiles(names).empty()) Broken("a save made a sound ledger unsound");
    return 0;
}
