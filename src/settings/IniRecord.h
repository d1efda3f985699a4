#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

// The settings record, one per run, stored as the 450 bytes of "INIT.mrt" (little-endian 16-bit
// integers, blank-padded CP932 texts). Texts are held as UTF-8 without trailing blanks; the
// reserved fields keep their raw bytes so that they are written back unchanged.
struct IniRecord {
    std::string reserved0 = std::string(30, ' ');   // offset 0, 30 bytes
    int16_t KeyInputMode = 1;                       // 30: 0 Windows type, other = DOS type
    int16_t MainWindowState = 0;                    // 32: 0 normal, 1 minimised, 2 maximised
    int16_t TotalsWindowState = 0;                  // 34
    std::string reserved1 = std::string(100, ' ');  // 36, 100 bytes
    int16_t BlockMonths = 3;                        // 136
    int16_t MaxBlockLines = 300;                    // 138
    int16_t DisplayRows = 19;                       // 140
    int16_t ClosingDay = 31;                        // 142
    std::string reserved2 = std::string(98, ' ');   // 144, 98 bytes
    std::string LedgerPrintTitle = "家計簿";        // 242, 30 bytes
    std::string TotalsPrintTitle = "家計簿集計";    // 272, 30 bytes
    std::string PrintUserName = "ユーザー名";       // 302, 30 bytes
    int16_t LedgerPaperSize = 9;                    // 332: 9 A4, 13 B5
    int16_t LedgerPrintColumn = 5;                  // 334
    int16_t LedgerPrintLine = 0;                    // 336
    int16_t TotalsPaperSize = 9;                    // 338
    int16_t TotalsPrintColumn = 5;                  // 340
    int16_t TotalsPrintLine = 0;                    // 342
    std::string reserved3 = std::string(100, ' ');  // 344, 100 bytes
    int16_t TwoColumnItemBox = 0;                   // 444
    int16_t TaxRate = 10;                            // 446
    int16_t reservedInt = 0;                        // 448
};

constexpr int kIniRecordSize = 450;
inline constexpr const char* kSettingsFileName = "INIT.mrt";

// Sets the values of a new settings file (3-month blocks of 300 lines, 19 rows shown, closing
// day 31, tax 10 %, print titles); leaves the window states and reserved fields as they are.
void SettingsDefaults(IniRecord& rec);

// Record ↔ the 450 file bytes.
std::string EncodeIniRecord(const IniRecord& rec);
// Decodes what is there; fields beyond the end of a shorter buffer keep their current values.
void DecodeIniRecord(const std::string& bytes, IniRecord& rec);

// 0 read; 1 no file (defaults applied, nothing written); -1 the file exists but cannot be read
// (record unchanged; `why`, when given, receives the file name and the reason). Callers treat -1 as
// an error, never as "no settings": the defaults would give wrong amounts (tax rate) and a later
// write would replace the user's settings. A file shorter than 450 bytes is read as far as it
// goes; the rest takes the defaults.
int ReadSettings(const std::string& path, IniRecord& rec, std::string* why = nullptr);
// Writes the 450 bytes at offset 0 without truncating a longer file. 0 done, -1 failed; an
// existing file that cannot be read is never replaced (-1).
int WriteSettings(const std::string& path, const IniRecord& rec);
// Fault injection for tests: every read of a settings file fails with this errno (0 = off).
void SetSettingsReadFailure(int errnum);

// Clamps BlockMonths into 2..6 and MaxBlockLines into 100..1500, as start-up does before use.
void ClampBlockSettings(IniRecord& rec);

// One row of the settings window.
struct SettingsItem {
    std::string label;     // label text, bounds appended for rows 1 to 3
    int min = 0, max = 0;  // inclusive bounds
    std::string value;     // current value as decimal text
    std::string help;      // help text of the row
    std::string helpLine;  // help text, " 入力例：" + default, the move hint
};

// The six rows of the settings window in order, with the record's current values.
std::vector<SettingsItem> SettingsItems(const IniRecord& rec);
// Stores edited row texts back (numeric value of the leading digits, rounded; empty = 0).
void ApplySettingsItems(const std::vector<std::string>& texts, IniRecord& rec);

// Name=value lines of the named fields in record order (reserved fields left out), UTF-8.
std::vector<std::pair<std::string, std::string>> SettingsFieldList(const IniRecord& rec);

} // namespace mrt
