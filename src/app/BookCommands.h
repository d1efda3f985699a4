#pragma once
#include <string>

namespace mrt {

class Dialogs;
struct AppState;

// The book the program opens: the one given by --book (name or number), else the one used last,
// else the first; every book's unfinished save is finished or undone first (the lock is held).
// Sets the book in use and app.bookName (empty in a home with the first book alone). 0; -1 after
// a message (an unknown book, an unreadable book list).
int ChooseStartBook(AppState& app, const std::string& bookOption, Dialogs& dlg);

// ファイル › 家計簿の切替: lists the books with their balance today and makes the chosen one the
// book in use (remembered for the next start). 1 switched (the program restarts on it); 0 not.
int SwitchBook(AppState& app, Dialogs& dlg);

// ファイル › 家計簿の追加: asks for the name, kind, start date, initial balance and whether the
// name tables of the book in use are copied, and creates the book. 1 created (the program switches
// to it); 0 not.
int AddBookCommand(AppState& app, Dialogs& dlg);

// ファイル › 振替の入力: asks for the source and target books, the date, the amount and a note,
// and enters the transfer (both books in one save). 1 the book in use changed (its ledger must
// be read again); 0 nothing changed or the book in use was not involved.
int EnterTransferCommand(AppState& app, Dialogs& dlg);

} // namespace mrt
