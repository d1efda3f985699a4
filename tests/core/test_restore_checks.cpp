// A restore reads every file it brings as a start and `check` would, and refuses a damaged one
// before anything in the data folder changes; a sound one is taken even where the ledger around it
// moved on since the backup.
#include "backup/BackupCopy.h"
#include "budget/Budget.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "settings/IniRecord.h"
#include "test_ledger_fixture.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

Files filesIn(const std::string& folder) {
    Files files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files[e.path().filename().string()] = ReadBytes(e.path().string());
    return files;
}

// Two ledger years whose balances run on from 2024 into 2025.
LedgerModel ledger(bool extraDecemberLine) {
    LedgerModel m;
    m[2024].months[0].lines = {Line{2024, 1, 5, "初期残高", "", "", 0, 0, 50000}};
    auto feb = monthLines(2024, 2, 3, 700);
    m[2024].months[1].lines.insert(m[2024].months[1].lines.end(), feb.begin(), feb.end());
    m[2024].months[11].lines = monthLines(2024, 12, extraDecemberLine ? 3 : 2, 900);
    m[2025].months[0].lines = monthLines(2025, 1, 2, 300);
    recomputeModel(m);
    return m;
}

std::string budgetBytes(const NameTables& t) {
    BgtRecord rec;
    FillBudget(rec, -1);
    rec.at(1, 1, 1) = 30000;
    return EncodeBudgetFile(rec, BudgetCountsOf(t.items));
}

std::string setPair(std::string bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
    return bytes;
}

// A data folder and a backup of it taken before its December gained a line.
class RestoreChecks : public ::testing::Test {
protected:
    void SetUp() override {
        data = home / "Data1";
        NameTables t;
        ASSERT_EQ(LoadItemTable(std::string(MRTKEL_TEST_DATA) + "/names/TBITEM.mrt", t), 0);
        std::string breakdowns, shops;
        for (int key = 1; key <= kItemKeyMax; ++key) {
            breakdowns += EncodeNameList(DefaultNameList(), kBrkDnTextBytes);
            shops += EncodeNameList(DefaultNameList(), kShopTextBytes);
        }
        backup = {{"TBITEM.mrt", ReadBytes(std::string(MRTKEL_TEST_DATA) + "/names/TBITEM.mrt")},
                  {"TBBRKDN.mrt", breakdowns},
                  {"TBSHOP.mrt", shops},
                  {"INIT.mrt", EncodeIniRecord(IniRecord{})},
                  {"Bgt2024.usr", budgetBytes(t)}};
        for (const auto& [y, ys] : ledger(false)) {
            backup["Inf" + std::to_string(y) + ".usr"] = infFileBytes(ys);
            backup["Io" + std::to_string(y) + ".usr"] = yearFileBytes(ys);
        }
        for (const auto& [name, bytes] : backup)
            WriteBytes(source / name, bytes);
        fs::create_directories(data + "/BU");
        for (const auto& [name, bytes] : backup)
            WriteBytes(data + "/" + name, bytes);
        writeModel(data, ledger(true));
        before = filesIn(data);
    }

    int restore(const std::vector<std::string>& names, CopyFailure& failure) {
        ConsoleDialogs quiet;
        std::vector<std::string> copied;
        bool changed = true;
        int r = RestoreFilesTogether(source.path() + "/", data + "/", names, quiet, copied, failure, changed);
        EXPECT_EQ(changed, r == 0);
        return r;
    }

    TempDir home, source;
    std::string data;
    Files backup, before;
};

TEST_F(RestoreChecks, ADamagedFileIsRefusedNamedWithItsReasonAndNothingChanges) {
    struct Case {
        const char* what;
        std::vector<std::string> names; // restored together
        std::function<void(Files&)> damage;
        std::string file;   // named by the failure ("" when it names a data file in its reason)
        std::string reason; // part of the reason
    };
    // The balance of February's second line: its region starts after January's 500 slots.
    const size_t line2Balance = 501 * kIoRecordSize + 104;
    const std::vector<std::string> year2024 = {"Inf2024.usr", "Io2024.usr"};
    const Case cases[] = {
        {"a line of the year 3000", year2024, [](Files& f) { f["Io2024.usr"] = setPair(f["Io2024.usr"], 0, 3000); },
         "Io2024.usr", "3000"},
        {"a month counting more lines than it holds", year2024,
         [](Files& f) { f["Inf2024.usr"] = setPair(f["Inf2024.usr"], 2, 600); }, "Inf2024.usr", "容量"},
        {"a year file shorter than its months", year2024, [](Files& f) { f["Io2024.usr"].resize(600 * kIoRecordSize); },
         "Io2024.usr", "ファイルの終わりを超えて"},
        {"a text that is no CP932", year2024,
         [](Files& f) { f["Io2024.usr"][6] = f["Io2024.usr"][7] = static_cast<char>(0xFF); }, "Io2024.usr", "CP932"},
        {"a balance that does not follow", year2024,
         [&](Files& f) { f["Io2024.usr"] = setPair(f["Io2024.usr"], line2Balance, 7); }, "Io2024.usr", "残高"},
        // Taken alone, the information file meets the year file of the data folder.
        {"an information file that does not match the year file it will be read with",
         {"Inf2024.usr"},
         [](Files& f) { f["Inf2024.usr"] = setPair(f["Inf2024.usr"], 2 * 10 + 2, 4); },
         "",
         "Io2024.usr 3月: 1行目 年月が違います"},
        {"a year that puts the ledger's lines over fifty years",
         {"Inf1970.usr", "Io1970.usr"},
         [](Files& f) {
             LedgerModel old;
             old[1970].months[5].lines = {Line{1970, 6, 1, "初期残高", "", "", 0, 0, 100}};
             f["Inf1970.usr"] = infFileBytes(old[1970]);
             f["Io1970.usr"] = yearFileBytes(old[1970]);
         },
         "",
         "50年を超えています"},
        {"an item table of ten lines",
         {"TBITEM.mrt"},
         [](Files& f) {
             std::string& t = f["TBITEM.mrt"];
             size_t at = 0;
             for (int k = 0; k < 10; ++k)
                 at = t.find('\n', at) + 1;
             t.resize(at);
         },
         "TBITEM.mrt",
         "TBITEM.mrt"},
        {"a breakdown table whose order is no permutation",
         {"TBBRKDN.mrt"},
         [](Files& f) { f["TBBRKDN.mrt"] = std::string(kBrkDnRecordBytes * kItemKeyMax, 'b'); },
         "TBBRKDN.mrt",
         "TBBRKDN.mrt"},
        {"a budget of garbage",
         {"Bgt2024.usr"},
         [](Files& f) { f["Bgt2024.usr"] = "\x01\x02garbage\r\n"; },
         "Bgt2024.usr",
         "予算データ"},
        {"a budget cut short",
         {"Bgt2024.usr"},
         [](Files& f) { f["Bgt2024.usr"].resize(40); },
         "Bgt2024.usr",
         "予算データ"},
        {"a settings file of 100 bytes",
         {"INIT.mrt"},
         [](Files& f) { f["INIT.mrt"].resize(100); },
         "INIT.mrt",
         "450バイト"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Files damaged = backup;
        c.damage(damaged);
        for (const std::string& n : c.names)
            WriteBytes(source / n, damaged[n]);
        CopyFailure failure;
        EXPECT_EQ(restore(c.names, failure), -1);
        EXPECT_EQ(failure.file, c.file);
        EXPECT_NE(failure.reason.find(c.reason), std::string::npos) << failure.reason;
        EXPECT_EQ(filesIn(data), before);
        for (const std::string& n : c.names) {
            fs::remove(source / n);
            if (backup.count(n)) WriteBytes(source / n, backup[n]);
        }
    }
}

// The backup of 2024 predates a line added to its December: its balances no longer lead into the
// data folder's 2025, which is the user's choice, not damage.
TEST_F(RestoreChecks, SoundFilesAreRestoredThoughTheLedgerAroundThemMovedOn) {
    CopyFailure failure;
    ASSERT_EQ(restore({"Inf2024.usr", "Io2024.usr"}, failure), 0) << failure.file << ": " << failure.reason;
    ASSERT_EQ(restore({"Bgt2024.usr", "INIT.mrt", "TBBRKDN.mrt", "TBITEM.mrt", "TBSHOP.mrt"}, failure), 0)
        << failure.file << ": " << failure.reason;
    Files expected = before;
    for (const char* n : {"Inf2024.usr", "Io2024.usr", "Bgt2024.usr", "INIT.mrt", "TBBRKDN.mrt", "TBITEM.mrt"})
        expected[n] = backup[n];
    expected["TBSHOP.mrt"] = backup["TBSHOP.mrt"];
    EXPECT_EQ(filesIn(data), expected);
}

} // namespace
} // namespace mrt::test
