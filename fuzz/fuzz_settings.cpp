// The settings file: read, the settings window's rows, clamping; once decoded and encoded, a
// record must encode the same again.
#include "FuzzSupport.h"
#include "settings/IniRecord.h"

using namespace mrt;
using namespace mrt::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClearFolder();
    PutFile("INIT.mrt", std::string_view(reinterpret_cast<const char*>(data), size));
    IniRecord rec;
    if (ReadSettings(PathOf("INIT.mrt"), rec) != 0) return 0;
    std::vector<std::string> texts;
    for (const SettingsItem& item : SettingsItems(rec))
        texts.push_back(item.value);
    SettingsFieldList(rec);
    const std::string once = EncodeIniRecord(rec);
    if (once.size() != static_cast<size_t>(kIniRecordSize)) Broken("a record is not 450 bytes");
    IniRecord back;
    DecodeIniRecord(once, back);
    if (EncodeIniRecord(back) != once) Broken("an encoded record changed in a round trip");
    ApplySettingsItems(texts, back);
    ClampBlockSettings(back);
    if (back.BlockMonths < 2 || back.BlockMonths > 6 || back.MaxBlockLines < 100 || back.MaxBlockLines > 1500)
        Broken("clamped block settings out of range");
    if (WriteSettings(PathOf("INIT.mrt"), rec) != 0) Broken("the record could not be written back");
    IniRecord reread;
    if (ReadSettings(PathOf("INIT.mrt"), reread) != 0 || EncodeIniRecord(reread) != once)
        Broken("a written record reads back differently");
    return 0;
}
