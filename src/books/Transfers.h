#pragma once
#include "books/Books.h"
#include "ledger/IoRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

class Dialogs;

// A transfer (振替) of money from one book to another: an expense line with the item "振替" in the
// source book and an income line "振替" in the target book, made, changed and removed together.
// The pairs are kept in "<home>/mrtkel.transfers", UTF-8 lines "mrtkel-transfers 1" then
// "<seq>\t<YYYY-MM-DD>\t<amount>\t<from folder>\t<to folder>\t<note>" per transfer. A line is one
// side of a transfer when its date, item, side and amount are the record's.
inline constexpr const char* kTransfersFileName = "mrtkel.transfers";
inline constexpr const char* kTransferItem = "振替";

struct Transfer {
    int64_t seq = 0; // given when the transfer is entered; unique in the home
    int year = 0, month = 0, day = 0;
    int32_t amount = 0;   // yen, 1..99,999,999
    std::string from, to; // book folders
    std::string note;     // the lines' note
};

std::string EncodeTransfers(const std::vector<Transfer>& list);
bool DecodeTransfers(std::string_view bytes, std::vector<Transfer>& list);
// 0 read (empty when the home has no index); -1 unreadable or damaged (`error` set).
int LoadTransfers(const std::string& home, std::vector<Transfer>& list, std::string& error);

// The line of the transfer in `folder` (its expense side in the source, its income side in the
// target); the shop names the other book.
IoRecord TransferLine(const Transfer& t, const std::vector<Book>& books, const std::string& folder);
// True when `line` of the book in `folder` can be the side of `t` kept there.
bool IsTransferSide(const Transfer& t, const std::string& folder, const IoRecord& line);
// The transfer of which `line` (of the book in `folder`) is a side; -1 when none.
int FindTransferOfLine(const std::vector<Transfer>& list, const std::string& folder, const IoRecord& line);

// Enters `t` (seq given here): both lines and the index in one commit, all or nothing. 0 entered;
// -1 refused or failed (`error` for the user; nothing changed).
int EnterTransfer(const std::string& home, const std::vector<Book>& books, Transfer& t, Dialogs& dlg,
                  std::string& error);
// Removes the transfer `seq`: the sides still there and its record, in one commit. Results as above.
int DeleteTransfer(const std::string& home, const std::vector<Book>& books, int64_t seq, Dialogs& dlg,
                   std::string& error);
// Gives the transfer `seq` a new amount and note on both sides and in the index, in one commit.
int ChangeTransfer(const std::string& home, const std::vector<Book>& books, int64_t seq, int32_t amount,
                   const std::string& note, Dialogs& dlg, std::string& error);

// A side of a transfer that its book does not hold (deleted or changed on its own there), as text
// for the user, one per problem (a book that cannot be read is one, too).
std::vector<std::string> CheckTransfers(const std::string& home, const std::vector<Book>& books, Dialogs& dlg);

// "2024-05-01 10,000円 現金→銀行 (note)" for lists and questions.
std::string TransferText(const Transfer& t, const std::vector<Book>& books);

} // namespace mrt
