#pragma once
#include "books/Books.h"
#include "util/Clock.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;

// What a new book starts from: the steps of the first start (start date and initial balance) and
// its name tables, copied from a book (`copyFrom`, a data folder: its item, breakdown and shop
// tables and its settings) or else from the initial tables (`tbInit`, a folder; may be empty).
struct NewBook {
    std::string name;
    BookKind kind = BookKind::Cash;
    CivilDate start;
    int32_t balance = 0;
    std::string copyFrom;
    std::string tbInit;
};

// Creates the book: its folder (and backup folder), name tables, initial-balance line and its
// place at the end of the book list, in one commit. On success `books` holds the new list and 0 is
// returned; -1 refused or failed (`error` for the user; the list is unchanged).
int CreateBook(const std::string& home, std::vector<Book>& books, const NewBook& book, Dialogs& dlg,
               std::string& error);

// Writes the book list (after a change of names, kinds or order). 0; -1 (`error` set).
int SaveBooks(const std::string& home, const std::vector<Book>& books, std::string& error);

} // namespace mrt
