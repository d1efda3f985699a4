#include "receipt/ReceiptParse.h"

#include "receipt/ReceiptText.h"

#include <algorithm>
#include <cctype>
#include <regex>
#include <sstream>

namespace mrt {

namespace {

constexpr std::u32string_view kMarks = U"※*米ボ軽☆★◎●#";

bool isDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

bool has(const std::u32string& s, std::u32string_view word) {
    return s.find(word) != std::u32string::npos;
}

// An amount found in a line: its value and the code points it spans.
struct Amount {
    int64_t value = 0;
    size_t begin = 0, end = 0;
    bool yen = false;
};

// Digits read for letters inside an amount after a yen sign ("¥1,O8O").
char32_t digitLike(char32_t c) {
    switch (c) {
    case U'O':
    case U'o':
    case U'D':
        return U'0';
    case U'l':
    case U'I':
    case U'|':
    case U'!':
        return U'1';
    default:
        return c;
    }
}

// Every amount of a line: an optional minus ("-", "▲", "△"), an optional yen sign, digits with
// thousands separators ("," or a "." read for one) in groups of three.
std::vector<Amount> amountsOf(const std::u32string& s) {
    std::vector<Amount> out;
    for (size_t i = 0; i < s.size();) {
        size_t start = i;
        bool neg = false, yen = false;
        if (s[i] == U'-' || s[i] == U'▲' || s[i] == U'△') {
            neg = true;
            ++i;
            while (i < s.size() && s[i] == U' ')
                ++i;
        }
        if (i < s.size() && s[i] == U'¥') {
            yen = true;
            ++i;
            while (i < s.size() && s[i] == U' ')
                ++i;
        }
        const auto dig = [&](size_t k) { return k < s.size() && isDigit(yen ? digitLike(s[k]) : s[k]); };
        if (!dig(i)) {
            i = start + 1;
            continue;
        }
        int64_t v = 0;
        size_t j = i;
        int run = 0;
        bool grouped = false;
        while (j < s.size()) {
            if (dig(j)) {
                v = v * 10 + ((yen ? digitLike(s[j]) : s[j]) - U'0');
                ++run;
                ++j;
                if (v > 999999999) break;
            } else if ((s[j] == U',' || s[j] == U'.') && run >= 1 && run <= 3 && (!grouped || run == 3) && dig(j + 1) &&
                       dig(j + 2) && dig(j + 3) && !dig(j + 4)) {
                grouped = true;
                run = 0;
                ++j;
            } else {
                break;
            }
        }
        out.push_back({neg ? -v : v, start, j, yen});
        i = j;
    }
    return out;
}

// The amount that ends a line (only blanks, marks and a closing parenthesis after it).
bool trailingAmount(const std::u32string& s, Amount& a) {
    const std::vector<Amount> all = amountsOf(s);
    if (all.empty()) return false;
    const Amount& last = all.back();
    for (size_t k = last.end; k < s.size(); ++k)
        if (s[k] != U' ' && s[k] != U')' && s[k] != U']' && kMarks.find(s[k]) == std::u32string_view::npos)
            return false;
    a = last;
    return true;
}

// The tax rate a line names: the number before "%" (or before "対象"); only 8 and 10 exist, so
// a misread second digit ("19%", "1O%") still says 10.
int rateOf(const std::u32string& c) {
    for (std::u32string_view after : {U"%", U"対象"}) {
        const size_t at = c.find(after);
        if (at == std::u32string::npos || at == 0) continue;
        if (c[at - 1] == U'8' && (at < 2 || !isDigit(c[at - 2]))) return 8;
        if (at >= 2 && c[at - 2] == U'1' && (isDigit(c[at - 1]) || c[at - 1] == U'O' || c[at - 1] == U'o')) return 10;
    }
    if (has(c, U"標準")) return 10;
    if (has(c, U"軽減")) return 8;
    return 0;
}

bool validDate(int y, int m, int d) {
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 2000 || y > 2099 || m < 1 || m > 12 || d < 1 || d > days[m - 1]) return false;
    return !(m == 2 && d == 29 && !((y % 4 == 0 && y % 100 != 0) || y % 400 == 0));
}

// A date in the line: western ("2026年12月7日", "2026/12/07"), the era ("令和8年12月7日",
// "R8.12.7") or two-digit years ("26/12/07"). 0 when none.
int32_t dateIn(const std::string& s, int& time) {
    static const std::regex era(
        R"((令和|平成|和|成|R|H)\s*(\d{1,2}|元)\s*(?:年|\.|/)\s*(\d{1,2})\s*(?:月|\.|/)\s*(\d{1,2}))");
    static const std::regex western(R"((\d{4})\s*(?:年|/|\.|-)\s*(\d{1,2})\s*(?:月|/|\.|-)\s*(\d{1,2}))");
    static const std::regex shortYear(R"((?:^|[^\d])(\d{2})/(\d{1,2})/(\d{1,2})(?:[^\d]|$))");
    static const std::regex clock(R"((\d{1,2})\s*:\s*(\d{2}))");
    std::smatch m;
    int y = 0, mo = 0, d = 0;
    if (std::regex_search(s, m, era)) {
        const int n = m[2] == "元" ? 1 : std::stoi(m[2]);
        // The era's first character is often misread ("倒和"): its second one decides.
        y = (m[1] == "平成" || m[1] == "成" || m[1] == "H") ? 1988 + n : 2018 + n;
        mo = std::stoi(m[3]);
        d = std::stoi(m[4]);
    } else if (std::regex_search(s, m, western)) {
        y = std::stoi(m[1]);
        mo = std::stoi(m[2]);
        d = std::stoi(m[3]);
    } else if (std::regex_search(s, m, shortYear)) {
        y = 2000 + std::stoi(m[1]);
        mo = std::stoi(m[2]);
        d = std::stoi(m[3]);
    }
    if (!validDate(y, mo, d)) return 0;
    const std::string rest = m.suffix();
    if (std::regex_search(rest, m, clock)) {
        const int hh = std::stoi(m[1]), mm = std::stoi(m[2]);
        if (hh < 24 && mm < 60) time = hh * 100 + mm;
    }
    return y * 10000 + mo * 100 + d;
}

// "T" and 13 digits; the recogniser sometimes reads the T as "7" or "丁" or drops it after "登録番号".
std::string tnumberIn(const std::u32string& c) {
    std::string digits;
    size_t at = c.find(U'T');
    if (at == std::u32string::npos) at = c.find(U'丁');
    const bool labelled = has(c, U"登録") || has(c, U"番号");
    if (at == std::u32string::npos && !labelled) return {};
    for (size_t k = at == std::u32string::npos ? 0 : at + 1; k < c.size() && digits.size() < 14; ++k) {
        if (isDigit(c[k]))
            digits += char(c[k]);
        else if (c[k] != U'-' && c[k] != U' ' && !digits.empty())
            break;
    }
    if (digits.size() == 14 && at == std::u32string::npos && digits[0] == '7') digits.erase(0, 1);
    if (digits.size() != 13) return {};
    return "T" + digits;
}

std::u32string withoutBlanks(const std::u32string& s) {
    std::u32string out;
    for (char32_t c : s)
        if (c != U' ') out += c;
    return out;
}

bool anyOf(const std::u32string& c, std::initializer_list<std::u32string_view> words) {
    for (std::u32string_view w : words)
        if (has(c, w)) return true;
    return false;
}

std::string describe(const char* what, int64_t read, const char* other, int64_t expected) {
    std::ostringstream o;
    o << what << " " << YenText(read) << " が" << other << " " << YenText(expected) << " と "
      << YenText(read > expected ? read - expected : expected - read) << " 違います";
    return o.str();
}

void addIssue(ReadReceipt& r, std::string text, int64_t diff, bool totals) {
    r.issues.push_back({std::move(text), diff, totals});
}

// The checks of the sums, and each rate's amount tax included.
void checkSums(ReadReceipt& r) {
    RatePart* parts[] = {&r.reduced, &r.standard};
    for (const ReceiptItem& it : r.items) {
        RatePart& p = it.reduced ? r.reduced : r.standard;
        p.itemSum += it.price;
        ++p.itemCount;
    }
    int64_t itemsTotal = r.reduced.itemSum + r.standard.itemSum;
    int64_t taxes = 0;
    bool taxesRead = true;
    for (RatePart* p : parts) {
        if (p->tax >= 0)
            taxes += p->tax;
        else if (p->base > 0)
            taxesRead = false;
    }
    if (r.mode == TaxMode::Unknown) {
        if (r.total >= 0 && r.subtotal >= 0 && taxes > 0 && r.subtotal + taxes == r.total)
            r.mode = TaxMode::Excluded;
        else
            r.mode = TaxMode::Included;
    }
    const bool excluded = r.mode == TaxMode::Excluded;
    bool basesFromItems = false;
    int64_t expectedTax[2] = {-1, -1};
    for (int k = 0; k < 2; ++k) {
        RatePart* p = parts[k];
        if (p->base < 0 && p->itemCount > 0 && (p->tax > 0 || r.reduced.base < 0 || r.standard.base < 0)) {
            p->base = p->itemSum;
            basesFromItems = true;
        }
        if (p->base >= 0) expectedTax[k] = excluded ? p->base * p->rate / 100 : p->base * p->rate / (100 + p->rate);
    }
    // Misread taxes whose values computed from the bases make the total add up are replaced by them.
    bool computedFits = excluded && r.total >= 0;
    int64_t computedSum = 0;
    for (int k = 0; k < 2; ++k)
        if (parts[k]->base >= 0) computedSum += parts[k]->base + expectedTax[k];
    computedFits = computedFits && computedSum == r.total;
    for (int k = 0; k < 2; ++k) {
        RatePart* p = parts[k];
        if (p->base < 0) continue;
        const int64_t expected = expectedTax[k];
        if (p->tax >= 0 && (p->tax < expected - 1 || p->tax > expected + 1)) {
            std::ostringstream o;
            o << p->rate << "%の税額 " << YenText(p->tax) << " が対象額 " << YenText(p->base) << " の税額 "
              << YenText(expected) << " と合いません";
            if (computedFits) {
                addIssue(r, o.str() + "（対象額からの税額で合計に合います）", p->tax - expected, false);
                p->tax = expected;
            } else {
                addIssue(r, o.str(), p->tax - expected, true);
            }
        }
        p->included = excluded ? p->base + (p->tax >= 0 ? p->tax : expected) : p->base;
    }
    taxes = std::max<int64_t>(r.reduced.tax, 0) + std::max<int64_t>(r.standard.tax, 0);
    const bool partsRead = r.reduced.included >= 0 || r.standard.included >= 0;
    const int64_t partsSum = std::max<int64_t>(r.reduced.included, 0) + std::max<int64_t>(r.standard.included, 0);
    int agreements = 0;
    if (r.total < 0) {
        addIssue(r, "合計が読めません", 0, true);
    } else {
        if (partsRead) {
            if (partsSum != r.total)
                addIssue(r, describe("合計", r.total, "税率ごとの額の和", partsSum), r.total - partsSum, true);
            else if (!basesFromItems)
                ++agreements;
        }
        if (r.paymentAmount >= 0) {
            if (r.paymentAmount != r.total)
                addIssue(r, describe("合計", r.total, "支払額", r.paymentAmount), r.total - r.paymentAmount, true);
            else
                ++agreements;
        }
        if (r.subtotal >= 0) {
            const int64_t expected = excluded ? r.subtotal + taxes : r.subtotal;
            if (excluded && !taxesRead) {
            } else if (expected != r.total) {
                addIssue(r, describe("合計", r.total, excluded ? "小計と外税の和" : "小計", expected),
                         r.total - expected, true);
            } else {
                ++agreements;
            }
        }
        if (!r.items.empty() && itemsTotal == (excluded ? r.total - taxes : r.total)) ++agreements;
        if (agreements == 0 && r.issues.empty()) addIssue(r, "合計を確かめる金額が読めません", 0, true);
    }
    if (r.reduced.base >= 0 && r.standard.base >= 0 && r.subtotal >= 0 &&
        r.reduced.base + r.standard.base != r.subtotal && !basesFromItems)
        addIssue(r, describe("小計", r.subtotal, "税率ごとの対象額の和", r.reduced.base + r.standard.base),
                 r.subtotal - r.reduced.base - r.standard.base, true);
    const int64_t itemsExpected = r.subtotal >= 0 ? r.subtotal : (excluded || r.total < 0 ? -1 : r.total);
    if (!r.items.empty() && itemsExpected >= 0 && itemsTotal != itemsExpected) {
        addIssue(r,
                 describe("品目の和", itemsTotal, r.subtotal >= 0 ? "小計" : "合計", itemsExpected) +
                     "（品目の読み取りが不確かです）",
                 itemsTotal - itemsExpected, basesFromItems);
    } else if (!r.items.empty() && !basesFromItems) {
        for (RatePart* p : parts)
            if (p->base >= 0 && p->itemSum != p->base) {
                std::ostringstream o;
                o << p->rate << "%の品目の和 " << YenText(p->itemSum) << " が対象額 " << YenText(p->base)
                  << " と合いません（軽減税率の印の読み違い）";
                addIssue(r, o.str(), p->itemSum - p->base, false);
                break;
            }
    }
}

} // namespace

bool ReadReceipt::TotalsConfirmed() const {
    if (total < 0) return false;
    for (const ReceiptIssue& i : issues)
        if (i.affectsTotals) return false;
    return true;
}

TNumberCheck CheckTNumber(const std::string& t) {
    if (t.size() != 14 || t[0] != 'T') return TNumberCheck::Missing;
    return CorporateCheckDigit(t.substr(2)) == t[1] - '0' ? TNumberCheck::Valid : TNumberCheck::BadCheckDigit;
}

ReadReceipt ParseReceipt(const std::vector<ReadLine>& lines, const std::vector<std::string>& shopNames) {
    ReadReceipt r;
    int64_t cashTaken = -1, change = -1, cardAmount = -1;
    bool totalSeen = false, subtotalSeen = false;
    std::vector<size_t> headerLines;
    bool itemsStarted = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::u32string s = NormalizeReceiptLine(Utf8ToU32(lines[i].text));
        if (s.empty()) continue;
        const std::u32string c = withoutBlanks(s);
        const std::string utf8 = U32ToUtf8(s);
        Amount a;
        const bool hasAmount = trailingAmount(s, a);
        const bool unsure = !lines[i].unsure.empty();
        if (r.date == 0) {
            if (const int32_t d = dateIn(utf8, r.time)) {
                r.date = d;
                continue;
            }
        }
        if (r.tnumber.empty() && (has(c, U"登録") || c.find(U'T') != std::u32string::npos)) {
            if (std::string t = tnumberIn(c); !t.empty()) {
                r.tnumber = t;
                r.tcheck = CheckTNumber(t);
                continue;
            }
        }
        if (anyOf(c, {U"TEL", U"電話", U"FAX", U"レジ", U"No.", U"責"}) && !totalSeen) {
            continue;
        }
        if (has(c, U"小計") && hasAmount) {
            if (r.subtotal < 0) r.subtotal = a.value;
            subtotalSeen = true;
            if (unsure) r.unsureTotalLines.push_back(int(i));
            continue;
        }
        if (anyOf(c, {U"合計", U"総計", U"お買上計", U"お買い上げ計"}) && hasAmount && !has(c, U"税")) {
            if (r.total < 0) r.total = a.value;
            totalSeen = true;
            if (unsure) r.unsureTotalLines.push_back(int(i));
            continue;
        }
        if ((has(c, U"対象") || (has(c, U"対") && !has(c, U"税") && rateOf(c) != 0)) && hasAmount) {
            const std::vector<Amount> all = amountsOf(s);
            const int rate = rateOf(c);
            RatePart& p = rate == 10 ? r.standard : r.reduced;
            if (rate != 0) {
                // "(8%対象 ¥1,390 内税 ¥102)": the first amount after the rate is the base, the last the tax.
                std::vector<Amount> money;
                for (const Amount& x : all) {
                    size_t k = x.end;
                    while (k < s.size() && s[k] == U' ')
                        ++k;
                    if (x.yen || k >= s.size() || (s[k] != U'%' && s[k] != U'対')) money.push_back(x);
                }
                if (!money.empty() && p.base < 0) p.base = money.front().value;
                if (money.size() >= 2 && has(c, U"税")) p.tax = money.back().value;
                if (has(c, U"内")) r.mode = TaxMode::Included;
                if (has(c, U"外")) r.mode = TaxMode::Excluded;
            }
            subtotalSeen = true;
            if (unsure) r.unsureTotalLines.push_back(int(i));
            continue;
        }
        if (has(c, U"税") && hasAmount) {
            int rate = rateOf(c);
            if (rate == 0) rate = r.standard.base >= 0 && r.reduced.base < 0 ? 10 : 8;
            RatePart& p = rate == 10 ? r.standard : r.reduced;
            if (p.tax < 0) p.tax = a.value;
            if (has(c, U"内"))
                r.mode = TaxMode::Included;
            else if (has(c, U"外"))
                r.mode = TaxMode::Excluded;
            subtotalSeen = true;
            if (unsure) r.unsureTotalLines.push_back(int(i));
            continue;
        }
        if (anyOf(c, {U"預", U"お預"}) && hasAmount) {
            cashTaken = a.value;
            if (r.payment.empty()) r.payment = "現金";
            continue;
        }
        if (anyOf(c, {U"釣", U"おつり"}) && hasAmount) {
            change = a.value;
            continue;
        }
        if (anyOf(c, {U"クレジット", U"カード", U"CREDIT"})) {
            r.payment = "クレジット";
            if (hasAmount) cardAmount = a.value;
            continue;
        }
        if (anyOf(c, {U"電子マネー", U"交通系", U"QR", U"コード決済", U"PayPay", U"iD", U"WAON", U"nanaco", U"Edy"})) {
            r.payment = "電子マネー";
            if (hasAmount) cardAmount = a.value;
            continue;
        }
        if (has(c, U"現金")) {
            r.payment = "現金";
            if (hasAmount && cashTaken < 0) cashTaken = a.value;
            continue;
        }
        if (anyOf(c, {U"ポイント", U"残高", U"点数", U"登録", U"軽減税率", U"ありがと"})) continue;
        if (hasAmount && !totalSeen && !subtotalSeen && a.begin > 0) {
            std::u32string name = s.substr(0, a.begin);
            bool reduced = false;
            for (size_t k = a.end; k < s.size(); ++k)
                if (kMarks.find(s[k]) != std::u32string_view::npos) reduced = true;
            while (!name.empty() && (name.front() == U' ' || kMarks.find(name.front()) != std::u32string_view::npos)) {
                reduced = true;
                name.erase(0, 1);
            }
            while (!name.empty() && name.back() == U' ')
                name.pop_back();
            // A name has a letter: a line of digits and signs is a misread edge, not an item.
            const bool named = std::any_of(name.begin(), name.end(), [](char32_t ch) {
                return ch >= 0x3040 || (ch < 0x80 && std::isalpha(static_cast<int>(ch)));
            });
            if (named) {
                int64_t price = a.value;
                if (anyOf(c, {U"値引", U"割引", U"引き"}) && price > 0) price = -price;
                r.items.push_back({U32ToUtf8(name), price, reduced, int(i)});
                itemsStarted = true;
                continue;
            }
        }
        if (!itemsStarted && !totalSeen && headerLines.size() < 6) headerLines.push_back(i);
    }
    if (cardAmount >= 0)
        r.paymentAmount = cardAmount;
    else if (cashTaken >= 0 && change >= 0)
        r.paymentAmount = cashTaken - change;

    // The shop: the best match of the first lines among the registered names, else the first line.
    double best = 0;
    for (size_t i : headerLines) {
        const std::string line = U32ToUtf8(NormalizeReceiptLine(Utf8ToU32(lines[i].text)));
        if (r.shopRead.empty()) r.shopRead = line;
        for (const std::string& name : shopNames) {
            const double score = NameSimilarity(line, name);
            if (score > best) {
                best = score;
                r.shop = name;
                r.shopRead = line;
            }
        }
    }
    r.shopRegistered = best >= 0.6;
    if (!r.shopRegistered) r.shop = r.shopRead;
    if (r.shop.empty()) addIssue(r, "店名が読めません", 0, false);
    if (r.date == 0) addIssue(r, "日付が読めません", 0, false);
    if (r.tcheck == TNumberCheck::BadCheckDigit)
        addIssue(r, "登録番号 " + r.tnumber + " の検査数字が合いません（読み違いか誤った番号です）", 0, false);
    checkSums(r);
    return r;
}

ReadReceipt ParseReceiptText(const std::string& text, const std::vector<std::string>& shopNames) {
    std::vector<ReadLine> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back({line, {}});
    return ParseReceipt(lines, shopNames);
}

} // namespace mrt
