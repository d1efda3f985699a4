// The tool with several books: a home holding Data1/ alone is left byte for byte as it was by
// every command, with or without --book and the books commands; a second book, a transfer and the
// listings of both books; --book refusals.
#include "support/RunTool.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Every file below `root` with its bytes; the lock and the commit gate (which only count) aside.
Files filesBelow(const std::string& root) {
    Files r;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = e.path().filename().string();
        if (e.is_regular_file() && name != ".mrtkel.lock" && name != ".mrtkel.gate")
            r[fs::relative(e.path(), root).string()] = ReadBytes(e.path().string());
        else if (e.is_directory())
            r[fs::relative(e.path(), root).string() + "/"] = "";
    }
    return r;
}

std::string names(const Files& files) {
    std::string s;
    for (const auto& [n, b] : files)
        s += n + " ";
    return s;
}

class BooksTool : public ::testing::Test {
protected:
    int run(const std::string& home, const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
        int status = -1;
        std::string o = RunTool("--home '" + home + "' " + args, status, "-C '" + root.path() + "'", err);
        if (out) *out = o;
        return status;
    }
    TempDir root;
};

// The commands of a day's work on a one-book home, each run on three homes: as before, with
// "--book 1", and with "--book 1" and the books commands in between. The three end equal, and
// nothing about books appears in them.
TEST_F(BooksTool, AHomeWithTheFirstBookAloneIsUnchangedByEveryCommand) {
    WriteBytes(root / "lines.csv", "date,item,note,shop,income,expense\r\n2024-01-06,食費,取込,,0,200\r\n");
    WriteBytes(root / "names.txt", "入金|給与|基本給|勤務先\n出金|食費|野菜|八百屋\n");
    const char* commands[] = {
        "init --start 2024-01-01 --balance 50000",
        "add --date 2024-01-05 --item 食費 --note 野菜 --expense 300",
        "add --date 2024-02-05 --item 給与 --income 200000",
        "ledger",
        "check",
        "names --csv",
        "search 野菜",
        "budget --year 2024",
        "totals --date 2024-01-05",
        "settings",
        "backup --to stick-HOME --year 2024",
        "restore --from stick-HOME --year 2024",
        "import lines.csv",
        "add --date 2024-01-07 --item 食費 --expense 1200",
    };
    const char* bookCommands[] = {"books", "transfers", "check", "totals --book all --date 2024-01-07"};
    for (const char* home : {"plain", "book1", "books"}) {
        for (const char* c : commands) {
            std::string args = c;
            if (auto p = args.find("HOME"); p != std::string::npos) args.replace(p, 4, home);
            const std::string option = std::string(home) == "plain" ? "" : "--book 1 ";
            std::string err;
            EXPECT_EQ(run(root / home, option + args, nullptr, &err), 0) << home << ": " << args << "\n" << err;
            if (std::string(home) == "books")
                for (const char* b : bookCommands)
                    EXPECT_EQ(run(root / home, b, nullptr, &err), 0) << b << "\n" << err;
        }
    }
    const Files plain = filesBelow(root / "plain");
    EXPECT_TRUE(plain == filesBelow(root / "book1")) << names(plain) << "\n" << names(filesBelow(root / "book1"));
    EXPECT_TRUE(plain == filesBelow(root / "books")) << names(filesBelow(root / "books"));
    for (const char* file : {"mrtkel.books", "mrtkel.transfers", "mrtkel.conf"})
        EXPECT_FALSE(fs::exists(root / (std::string("books/") + file))) << file;
    std::string out;
    EXPECT_EQ(run(root / "books", "books", &out), 0);
    EXPECT_EQ(out, "1  家計簿                現金               248,300\n");
}

TEST_F(BooksTool, ASecondBookATransferAndTheListingsOfBothBooks) {
    const std::string home = root / "home";
    ASSERT_EQ(run(home, "init --start 2024-04-01 --balance 30000"), 0);
    std::string out, err;
    ASSERT_EQ(run(home, "book add 銀行 --kind 銀行 --start 2024-04-01 --balance 800000", &out, &err), 0) << err;
    EXPECT_EQ(out, "2  銀行  Data2\n");
    EXPECT_EQ(run(home, "book add 銀行 --kind 銀行 --start 2024-04-01 --balance 1", nullptr, &err), 1);
    EXPECT_NE(err.find("同じ名前"), std::string::npos) << err;
    EXPECT_EQ(run(home, "book add カード --kind 小切手 --start 2024-04-01 --balance 1"), 2);
    ASSERT_EQ(run(home, "transfer --date 2024-04-25 --from 銀行 --to 1 --amount 50,000 --note 引出し", &out, &err), 0)
        << err;
    EXPECT_EQ(out, "1  2024-04-25 50,000円 銀行→家計簿 (引出し)\n");
    EXPECT_EQ(run(home, "ledger --csv", &out), 0);
    EXPECT_NE(out.find("2024-04-25,振替,引出し,銀行,50000,0,80000"), std::string::npos) << out;
    EXPECT_EQ(run(home, "--book 銀行 ledger --csv", &out), 0);
    EXPECT_NE(out.find("2024-04-25,振替,引出し,家計簿,0,50000,750000"), std::string::npos) << out;
    EXPECT_EQ(run(home, "--book=2 check", &out), 0) << out;
    // Refusals: an unknown book, "all" where nothing sums up, a transfer within one book.
    EXPECT_EQ(run(home, "--book 3 ledger", nullptr, &err), 1);
    EXPECT_NE(err.find("家計簿「3」がありません"), std::string::npos) << err;
    EXPECT_EQ(run(home, "--book all ledger"), 2);
    EXPECT_EQ(run(home, "transfer --date 2024-04-25 --from 1 --to 家計簿 --amount 5"), 1);
    EXPECT_EQ(run(home, "transfer --date 2024-04-25 --from 1 --to 2"), 2);
    // The household's totals leave the transfer out; each book's own count it.
    EXPECT_EQ(run(home, "totals --book all --date 2024-04-30 --csv", &out), 0);
    EXPECT_EQ(out.find("50000"), std::string::npos) << out;
    EXPECT_NE(out.find("830000"), std::string::npos) << out;
    EXPECT_EQ(run(home, "--book 2 totals --date 2024-04-30 --csv", &out), 0);
    EXPECT_NE(out.find("50000"), std::string::npos) << out;
    // Deleting the transfer takes both sides.
    ASSERT_EQ(run(home, "transfer --delete 1", nullptr, &err), 0) << err;
    EXPECT_EQ(run(home, "ledger --csv", &out), 0);
    EXPECT_EQ(out.find("振替"), std::string::npos) << out;
    EXPECT_EQ(run(home, "books", &out), 0);
    EXPECT_EQ(out, "1  家計簿                現金                30,000\n"
                   "2  銀行                  銀行               800,000\n");
}

} // namespace
} // namespace mrt::test
