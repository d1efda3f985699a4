// mrtkel-tool books, book add, transfer and transfers: the home's books and the transfers
// between them.
#include "books/BookCreate.h"
#include "books/BookLedger.h"
#include "books/Books.h"
#include "books/HomeBackup.h"
#include "books/Transfers.h"
#include "ledger/LineRules.h"
#include "tool/ToolCommands.h"
#include "tool/ToolLedger.h"
#include "tool/ToolText.h"
#include "totals/TotalsText.h"
#include "util/Clock.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <iostream>
#include <unistd.h>

namespace mrt {

int ChooseToolBook(ToolContext& ctx, const std::string& command, const std::optional<std::string>& bookOption) {
    std::vector<Book> books;
    std::string error;
    if (LoadBooks(ctx.home, books, error) != 0) {
        // Without --book the first book's folder is known all the same.
        if (!bookOption) return 0;
        std::cerr << command << ": " << error << "\n";
        return 1;
    }
    if (!bookOption) {
        SetBookFolderName(books.front().folder);
        return 0;
    }
    if (*bookOption == "all") {
        if (command != "totals") {
            std::cerr << command << ": --book all は totals でのみ使えます\n";
            return 2;
        }
        ctx.allBooks = true;
        SetBookFolderName(books.front().folder);
        return 0;
    }
    const int i = FindBook(books, *bookOption);
    if (i < 0) {
        std::cerr << command << ": 家計簿「" << *bookOption << "」がありません\n";
        return 1;
    }
    SetBookFolderName(books[static_cast<size_t>(i)].folder);
    return 0;
}

namespace {

bool loadBooks(ToolContext& ctx, const char* cmd, std::vector<Book>& books) {
    std::string error;
    if (LoadBooks(ctx.home, books, error) == 0) return true;
    std::cerr << cmd << ": " << error << "\n";
    return false;
}

// The write lock, and every book's unfinished save finished or undone before a change over books.
bool lockBooks(ToolContext& ctx, const char* cmd, const std::vector<Book>& books) {
    if (!ctx.lockForWriting()) return false;
    std::string error;
    if (RecoverBooks(ctx.home, books, error) == 0) return true;
    std::cerr << cmd << ": " << error << "\n";
    return false;
}

bool amountArg(const ToolContext& ctx, const char* cmd, const std::string& text, int32_t& amount) {
    if (text.find_first_not_of(' ') == std::string::npos ||
        CheckLineAmount(text, ctx.settings.TaxRate, amount) != LineAmountFault::None) {
        std::cerr << cmd << ": " << kAmountRangeMessage << "\n";
        return false;
    }
    return true;
}

bool bookArg(const std::vector<Book>& books, const char* cmd, const char* option, const std::string& text,
             std::string& folder) {
    int i = FindBook(books, text);
    if (i < 0) {
        std::cerr << cmd << ": " << option << ": 家計簿「" << text << "」がありません\n";
        return false;
    }
    folder = books[static_cast<size_t>(i)].folder;
    return true;
}

// books: number, name, kind and balance at the end of today of every book, in order.
int runBooks(ToolContext& ctx) {
    std::vector<Book> books;
    if (!loadBooks(ctx, "books", books)) return 1;
    const CivilDate today = AppClock().Today();
    int result = 0;
    for (size_t i = 0; i < books.size(); ++i) {
        int64_t balance = 0;
        std::string error;
        std::string shown;
        if (BookBalanceAt(BookDataFolder(ctx.home, books[i].folder), today, *ctx.dialogs, balance, error) != 0) {
            shown = "(読込みエラー)";
            std::cerr << "books: " << books[i].name << ": " << error << "\n";
            result = 1;
        } else {
            shown = GroupedAmount(balance);
        }
        std::cout << (i + 1) << "  " << padded(books[i].name, 20) << "  " << padded(BookKindName(books[i].kind), 10)
                  << "  " << rightAligned(shown, 14) << "\n";
    }
    return result;
}

// book add NAME --kind K --start YYYY-MM-DD --balance N [--copy-names]
int runBook(ToolContext& ctx) {
    const auto pos = ctx.positional({"--kind", "--start", "--balance"});
    const auto kind = ctx.option("--kind");
    const auto start = ctx.option("--start");
    const auto balance = ctx.option("--balance");
    if (pos.size() != 2 || pos[0] != "add" || !kind || !start || !balance) {
        std::cerr << "usage: mrtkel-tool book add NAME --kind 現金|銀行|カード|電子マネー|その他 --start YYYY-MM-DD "
                     "--balance N [--copy-names]\n";
        return 2;
    }
    NewBook nb;
    nb.name = pos[1];
    if (!ParseBookKind(*kind, nb.kind)) {
        std::cerr << "book: --kind は 現金、銀行、カード、電子マネー、その他 のどれかです\n";
        return 2;
    }
    if (!ParseToolDate(*start, nb.start.year, nb.start.month, nb.start.day)) {
        std::cerr << "book: " << kBadDateMessage << "\n";
        return 1;
    }
    if (!amountArg(ctx, "book", *balance, nb.balance)) return 1;
    std::vector<Book> books;
    if (!loadBooks(ctx, "book", books) || !lockBooks(ctx, "book", books)) return 1;
    if (ctx.flag("--copy-names")) {
        nb.copyFrom = ctx.dataFolder;
    } else {
        // The home's initial tables win over those delivered with the program, as at the first start.
        nb.tbInit = ResolveCase(ctx.home, "TbInit");
        if (::access(nb.tbInit.c_str(), F_OK) != 0)
            nb.tbInit = ctx.resourceFolder.empty() ? std::string() : ResolveCase(ctx.resourceFolder, "TbInit");
    }
    std::string error;
    if (CreateBook(ctx.home, books, nb, *ctx.dialogs, error) != 0) {
        std::cerr << "book: " << error << "\n";
        return 1;
    }
    std::cout << books.size() << "  " << books.back().name << "  " << books.back().folder << "\n";
    return 0;
}

// transfer --date D --from BOOK --to BOOK --amount N [--note T]; transfer --delete SEQ;
// transfer --change SEQ --amount N [--note T].
int runTransfer(ToolContext& ctx) {
    std::vector<Book> books;
    if (!loadBooks(ctx, "transfer", books)) return 1;
    std::string error;
    const auto del = ctx.option("--delete");
    const auto change = ctx.option("--change");
    const auto amountText = ctx.option("--amount");
    const std::string note = ctx.option("--note").value_or("");
    if (del || change) {
        long seq = 0;
        if (!parseWholeArg(del ? *del : *change, seq) || seq < 1 || (change && !amountText)) {
            std::cerr << "usage: mrtkel-tool transfer --delete N | --change N --amount N [--note T]\n";
            return 2;
        }
        int32_t amount = 0;
        if (change && !amountArg(ctx, "transfer", *amountText, amount)) return 1;
        if (!lockBooks(ctx, "transfer", books)) return 1;
        const int r = del ? DeleteTransfer(ctx.home, books, seq, *ctx.dialogs, error)
                          : ChangeTransfer(ctx.home, books, seq, amount, note, *ctx.dialogs, error);
        if (r != 0) std::cerr << "transfer: " << error << "\n";
        return r == 0 ? 0 : 1;
    }
    const auto date = ctx.option("--date");
    const auto from = ctx.option("--from");
    const auto to = ctx.option("--to");
    if (!date || !from || !to || !amountText) {
        std::cerr << "usage: mrtkel-tool transfer --date YYYY-MM-DD --from BOOK --to BOOK --amount N [--note T]\n";
        return 2;
    }
    Transfer t;
    if (!ParseToolDate(*date, t.year, t.month, t.day)) {
        std::cerr << "transfer: " << kBadDateMessage << "\n";
        return 1;
    }
    if (!bookArg(books, "transfer", "--from", *from, t.from) || !bookArg(books, "transfer", "--to", *to, t.to) ||
        !amountArg(ctx, "transfer", *amountText, t.amount))
        return 1;
    t.note = note;
    if (!lockBooks(ctx, "transfer", books)) return 1;
    if (EnterTransfer(ctx.home, books, t, *ctx.dialogs, error) != 0) {
        std::cerr << "transfer: " << error << "\n";
        return 1;
    }
    std::cout << t.seq << "  " << TransferText(t, books) << "\n";
    return 0;
}

// transfers: every transfer of the home with its number.
int runTransfers(ToolContext& ctx) {
    std::vector<Book> books;
    std::vector<Transfer> list;
    std::string error;
    if (!loadBooks(ctx, "transfers", books)) return 1;
    if (LoadTransfers(ctx.home, list, error) != 0) {
        std::cerr << "transfers: " << error << "\n";
        return 1;
    }
    for (const Transfer& t : list)
        std::cout << t.seq << "  " << TransferText(t, books) << "\n";
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(books, "books: the home's books with their kind and balance today", mrt::runBooks,
                 mrt::HomeUse::Optional);
MRT_TOOL_COMMAND(book,
                 "book add NAME --kind 現金|銀行|カード|電子マネー|その他 --start YYYY-MM-DD --balance N "
                 "[--copy-names]: adds a book (name tables copied from the --book in use when asked)",
                 mrt::runBook, mrt::HomeUse::Writes);
MRT_TOOL_COMMAND(transfer,
                 "transfer --date YYYY-MM-DD --from BOOK --to BOOK --amount N [--note T]: moves money between two "
                 "books in one save; --delete N / --change N --amount N change both sides",
                 mrt::runTransfer, mrt::HomeUse::Writes);
MRT_TOOL_COMMAND(transfers, "transfers: the transfers between books with their numbers", mrt::runTransfers,
                 mrt::HomeUse::Optional);

namespace mrt {
namespace {

// home-backup --to DIR [--this-book]: every book of the home with the book list and transfers, or
// the book in use (chosen by --book) alone.
int runHomeBackup(ToolContext& ctx) {
    const auto to = ctx.option("--to");
    if (!to || to->empty()) {
        std::cerr << "usage: mrtkel-tool [--book NAME|N] home-backup --to DIR [--this-book]\n";
        return 2;
    }
    std::vector<Book> books;
    if (!loadBooks(ctx, "home-backup", books)) return 1;
    const bool one = ctx.flag("--this-book");
    if (one) books = {books[static_cast<size_t>(std::max(0, FindBookFolder(books, BookFolderName())))]};
    if (!lockBooks(ctx, "home-backup", books)) return 1;
    std::string error;
    int copied = 0;
    if (BackUpBooks(ctx.home, books, !one, ctx.argumentPath(*to), copied, error) != 0) {
        std::cerr << "home-backup: " << error << "\n";
        return 1;
    }
    std::cout << copied << " files\n";
    return 0;
}

// home-restore --from DIR: what a home-backup copy holds, in one save.
int runHomeRestore(ToolContext& ctx) {
    const auto from = ctx.option("--from");
    if (!from || from->empty()) {
        std::cerr << "usage: mrtkel-tool home-restore --from DIR\n";
        return 2;
    }
    std::vector<Book> books;
    if (!loadBooks(ctx, "home-restore", books) || !lockBooks(ctx, "home-restore", books)) return 1;
    std::string error;
    int restored = 0;
    if (RestoreBooks(ctx.home, ctx.argumentPath(*from), restored, error) != 0) {
        std::cerr << "home-restore: " << error << "\n";
        return 1;
    }
    std::cout << restored << " files\n";
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(home - backup,
                 "home-backup --to DIR [--this-book]: copies every book with the book list and transfers (or the "
                 "--book in use alone)",
                 mrt::runHomeBackup);
MRT_TOOL_COMMAND(home - restore, "home-restore --from DIR: puts back the books of a home-backup copy in one save",
                 mrt::runHomeRestore, mrt::HomeUse::Writes);
