#include "books/Books.h"

#include "util/CommitJournal.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <algorithm>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>

namespace mrt {
namespace {

constexpr std::string_view kHeader = "mrtkel-books 1";

constexpr const char* kKindNames[] = {"現金", "銀行", "カード", "電子マネー", "その他"};

bool sameFolder(const std::string& a, const std::string& b) {
    return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

bool validFolder(std::string_view f) {
    return f.size() > 4 && ::strncasecmp(f.data(), "Data", 4) == 0 &&
           f.find_first_not_of("0123456789", 4) == std::string_view::npos && f[4] != '0';
}

} // namespace

const char* BookKindName(BookKind kind) {
    return kKindNames[static_cast<int>(kind)];
}

bool ParseBookKind(std::string_view text, BookKind& kind) {
    for (int i = 0; i < 5; ++i) {
        if (text == kKindNames[i]) {
            kind = static_cast<BookKind>(i);
            return true;
        }
    }
    return false;
}

Book FirstBook() {
    return Book{"Data1", "家計簿", BookKind::Cash};
}

std::string EncodeBooks(const std::vector<Book>& books) {
    std::string text(kHeader);
    text += "\n";
    for (const Book& b : books)
        text += b.folder + "\t" + BookKindName(b.kind) + "\t" + b.name + "\n";
    return text;
}

bool DecodeBooks(std::string_view bytes, std::vector<Book>& books) {
    std::vector<Book> r;
    std::istringstream in{std::string(bytes)};
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first) {
            if (line != kHeader) return false;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        size_t t1 = line.find('\t'), t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos) return false;
        Book b;
        b.folder = line.substr(0, t1);
        b.name = line.substr(t2 + 1);
        if (!validFolder(b.folder) || !ParseBookKind(line.substr(t1 + 1, t2 - t1 - 1), b.kind) || b.name.empty() ||
            FindBookFolder(r, b.folder) >= 0 || FindBook(r, b.name) >= 0)
            return false;
        r.push_back(std::move(b));
    }
    if (r.empty()) return false;
    books = std::move(r);
    return true;
}

int LoadBooks(const std::string& home, std::vector<Book>& books, std::string& error) {
    const std::string path = ResolveCase(home, kBooksFileName);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        books = {FirstBook()};
        return 0;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes) || !DecodeBooks(bytes, books)) {
        error = std::string("家計簿の一覧が読めないか壊れています。(") + kBooksFileName + ")";
        return -1;
    }
    return 0;
}

int FindBook(const std::vector<Book>& books, const std::string& nameOrNumber) {
    for (size_t i = 0; i < books.size(); ++i)
        if (books[i].name == nameOrNumber) return static_cast<int>(i);
    if (!nameOrNumber.empty() && nameOrNumber.size() < 4 &&
        nameOrNumber.find_first_not_of("0123456789") == std::string::npos) {
        int n = std::stoi(nameOrNumber);
        if (n >= 1 && n <= static_cast<int>(books.size())) return n - 1;
    }
    return -1;
}

int FindBookFolder(const std::vector<Book>& books, const std::string& folder) {
    for (size_t i = 0; i < books.size(); ++i)
        if (sameFolder(books[i].folder, folder)) return static_cast<int>(i);
    return -1;
}

std::string BookNameProblem(const std::vector<Book>& books, const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos) return "家計簿の名前を入力してください。";
    if (name.find_first_of("\t\r\n") != std::string::npos) return "家計簿の名前にタブや改行は使えません。";
    if (name.size() > 60) return "家計簿の名前が長すぎます。";
    if (name.find_first_not_of("0123456789") == std::string::npos)
        return "数字だけの名前は番号と区別できないため使えません。";
    if (name == "all") return "「all」は全家計簿を表すため使えません。";
    if (FindBook(books, name) >= 0) return "同じ名前の家計簿がすでにあります。";
    return {};
}

std::string NextBookFolder(const std::string& home, const std::vector<Book>& books) {
    for (int n = 1;; ++n) {
        const std::string folder = "Data" + std::to_string(n);
        struct stat st;
        if (FindBookFolder(books, folder) < 0 && ::stat(ResolveCase(home, folder).c_str(), &st) != 0) return folder;
    }
}

int RecoverBooks(const std::string& home, const std::vector<Book>& books, std::string& error) {
    for (const Book& b : books) {
        std::string why;
        if (RecoverDataFolder(BookDataFolder(home, b.folder), why) != 0) {
            error = b.name + ": " + kRecoveryFailedMessage + " " + why;
            return -1;
        }
    }
    return 0;
}

std::string BookLabel(const std::vector<Book>& books, const std::string& folder) {
    int i = FindBookFolder(books, folder);
    return i < 0 ? folder : books[static_cast<size_t>(i)].name;
}

} // namespace mrt
