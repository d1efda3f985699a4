// The CSV writer and reader: quoting, formula guards, encodings, and the tool's --encoding.
#include "support/RunTool.h"
#include "support/TempDir.h"
#include "util/Cp932.h"
#include "util/Csv.h"

#include <gtest/gtest.h>

namespace mrt::test {
namespace {

std::vector<std::string> cellsOf(const std::string& csv) {
    std::vector<CsvRecord> recs;
    std::string error;
    EXPECT_TRUE(ParseCsv(csv, recs, error)) << error;
    return recs.empty() ? std::vector<std::string>{} : recs[0].cells;
}

TEST(CsvWrite, QuotesOnlyWhatNeedsItAndEndsRecordsWithCrLf) {
    CsvWriter w;
    w.Text("plain").Text("a,b").Text("say \"hi\"").Text("two\nlines").Number(-500).Empty().EndRow();
    w.Text("x").EndRow();
    EXPECT_EQ(w.Data(), "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",-500,\r\nx\r\n");
    EXPECT_EQ(w.Rows(), 2);
}

TEST(CsvWrite, FormulaLookingTextStaysText) {
    EXPECT_EQ(CsvTextField("=HYPERLINK(\"http://x\",\"y\")"), "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"");
    EXPECT_EQ(CsvTextField("+81"), "'+81");
    EXPECT_EQ(CsvTextField("-3"), "'-3");
    EXPECT_EQ(CsvTextField("@SUM(A1)"), "'@SUM(A1)");
    EXPECT_EQ(CsvTextField("\tx"), "'\tx");
    EXPECT_EQ(CsvTextField("a=b"), "a=b");
    EXPECT_EQ(CsvTextField("'quoted"), "'quoted");
    EXPECT_EQ(CsvTextField("'=x"), "''=x");
}

TEST(CsvRead, EveryTextSurvivesTheRoundTrip) {
    const std::vector<std::string> texts = {"=1+2", "'=1+2", "''@a", "'plain", "a,\"b\"", "line\r\nbreak", "", "-"};
    CsvWriter w;
    for (const std::string& t : texts)
        w.Text(t);
    w.EndRow();
    EXPECT_EQ(cellsOf(w.Data()), texts);
}

TEST(CsvRead, LineNumbersCountBreaksInsideQuotesAndBlankLinesAreSkipped) {
    std::vector<CsvRecord> recs;
    std::string error;
    ASSERT_TRUE(ParseCsv("a,b\n\n\"x\ny\",z\r\nlast", recs, error));
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[1].lineNo, 3);
    EXPECT_EQ(recs[1].cells, (std::vector<std::string>{"x\ny", "z"}));
    EXPECT_EQ(recs[2].lineNo, 5);
    EXPECT_FALSE(ParseCsv("a,\"open\nb", recs, error));
    EXPECT_NE(error.find("1行目"), std::string::npos) << error;
}

TEST(CsvRead, EncodingsAreRecognised) {
    std::string sj;
    ASSERT_TRUE(ToCp932("食費,ｶﾞｿﾘﾝ", sj));
    EXPECT_EQ(cellsOf(sj), (std::vector<std::string>{"食費", "ｶﾞｿﾘﾝ"}));
    EXPECT_EQ(cellsOf("\xEF\xBB\xBF食費,x"), (std::vector<std::string>{"食費", "x"}));
    EXPECT_EQ(cellsOf("食費,x"), (std::vector<std::string>{"食費", "x"}));
}

TEST(CsvEncode, BomShiftJisAndWhatShiftJisCannotHold) {
    std::string out, bad;
    ASSERT_TRUE(EncodeCsv("食費\r\n", CsvEncoding::Utf8Bom, out));
    EXPECT_EQ(out, "\xEF\xBB\xBF食費\r\n");
    ASSERT_TRUE(EncodeCsv("食費～\r\n", CsvEncoding::Cp932, out));
    EXPECT_EQ(FromCp932(out), "食費～\r\n");
    EXPECT_FALSE(EncodeCsv("🍰", CsvEncoding::Cp932, out, &bad));
    EXPECT_EQ(bad, "🍰");
    CsvEncoding enc;
    EXPECT_TRUE(ParseCsvEncoding("UTF8-BOM", enc));
    EXPECT_EQ(enc, CsvEncoding::Utf8Bom);
    EXPECT_FALSE(ParseCsvEncoding("latin1", enc));
}

TEST(CsvTool, EncodingOptionOfTheListings) {
    TempDir home;
    int status = -1;
    RunTool("--home " + home.path() + " init --start 2024-01-01 --balance 1000", status);
    ASSERT_EQ(status, 0);
    RunTool("--home " + home.path() + " add --date 2024-01-02 --item 食費 --note =1+1 --expense 5", status);
    ASSERT_EQ(status, 0);
    std::string sj = RunTool("--home " + home.path() + " ledger --csv --encoding cp932", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(FromCp932(sj), "date,item,note,shop,income,expense,balance\r\n2024-01-01,初期残高,,,0,0,1000\r\n"
                             "2024-01-02,食費,'=1+1,,0,5,995\r\n");
    std::string bom = RunTool("--home " + home.path() + " names --csv --encoding utf8-bom", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(bom.rfind("\xEF\xBB\xBFtable,key,position,name\r\n", 0), 0u) << bom.substr(0, 40);
    RunTool("--home " + home.path() + " ledger --csv --encoding latin1", status);
    EXPECT_EQ(status, 2);
}

// A listing that meets a damaged line writes no CSV at all: a script keeps no half of a ledger.
TEST(CsvTool, ALedgerWithADamagedLineListsNothing) {
    TempDir home;
    int status = -1;
    RunTool("--home " + home.path() + " init --start 2024-01-01 --balance 1000", status);
    ASSERT_EQ(status, 0);
    for (int d = 2; d <= 20; ++d) {
        RunTool("--home " + home.path() + " add --date 2024-02-" + (d < 10 ? "0" : "") + std::to_string(d) +
                    " --item 食費 --expense 5",
                status);
        ASSERT_EQ(status, 0);
    }
    // The day of the last line of February becomes 40.
    const std::string io = home.path() + "/Data1/Io2024.usr";
    std::string bytes = ReadBytes(io);
    const size_t last = (500 + 19 - 1) * 108u;
    bytes[last + 4] = 40;
    ASSERT_TRUE(WriteBytes(io, bytes));
    std::string err;
    for (const char* enc : {"utf8", "utf8-bom", "cp932"}) {
        const std::string out =
            RunTool("--home " + home.path() + " ledger --csv --encoding " + enc, status, "", &err);
        EXPECT_EQ(status, 1) << enc;
        EXPECT_EQ(out, "") << enc;
        EXPECT_NE(err.find("入出金ﾃﾞｰﾀの読込みに失敗しました。"), std::string::npos) << err;
    }
}

} // namespace
} // namespace mrt::test
