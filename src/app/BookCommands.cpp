#include "app/BookCommands.h"

#include "app/AppState.h"
#include "books/BookCreate.h"
#include "books/BookLedger.h"
#include "books/Books.h"
#include "books/Transfers.h"
#include "ledger/IoRecord.h"
#include "ledger/LineRules.h"
#include "port/Dialogs.h"
#include "util/Clock.h"
#include "util/DateText.h"
#include "util/Home.h"
#include "util/HomeSettings.h"
#include "util/Paths.h"
#include "util/ProgramInfo.h"

#include "totals/TotalsText.h"
#include "util/CommitJournal.h"

#include <algorithm>
#include <sys/stat.h>

namespace mrt {
namespace {

constexpr const char* kProgramTitle = kProgramName;
constexpr const char* kSwitchTitle = "家計簿の切替";
constexpr const char* kTransferTitle = "振替の入力";

bool hasBookList(const std::string& home) {
    struct stat st;
    return ::stat(ResolveCase(home, kBooksFileName).c_str(), &st) == 0;
}

std::string trimmed(std::string s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// "1 家計簿 (現金) 12,345円" per book, balances at the end of today.
std::vector<std::string> bookLines(const AppState& app, const std::vector<Book>& books, Dialogs& dlg) {
    std::vector<std::string> r;
    const CivilDate today = AppClock().Today();
    for (size_t i = 0; i < books.size(); ++i) {
        int64_t balance = 0;
        std::string error;
        const bool ok = BookBalanceAt(BookDataFolder(app.home, books[i].folder), today, dlg, balance, error) == 0;
        r.push_back(std::to_string(i + 1) + " " + books[i].name + " (" + BookKindName(books[i].kind) + ") " +
                    (ok ? GroupedAmount(balance) + "円" : std::string("読込みエラー")));
    }
    return r;
}

void useBook(AppState& app, const std::vector<Book>& books, size_t i) {
    SetBookFolderName(books[i].folder);
    app.bookName = books.size() > 1 || hasBookList(app.home) ? books[i].name : std::string();
    app.dataFolder = DataFolder(app.home);
    app.backupFolder = BackupFolder(app.home);
}

} // namespace

int ChooseStartBook(AppState& app, const std::string& bookOption, Dialogs& dlg) {
    std::vector<Book> books;
    std::string error;
    if (LoadBooks(app.home, books, error) != 0) {
        dlg.MsgBox(error, kProgramTitle, MsgIcon::Critical, MsgButtons::OK);
        return -1;
    }
    int i = 0;
    if (!bookOption.empty()) {
        i = FindBook(books, bookOption);
        if (i < 0) {
            dlg.MsgBox("家計簿「" + bookOption + "」がありません。", kProgramTitle, MsgIcon::Critical, MsgButtons::OK);
            return -1;
        }
    } else if (hasBookList(app.home)) {
        i = std::max(0, FindBookFolder(books, ReadHomeSetting(app.home, kLastBookSetting)));
    }
    if (hasBookList(app.home) && RecoverBooks(app.home, books, error) != 0) {
        dlg.MsgBox(error, kProgramTitle, MsgIcon::Critical, MsgButtons::OK);
        return -1;
    }
    useBook(app, books, static_cast<size_t>(i));
    return 0;
}

int SwitchBook(AppState& app, Dialogs& dlg) {
    std::vector<Book> books;
    std::string error;
    if (LoadBooks(app.home, books, error) != 0) {
        dlg.MsgOK(error, kSwitchTitle);
        return 0;
    }
    const int current = FindBookFolder(books, BookFolderName());
    const int chosen =
        dlg.ListKel(bookLines(app, books, dlg), current + 1, "開く家計簿を選んでください。", kSwitchTitle);
    if (chosen < 1 || chosen == current + 1) return 0;
    const Book& b = books[static_cast<size_t>(chosen - 1)];
    if (RecoverDataFolder(BookDataFolder(app.home, b.folder), error) != 0) {
        dlg.MsgOK(std::string(kRecoveryFailedMessage) + "\r\n" + error, kSwitchTitle);
        return 0;
    }
    useBook(app, books, static_cast<size_t>(chosen - 1));
    if (hasBookList(app.home)) WriteHomeSetting(app.home, kLastBookSetting, b.folder);
    return 1;
}

int AddBookCommand(AppState& app, Dialogs& dlg) {
    constexpr const char* kTitle = "家計簿の追加";
    std::vector<Book> books;
    std::string error;
    if (LoadBooks(app.home, books, error) != 0) {
        dlg.MsgOK(error, kTitle);
        return 0;
    }
    NewBook nb;
    std::string nameText(kShopNameBytes, ' '); // the field's width: a name fits a shop cell
    for (;;) {
        if (dlg.InputKel(nameText, "新しい家計簿の名前を入力してください。", kTitle, 0, 0, "") != 0) return 0;
        nb.name = trimmed(nameText);
        error = BookNameProblem(books, nb.name);
        if (error.empty()) break;
        dlg.MsgOK(error, kTitle);
    }
    std::vector<std::string> kinds;
    for (int k = 0; k < 5; ++k)
        kinds.emplace_back(BookKindName(static_cast<BookKind>(k)));
    const int kind = dlg.ListKel(kinds, 1, "家計簿の種類を選んでください。", kTitle);
    if (kind < 1) return 0;
    nb.kind = static_cast<BookKind>(kind - 1);
    const CivilDate today = AppClock().Today();
    std::string dateText;
    if (dlg.DateInYMD("開始日付を入力してください。", FormatDate(today.year, today.month, today.day), dateText) != 0)
        return 0;
    if (!ParseDateText(dateText, nb.start.year, nb.start.month, nb.start.day)) return 0;
    std::string amountText(12, ' ');
    if (dlg.InputKel(amountText, "開始日付時点の残高を入力してください。", kTitle, 0, 0, "") != 0) return 0;
    amountText = trimmed(amountText);
    if (CheckLineAmount(amountText.empty() ? "0" : amountText, app.settings.TaxRate, nb.balance) !=
        LineAmountFault::None) {
        dlg.MsgOK(kAmountRangeMessage, kTitle);
        return 0;
    }
    if (dlg.MsgYesNo("項目名・内訳名・店名をこの家計簿からコピーしますか？\r\n（いいえ：初期の名前で始めます）",
                     kTitle) == 0) {
        nb.copyFrom = app.dataFolder;
    } else {
        nb.tbInit = ResolveCase(app.home, "TbInit");
        struct stat st;
        if (::stat(nb.tbInit.c_str(), &st) != 0)
            nb.tbInit = app.resourceFolder.empty() ? std::string() : ResolveCase(app.resourceFolder, "TbInit");
    }
    if (CreateBook(app.home, books, nb, dlg, error) != 0) {
        dlg.MsgBox(error, kTitle, MsgIcon::Exclamation, MsgButtons::OK);
        return 0;
    }
    useBook(app, books, books.size() - 1);
    WriteHomeSetting(app.home, kLastBookSetting, books.back().folder);
    return 1;
}

int EnterTransferCommand(AppState& app, Dialogs& dlg) {
    std::vector<Book> books;
    std::string error;
    if (LoadBooks(app.home, books, error) != 0) {
        dlg.MsgOK(error, kTransferTitle);
        return 0;
    }
    if (books.size() < 2) {
        dlg.MsgOK("振替には家計簿が２つ以上必要です。", kTransferTitle);
        return 0;
    }
    const std::vector<std::string> lines = bookLines(app, books, dlg);
    const int current = FindBookFolder(books, BookFolderName());
    const int from = dlg.ListKel(lines, current + 1, "振替元（出金する）家計簿を選んでください。", kTransferTitle);
    if (from < 1) return 0;
    const int to = dlg.ListKel(lines, from == 1 ? 2 : 1, "振替先（入金する）家計簿を選んでください。", kTransferTitle);
    if (to < 1) return 0;
    if (to == from) {
        dlg.MsgOK("振替元と振替先が同じ家計簿です。", kTransferTitle);
        return 0;
    }
    const CivilDate today = AppClock().Today();
    std::string dateText;
    if (dlg.DateInYMD("振替の日付を入力してください。", FormatDate(today.year, today.month, today.day), dateText) != 0)
        return 0;
    Transfer t;
    if (!ParseDateText(dateText, t.year, t.month, t.day)) return 0;
    std::string amountText(12, ' ');
    if (dlg.InputKel(amountText, "振替の金額を入力してください。", kTransferTitle, 0, 0, "") != 0) return 0;
    amountText = trimmed(amountText);
    if (CheckLineAmount(amountText, app.settings.TaxRate, t.amount) != LineAmountFault::None || t.amount < 1) {
        dlg.MsgOK(kAmountRangeMessage, kTransferTitle);
        return 0;
    }
    t.note.assign(kNoteBytes, ' ');
    if (dlg.InputKel(t.note, "備考を入力してください。（なしの場合はそのまま確定）", kTransferTitle, 0, 0, "") != 0)
        return 0;
    t.note = trimmed(t.note);
    t.from = books[static_cast<size_t>(from - 1)].folder;
    t.to = books[static_cast<size_t>(to - 1)].folder;
    if (RecoverBooks(app.home, books, error) != 0 || EnterTransfer(app.home, books, t, dlg, error) != 0) {
        dlg.MsgBox(error, kTransferTitle, MsgIcon::Exclamation, MsgButtons::OK);
        return 0;
    }
    dlg.MsgOK("振替を登録しました。\r\n" + TransferText(t, books), kTransferTitle);
    return from == current + 1 || to == current + 1 ? 1 : 0;
}

} // namespace mrt
