#include "books/Transfers.h"

#include "books/BookLedger.h"
#include "ledger/LedgerSave.h"
#include "ledger/LineRules.h"
#include "util/DateText.h"
#include "util/FileBatch.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <tuple>

namespace mrt {
namespace {

constexpr std::string_view kHeader = "mrtkel-transfers 1";

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

bool parseNumber(const std::string& s, int64_t& v) {
    if (s.empty() || s.size() > 18 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    v = std::stoll(s);
    return true;
}

std::string grouped(int64_t v) {
    std::string digits = std::to_string(v < 0 ? -v : v), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return (v < 0 ? "-" : "") + out;
}

std::string bookFolderOf(const std::string& home, const std::string& folder) {
    return BookDataFolder(home, folder);
}

// The two books of a transfer opened, the staged index, one commit.
struct TwoBooks {
    LedgerState from, to;
};

int openBoth(const std::string& home, const Transfer& t, TwoBooks& b, Dialogs& dlg, std::string& error) {
    if (OpenBookLedger(bookFolderOf(home, t.from), b.from, dlg, error) != 0) return -1;
    return OpenBookLedger(bookFolderOf(home, t.to), b.to, dlg, error);
}

// Saves the changed blocks of both books and the new index in one commit over the home.
int commitBoth(const std::string& home, TwoBooks& b, const std::vector<Transfer>& list, Dialogs& dlg,
               std::string& error) {
    FileBatch batch;
    batch.SpanFolders(home);
    for (LedgerState* st : {&b.from, &b.to}) {
        if (!st->LedgerModified) continue;
        if (SaveLedgerBlock(*st, dlg, &batch) != 0) {
            error = "振替を保存できませんでした。";
            return -1;
        }
    }
    const std::string index = ResolveCase(home, kTransfersFileName);
    if (!batch.Stage(index, EncodeTransfers(list), error) || !batch.Commit(error)) return -1;
    return 0;
}

bool sideMatch(const Transfer& t, const std::string& folder, const IoRecord& l) {
    return IsTransferSide(t, folder, l);
}

} // namespace

std::string EncodeTransfers(const std::vector<Transfer>& list) {
    std::string text(kHeader);
    text += "\n";
    for (const Transfer& t : list)
        text += std::to_string(t.seq) + "\t" + FormatDate(t.year, t.month, t.day, "-") + "\t" +
                std::to_string(t.amount) + "\t" + t.from + "\t" + t.to + "\t" + t.note + "\n";
    return text;
}

bool DecodeTransfers(std::string_view bytes, std::vector<Transfer>& list) {
    std::vector<Transfer> r;
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
        std::vector<std::string> f;
        for (size_t pos = 0;;) {
            size_t tab = line.find('\t', pos);
            f.push_back(line.substr(pos, tab == std::string::npos ? tab : tab - pos));
            if (tab == std::string::npos || f.size() == 6) {
                if (tab != std::string::npos) f.back() = line.substr(pos);
                break;
            }
            pos = tab + 1;
        }
        if (f.size() != 6) return false;
        Transfer t;
        int64_t amount = 0;
        if (!parseNumber(f[0], t.seq) || !ParseDateText(f[1], t.year, t.month, t.day) ||
            !IsValidDate(t.year, t.month, t.day) || !parseNumber(f[2], amount) || amount < 1 ||
            !IsLedgerAmount(amount) || f[3].empty() || f[4].empty() || f[3] == f[4])
            return false;
        t.amount = static_cast<int32_t>(amount);
        t.from = f[3];
        t.to = f[4];
        t.note = f[5];
        r.push_back(std::move(t));
    }
    if (first) return false;
    list = std::move(r);
    return true;
}

int LoadTransfers(const std::string& home, std::vector<Transfer>& list, std::string& error) {
    list.clear();
    const std::string path = ResolveCase(home, kTransfersFileName);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return 0;
    std::string bytes;
    if (!ReadWholeFile(path, bytes) || !DecodeTransfers(bytes, list)) {
        error = std::string("振替の記録が読めないか壊れています。(") + kTransfersFileName + ")";
        return -1;
    }
    return 0;
}

IoRecord TransferLine(const Transfer& t, const std::vector<Book>& books, const std::string& folder) {
    const bool source = folder == t.from;
    IoRecord l;
    l.Year = static_cast<int16_t>(t.year);
    l.Month = static_cast<int16_t>(t.month);
    l.Day = static_cast<int16_t>(t.day);
    l.ItemName = kTransferItem;
    l.Note = t.note;
    // The shop column names the other book, when its name is one a shop cell can hold.
    const std::string partner = BookLabel(books, source ? t.to : t.from);
    if (!CheckLineText(LineText::Shop, partner)) l.ShopName = partner;
    (source ? l.Expense : l.Income) = t.amount;
    return l;
}

bool IsTransferSide(const Transfer& t, const std::string& folder, const IoRecord& l) {
    if (l.Year != t.year || l.Month != t.month || l.Day != t.day || trimmed(l.ItemName) != kTransferItem) return false;
    if (folder == t.from) return l.Income == 0 && l.Expense == t.amount;
    if (folder == t.to) return l.Income == t.amount;
    return false;
}

int FindTransferOfLine(const std::vector<Transfer>& list, const std::string& folder, const IoRecord& line) {
    for (size_t i = 0; i < list.size(); ++i)
        if (IsTransferSide(list[i], folder, line)) return static_cast<int>(i);
    return -1;
}

std::string TransferText(const Transfer& t, const std::vector<Book>& books) {
    std::string s = FormatDate(t.year, t.month, t.day, "-") + " " + grouped(t.amount) + "円 " +
                    BookLabel(books, t.from) + "→" + BookLabel(books, t.to);
    if (!t.note.empty()) s += " (" + t.note + ")";
    return s;
}

int EnterTransfer(const std::string& home, const std::vector<Book>& books, Transfer& t, Dialogs& dlg,
                  std::string& error) {
    if (FindBookFolder(books, t.from) < 0 || FindBookFolder(books, t.to) < 0) {
        error = "振替元または振替先の家計簿がありません。";
        return -1;
    }
    if (t.from == t.to) {
        error = "振替元と振替先が同じ家計簿です。";
        return -1;
    }
    if (t.amount < 1 || !IsLedgerAmount(t.amount)) {
        error = kAmountRangeMessage;
        return -1;
    }
    if (!IsValidDate(t.year, t.month, t.day)) {
        error = kBadDateMessage;
        return -1;
    }
    if (LineTextFault f = CheckLineText(LineText::Note, t.note)) {
        error = std::string(kBadInputMessage) + " (備考: " + LineTextReason(LineText::Note, f) + ")";
        return -1;
    }
    std::vector<Transfer> list;
    if (LoadTransfers(home, list, error) != 0) return -1;
    t.seq = 1;
    for (const Transfer& x : list)
        t.seq = std::max(t.seq, x.seq + 1);
    TwoBooks b;
    if (openBoth(home, t, b, dlg, error) != 0) return -1;
    for (auto [st, folder] : {std::pair{&b.from, t.from}, std::pair{&b.to, t.to}}) {
        if (InsertBookLine(*st, TransferLine(t, books, folder), dlg, error) != 0) {
            error = BookLabel(books, folder) + ": " + error;
            return -1;
        }
    }
    list.push_back(t);
    return commitBoth(home, b, list, dlg, error);
}

int DeleteTransfer(const std::string& home, const std::vector<Book>& books, int64_t seq, Dialogs& dlg,
                   std::string& error) {
    std::vector<Transfer> list;
    if (LoadTransfers(home, list, error) != 0) return -1;
    auto it = std::find_if(list.begin(), list.end(), [&](const Transfer& x) { return x.seq == seq; });
    if (it == list.end()) {
        error = "その番号の振替はありません。";
        return -1;
    }
    const Transfer t = *it;
    list.erase(it);
    TwoBooks b;
    if (openBoth(home, t, b, dlg, error) != 0) return -1;
    for (auto [st, folder] : {std::pair{&b.from, t.from}, std::pair{&b.to, t.to}}) {
        auto match = [&, f = folder](const IoRecord& l) { return sideMatch(t, f, l); };
        if (RemoveBookLine(*st, t.year, t.month, t.day, match, dlg, error) < 0) {
            error = BookLabel(books, folder) + ": " + error;
            return -1;
        }
    }
    return commitBoth(home, b, list, dlg, error);
}

int ChangeTransfer(const std::string& home, const std::vector<Book>& books, int64_t seq, int32_t amount,
                   const std::string& note, Dialogs& dlg, std::string& error) {
    if (amount < 1 || !IsLedgerAmount(amount)) {
        error = kAmountRangeMessage;
        return -1;
    }
    if (LineTextFault f = CheckLineText(LineText::Note, note)) {
        error = std::string(kBadInputMessage) + " (備考: " + LineTextReason(LineText::Note, f) + ")";
        return -1;
    }
    std::vector<Transfer> list;
    if (LoadTransfers(home, list, error) != 0) return -1;
    auto it = std::find_if(list.begin(), list.end(), [&](const Transfer& x) { return x.seq == seq; });
    if (it == list.end()) {
        error = "その番号の振替はありません。";
        return -1;
    }
    const Transfer old = *it;
    it->amount = amount;
    it->note = note;
    TwoBooks b;
    if (openBoth(home, old, b, dlg, error) != 0) return -1;
    for (auto [st, folder] : {std::pair{&b.from, old.from}, std::pair{&b.to, old.to}}) {
        auto match = [&, f = folder](const IoRecord& l) { return sideMatch(old, f, l); };
        if (ChangeBookLine(*st, old.year, old.month, old.day, match, TransferLine(*it, books, folder), dlg, error) < 0)
            return -1;
    }
    return commitBoth(home, b, list, dlg, error);
}

std::vector<std::string> CheckTransfers(const std::string& home, const std::vector<Book>& books, Dialogs& dlg) {
    std::vector<std::string> problems;
    std::vector<Transfer> list;
    std::string error;
    if (LoadTransfers(home, list, error) != 0) return {error};
    // Transfers of one book, date, side and amount share the lines that fit them.
    using Key = std::tuple<std::string, int32_t, bool, int32_t>;
    std::map<Key, std::vector<const Transfer*>> wanted;
    std::map<std::pair<std::string, int>, bool> months; // (folder, year * 12 + month) to read
    for (const Transfer& t : list) {
        for (const std::string* f : {&t.from, &t.to}) {
            if (FindBookFolder(books, *f) < 0) {
                problems.push_back("振替 " + TransferText(t, books) + ": 家計簿 " + *f + " がありません。");
                continue;
            }
            wanted[Key{*f, DateNum(t.year, t.month, t.day), *f == t.from, t.amount}].push_back(&t);
            months[{*f, t.year * 12 + t.month}] = true;
        }
    }
    std::map<Key, int> found;
    std::string lastFolder;
    LedgerState st;
    for (const auto& [fm, unused] : months) {
        const auto& [folder, ym] = fm;
        if (folder != lastFolder) {
            lastFolder = folder;
            if (OpenBookLedger(bookFolderOf(home, folder), st, dlg, error) != 0) {
                problems.push_back(BookLabel(books, folder) + ": " + error);
                continue;
            }
        }
        const int y = (ym - 1) / 12, m = (ym - 1) % 12 + 1;
        if (st.index.YearCount == 0 || st.index.LinesOf(y, m) == 0) continue;
        if (LoadMonthBlock(st, y, m, dlg, error) != 0) {
            problems.push_back(BookLabel(books, folder) + ": " + error);
            continue;
        }
        for (const IoRecord& l : st.block) {
            if (l.Year != y || l.Month != m || trimmed(l.ItemName) != kTransferItem) continue;
            const bool out = l.Income == 0;
            ++found[Key{folder, DateNum(l), out, out ? l.Expense : l.Income}];
        }
    }
    for (const auto& [key, ts] : wanted) {
        const int have = found[key];
        for (size_t i = static_cast<size_t>(std::max(have, 0)); i < ts.size(); ++i) {
            const Transfer& t = *ts[i];
            const bool source = std::get<2>(key);
            problems.push_back("振替 " + std::to_string(t.seq) + " " + TransferText(t, books) + ": " +
                               BookLabel(books, std::get<0>(key)) + " に" + (source ? "出金" : "入金") +
                               "の振替行がありません。");
        }
    }
    return problems;
}

} // namespace mrt
