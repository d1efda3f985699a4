// Going from a search result to its line: the block holding it is read as "go to date" reads it,
// and the cursor stands on the very line (of several alike, the one found).
#include "ledger/LedgerSearch.h"
#include "test_ledger_editor_fixture.h"

namespace mrt::test {
namespace {

class SearchJump : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        MakeLedger({Line(2004, 1, 5, "初期残高", 0, 0), Line(2004, 1, 20, "食費", 0, 1000),
                    Line(2004, 2, 10, "食費", 0, 2000, "ﾊﾟﾝ"), Line(2004, 2, 10, "食費", 0, 2000, "パン"),
                    Line(2004, 2, 25, "給与", 200000, 0), Line(2004, 3, 5, "外食", 0, 3000),
                    Line(2004, 4, 2, "日用品", 0, 800), Line(2004, 5, 10, "外食", 0, 4000),
                    Line(2004, 6, 3, "食費", 0, 1200), Line(2004, 6, 12, "日用品", 0, 600, "パン")},
                   100000, 2);
    }
    std::vector<SearchHit> find(const std::string& text) {
        SearchResult r;
        EXPECT_EQ(SearchLedger(app.ledger.index, {.text = text}, r), 0);
        return r.hits;
    }
    std::string rowText(int row) const {
        return grid.TextMatrix(row, kColItem) + "/" + grid.TextMatrix(row, kColNote) + "@" +
               grid.TextMatrix(row, kColDay);
    }
};

TEST_F(SearchJump, ALineInAnOlderBlockIsReadAndTheCursorStandsOnIt) {
    std::vector<SearchHit> hits = find("ぱん"); // hiragana: nothing
    EXPECT_TRUE(hits.empty());
    hits = find("パン");
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(DateNum(hits[0].line), 20040612);
    // The second of the two alike lines of 10 February.
    app.PendingJump = hits[1];
    StartEditing();
    EXPECT_FALSE(app.PendingJump.has_value());
    EXPECT_EQ(app.ledger.BlockPos, kBlockOldest);
    EXPECT_EQ(view.displayed, "2004年01月05日～2004年02月25日");
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.Col(), kColDay);
    EXPECT_EQ(rowText(grid.Row()), "食費/パン@10");
    EXPECT_TRUE(dlg.saw("MsgOn", "しばらくお待ちください。"));

    // The other one, in the block now loaded: no read.
    const int reads = dlg.count("MsgOn");
    EXPECT_TRUE(editor->JumpToLine(hits[2]));
    EXPECT_EQ(dlg.count("MsgOn"), reads);
    EXPECT_EQ(rowText(grid.Row()), "食費/ﾊﾟﾝ@10");

    // Back to the newest block.
    EXPECT_TRUE(editor->JumpToLine(hits[0]));
    EXPECT_EQ(app.ledger.BlockPos, kBlockNewest);
    EXPECT_EQ(rowText(grid.Row()), "日用品/パン@12");
}

TEST_F(SearchJump, ALineChangedSinceTheSearchLeavesTheCursorAtItsDate) {
    std::vector<SearchHit> hits = find("ﾊﾟﾝ");
    ASSERT_EQ(hits.size(), 3u);
    SearchHit stale = hits[2];
    stale.line.Expense = 1; // not the line that is there now
    StartEditing();
    EXPECT_FALSE(editor->JumpToLine(stale));
    EXPECT_EQ(app.ledger.BlockPos, kBlockOldest);
    EXPECT_EQ(grid.TextMatrix(grid.Row(), kColDay), "10");
}

TEST_F(SearchJump, DecliningTheSortQuestionKeepsTheBlock) {
    StartEditing();
    // A line of 1 June after the one of 12 June: the block is out of date order.
    Type("1");
    Press(Key::Enter);
    Pick("食費");
    Press(Key::Enter);
    Press(Key::Enter);
    Press(Key::Enter);
    Type("300");
    Press(Key::Enter);
    Press(Key::Esc);
    ASSERT_TRUE(app.ledger.PreSortF);
    std::vector<SearchHit> hits = find("給与");
    ASSERT_EQ(hits.size(), 1u);
    dlg.expect("MsgYesNo2", 1).expectMessage("並べ替えてから別データ読込みします。");
    EXPECT_FALSE(editor->JumpToLine(hits[0]));
    EXPECT_EQ(app.ledger.BlockPos, kBlockNewest);
}

} // namespace
} // namespace mrt::test
