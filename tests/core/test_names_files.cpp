// Byte-level tests of the item, breakdown and shop files.
#include "names/NameTables.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace mrt;
using mrt::test::ReadBytes;
using mrt::test::ScriptedDialogs;
using mrt::test::TempDir;
using mrt::test::WriteBytes;

namespace {

const std::string kFixtureItem = std::string(MRTKEL_TEST_DATA) + "/names/TBITEM.mrt";

// CP932 bytes written by hand, so the tests do not depend on the encoder under test.
const std::string kSonota = "\x82\xbb\x82\xcc\x91\xbc";                           // その他
const std::string kNoneSjis = "\x81\x69\x93\xfc\x97\xcd\x82\xc8\x82\xb5\x81\x6a"; // （入力なし）

std::string le16(int v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

// One record: count, the order given (then the remaining slots ascending), names padded to width.
std::string record(int count, std::vector<int> order, const std::vector<std::string>& sjisNames, int width) {
    for (int s = 1; s <= 50; ++s)
        if (std::find(order.begin(), order.end(), s) == order.end()) order.push_back(s);
    std::string r = le16(count);
    for (int s : order)
        r += le16(s);
    for (int s = 0; s < 50; ++s) {
        std::string n = s < static_cast<int>(sjisNames.size()) ? sjisNames[s] : "";
        r += n + std::string(width - n.size(), ' ');
    }
    return r;
}

std::string defaultRecord(int width) {
    return record(1, {}, {kSonota}, width);
}

int16_t at16(const std::string& b, size_t off) {
    return static_cast<int16_t>(static_cast<uint8_t>(b[off]) | (static_cast<uint8_t>(b[off + 1]) << 8));
}

} // namespace

// ---- Item table ----

TEST(ItemFile, LoadsFixtureAndWritesItBackByteForByte) {
    NameTables t;
    ASSERT_EQ(LoadItemTable(kFixtureItem, t), 0);
    EXPECT_EQ(t.items.ItemCount[0], 2);
    EXPECT_EQ(t.items.ItemCount[1], 3);
    EXPECT_EQ(FillItemList(t, kIncomeKind, false), (std::vector<std::string>{"賞与", "給料"}));
    // A comma inside the quotes belongs to the name.
    EXPECT_EQ(FillItemList(t, kExpenseKind, false), (std::vector<std::string>{"交通費", "食費", "住居費,光熱費"}));
    // A deleted name stays in its free slot.
    EXPECT_EQ(t.items.ItemText[1][4], "旧項目");

    TempDir dir;
    ScriptedDialogs dlg;
    ASSERT_EQ(SaveItemTable(dir / "TBITEM.mrt", t, dlg), 0);
    std::string written = ReadBytes(dir / "TBITEM.mrt");
    EXPECT_EQ(written, ReadBytes(kFixtureItem));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 141);
}

TEST(ItemFile, AcceptsLfLinesAndBareValues) {
    TempDir dir;
    std::string text = "1, 0\n";
    for (int p = 1; p <= 20; ++p)
        text += std::to_string(p) + "\n";
    for (int p = 1; p <= 50; ++p)
        text += std::to_string(p) + "\n";
    text += "\x8b\x8b\x97\xbf\n"; // 給料, unquoted
    for (int s = 2; s <= 70; ++s)
        text += "\"\"\n";
    ASSERT_TRUE(WriteBytes(dir / "tbitem.MRT", text));
    NameTables t;
    // The name is found whatever its letter case.
    ASSERT_EQ(LoadItemTable(dir / "TBITEM.mrt", t), 0);
    EXPECT_EQ(FillItemList(t, kIncomeKind, false), std::vector<std::string>{"給料"});
}

TEST(ItemFile, DamagedFilesFailAndLeaveTheTableAlone) {
    TempDir dir;
    std::string good = ReadBytes(kFixtureItem);
    NameTables t;
    ASSERT_EQ(LoadItemTable(kFixtureItem, t), 0);

    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"ends early", good.substr(0, good.find("\"\"\r\n"))},
        {"last text unterminated", good.substr(0, good.size() - 3)},
        {"count above maximum", "21" + good.substr(1)},
        {"order not a permutation", good.substr(0, 5) + "1\r\n1" + good.substr(9)},
        {"count not a number", "x" + good.substr(1)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(dir / "TBITEM.mrt", c.bytes));
        NameTables copy = t;
        EXPECT_EQ(LoadItemTable(dir / "TBITEM.mrt", copy), -1) << c.what;
        EXPECT_EQ(FillItemList(copy, kExpenseKind, false), FillItemList(t, kExpenseKind, false)) << c.what;
    }
    EXPECT_EQ(LoadItemTable(dir / "missing.mrt", t), 1);
}

TEST(ItemFile, SavingNoItemsRemovesTheFile) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / "tbItem.mrt", ReadBytes(kFixtureItem)));
    NameTables t;
    ScriptedDialogs dlg;
    ASSERT_EQ(SaveItemTable(dir / "TBITEM.mrt", t, dlg), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "tbItem.mrt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "TBITEM.mrt"));
}

TEST(ItemFile, FailedWriteShowsItsMessageAndKeepsTheOldFile) {
    NameTables t;
    ASSERT_EQ(LoadItemTable(kFixtureItem, t), 0);
    TempDir dir;
    ScriptedDialogs dlg;
    dlg.expectBox(MsgResult::OK).expectMessage("no-such-folder");
    EXPECT_EQ(SaveItemTable(dir / "no-such-folder/TBITEM.mrt", t, dlg), -1);
    EXPECT_EQ(dlg.transcript().back().title, "項目名ファイル書込みエラー");
}

// ---- Breakdown and shop tables ----

TEST(NameListFile, ShortBreakdownFileGrowsToSeventyRecordsOnLoad) {
    TempDir dir;
    std::string first3 = record(2, {2, 1}, {"\x90\x48", "\x8a\x4f\x90\x48"}, 40) // 食, 外食
                         + defaultRecord(40) + record(0, {}, {}, 40);
    ASSERT_TRUE(WriteBytes(dir / "TBBRKDN.mrt", first3));
    NameTables t;
    ASSERT_EQ(LoadBrkDnTable(dir / "TBBRKDN.mrt", t), 0);

    std::string after = ReadBytes(dir / "TBBRKDN.mrt");
    ASSERT_EQ(after.size(), 70u * 2102u);
    EXPECT_EQ(after.substr(0, 3 * 2102), first3);
    for (int key = 4; key <= 70; ++key)
        ASSERT_EQ(after.substr((key - 1) * 2102, 2102), defaultRecord(40)) << "key " << key;

    EXPECT_EQ(FillBrkDnList(t, 1, false), (std::vector<std::string>{"外食", "食"}));
    EXPECT_EQ(FillBrkDnList(t, 3, false), std::vector<std::string>{});
    EXPECT_EQ(FillBrkDnList(t, 70, false), std::vector<std::string>{"その他"});
}

TEST(NameListFile, EmptyShopFileBecomesSeventyDefaults) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / "TBSHOP.mrt", ""));
    NameTables t;
    ASSERT_EQ(LoadShopTable(dir / "TBSHOP.mrt", t), 0);
    std::string after = ReadBytes(dir / "TBSHOP.mrt");
    ASSERT_EQ(after.size(), 70u * 1602u);
    EXPECT_EQ(after.substr(69 * 1602), defaultRecord(30));
}

TEST(NameListFile, CompletionCanStayInMemory) {
    TempDir dir;
    std::string one = defaultRecord(30);
    ASSERT_TRUE(WriteBytes(dir / "TBSHOP.mrt", one));
    NameTables t;
    ASSERT_EQ(LoadShopTable(dir / "TBSHOP.mrt", t, false), 0);
    EXPECT_EQ(ReadBytes(dir / "TBSHOP.mrt"), one);
    EXPECT_EQ(FillShopList(t, 42, false), std::vector<std::string>{"その他"});
}

TEST(NameListFile, DamagedRecordsFailWithoutTouchingFileOrTables) {
    TempDir dir;
    NameTables t;
    t.brkDn[1] = DefaultNameList();
    std::string bad[] = {
        defaultRecord(40) + defaultRecord(40).substr(0, 1000), // cut inside record 2
        record(51, {}, {}, 40),                                // count above 50
        record(1, {1, 1}, {}, 40),                             // slot 1 listed twice
        le16(1) + le16(0) + defaultRecord(40).substr(4),       // slot 0
    };
    for (const std::string& b : bad) {
        ASSERT_TRUE(WriteBytes(dir / "TBBRKDN.mrt", b));
        NameTables copy = t;
        EXPECT_EQ(LoadBrkDnTable(dir / "TBBRKDN.mrt", copy), -1);
        EXPECT_EQ(ReadBytes(dir / "TBBRKDN.mrt"), b);
        EXPECT_EQ(copy.brkDn[1].NameCount, 1);
        EXPECT_EQ(copy.brkDn[2].NameCount, 0);
    }
    EXPECT_EQ(LoadBrkDnTable(dir / "none.mrt", t), 1);
}

TEST(NameListFile, LongNamesAreCutOnCharacterBoundaries) {
    NameTables t;
    // 16 full-width characters: 32 bytes, the shop field holds 30.
    ASSERT_EQ(AddName(t, kShopTable, 21, "あいうえおかきくけこさしすせそた"), 1);
    EXPECT_EQ(t.shop[21].NameText[1], "あいうえおかきくけこさしすせそ");
    // 39 half-width characters and one full-width one: the half character becomes a blank.
    ASSERT_EQ(AddName(t, kBrkDnTable, 21, std::string(39, 'a') + "あ"), 1);

    TempDir dir;
    ScriptedDialogs dlg;
    ASSERT_EQ(SaveShopTable(dir / "TBSHOP.mrt", t, dlg), 0);
    ASSERT_EQ(SaveBrkDnTable(dir / "TBBRKDN.mrt", t, dlg), 0);
    std::string shop = ReadBytes(dir / "TBSHOP.mrt");
    std::string brkDn = ReadBytes(dir / "TBBRKDN.mrt");
    ASSERT_EQ(shop.size(), 70u * 1602u);
    size_t nameAt = 20 * 1602 + 102;
    EXPECT_EQ(shop.substr(nameAt, 30),
              "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x82\xa9\x82\xab\x82\xad\x82\xaf\x82\xb1"
              "\x82\xb3\x82\xb5\x82\xb7\x82\xb9\x82\xbb");
    EXPECT_EQ(shop.substr(nameAt + 30, 30), std::string(30, ' ')); // slot 2 blank
    EXPECT_EQ(brkDn.substr(20 * 2102 + 102, 40), std::string(39, 'a') + " ");

    NameTables back;
    ASSERT_EQ(LoadShopTable(dir / "TBSHOP.mrt", back), 0);
    EXPECT_EQ(FillShopList(back, 21, false), std::vector<std::string>{"あいうえおかきくけこさしすせそ"});
}

TEST(NameListFile, NoneEntryIsListedOnlyWhenAskedAndNeverWritten) {
    NameTables t;
    t.brkDn[5] = DefaultNameList();
    t.shop[5] = DefaultNameList();
    EXPECT_EQ(FillBrkDnList(t, 5, true), (std::vector<std::string>{"（入力なし）", "その他"}));
    EXPECT_EQ(FillShopList(t, 5, false), std::vector<std::string>{"その他"});
    EXPECT_EQ(FillShopList(t, 0, true), std::vector<std::string>{"（入力なし）"});
    EXPECT_EQ(FillItemList(t, kIncomeKind, true), std::vector<std::string>{"（入力なし）"});
    std::string why;
    EXPECT_EQ(AddName(t, kShopTable, 5, "（入力なし）", &why), -1);
    EXPECT_NE(why.find("（入力なし）"), std::string::npos);
    ASSERT_EQ(AddName(t, kItemTable, kExpenseKind, "食費"), 1);

    TempDir dir;
    ScriptedDialogs dlg;
    ASSERT_EQ(SaveBrkDnTable(dir / "b", t, dlg), 0);
    ASSERT_EQ(SaveShopTable(dir / "s", t, dlg), 0);
    ASSERT_EQ(SaveItemTable(dir / "i", t, dlg), 0);
    for (const char* f : {"b", "s", "i"})
        EXPECT_EQ(ReadBytes(dir / f).find(kNoneSjis), std::string::npos) << f;
}

TEST(NameListFile, SavingOneRecordKeepsTheOthersAsTheFileHasThem) {
    TempDir dir;
    std::string onDisk = defaultRecord(40) + record(0, {}, {}, 40); // 2 records only
    ASSERT_TRUE(WriteBytes(dir / "TBBRKDN.mrt", onDisk));
    NameTables t;
    for (int k = 1; k <= 70; ++k)
        t.brkDn[k] = DefaultNameList();
    t.brkDn[1].NameText[1] = "変更済み"; // in memory only, must not reach the file
    t.brkDn[2] = NameListRecord();
    ASSERT_EQ(AddName(t, kBrkDnTable, 2, "\x61"), 1);
    ScriptedDialogs dlg;
    ASSERT_EQ(SaveBrkDnRecord(dir / "tbbrkdn.mrt", 2, t, dlg), 0);

    std::string after = ReadBytes(dir / "TBBRKDN.mrt");
    ASSERT_EQ(after.size(), 70u * 2102u);
    EXPECT_EQ(after.substr(0, 2102), defaultRecord(40));
    EXPECT_EQ(at16(after, 2102), 1);
    EXPECT_EQ(after.substr(2102 + 102, 40), "a" + std::string(39, ' '));
    EXPECT_EQ(after.substr(69 * 2102), defaultRecord(40)); // completed from memory
    EXPECT_FALSE(std::filesystem::exists(dir / "tbbrkdn.mrt") && std::filesystem::exists(dir / "TBBRKDN.mrt") &&
                 !std::filesystem::equivalent(dir / "tbbrkdn.mrt", dir / "TBBRKDN.mrt"));

    dlg.expectBox(MsgResult::OK);
    EXPECT_EQ(SaveShopRecord(dir / "gone/TBSHOP.mrt", 2, t, dlg), -1);
    EXPECT_EQ(dlg.transcript().back().title, "店名・相手先ファイル書込みエラー");
    EXPECT_EQ(SaveShopRecord(dir / "TBSHOP.mrt", 71, t, dlg), -1);
}
