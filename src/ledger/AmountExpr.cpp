#include "ledger/AmountExpr.h"

#include "ledger/LineRules.h"

#include "port/Dialogs.h"
#include "util/Cp932.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

namespace mrt {

namespace {

constexpr int kMaxTerms = 10;
constexpr int kMaxFactors = 10;

bool isReadBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// Decimal value read from the leading characters: blanks are skipped anywhere, a sign may open
// the number, one decimal point is allowed, and reading stops at the first other character.
// No digits give 0. Very long digit strings may give infinity, which the callers treat as overflow.
// `whole`, when given, is set when there were digits and nothing was left unread.
double leadingNumber(std::string_view s, bool* whole = nullptr) {
    size_t i = 0;
    auto skip = [&] {
        while (i < s.size() && isReadBlank(s[i]))
            ++i;
    };
    skip();
    std::string text;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        if (s[i] == '-') text += '-';
        ++i;
    }
    bool point = false;
    bool digits = false;
    for (;;) {
        skip();
        if (i >= s.size()) break;
        char c = s[i];
        if (c >= '0' && c <= '9') {
            text += c;
            digits = true;
        } else if (c == '.' && !point) {
            text += c;
            point = true;
        } else {
            break;
        }
        ++i;
    }
    if (whole) *whole = digits && i == s.size();
    if (!digits) return 0.0;
    // from_chars reads "." as the decimal point under any C locale; strtod would follow LC_NUMERIC.
    double value = 0.0;
    const std::errc ec = std::from_chars(text.data(), text.data() + text.size(), value).ec;
    if (ec == std::errc::result_out_of_range) {
        // Beyond the double range: infinity when the whole part is not 0, otherwise 0.
        bool large = text.find_first_of("123456789") < text.find('.');
        if (!large) return 0.0;
        return text.front() == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    return value;
}

// Rounds to the nearest whole number, halves to the even neighbour; false when the result does
// not fit 32 bits (or the value is not finite).
bool roundToInt32(double v, int64_t& out) {
    if (!std::isfinite(v)) return false;
    double r = std::nearbyint(v); // default rounding mode: to nearest, ties to even
    if (r < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<int32_t>::max()))
        return false;
    out = static_cast<int64_t>(r);
    return true;
}

bool fitsInt32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// Splits at the first of `ops` as long as it stands neither first nor last in the remaining text;
// an operator in first or last position ends the splitting and stays in the last part.
// False when more than maxParts parts would result.
bool splitParts(std::string_view s, const char* ops, int maxParts, std::vector<std::string_view>& parts,
                std::vector<char>& operators) {
    for (;;) {
        if (static_cast<int>(parts.size()) >= maxParts) return false;
        size_t pos = s.find_first_of(ops);
        if (pos != std::string_view::npos && pos > 0 && pos + 1 < s.size()) {
            parts.push_back(s.substr(0, pos));
            operators.push_back(s[pos]);
            s.remove_prefix(pos + 1);
        } else {
            parts.push_back(s);
            return true;
        }
    }
}

int32_t fail(std::string* error, const char* why) {
    if (error) *error = why;
    return -1;
}

std::string groupThousands(int64_t amount) {
    bool negative = amount < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
    std::string digits = std::to_string(magnitude);
    std::string out;
    int lead = static_cast<int>(digits.size() % 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (static_cast<int>(i) - lead) % 3 == 0) out += ',';
        out += digits[i];
    }
    return negative ? "-" + out : out;
}

// A whole number, optionally signed, with or without thousands separators.
bool parseWholeNumber(std::string_view s, int64_t& value) {
    s = trimBlanks(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() == ',' || s.back() == ',') return false;
    int64_t v = 0;
    for (char c : s) {
        if (c == ',') continue;
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > 999999999999LL) return false;
    }
    value = negative ? -v : v;
    return true;
}

// Takes the thousands separators out of an amount: a comma between a digit and exactly three
// digits ("1,000", "12,345,678"). False for any other comma ("1,00", ",5"): such a text was never
// meant as the number its leading digits make, so it is refused rather than read as 1.
bool dropThousandsSeparators(std::string_view s, std::string& out) {
    out.clear();
    auto digit = [&](size_t i) { return i < s.size() && s[i] >= '0' && s[i] <= '9'; };
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != ',') {
            out += s[i];
            continue;
        }
        if (i == 0 || !digit(i - 1) || !digit(i + 1) || !digit(i + 2) || !digit(i + 3) || digit(i + 4)) return false;
    }
    return true;
}

enum class TaxMarker { None, Tax, BadRate };

// Takes a trailing tax marker off `s`: a plain "%" or "*" (tax at taxRate), or "%N" with a whole
// N of 0..20 (tax at N percent, the reduced rate of food for one); "%N" beyond 20 or with a
// fraction is a bad rate. "*N" stays a multiplication: "100*3" is three at 100 yen.
TaxMarker splitTaxMarker(std::string_view& s, int& taxRate) {
    if (s.back() == '%' || s.back() == '*') {
        s.remove_suffix(1);
        // "%" is only ever the marker: one left inside ("100%8%") is no amount.
        return s.find('%') == std::string_view::npos ? TaxMarker::Tax : TaxMarker::BadRate;
    }
    const size_t percent = s.rfind('%');
    if (percent == std::string_view::npos) return TaxMarker::None;
    const std::string_view before = trimBlanks(s.substr(0, percent));
    const std::string_view number = trimBlanks(s.substr(percent + 1));
    int rate = -1;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), rate);
    const bool wholeRate = ec == std::errc() && end == number.data() + number.size() && rate >= 0 && rate <= 20;
    if (before.empty() || !wholeRate) return TaxMarker::BadRate;
    s = before;
    taxRate = rate;
    return TaxMarker::Tax;
}

} // namespace

int32_t EvalAmount(const std::string& expr, int taxRate, std::string* error) {
    if (error) error->clear();
    std::string plain;
    if (!dropThousandsSeparators(expr, plain)) return fail(error, "comma");
    std::string_view s = trimBlanks(plain);
    if (s.empty()) return 0;

    bool addTax = false;
    switch (splitTaxMarker(s, taxRate)) {
    case TaxMarker::None:
        break;
    case TaxMarker::Tax:
        addTax = true;
        break;
    case TaxMarker::BadRate:
        return fail(error, kTaxRateError);
    }

    std::vector<std::string_view> terms;
    std::vector<char> termOps;
    if (!splitParts(s, "+-", kMaxTerms, terms, termOps)) return fail(error, "too many terms");

    int64_t amount = 0;
    for (size_t t = 0; t < terms.size(); ++t) {
        std::vector<std::string_view> factors;
        std::vector<char> factorOps;
        if (!splitParts(terms[t], "*/", kMaxFactors, factors, factorOps)) return fail(error, "too many factors");

        int64_t value = 0;
        if (!roundToInt32(leadingNumber(factors[0]), value)) return fail(error, "overflow");
        for (size_t f = 1; f < factors.size(); ++f) {
            double operand = leadingNumber(factors[f]);
            double result;
            if (factorOps[f - 1] == '*') {
                result = static_cast<double>(value) * operand;
            } else {
                if (operand == 0.0) return fail(error, "division by zero");
                result = static_cast<double>(value) / operand;
            }
            if (!roundToInt32(result, value)) return fail(error, "overflow");
        }

        if (t == 0)
            amount = value;
        else if (termOps[t - 1] == '+')
            amount += value;
        else
            amount -= value;
        if (!fitsInt32(amount)) return fail(error, "overflow");
    }

    if (addTax) {
        // Single-precision product, so a taxed amount equals the one stored in existing ledgers; the 0.01 absorbs the
        // float error below a whole yen (100 at 5% gives 104.99999 before it).
        volatile float rate = static_cast<float>(taxRate / 100.0);
        volatile float factor = 1.0f + rate;
        volatile float product = static_cast<float>(amount) * factor;
        double taxed = std::floor(static_cast<double>(product) + 0.01);
        if (!std::isfinite(taxed) || taxed < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
            taxed > static_cast<double>(std::numeric_limits<int32_t>::max()))
            return fail(error, "overflow");
        amount = static_cast<int64_t>(taxed);
    }
    return static_cast<int32_t>(amount);
}

bool IsAmountText(std::string_view text) {
    return text.find_first_not_of("0123456789 .,+-*/%") == std::string_view::npos;
}

bool IsWholeAmountExpr(std::string_view text) {
    std::string plain;
    if (!dropThousandsSeparators(text, plain)) return false;
    std::string_view s = trimBlanks(plain);
    if (s.empty()) return false;
    int rate = 0;
    if (splitTaxMarker(s, rate) == TaxMarker::BadRate) return false;
    s = trimBlanks(s);
    if (s.empty()) return false;
    // Split as EvalAmount splits, without its limits on the number of parts (it reports those).
    std::vector<std::string_view> terms, factors;
    std::vector<char> ops;
    if (!splitParts(s, "+-", std::numeric_limits<int>::max(), terms, ops)) return false;
    for (std::string_view term : terms) {
        factors.clear();
        if (!splitParts(term, "*/", std::numeric_limits<int>::max(), factors, ops)) return false;
        for (std::string_view factor : factors) {
            bool whole = false;
            leadingNumber(factor, &whole);
            if (!whole) return false;
        }
    }
    return true;
}

std::string EvalAmountText(const std::string& expr, int taxRate) {
    return std::to_string(EvalAmount(expr, taxRate, nullptr));
}

const char* AmountRefusalMessage(const std::string& error) {
    return error == kTaxRateError ? kTaxRateRangeMessage : kAmountRangeMessage;
}

std::string FormatAmount(int64_t amount, int mode) {
    switch (mode) {
    case 0:
        return FitRightBytes(amount == 0 ? std::string() : groupThousands(amount), 10);
    case 2:
        return FitRightBytes(groupThousands(amount), 10);
    default:
        return FitLeftBytes(std::to_string(amount), 8);
    }
}

std::string FormatAmount(const std::string& amountText, int mode) {
    int64_t value = 0;
    if (parseWholeNumber(amountText, value)) return FormatAmount(value, mode);
    std::string text(trimBlanks(amountText));
    if (mode == 0 || mode == 2) return FitRightBytes(text, 10);
    return FitLeftBytes(text, 8);
}

int AskAmount(Dialogs& dlg, const std::string& prompt, int32_t defaultAmount, int32_t& amount) {
    static const std::string kTitle = "金額入力";
    static const std::string kRange = "0,99999999";
    for (;;) {
        std::string text = std::to_string(defaultAmount);
        if (text.size() < 8) text.append(8 - text.size(), ' ');
        if (dlg.InputKel(text, prompt, kTitle, 0, 0, kRange) != 0) return -1;

        // The dialog enforces the range; a value outside it is still never passed on.
        int64_t value = 0;
        if (roundToInt32(leadingNumber(text), value) && IsLedgerAmount(value)) {
            amount = static_cast<int32_t>(value);
            return 0;
        }
        dlg.MsgOK(kAmountRangeMessage, kTitle);
    }
}

} // namespace mrt
