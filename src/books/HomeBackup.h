#pragma once
#include "books/Books.h"

#include <string>
#include <vector>

namespace mrt {

// Copies of books outside the home: "<target>/<DataN>/" holds a book's files (its backup folder
// and temporary files left out), and a copy of the whole home also the book list and the transfer
// index at its top. Each folder of the copy is written in one commit.
// 0 done (`copied` counts the files); -1 (`error` set; a folder already copied stays copied).
int BackUpBooks(const std::string& home, const std::vector<Book>& books, bool wholeHome, const std::string& target,
                int& copied, std::string& error);

// Puts back what a copy made by BackUpBooks holds: every book folder in it replaces the home's
// folder of that name (files the copy lacks are removed), and the book list and transfer index
// when it has them, all in one commit: the home is as before or as the copy, never between. A
// book folder of the copy that the home's list (or the copy's) does not name is refused.
// 0 done; -1 (`error` set; nothing changed).
int RestoreBooks(const std::string& home, const std::string& source, int& restored, std::string& error);

} // namespace mrt
