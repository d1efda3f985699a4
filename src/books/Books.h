#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

// The home's books: each is a data folder of its own ("Data1/", "Data2/", ...) in the format of
// the first one. Their names, kinds and order are kept in "<home>/mrtkel.books", UTF-8 lines
// "mrtkel-books 1" then "<folder>\t<kind>\t<name>" per book. A home without that file holds the
// first book alone, and nothing about books is ever written for it until a second book is added.
inline constexpr const char* kBooksFileName = "mrtkel.books";

enum class BookKind { Cash, Bank, Card, EMoney, Other };

// "現金", "銀行", "カード", "電子マネー", "その他".
const char* BookKindName(BookKind kind);
// The kind of one of those names; false for any other text.
bool ParseBookKind(std::string_view text, BookKind& kind);

struct Book {
    std::string folder; // "Data1", "Data2", ... inside the home
    std::string name;   // shown to the user, unique in the home
    BookKind kind = BookKind::Cash;
};

// The first book as a home without a book list has it.
Book FirstBook();

std::string EncodeBooks(const std::vector<Book>& books);
// False when the bytes are not a book list (a bad line, a repeated folder or name, no book).
bool DecodeBooks(std::string_view bytes, std::vector<Book>& books);

// The books in their order. 0 read (the first book alone when the home has no list); -1 the list
// is there but unreadable or damaged (`error` says which and why).
int LoadBooks(const std::string& home, std::vector<Book>& books, std::string& error);

// The position of the book given by its name or by its number ("1" the first); -1 when none.
int FindBook(const std::vector<Book>& books, const std::string& nameOrNumber);
// The position of the book kept in `folder` (letter case aside); -1 when none.
int FindBookFolder(const std::vector<Book>& books, const std::string& folder);

// Empty when `name` can name a new book beside `books`; otherwise the reason, for the user.
std::string BookNameProblem(const std::vector<Book>& books, const std::string& name);

// The folder name of the next book: "DataN" for the smallest N that neither the list nor the home
// already holds (a folder left by an unfinished creation is never reused).
std::string NextBookFolder(const std::string& home, const std::vector<Book>& books);

// "Data1" when `folder` is the first book's; the name shown in titles and lists.
std::string BookLabel(const std::vector<Book>& books, const std::string& folder);

// Finishes or undoes the saves a crash cut short in every book (RecoverDataFolder), by a writer
// holding the home's lock. 0; -1 (`error` set).
int RecoverBooks(const std::string& home, const std::vector<Book>& books, std::string& error);

// Home setting that names the folder of the book used last (kept only in homes with a book list).
inline constexpr const char* kLastBookSetting = "LastBook";

} // namespace mrt
