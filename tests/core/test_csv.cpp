// The CSV writer and reader: quoting, formula guards, encodings, and the tool's --encoding.
#include "support/RunTool.h"
#include "support/TempDir.h"
#include "test_ledger_fixture.h"
#include "util/Cp932.h"
#include "util/Csv.h"

#include <gtest/gtest.h>

namespace mrt::test {
namespace {

std::vector<std::string> cellsOf(std::string_view csv) {
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

// A fixed-width field decoded straight into the CSV text gives the cell of its decoded text, and
// says whether its bytes are CP932, also when the field is met again (remembered) or when many
// fields take each other's place in the memory.
TEST(CsvWrite, AFieldDecodedIntoTheTextIsTheCellOfItsDecodedText) {
    auto sj = [](const std::string& utf8) {
        std::string s;
        EXPECT_TRUE(ToCp932(utf8, s)) << utf8;
        return s;
    };
    auto padded = [](std::string s, size_t width, char pad = ' ') {
        s.resize(width, pad);
        return s;
    };
    std::vector<std::string> fields = {
        padded(sj("食費"), 20),
        padded(sj("肉・魚"), 40, '\0'),
        padded("=1+1", 20),
        padded("''@a", 20),
        padded(sj("a,b 食費"), 40),
        padded("say \"hi\"", 30),
        padded(sj("ｶﾞｿﾘﾝ"), 20),
        padded("ab  cd", 20),
        sj("あいうえおかきくけ") + "x\x88", // a double-byte character cut at the field's end
        padded("\x88", 20),                 // a lead byte before the padding
        padded("ab\xFD", 20),               // no CP932 byte
        padded("ab", 6),                    // too short to be remembered
        padded(sj("電気代１１月分（１０／２８～１１／２６）電気代"), 60), // too long to be remembered
        padded("", 30),
        padded("", 30, '\0'),
    };
    for (int i = 0; i < 3000; ++i)
        fields.push_back(padded(sj("品目") + std::to_string(i), 20));
    auto check = [](const std::vector<std::string>& all) {
        CsvWriter direct, reference;
        for (const std::string& f : all) {
            const int n = static_cast<int>(f.size());
            EXPECT_EQ(direct.Cp932Field(f.data(), n), IsCp932Bytes(f, true)) << f;
            reference.Text(DecodeFieldTrimmed(f.data(), n));
        }
        EXPECT_EQ(direct.Data(), reference.Data());
    };
    check(fields);
    std::vector<std::string> twice = fields;
    twice.insert(twice.end(), fields.rbegin(), fields.rend());
    check(twice);
}

TEST(CsvWrite, AStreamedTextIsHandedOnInWholeRowsAndEndsAsTheWholeText) {
    auto fill = [](CsvWriter& w) {
        for (int i = 0; i < 500; ++i)
            w.Text("行" + std::to_string(i))
                .Text("a,\"b\"")
                .Number(i * 1000)
                .Date(2024, 1 + i % 12, 1 + i % 28)
                .EndRow();
    };
    CsvWriter whole;
    fill(whole);
    std::vector<std::string> chunks;
    CsvWriter streamed;
    streamed.StreamTo(
        [&](std::string_view t) {
            chunks.emplace_back(t);
            return true;
        },
        1000);
    fill(streamed);
    EXPECT_TRUE(streamed.Finish());
    ASSERT_GT(chunks.size(), 10u);
    std::string joined;
    for (const std::string& c : chunks) {
        EXPECT_EQ(c.substr(c.size() - 2), "\r\n"); // never a row cut in two
        joined += c;
    }
    EXPECT_EQ(joined, whole.Data());
    EXPECT_EQ(streamed.Rows(), whole.Rows());

    // A sink that fails once makes the end fail, and is not called again.
    int calls = 0;
    CsvWriter failing;
    failing.StreamTo(
        [&](std::string_view) {
            ++calls;
            return false;
        },
        1000);
    fill(failing);
    EXPECT_FALSE(failing.Finish());
    EXPECT_EQ(calls, 1);
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

// A listing shorter than one chunk that meets a damaged line writes no CSV at all: a script keeps
// no half of a ledger.
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

// A long listing goes out in chunks as it is read: when a damaged line turns up after some went
// out, the listing stops at a whole row, says so and exits with 1, so it is never taken for whole.
TEST(CsvTool, ADamagedLineAfterTheFirstChunkEndsTheListingWithAnError) {
    TempDir home;
    const std::string data = home.path() + "/Data1";
    std::filesystem::create_directories(data + "/BU");
    LedgerModel model;
    for (int m = 1; m <= 12; ++m)
        for (int d = 1; d <= 28; ++d)
            for (int k = 0; k < 5; ++k)
                model[2023].months[m - 1].lines.push_back(
                    {2023, m, d, "食費", "野菜・果物", "スーパー", 0, 100 + k, 0});
    model[2023].months[0].lines[0] = {2023, 1, 1, "初期残高", "", "", 0, 0, 900000};
    for (int d = 1; d <= 5; ++d)
        model[2024].months[0].lines.push_back({2024, 1, d, "日用品", "洗剤", "ドラッグストア", 0, 300, 0});
    recomputeModel(model);
    writeModel(data, model);
    int status = -1;
    std::string err;
    const std::string whole = RunTool("--home " + home.path() + " ledger --csv", status, "", &err);
    ASSERT_EQ(status, 0) << err;
    ASSERT_GT(whole.size(), 100000u);

    // The expense of the third line of 2024 goes beyond the range (the last line of the ledger is
    // read when it is opened).
    std::string io = ReadBytes(data + "/Io2024.usr");
    io.replace(2 * 108u + 100, 4, le32(-5));
    ASSERT_TRUE(WriteBytes(data + "/Io2024.usr", io));
    for (const char* enc : {"utf8", "cp932"}) {
        const std::string out = RunTool("--home " + home.path() + " ledger --csv --encoding " + enc, status, "", &err);
        EXPECT_EQ(status, 1) << enc;
        const std::string text = std::string(enc) == "cp932" ? FromCp932(out) : out;
        ASSERT_FALSE(text.empty()) << enc;
        EXPECT_LT(text.size(), whole.size()) << enc;
        EXPECT_EQ(whole.compare(0, text.size(), text), 0) << enc;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << enc;
        EXPECT_NE(err.find("入出金ﾃﾞｰﾀの読込みに失敗しました。"), std::string::npos) << err;
        EXPECT_NE(err.find("Io2024.usr 1月 3行目"), std::string::npos) << err;
        EXPECT_NE(err.find("途中で打ち切られました"), std::string::npos) << err;
    }
}

} // namespace
} // namespace mrt::test
