// The home's books: the book list, new books, transfers between books (entered, changed and
// deleted in one commit, checked for lost sides) and transfers cut at every file-system call.
#include "books/BookCreate.h"
#include "books/BookLedger.h"
#include "books/Books.h"
#include "books/HomeBackup.h"
#include "books/Transfers.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "ledger/StartDate.h"
#include "port/ConsoleDialogs.h"
#include "support/FaultFs.h"
#include "support/TempDir.h"
#include "util/CommitJournal.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Every regular file below the home (relative path → bytes); temporary files only `withTemp`.
Files homeFiles(const std::string& home, bool withTemp = false) {
    Files files;
    for (const auto& e : fs::recursive_directory_iterator(home)) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file() || name.rfind(".mrtkel", 0) == 0) continue;
        if (!withTemp && IsTempFileName(name)) continue;
        files[fs::relative(e.path(), home).string()] = ReadBytes(e.path().string());
    }
    return files;
}

void restoreHome(const std::string& home, const Files& files) {
    for (const auto& [rel, bytes] : homeFiles(home, true))
        if (!files.count(rel)) fs::remove(home + "/" + rel);
    for (const auto& [rel, bytes] : files)
        WriteBytes(home + "/" + rel, bytes);
}

std::string listOf(const Files& files) {
    std::string s;
    for (const auto& [rel, bytes] : files)
        s += rel + "(" + std::to_string(bytes.size()) + ") ";
    return s;
}

// Lines of one book read back: "date item income expense balance".
std::vector<std::string> linesOf(const std::string& home, const std::string& folder) {
    ConsoleDialogs quiet;
    LedgerState st;
    std::string error;
    std::vector<std::string> r;
    if (OpenBookLedger(BookDataFolder(home, folder), st, quiet, error) != 0) return {"unreadable: " + error};
    ForEachLedgerLine(st.index, quiet, [&](const IoRecord& l) {
        r.push_back(std::to_string(DateNum(l)) + " " + l.ItemName + " " + std::to_string(l.Income) + " " +
                    std::to_string(l.Expense) + " " + std::to_string(l.Balance));
        return true;
    });
    return r;
}

class Books : public ::testing::Test {
protected:
    void SetUp() override {
        books = {FirstBook()};
        addBook("", {2024, 1, 1}, 10000, true); // the first book's initial line
        addBook("銀行", {2024, 1, 1}, 500000);
    }

    // A book with its initial-balance line; an empty name makes the first book's ledger.
    void addBook(const std::string& name, CivilDate start, int32_t balance, bool first = false) {
        std::string error;
        if (first) {
            MakeFolders(BookDataFolder(home.path(), "Data1") + "BU");
            LedgerState st;
            st.index.SetDataFolder(BookDataFolder(home.path(), "Data1"));
            st.block = {InitialBalanceLine(start.year, start.month, start.day, balance)};
            ASSERT_EQ(SaveLedgerBlock(st, quiet), 0);
            return;
        }
        NewBook nb{name, BookKind::Bank, start, balance, BookDataFolder(home.path(), "Data1"), ""};
        ASSERT_EQ(CreateBook(home.path(), books, nb, quiet, error), 0) << error;
    }

    void addLine(const std::string& folder, int y, int m, int d, int32_t expense) {
        LedgerState st;
        std::string error;
        ASSERT_EQ(OpenBookLedger(BookDataFolder(home.path(), folder), st, quiet, error), 0);
        IoRecord l;
        l.Year = static_cast<int16_t>(y), l.Month = static_cast<int16_t>(m), l.Day = static_cast<int16_t>(d);
        l.ItemName = "食費";
        l.Expense = expense;
        ASSERT_EQ(InsertBookLine(st, l, quiet, error), 0) << error;
        ASSERT_EQ(SaveLedgerBlock(st, quiet), 0);
    }

    int transfer(int y, int m, int d, const std::string& from, const std::string& to, int32_t amount,
                 std::string* errorOut = nullptr) {
        Transfer t;
        t.year = y, t.month = m, t.day = d, t.from = from, t.to = to, t.amount = amount, t.note = "移動";
        std::string error;
        int r = EnterTransfer(home.path(), books, t, quiet, error);
        if (errorOut) *errorOut = error;
        return r;
    }

    TempDir home;
    ConsoleDialogs quiet;
    std::vector<Book> books;
};

TEST(BookList, CodecRoundTripsAndRefusesDamage) {
    std::vector<Book> books = {
        FirstBook(), {"Data2", "カード A", BookKind::Card}, {"Data3", "Suica", BookKind::EMoney}};
    std::vector<Book> back;
    ASSERT_TRUE(DecodeBooks(EncodeBooks(books), back));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[1].name, "カード A");
    EXPECT_EQ(back[2].kind, BookKind::EMoney);
    for (const char* bad :
         {"", "mrtkel-books 1\n", "mrtkel-books 1\nData1\t現金\n", "mrtkel-books 1\nData0\t現金\tx\n",
          "mrtkel-books 1\nData1\t現金\tx\nData1\t銀行\ty\n", "mrtkel-books 1\nData1\t現金\tx\nData2\t銀行\tx\n",
          "mrtkel-books 1\nData1\t財布\tx\n", "mrtkel-books 1\nData1\t現金\tx\n../x\t現金\ty\n"})
        EXPECT_FALSE(DecodeBooks(bad, back)) << bad;
    // By name or by number; a number beyond the list is none.
    EXPECT_EQ(FindBook(books, "Suica"), 2);
    EXPECT_EQ(FindBook(books, "2"), 1);
    EXPECT_EQ(FindBook(books, "4"), -1);
    EXPECT_EQ(FindBook(books, "0"), -1);
    EXPECT_NE(BookNameProblem(books, "Suica"), "");
    EXPECT_NE(BookNameProblem(books, "12"), "");
    EXPECT_NE(BookNameProblem(books, "all"), "");
    EXPECT_EQ(BookNameProblem(books, "財布"), "");
}

// A commit over several books names files in subfolders; only its own journal kind may, and
// never above the home.
TEST(BookList, AJournalOverBooksKeepsItsSubfoldersAndRefusesLeavingTheHome) {
    Journal j{"0123abcd", {{false, true, "Data2/Io2024.usr"}, {false, false, "mrtkel.transfers"}}, true};
    Journal back;
    ASSERT_TRUE(DecodeJournal(EncodeJournal(j), back));
    EXPECT_TRUE(back.span);
    EXPECT_EQ(back.entries[0].target, "Data2/Io2024.usr");
    for (const char* bad : {"Data2/../../x", "../Data2/x", "Data2//x", "/etc/x"}) {
        Journal b{"0123abcd", {{false, false, bad}}, true};
        EXPECT_FALSE(DecodeJournal(EncodeJournal(b), back)) << bad;
    }
    EXPECT_EQ(HomeOfDataFolder("/h/Data2/"), "/h/");
    EXPECT_EQ(HomeOfDataFolder("/h/data12"), "/h/");
    EXPECT_EQ(HomeOfDataFolder("/h/BU/"), "");
}

TEST(BookList, AHomeWithoutAListHoldsTheFirstBookAlone) {
    TempDir home;
    std::vector<Book> books;
    std::string error;
    ASSERT_EQ(LoadBooks(home.path(), books, error), 0);
    ASSERT_EQ(books.size(), 1u);
    EXPECT_EQ(books[0].folder, "Data1");
    // A folder that an unfinished creation left is not taken for the next book.
    fs::create_directories(home / "Data2");
    EXPECT_EQ(NextBookFolder(home.path(), books), "Data3");
    WriteBytes(home / kBooksFileName, "mrtkel-books 1\nData1\t現金\tx\nData1\t現金\ty\n");
    EXPECT_EQ(LoadBooks(home.path(), books, error), -1);
    EXPECT_NE(error.find(kBooksFileName), std::string::npos);
}

TEST_F(Books, ANewBookStartsWithItsBalanceAndTheNamesOfTheCurrentBook) {
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(books[1].folder, "Data2");
    EXPECT_EQ(linesOf(home.path(), "Data2"), std::vector<std::string>{"20240101 初期残高 0 0 500000"});
    std::vector<Book> again;
    std::string error;
    ASSERT_EQ(LoadBooks(home.path(), again, error), 0);
    EXPECT_EQ(EncodeBooks(again), EncodeBooks(books));
    // A refused book leaves neither a folder nor a list entry.
    NewBook dup{"銀行", BookKind::Bank, {2024, 1, 1}, 0, "", ""};
    EXPECT_EQ(CreateBook(home.path(), books, dup, quiet, error), -1);
    EXPECT_FALSE(fs::exists(home / "Data3"));
    NewBook bad{"カード", BookKind::Card, {2024, 1, 1}, 100000000, "", ""};
    EXPECT_EQ(CreateBook(home.path(), books, bad, quiet, error), -1);
    EXPECT_EQ(books.size(), 2u);
}

TEST_F(Books, ATransferWritesBothSidesAndItsRecord) {
    addLine("Data1", 2024, 1, 5, 300);
    ASSERT_EQ(transfer(2024, 1, 3, "Data2", "Data1", 20000), 0);
    EXPECT_EQ(linesOf(home.path(), "Data1"),
              (std::vector<std::string>{"20240101 初期残高 0 0 10000", "20240103 振替 20000 0 30000",
                                        "20240105 食費 0 300 29700"}));
    EXPECT_EQ(linesOf(home.path(), "Data2"),
              (std::vector<std::string>{"20240101 初期残高 0 0 500000", "20240103 振替 0 20000 480000"}));
    std::vector<Transfer> list;
    std::string error;
    ASSERT_EQ(LoadTransfers(home.path(), list, error), 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].seq, 1);
    EXPECT_TRUE(CheckTransfers(home.path(), books, quiet).empty());
    // Refusals change nothing.
    const Files before = homeFiles(home.path());
    EXPECT_EQ(transfer(2024, 1, 3, "Data1", "Data1", 5), -1);
    EXPECT_EQ(transfer(2023, 12, 31, "Data1", "Data2", 5, &error), -1); // before the books' start
    EXPECT_EQ(transfer(2024, 1, 3, "Data1", "Data9", 5), -1);
    EXPECT_EQ(transfer(2024, 1, 3, "Data1", "Data2", 0), -1);
    EXPECT_TRUE(homeFiles(home.path()) == before);
}

TEST_F(Books, ChangingOrDeletingATransferTakesBothSidesAndCheckFindsALoneSide) {
    ASSERT_EQ(transfer(2024, 2, 1, "Data1", "Data2", 4000), 0);
    ASSERT_EQ(transfer(2024, 2, 1, "Data1", "Data2", 4000), 0); // the same twice: two pairs
    std::string error;
    ASSERT_EQ(ChangeTransfer(home.path(), books, 2, 4500, "訂正", quiet, error), 0) << error;
    // The first of the two equal pairs changes, on both sides.
    EXPECT_EQ(linesOf(home.path(), "Data1"),
              (std::vector<std::string>{"20240101 初期残高 0 0 10000", "20240201 振替 0 4500 5500",
                                        "20240201 振替 0 4000 1500"}));
    EXPECT_EQ(linesOf(home.path(), "Data2"),
              (std::vector<std::string>{"20240101 初期残高 0 0 500000", "20240201 振替 4500 0 504500",
                                        "20240201 振替 4000 0 508500"}));
    ASSERT_EQ(DeleteTransfer(home.path(), books, 1, quiet, error), 0) << error;
    EXPECT_EQ(linesOf(home.path(), "Data1").size(), 2u);
    EXPECT_EQ(linesOf(home.path(), "Data2").back(), "20240201 振替 4500 0 504500");
    EXPECT_TRUE(CheckTransfers(home.path(), books, quiet).empty());
    // The bank's side removed on its own (as the ledger window would): the partner is reported.
    {
        LedgerState st;
        ASSERT_EQ(OpenBookLedger(BookDataFolder(home.path(), "Data2"), st, quiet, error), 0);
        ASSERT_EQ(RemoveBookLine(
                      st, 2024, 2, 1, [](const IoRecord& l) { return l.Income == 4500; }, quiet, error),
                  0);
        ASSERT_EQ(SaveLedgerBlock(st, quiet), 0);
    }
    std::vector<std::string> problems = CheckTransfers(home.path(), books, quiet);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("銀行 に入金の振替行がありません"), std::string::npos) << problems[0];
    // Deleting the transfer still takes the side that is left.
    ASSERT_EQ(DeleteTransfer(home.path(), books, 2, quiet, error), 0) << error;
    EXPECT_EQ(linesOf(home.path(), "Data1").size(), 1u);
    EXPECT_TRUE(CheckTransfers(home.path(), books, quiet).empty());
}

// A copy of the whole home, and of one book, put back in one commit: the books as they were when
// copied, a book added after the copy's time refused by the copy of one book.
TEST_F(Books, AHomeOrOneBookIsCopiedAndPutBack) {
    ASSERT_EQ(transfer(2024, 1, 8, "Data1", "Data2", 1200), 0);
    const Files atCopy = homeFiles(home.path());
    TempDir stick;
    int n = 0;
    std::string error;
    ASSERT_EQ(BackUpBooks(home.path(), books, true, stick / "all", n, error), 0) << error;
    ASSERT_EQ(BackUpBooks(home.path(), {books[1]}, false, stick / "bank", n, error), 0) << error;
    EXPECT_FALSE(fs::exists(stick / "bank/mrtkel.books"));
    // Later: a line in a new year, another transfer; then the whole home comes back.
    addLine("Data2", 2025, 3, 1, 900);
    ASSERT_EQ(transfer(2024, 2, 8, "Data1", "Data2", 300), 0);
    ASSERT_EQ(RestoreBooks(home.path(), stick / "all", n, error), 0) << error;
    EXPECT_TRUE(homeFiles(home.path()) == atCopy) << listOf(homeFiles(home.path()));
    // The bank alone: the first book keeps its later line.
    addLine("Data1", 2024, 5, 1, 100);
    addLine("Data2", 2024, 5, 1, 100);
    ASSERT_EQ(RestoreBooks(home.path(), stick / "bank", n, error), 0) << error;
    EXPECT_EQ(linesOf(home.path(), "Data1").back(), "20240501 食費 0 100 8700");
    EXPECT_EQ(linesOf(home.path(), "Data2").back(), "20240108 振替 1200 0 501200");
    // A copy naming a book the home does not know is refused whole.
    fs::rename(stick / "bank/Data2", stick / "bank/Data7");
    EXPECT_EQ(RestoreBooks(home.path(), stick / "bank", n, error), -1);
}

// A transfer and its deletion, the process killed (or a call failing) at every file-system call:
// after the recovery of the next start both books and the index are as before or as after, never
// one side alone.
TEST_F(Books, ATransferCutAtEveryCallLeavesBothBooksBeforeOrAfter) {
    addLine("Data2", 2024, 3, 2, 700);
    ASSERT_EQ(transfer(2024, 2, 10, "Data2", "Data1", 1000), 0);
    struct Step {
        const char* name;
        std::function<int()> run;
    } steps[] = {
        {"enter", [&] { return transfer(2024, 3, 1, "Data2", "Data1", 2500); }},
        {"delete",
         [&] {
             std::string error;
             return DeleteTransfer(home.path(), books, 1, quiet, error);
         }},
    };
    for (const Step& step : steps) {
        const Files before = homeFiles(home.path());
        int calls = 0;
        {
            FaultFs count("");
            ScopedFileSystem use(count);
            ASSERT_EQ(step.run(), 0) << step.name;
            calls = count.Calls();
        }
        const Files after = homeFiles(home.path());
        ASSERT_TRUE(before != after);
        ASSERT_GT(calls, 10);
        for (int n = 1; n <= calls; ++n) {
            for (bool kill : {true, false}) {
                SCOPED_TRACE(std::string(step.name) + ": call " + std::to_string(n) + " of " + std::to_string(calls) +
                             (kill ? " killed" : " failed"));
                restoreHome(home.path(), before);
                int rc = 0;
                {
                    FaultFs fs("");
                    if (kill)
                        fs.CrashAt(n);
                    else
                        fs.FailCall(n);
                    ScopedFileSystem use(fs);
                    rc = step.run();
                }
                std::string error;
                ASSERT_EQ(RecoverBooks(home.path(), books, error), 0) << error;
                const Files now = homeFiles(home.path());
                EXPECT_TRUE(now == before || now == after) << listOf(now);
                if (!kill && rc != 0) {
                    EXPECT_TRUE(now == before) << listOf(now);
                }
                EXPECT_TRUE(homeFiles(home.path(), true) == now) << "temporary files left";
                if (HasFailure()) return;
            }
        }
        restoreHome(home.path(), after);
    }
}

} // namespace
} // namespace mrt::test
