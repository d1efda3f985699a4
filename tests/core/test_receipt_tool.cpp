// mrtkel-tool receipt on one rendered receipt: read offline, its lines added through the import
// path and listed by the ledger; a missing language model is a message, not a crash. The only
// test that runs the recogniser (about a second).
#include "ledger/IoRecord.h"
#include "receipt/ReceiptStore.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

const std::string kImage = std::string(MRTKEL_TEST_DATA) + "/receipts/receipt-drugstore.png";

TEST(ReceiptTool, ReadsTheReceiptAndAddsItsLinesThroughTheImport) {
    TempDir home;
    int status = 0;
    RunTool("--home '" + home.path() + "' init --start 2025-01-01 --balance 50000", status);
    ASSERT_EQ(status, 0);
    std::string err;
    const std::string out = RunTool("--home '" + home.path() + "' receipt '" + kImage + "'", status, "", &err);
    ASSERT_EQ(status, 0) << out << err;
    EXPECT_NE(out.find("日付: 2025/04/11 17:50"), std::string::npos) << out;
    EXPECT_NE(out.find("登録番号: T4159738694266（検査数字 正）"), std::string::npos) << out;
    EXPECT_NE(out.find("合計: ¥1,390（内税）"), std::string::npos) << out;
    EXPECT_NE(out.find("1 行を追加しました。"), std::string::npos) << out;
    const std::string csv = RunTool("--home '" + home.path() + "' ledger --csv", status);
    EXPECT_NE(csv.find("2025-04-11,食費,レシート 軽減税率8%分,ドラッグあおば,0,1390,48610"), std::string::npos) << csv;

    // The image is kept in the year's folder and found from the line; forgetting it keeps or removes it.
    const std::string data = home / "Data1";
    IoRecord line{2025, 4, 11, "食費", "レシート 軽減税率8%分", "ドラッグあおば", 0, 1390, 48610};
    const std::string image = ReceiptImageFor(data, line);
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(std::filesystem::file_size(image), std::filesystem::file_size(kImage));
    IoRecord other = line;
    other.Expense = 1391;
    EXPECT_TRUE(ReceiptImageFor(data, other).empty());
    ASSERT_EQ(ForgetReceiptOf(data, line, true), 0);
    EXPECT_TRUE(ReceiptImageFor(data, line).empty());
    EXPECT_FALSE(std::filesystem::exists(image));
}

TEST(ReceiptTool, AMissingLanguageModelIsAClearMessage) {
    TempDir home, empty;
    int status = 0;
    std::string err;
    RunTool("--home '" + home.path() + "' receipt '" + kImage + "' --dry-run", status,
            "TESSDATA_PREFIX=" + empty.path(), &err);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("文字認識の日本語データが見つかりません"), std::string::npos) << err;
}

} // namespace
} // namespace mrt::test
