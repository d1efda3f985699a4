// Search over the year files: width-blind matching, date and amount ranges, order and count,
// and the tool's search command.
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSearch.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "test_ledger_fixture.h"
#include "util/TextFold.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

FoldedText fold(const std::string& s) {
    FoldedText f;
    EXPECT_TRUE(FoldUtf8(s, f)) << s;
    return f;
}

TEST(TextFoldTest, WidthAndCaseDoNotMatter) {
    EXPECT_EQ(fold("ＡＢＣ"), fold("ABC"));
    EXPECT_EQ(fold("ａｂｃ"), fold("ABC"));
    EXPECT_EQ(fold("１２３"), fold("123"));
    EXPECT_EQ(fold("ｶﾀｶﾅ"), fold("カタカナ"));
    EXPECT_EQ(fold("ｶﾞｿﾘﾝ"), fold("ガソリン"));
    EXPECT_EQ(fold("ﾊﾟﾝ ﾋﾞｰﾙ"), fold("パン　ビール"));
    EXPECT_EQ(fold("ｳﾞｨ"), fold("ヴィ"));
    EXPECT_EQ(fold("（株）"), fold("(株)"));
    EXPECT_NE(fold("カ"), fold("ガ"));
    EXPECT_NE(fold("ﾊﾟ"), fold("バ"));
    EXPECT_NE(fold("か"), fold("カ")); // hiragana stays hiragana
    // A mark that cannot join its kana stays a mark of its own.
    EXPECT_EQ(fold("ｱﾞ").size(), 2u);
    FoldedText none;
    EXPECT_FALSE(FoldUtf8("🍰", none));
}

// A character that code page 932 holds under two or three codes (the NEC-selected IBM extensions
// 0xED40..0xEEFC, the IBM extensions 0xFA40..0xFC4B, NEC special characters) folds to one unit,
// whichever code a line was written with and whichever the typed text converts to.
TEST(TextFoldTest, EveryCodeOfACharacterFoldsAlike) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"髙", {"\xEE\xE0", "\xFB\xFC"}},
        {"纊", {"\xED\x40", "\xFA\x5C"}},
        {"ⅰ", {"\xEE\xEF", "\xFA\x40"}},
        {"￢", {"\xEE\xF9", "\xFA\x54", "\x81\xCA"}},
        {"∵", {"\x87\x9A", "\xFA\x5B", "\x81\xE6"}},
        {"≒", {"\x87\x90", "\x81\xE0"}},
        {"Ⅰ", {"\x87\x54", "\xFA\x4A"}},
        {"\"", {"\xEE\xFC", "\xFA\x57", "\""}}, // full-width quotation mark, as ASCII
    };
    for (const auto& [typed, codes] : cases) {
        for (size_t k = 0; k < codes.size(); ++k) {
            FoldedText stored;
            FoldCp932(codes[k], stored);
            EXPECT_EQ(stored, fold(typed)) << typed << ", code " << k;
        }
    }
    // Characters that only look alike stay apart.
    EXPECT_NE(fold("髙"), fold("高"));
}

TEST(TextFoldTest, ContainsFindsRunsOnly) {
    FoldedText hay = fold("ｽｰﾊﾟｰ ABC店");
    EXPECT_TRUE(FoldedContains(hay.data(), hay.size(), fold("スーパー")));
    EXPECT_TRUE(FoldedContains(hay.data(), hay.size(), fold("ｂｃ店")));
    EXPECT_FALSE(FoldedContains(hay.data(), hay.size(), fold("スーハー")));
    EXPECT_FALSE(FoldedContains(hay.data(), hay.size(), fold("店ABC")));
    EXPECT_TRUE(FoldedContains(hay.data(), hay.size(), {}));
}

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "Data1");
        model[2022].months[11].lines = {Line{2022, 12, 1, "初期残高", "", "", 0, 0, 100000},
                                        Line{2022, 12, 24, "食費", "ｹｰｷ", "ＡＢＣストア", 0, 3000, 0}};
        model[2023].months[0].lines = {Line{2023, 1, 5, "ｶﾞｿﾘﾝ", "", "ENEOS", 0, 5000, 0},
                                       // out of day order, as a block saved unsorted leaves it
                                       Line{2023, 1, 20, "食費", "ケーキ", "abcストア", 0, 800, 0},
                                       Line{2023, 1, 9, "給与", "", "", 250000, 0, 0}};
        model[2024].months[5].lines = {Line{2024, 6, 2, "ガソリン", "満タン", "", 0, 6200, 0}};
        recomputeModel(model);
        writeModel(dir / "Data1", model);
        st = stateFor(dir / "Data1");
        ScriptedDialogs dlg;
        ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    }

    std::vector<std::string> find(SearchQuery q) {
        SearchResult r;
        std::string error;
        EXPECT_EQ(SearchLedger(st.index, q, r, &error), 0) << error;
        std::vector<std::string> out;
        for (const SearchHit& h : r.hits)
            out.push_back(std::to_string(DateNum(h.line)) + " " + h.line.ItemName + " #" + std::to_string(h.slot));
        EXPECT_GE(r.total, static_cast<int64_t>(r.hits.size()));
        return out;
    }

    TempDir dir;
    LedgerModel model;
    LedgerState st;
};

TEST_F(SearchTest, TextIsFoundInEachNameColumnWhateverItsWidth) {
    EXPECT_EQ(find({.text = "がそりん"}), std::vector<std::string>{}); // hiragana is not katakana
    EXPECT_EQ(find({.text = "ガソリン"}), (std::vector<std::string>{"20240602 ガソリン #1", "20230105 ｶﾞｿﾘﾝ #1"}));
    EXPECT_EQ(find({.text = "ｹｰｷ"}), (std::vector<std::string>{"20230120 食費 #2", "20221224 食費 #2"}));
    EXPECT_EQ(find({.text = "  abc "}), (std::vector<std::string>{"20230120 食費 #2", "20221224 食費 #2"}));
    EXPECT_EQ(find({.text = "eneos"}), (std::vector<std::string>{"20230105 ｶﾞｿﾘﾝ #1"}));
    EXPECT_EQ(find({.text = "満タン"}).size(), 1u);
    EXPECT_TRUE(find({.text = "🍰"}).empty());
}

// Lines written by other programs may hold 髙 as its NEC-selected code 0xEEE0; the search finds
// them beside the 0xFBFC that this program writes.
TEST_F(SearchTest, AllCodesOfACharacterAreFound) {
    model[2024].months[6].lines = {Line{2024, 7, 1, "食費", "髙島屋", "", 0, 100, 0},
                                   Line{2024, 7, 2, "食費", "髙島屋", "", 0, 200, 0}};
    recomputeModel(model);
    writeModel(dir / "Data1", model);
    std::string io = ReadBytes(dir / "Data1/Io2024.usr");
    const size_t at = io.find("\xFB\xFC");
    ASSERT_NE(at, std::string::npos);
    io.replace(at, 2, "\xEE\xE0");
    WriteBytes(dir / "Data1/Io2024.usr", io);
    ScriptedDialogs dlg;
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    EXPECT_EQ(find({.text = "髙島"}), (std::vector<std::string>{"20240702 食費 #2", "20240701 食費 #1"}));
}

TEST_F(SearchTest, NewestFirstWithinMonthsThatAreOutOfOrder) {
    EXPECT_EQ(find({.text = "", .fromDate = 20230101, .toDate = 20230131}),
              (std::vector<std::string>{"20230120 食費 #2", "20230109 給与 #3", "20230105 ｶﾞｿﾘﾝ #1"}));
}

TEST_F(SearchTest, AmountRangeUsesTheLinesOwnAmount) {
    EXPECT_EQ(find({.text = "", .minAmount = 5000, .maxAmount = 6200}),
              (std::vector<std::string>{"20240602 ガソリン #1", "20230105 ｶﾞｿﾘﾝ #1"}));
    EXPECT_EQ(find({.text = "", .minAmount = 100000}), (std::vector<std::string>{"20230109 給与 #3"}));
    // The initial-balance line has no amount: 0.
    EXPECT_EQ(find({.text = "", .maxAmount = 0}), (std::vector<std::string>{"20221201 初期残高 #1"}));
}

TEST_F(SearchTest, TheLimitKeepsTheNewestAndStillCountsAll) {
    SearchResult r;
    ASSERT_EQ(SearchLedger(st.index, {.text = "", .limit = 2}, r), 0);
    EXPECT_EQ(r.total, 6);
    ASSERT_EQ(r.hits.size(), 2u);
    EXPECT_EQ(DateNum(r.hits[1].line), 20230120);
}

TEST_F(SearchTest, AMissingYearFileIsAnErrorNotAnEmptyResult) {
    std::filesystem::remove(dir / "Data1/Io2023.usr");
    SearchResult r;
    std::string error;
    EXPECT_EQ(SearchLedger(st.index, {.text = "x"}, r, &error), -1);
    EXPECT_NE(error.find("Io2023.usr"), std::string::npos) << error;
}

TEST_F(SearchTest, ToolListsNewestFirstWithTheCount) {
    int status = -1;
    std::string home = "--home " + dir.path() + " ";
    std::string out = RunTool(home + "search ｹｰｷ --csv", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "date,item,note,shop,income,expense\r\n2023-01-20,食費,ケーキ,abcストア,0,800\r\n"
                   "2022-12-24,食費,ｹｰｷ,ＡＢＣストア,0,3000\r\n");
    out = RunTool(home + "search --from 2023-01-06 --to 2024-12-31 --min 1000", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("2 件\n"), std::string::npos) << out;
    EXPECT_LT(out.find("2024-06-02"), out.find("2023-01-09"));
    RunTool(home + "search --min lots", status);
    EXPECT_EQ(status, 2);
}

} // namespace
} // namespace mrt::test
