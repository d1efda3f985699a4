// CSV export and import: the round trip through an empty ledger, all-or-nothing refusal with
// every bad line named, placement after the last line of a date, and item registration.
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCsv.h"
#include "ledger/LedgerImport.h"
#include "ledger/LedgerSave.h"
#include "ledger/StartDate.h"
#include "names/NameTables.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Cp932.h"
#include "util/Home.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace mrt::test {
namespace {

struct ToolRun {
    int exitCode;
    std::string out; // standard output and error
};
ToolRun tool(const std::string& home, const std::string& args) {
    std::string outFile = home + "/.out";
    std::string cmd = std::string(MRTKEL_TOOL_PATH) + " --home '" + home + "' " + args + " >'" + outFile + "' 2>&1";
    int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(outFile)};
}

LedgerState scanned(const std::string& home) {
    LedgerState st;
    st.index.SetDataFolder(DataFolder(home));
    ScriptedDialogs dlg;
    EXPECT_EQ(ScanLedgerYears(st, dlg), 0);
    return st;
}

// A ledger with awkward names: a formula, a quote and a comma, half-width kana.
void fillLedger(const std::string& home) {
    ASSERT_EQ(tool(home, "init --start 2023-11-03 --balance 120000").exitCode, 0);
    const char* adds[] = {
        "--date 2023-11-05 --item 食費 --note '=HYPERLINK(\"http://x\")' --expense 980",
        "--date 2023-11-05 --item 給与 --shop '株式会社\"ミルテ\", 本社' --income 250000",
        "--date 2024-01-02 --item 食費 --note ｹｰｷ --shop -ABC- --expense 1200",
        "--date 2024-01-01 --item 交通費 --note @定期 --expense 16000",
    };
    for (const char* a : adds)
        ASSERT_EQ(tool(home, std::string("add ") + a).exitCode, 0) << a;
}

std::string csvOf(const std::string& home) {
    ToolRun r = tool(home, "ledger --csv");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    return r.out;
}

TEST(CsvRoundTrip, ExportThenImportIntoAnEmptyLedgerGivesTheSameLedger) {
    TempDir a, b;
    fillLedger(a.path());
    for (CsvEncoding enc : {CsvEncoding::Utf8Bom, CsvEncoding::Cp932}) {
        TempDir c;
        ScriptedDialogs dlg;
        const std::string file = a / "export.csv";
        std::filesystem::remove(file);
        ASSERT_EQ(ExportLedgerCsv(scanned(a.path()).index, 0, 0, enc, file, dlg), 5);
        const std::string bytes = ReadBytes(file);
        EXPECT_NE(bytes.find("'=HYPERLINK"), std::string::npos);
        EXPECT_NE(bytes.find(",'-ABC-,"), std::string::npos);
        ToolRun r = tool(c.path(), "import '" + file + "' --register-items");
        ASSERT_EQ(r.exitCode, 0) << r.out;
        EXPECT_EQ(csvOf(c.path()), csvOf(a.path()));
        EXPECT_EQ(tool(c.path(), "check").exitCode, 0);
    }
    // The tool's own listing is an import file too.
    WriteBytes(b / "list.csv", csvOf(a.path()));
    ASSERT_EQ(tool(b.path(), "import '" + b.path() + "/list.csv' --register-items").exitCode, 0);
    EXPECT_EQ(csvOf(b.path()), csvOf(a.path()));
}

TEST(CsvExport, AnExistingFileIsReplacedOnlyWhenTheUserAgrees) {
    TempDir a;
    fillLedger(a.path());
    const std::string file = a / "out.csv";
    WriteBytes(file, "keep");
    ScriptedDialogs dlg;
    dlg.expect("MsgYesNo2", 1).expectMessage("上書きしますか");
    EXPECT_EQ(ExportLedgerCsv(scanned(a.path()).index, 20240101, 20241231, CsvEncoding::Utf8, file, dlg), -2);
    EXPECT_EQ(ReadBytes(file), "keep");
    dlg.expect("MsgYesNo2", 0);
    EXPECT_EQ(ExportLedgerCsv(scanned(a.path()).index, 20240101, 20241231, CsvEncoding::Utf8, file, dlg), 2);
    EXPECT_EQ(ReadBytes(file), "日付,項目名,内訳・備考,店名・相手先,入金,出金,残高\r\n"
                               "2024-01-01,交通費,'@定期,,0,16000,353020\r\n"
                               "2024-01-02,食費,ｹｰｷ,'-ABC-,0,1200,351820\r\n");
}

// 1,000 lines, one of them bad: nothing is added and the line is named by its number.
TEST(CsvImport, OneBadLineAmongAThousandAddsNothing) {
    TempDir h;
    fillLedger(h.path());
    std::string csv = "date,item,note,shop,income,expense,balance\r\n";
    for (int i = 0; i < 1000; ++i) {
        const int day = 1 + i % 28;
        std::string date = "2024-02-" + std::string(day < 10 ? "0" : "") + std::to_string(day);
        if (i == 600) date = "2024-02-30";
        csv += date + ",食費,まとめ" + std::to_string(i) + ",,," + std::to_string(100 + i) + ",\r\n";
    }
    WriteBytes(h / "in.csv", csv);
    const std::string before = csvOf(h.path());
    const std::string io2024 = ReadBytes(h / "Data1/Io2024.usr");
    ToolRun r = tool(h.path(), "import '" + h.path() + "/in.csv'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("602行目: 日付が異常です。"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 行に誤りがある"), std::string::npos) << r.out;
    EXPECT_EQ(csvOf(h.path()), before);
    EXPECT_EQ(ReadBytes(h / "Data1/Io2024.usr"), io2024);
}

class ImportPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        fillLedger(home.path());
        st = scanned(home.path());
        ASSERT_EQ(LoadItemTable(NameFilesIn(DataFolder(home.path())).item, names), 0);
    }
    ImportPlan plan(const std::string& csv, bool registerItems = false) {
        return PlanImport(csv, st.index, names, 10, registerItems);
    }
    std::vector<std::string> problems(const ImportPlan& p) {
        std::vector<std::string> out;
        for (const ImportRow& r : p.rows)
            if (!r.problem.empty()) out.push_back(std::to_string(r.lineNo) + ":" + r.problem);
        return out;
    }
    TempDir home;
    LedgerState st;
    NameTables names;
};

TEST_F(ImportPlanTest, EveryBadLineIsReportedWithItsReason) {
    ImportPlan p = plan("2023-11-02,食費,,,,1,\n"      // before the start date
                        "2024-01-03,食費,🍰,,,1,\n"     // not in CP932
                        "2024-01-03,食費,,,12x,,\n"    // not an amount
                        "2024-01-03,食費,,,100,200,\n" // both amounts
                        "2024-01-03,食費,,,,,\n"       // no amount
                        "2024-01-03,未知の項目,,,,5,\n"
                        "2024-01-03,食費\n"
                        "2051-01-01,食費,,,,1,\n"
                        "2024-01-03,食費,,,,1000%,\n"
                        "2024-01-03,食費,,,,\"1,00\",\n"); // not a thousands separator
    EXPECT_EQ(problems(p), (std::vector<std::string>{
                               "1:データ登録の開始日付より前の日付は入力できません。",
                               "2:「🍰」はファイルに保存できない文字のため入力できません。",
                               "3:金額が異常です。( 金額の範囲は 0～99,999,999 )",
                               "4:入金と出金の両方に金額があります。",
                               "5:金額が 0 のため行は追加されません。",
                               "6:項目名「未知の項目」は出金項目名に登録されていません。",
                               "7:列が足りません。(日付,項目名,内訳・備考,店名・相手先,入金,出金)",
                               "8:日付が異常です。",
                               "10:金額が異常です。( 金額の範囲は 0～99,999,999 )",
                           }));
    EXPECT_EQ(p.rows[8].line.Expense, 1100); // the plain tax marker at the settings' rate
    EXPECT_FALSE(p.Ready());
}

// Every text is checked by the ledger's one text rule: nothing is cut, an over-long text, a control
// character or a character CP932 cannot hold makes its row an error that names the field.
TEST_F(ImportPlanTest, TextsAreTakenWholeOrTheRowIsRefused) {
    const std::string note40 = "あいうえおかきくけこさしすせそたちつてと";
    const std::string tooLong = "が長すぎます。";
    struct Case {
        std::string item, note, shop; // cells as the file holds them
        std::string problem;          // empty: the row is taken with the texts trimmed, not cut
    };
    const std::vector<Case> cases = {
        {"食費", note40, std::string(30, 's'), ""},
        {"食費", note40 + "   ", "ｽｰﾊﾟｰ", ""}, // trailing blanks do not count
        {"食費", std::string(40, 'n'), "", ""},
        {"食費", note40 + "な", "", "内訳・備考" + tooLong + "内訳・備考は 40 バイト(全角 20 文字)までです。"},
        {"食費", note40 + "x", "", "内訳・備考" + tooLong + "内訳・備考は 40 バイト(全角 20 文字)までです。"},
        {"食費", "", std::string(31, 's'),
         "店名・相手先" + tooLong + "店名・相手先は 30 バイト(全角 15 文字)までです。"},
        {"あいうえおかきくけこx", "", "", "項目名" + tooLong + "項目名は 20 バイト(全角 10 文字)までです。"},
        {"食費", "a\tb", "", "内訳・備考に改行やタブなどの制御文字は入力できません。"},
        {"食費", "", "\"a\r\nb\"", "店名・相手先に改行やタブなどの制御文字は入力できません。"},
        {"食費\x7F", "", "", "項目名に改行やタブなどの制御文字は入力できません。"},
        {"食費", "", "ケーキ🍰" + std::string(40, 'x'), "「🍰」はファイルに保存できない文字のため入力できません。"},
    };
    for (bool registerItems : {false, true}) {
        std::string csv;
        for (const Case& c : cases)
            csv += "2024-01-03," + c.item + "," + c.note + "," + c.shop + ",,100,\n";
        ImportPlan p = plan(csv, registerItems);
        ASSERT_EQ(p.rows.size(), cases.size());
        for (size_t i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            EXPECT_EQ(p.rows[i].problem, c.problem) << i;
            if (!c.problem.empty()) continue;
            EXPECT_EQ(p.rows[i].line.Note, TrimRight(c.note)) << i;
            EXPECT_EQ(p.rows[i].line.ShopName, c.shop) << i;
        }
        // A refused item is never registered with the import.
        EXPECT_TRUE(p.newItems.empty());
        EXPECT_FALSE(p.Ready());
    }
}

// The tool's import reports the over-long note and adds nothing.
TEST(CsvImport, AnOverLongNoteIsAnErrorOfItsLine) {
    TempDir h;
    fillLedger(h.path());
    const std::string before = csvOf(h.path());
    WriteBytes(h / "in.csv", "2024-01-02,食費,あいうえおかきくけこさしすせそたちつてとな,,0,500\n");
    ToolRun r = tool(h.path(), "import '" + h.path() + "/in.csv'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("1行目: 内訳・備考が長すぎます。"), std::string::npos) << r.out;
    EXPECT_EQ(csvOf(h.path()), before);
}

// A TAB or line break stored in a text before texts were checked is exported as a blank, so the
// export can be imported again.
TEST(CsvRoundTrip, ControlCharactersOfOldLinesAreExportedAsBlanks) {
    TempDir a, c;
    ASSERT_TRUE(MakeFolders(DataFolder(a.path())));
    LedgerState old;
    old.index.SetDataFolder(DataFolder(a.path()));
    IoRecord tab = InitialBalanceLine(2024, 1, 1, 1000);
    tab.Day = 2;
    tab.ItemName = "食費";
    tab.Note = "a\tb";
    tab.ShopName = "c\r\nd\t";
    tab.Expense = 100;
    old.block = {InitialBalanceLine(2024, 1, 1, 1000), tab};
    ASSERT_TRUE(RecomputeBalances(old.block, 1));
    ScriptedDialogs dlg;
    ASSERT_EQ(SaveLedgerBlock(old, dlg), 0);

    const std::string file = a / "export.csv";
    ASSERT_EQ(ExportLedgerCsv(scanned(a.path()).index, 0, 0, CsvEncoding::Utf8, file, dlg), 2);
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.find('\t'), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("2024-01-02,食費,a b,c  d,0,100,900\r\n"), std::string::npos) << bytes;
    ToolRun r = tool(c.path(), "import '" + file + "' --register-items");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(csvOf(c.path()).find("2024-01-02,食費,a b,c  d,0,100,900\r\n"), std::string::npos);
}

TEST_F(ImportPlanTest, UnknownItemsAreRegisteredOnRequest) {
    ImportPlan p = plan("2024-01-03,新しい項目,あいうえおかきくけこさしすせそたちつてと,,,\"1,200\",\n"
                        "2024-01-04,新しい項目,,,,5,\n"
                        "2024-01-04,お年玉,,,3000,,\n",
                        true);
    ASSERT_TRUE(p.Ready()) << problems(p).front();
    EXPECT_EQ(p.rows[0].line.Note, "あいうえおかきくけこさしすせそたちつてと"); // 40 bytes
    EXPECT_EQ(p.rows[0].line.Expense, 1200);
    EXPECT_EQ(p.newItems,
              (std::vector<std::pair<int, std::string>>{{kExpenseKind, "新しい項目"}, {kIncomeKind, "お年玉"}}));
    ScriptedDialogs dlg;
    ASSERT_EQ(ApplyImport(st, names, NameFilesIn(DataFolder(home.path())), p, dlg), 0);
    NameTables onDisk;
    ASSERT_EQ(LoadItemTable(NameFilesIn(DataFolder(home.path())).item, onDisk), 0);
    EXPECT_GT(FindItemPosition(onDisk, "新しい項目", kExpenseKind), 0);
    EXPECT_GT(FindItemPosition(onDisk, "お年玉", kIncomeKind), 0);
}

// Lines go after the last line of their date; an import into old months carries the balance
// through every later line, so the files stay consistent.
TEST_F(ImportPlanTest, LinesFollowTheLastLineOfTheirDateAndLaterBalancesCarry) {
    ImportPlan p = plan("2024-01-01,食費,b,,,10,\n"
                        "2023-11-05,食費,a,,,20,\n"
                        "2024-03-09,食費,c,,,30,\n"
                        "2023-11-04,食費,first,,,40,\n");
    ASSERT_TRUE(p.Ready());
    ScriptedDialogs dlg;
    ASSERT_EQ(ApplyImport(st, names, NameFilesIn(DataFolder(home.path())), p, dlg), 0);
    EXPECT_EQ(tool(home.path(), "check").exitCode, 0) << tool(home.path(), "check").out;
    EXPECT_EQ(csvOf(home.path()), "date,item,note,shop,income,expense,balance\r\n"
                                  "2023-11-03,初期残高,,,0,0,120000\r\n"
                                  "2023-11-04,食費,first,,0,40,119960\r\n"
                                  "2023-11-05,食費,\"'=HYPERLINK(\"\"http://x\"\")\",,0,980,118980\r\n"
                                  "2023-11-05,給与,,\"株式会社\"\"ミルテ\"\", 本社\",250000,0,368980\r\n"
                                  "2023-11-05,食費,a,,0,20,368960\r\n"
                                  "2024-01-01,交通費,'@定期,,0,16000,352960\r\n"
                                  "2024-01-01,食費,b,,0,10,352950\r\n"
                                  "2024-01-02,食費,ｹｰｷ,'-ABC-,0,1200,351750\r\n"
                                  "2024-03-09,食費,c,,0,30,351720\r\n");
}

TEST_F(ImportPlanTest, AnEmptyLedgerNeedsItsInitialBalanceLineFirst) {
    LedgerState none;
    none.index.SetDataFolder(home / "elsewhere");
    ImportPlan p = PlanImport("2024-01-01,食費,,,,5,\n", none.index, names, 10, false);
    EXPECT_FALSE(p.Ready());
    EXPECT_NE(p.rows[0].problem.find("初期残高"), std::string::npos);
    p = PlanImport("日付,項目名\n2024-01-01,初期残高,,,0,0,5000\n2024-01-01,食費,,,,5,\n2023-12-31,食費,,,,5,\n",
                   none.index, names, 10, false);
    EXPECT_TRUE(p.startsLedger);
    EXPECT_EQ(problems(p), (std::vector<std::string>{"4:データ登録の開始日付より前の日付は入力できません。"}));
}

} // namespace
} // namespace mrt::test
