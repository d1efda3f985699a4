// The line rules as every path meets them: one list of lines is typed into the ledger grid, read
// from an import file and given to `mrtkel-tool add`, and each path takes or refuses each line
// the same way, for the same reason.
#include "ledger/LedgerImport.h"
#include "ledger/LineRules.h"
#include "support/RunTool.h"
#include "test_ledger_editor_fixture.h"

namespace mrt::test {
namespace {

struct LineCase {
    std::string item, note, expense;
    int32_t stored;     // the expense the line is saved with; -1 when the line is refused
    const char* reason; // part of the refusal, whichever path gives it
};

const std::string kFood = "食費";

const std::vector<LineCase>& lineCases() {
    static const std::vector<LineCase> cases = {
        {kFood, "", "980%8", 1058, ""}, // the reduced rate, whatever the settings' rate
        {kFood, "", "1,000", 1000, ""}, // a thousands separator
        {kFood, "", "99,999,999", 99999999, ""},
        {kFood, "", "2.5*2+10", 14, ""},
        {kFood, "", "1,00", -1, "金額が異常です"}, // a comma that separates no thousands
        {kFood, "", "500-", -1, "金額が異常です"}, // read only in part
        {kFood, "", "12abc", -1, "金額が異常です"},
        {kFood, "", "100000000", -1, "金額が異常です"},
        {kFood, "", "980%21", -1, "税率が異常です"}, // the rate is named, not the amount
        {kFood, "", "100/0", -1, "金額が異常です"},
        {kFood, std::string(40, 'x'), "300", 300, ""},
        {kFood, std::string(41, 'x'), "300", -1, "40 バイト"},                         // never cut short
        {kFood, "野菜・果物・肉・魚・惣菜・外食・日用品・他", "300", -1, "40 バイト"}, // 21 full-width
        {kFood, "ケーキ🍰", "300", -1, "「🍰」"},
        {"食費食費食費食費食費x", "", "300", -1, "20 バイト"},
    };
    return cases;
}

struct Outcome {
    int32_t stored = -1;
    std::string message;
};

std::string csvCell(const std::string& s) {
    std::string out = "\"";
    for (char c : s)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string shellWord(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class LineRulePaths : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        // The grid asks to register a breakdown it does not know; the lines it should take have
        // theirs registered so that only the refusals speak.
        const int food = ItemKeyOf(app.names, kExpenseKind, 1);
        for (const LineCase& c : lineCases())
            if (c.stored >= 0 && !c.note.empty()) AddName(app.names, kBrkDnTable, food, c.note);
    }

    void freshLedger() { MakeLedger({Line(2004, 1, 5, "初期残高", 0, 0)}, 100000); }

    // The line typed key by key on the new-entry line: day, item, breakdown, no shop, expense.
    Outcome typed(const LineCase& c) {
        freshLedger();
        StartEditing();
        if (c.stored < 0) dlg.expect("MsgKel", 2).expectMessage(c.reason); // "入力中止"
        const size_t before = dlg.transcript().size();
        auto refused = [&] { return c.stored < 0 && !dlg.pending(); };
        Type("8");
        Press(Key::Enter);
        TypeInBox(c.item);
        Press(Key::Enter);
        if (!refused()) {
            if (c.note.empty())
                Press(Key::Enter);
            else {
                TypeInBox(c.note);
                Press(Key::Enter);
            }
        }
        if (!refused()) {
            Press(Key::Enter); // shop: "（入力なし）"
            Type(c.expense);
            Press(Key::Enter);
        }
        Outcome out;
        for (size_t i = before; i < dlg.transcript().size(); ++i)
            if (dlg.transcript()[i].op == "MsgKel") out.message = dlg.transcript()[i].message;
        if (LastRow() == 2) {
            EndAndSave();
            Reload();
            out.stored = app.ledger.block.back().Expense;
        }
        return out;
    }

    // The line as a row of an import file.
    Outcome imported(const LineCase& c) {
        freshLedger();
        std::string row;
        for (const std::string& cell :
             {std::string("2004-01-08"), c.item, c.note, std::string(), std::string(), c.expense})
            row += (row.empty() ? "" : ",") + csvCell(cell);
        const ImportPlan plan = PlanImport(row + "\r\n", app.ledger.index, app.names, 5, false);
        EXPECT_EQ(plan.fileError, "");
        if (plan.rows.size() != 1) return {};
        if (!plan.rows[0].problem.empty()) return {-1, plan.rows[0].problem};
        return {plan.rows[0].line.Expense, ""};
    }

    // The line given to the tool.
    Outcome added(const std::string& home, const LineCase& c) {
        int status = 0;
        std::string err;
        RunTool("--home " + shellWord(home) + " add --date 2004-01-08 --item " + shellWord(c.item) + " --note " +
                    shellWord(c.note) + " --expense " + shellWord(c.expense),
                status, "", &err);
        if (status != 0) return {-1, err};
        const std::string csv = RunTool("--home " + shellWord(home) + " ledger --csv", status);
        // The newest line is the last: "date,item,note,shop,income,expense,balance".
        std::vector<std::string> cells;
        std::string line = csv.substr(csv.rfind("\r\n", csv.size() - 3) + 2);
        for (size_t from = 0;;) {
            const size_t comma = line.find(',', from);
            cells.push_back(line.substr(from, comma - from));
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
        return {cells.size() == 7 ? std::stoi(cells[5]) : -2, err};
    }
};

TEST_F(LineRulePaths, GridImportAndToolTakeOrRefuseEachLineAlike) {
    TempDir home;
    int status = 0;
    RunTool("--home " + shellWord(home.path()) + " init --start 2004-01-05 --balance 100000", status);
    ASSERT_EQ(status, 0);
    for (const LineCase& c : lineCases()) {
        SCOPED_TRACE(c.item + " / " + c.note + " / " + c.expense);
        for (const auto& [path, out] : {std::pair{"grid", typed(c)}, std::pair{"import", imported(c)},
                                        std::pair{"tool", added(home.path(), c)}}) {
            EXPECT_EQ(out.stored, c.stored) << path << ": " << out.message;
            if (c.stored < 0) EXPECT_NE(out.message.find(c.reason), std::string::npos) << path << ": " << out.message;
        }
    }
}

TEST(LineRules, DatesLieInTheLedgerYearsAndNotBeforeTheStart) {
    EXPECT_EQ(CheckLineDate(2000, 1, 1), LineDateFault::None);
    EXPECT_EQ(CheckLineDate(2050, 12, 31), LineDateFault::None);
    EXPECT_EQ(CheckLineDate(1999, 12, 31), LineDateFault::Bad);
    EXPECT_EQ(CheckLineDate(2051, 1, 1), LineDateFault::Bad);
    EXPECT_EQ(CheckLineDate(2023, 2, 29), LineDateFault::Bad);
    EXPECT_EQ(CheckLineDate(2024, 2, 29, 20240301), LineDateFault::BeforeStart);
    EXPECT_EQ(CheckLineDate(2024, 3, 1, 20240301), LineDateFault::None);
    EXPECT_STREQ(LineDateMessage(LineDateFault::BeforeStart), "データ登録の開始日付より前の日付は入力できません。");
}

// A cell takes blank as no amount; the balance cell reads an expression without the line's range.
TEST(LineRules, AmountsBlankNegativeAndOutOfRange) {
    int32_t amount = 7;
    EXPECT_EQ(CheckLineAmount("   ", 10, amount), LineAmountFault::None);
    EXPECT_EQ(amount, 0);
    EXPECT_EQ(CheckLineAmount("-500", 10, amount), LineAmountFault::Refused);
    EXPECT_EQ(ReadAmountText("-500", 10, amount), LineAmountFault::None);
    EXPECT_EQ(amount, -500);
    EXPECT_EQ(CheckLineAmount("1000%", 10, amount), LineAmountFault::None);
    EXPECT_EQ(amount, 1100);
    EXPECT_EQ(CheckLineAmount("--5", 10, amount), LineAmountFault::NotAnAmount);
    EXPECT_EQ(amount, 1100); // untouched by a refusal
}

TEST(LineRules, ALineNamesAnItemOfItsOwnSide) {
    NameTables names;
    AddName(names, kItemTable, kIncomeKind, "給与");
    AddName(names, kItemTable, kExpenseKind, "食費");
    IoRecord l = Line(2024, 1, 5, "給与", 1000, 0);
    EXPECT_FALSE(CheckLineItem(names, l));
    l = Line(2024, 1, 5, "食費", 1000, 0); // an expense item on the income side
    EXPECT_EQ(CheckLineItem(names, l).kind, LineItemFault::NotRegistered);
    EXPECT_EQ(LineItemMessage(l, CheckLineItem(names, l)), "項目名「食費」は入金項目名に登録されていません。");
    l = Line(2024, 1, 5, "", 0, 300);
    EXPECT_EQ(CheckLineItem(names, l).kind, LineItemFault::Missing);
    EXPECT_EQ(CheckLineSide(Line(2024, 1, 5, "食費", 1, 1)), LineSideFault::BothAmounts);
    EXPECT_EQ(CheckLineSide(Line(2024, 1, 5, "食費", 0, 0)), LineSideFault::NoAmount);
    EXPECT_EQ(CheckLineSide(Line(2024, 1, 5, "食費", 0, 1)), LineSideFault::None);
}

// The tool keeps an item that is not registered on the line's side, as the grid keeps a name the
// user chose not to register, and says that the totals count it as "(不明)".
TEST(LineRulesTool, AnItemOffItsSideIsAddedWithANote) {
    TempDir home;
    int status = 0;
    const std::string h = "--home " + shellWord(home.path());
    RunTool(h + " init --start 2024-01-01 --balance 1000", status);
    ASSERT_EQ(status, 0);
    std::string err;
    RunTool(h + " add --date 2024-01-05 --item 給与 --expense 100", status, "", &err);
    EXPECT_EQ(status, 0);
    EXPECT_NE(err.find("項目名「給与」は出金項目名に登録されていません。"), std::string::npos) << err;
    RunTool(h + " add --date 2024-01-06 --item 食費 --expense 100", status, "", &err);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err, "");
    EXPECT_EQ(RunTool(h + " ledger --csv", status), "date,item,note,shop,income,expense,balance\r\n"
                                                    "2024-01-01,初期残高,,,0,0,1000\r\n"
                                                    "2024-01-05,給与,,,0,100,900\r\n"
                                                    "2024-01-06,食費,,,0,100,800\r\n");
}

} // namespace
} // namespace mrt::test
