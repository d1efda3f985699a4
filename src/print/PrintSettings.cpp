#include "print/PrintSettings.h"

#include "port/Dialogs.h"
#include "print/PrintOutput.h"
#include "print/Printer.h"
#include "settings/IniRecord.h"
#include "util/Cp932.h"
#include "util/DateText.h"

#include <cmath>
#include <cstdio>

namespace mrt {

namespace {

// The number a text starts with: blanks skipped, an optional sign, digits with one decimal
// point; 0 when there is none.
double leadingValue(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
    double v = 0, scale = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (scale == 0) {
                v = v * 10 + (c - '0');
            } else {
                v += (c - '0') * scale;
                scale /= 10;
            }
        } else if (c == '.' && scale == 0) {
            scale = 0.1;
        } else {
            break;
        }
    }
    return negative ? -v : v;
}

// A position text as a whole number in 0..100 (half-way values go to the even number).
int positionValue(const std::string& text) {
    const double v = std::nearbyint(leadingValue(text));
    return v < 0 ? 0 : v > 100 ? 100 : static_cast<int>(v);
}

std::string digits(int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    return buf;
}

// A date text cut into year, month, day and the separator after the year.
struct DateParts {
    std::string year, month, day, sep = "/";
    int yearWidth = 4;
};

DateParts splitDate(const std::string& text) {
    DateParts p;
    p.yearWidth = text.size() == 10 ? 4 : 2;
    p.year = text.substr(0, p.yearWidth);
    if (text.size() > static_cast<size_t>(p.yearWidth)) p.sep = text.substr(p.yearWidth, 1);
    if (text.size() >= static_cast<size_t>(p.yearWidth) + 3) p.month = text.substr(p.yearWidth + 1, 2);
    p.day = text.size() >= 2 ? text.substr(text.size() - 2) : text;
    return p;
}

std::string joinDate(const std::string& year, const std::string& month, const std::string& day, int yearWidth,
                     const std::string& sep) {
    const int y = static_cast<int>(leadingValue(year));
    const int m = static_cast<int>(leadingValue(month));
    const int d = static_cast<int>(leadingValue(day));
    return digits(y < 0 ? 0 : y, yearWidth) + sep + digits(m < 0 ? 0 : m, 2) + sep + digits(d < 0 ? 0 : d, 2);
}

} // namespace

int PrintRowsPerPage(int paper, int lineOffset) {
    return (paper == kPaperB5 ? 52 : 55) - lineOffset;
}

int ChoosePrintPaper(int16_t& paper, int lineOffset, int b5Points, int& rowsPerPage) {
    if (paper != kPaperB5) paper = kPaperA4;
    rowsPerPage = PrintRowsPerPage(paper, lineOffset);
    return paper == kPaperB5 ? b5Points : b5Points + 1;
}

int AskPrintSettings(PrintSettingsForm& form, Dialogs& dlg, const std::string& caption, const std::string& msg,
                     PrintFields& fields) {
    PrSetData d;
    d.ttl = caption;
    d.msg = msg;
    d.ColQ = 3;
    const bool withDates = !fields.from.empty();
    DateParts from, to;
    if (withDates) {
        from = splitDate(fields.from);
        to = splitDate(fields.to);
        d.DinQ = 6;
        d.Dnam = {"年", "月", "日　から", "年", "月", "日　まで"};
        d.dates = {from.year, from.month, from.day, to.year, to.month, to.day};
    }
    d.Dnam2 = {"タイトル名：", "ユーザー名："};
    d.dt2 = {fields.title, fields.user, std::to_string(fields.column), std::to_string(fields.line)};
    d.OptNm = fields.paper == kPaperB5 ? 1 : 0;

    for (;;) {
        if (form.PrSetDataIn(d) != 0) return -1;
        std::string fromText, toText;
        if (withDates) {
            d.dates.resize(6);
            fromText = joinDate(d.dates[0], d.dates[1], d.dates[2], from.yearWidth, from.sep);
            toText = joinDate(d.dates[3], d.dates[4], d.dates[5], to.yearWidth, to.sep);
            if (IsBadDate(fromText) || IsBadDate(toText)) {
                dlg.Beep();
                continue;
            }
        }
        const int paper = d.OptNm == 1 ? kPaperB5 : kPaperA4;
        const int line = positionValue(d.dt2[3]);
        if (PrintRowsPerPage(paper, line) < 1) {
            dlg.MsgOK(kNoRoomMessage, caption);
            continue;
        }
        // The settings file holds CP932: a character it cannot hold would be saved as "?".
        std::string bad = FirstNonCp932Char(d.dt2[0]);
        if (bad.empty()) bad = FirstNonCp932Char(d.dt2[1]);
        if (!bad.empty()) {
            dlg.MsgOK(NonCp932Refusal(bad, "登録"), caption);
            continue;
        }
        fields.title = FitChars(d.dt2[0], 30);
        fields.user = FitChars(d.dt2[1], 30);
        while (!fields.title.empty() && fields.title.back() == ' ')
            fields.title.pop_back();
        while (!fields.user.empty() && fields.user.back() == ' ')
            fields.user.pop_back();
        fields.column = positionValue(d.dt2[2]);
        fields.line = line;
        fields.paper = paper;
        fields.from = fromText;
        fields.to = toText;
        return 0;
    }
}

PrintFields PrintFieldsOf(const IniRecord& rec, PrintoutKind kind) {
    PrintFields f;
    f.user = rec.PrintUserName;
    if (kind == PrintoutKind::Ledger) {
        f.title = rec.LedgerPrintTitle;
        f.paper = rec.LedgerPaperSize;
        f.column = rec.LedgerPrintColumn;
        f.line = rec.LedgerPrintLine;
    } else {
        f.title = rec.TotalsPrintTitle;
        f.paper = rec.TotalsPaperSize;
        f.column = rec.TotalsPrintColumn;
        f.line = rec.TotalsPrintLine;
    }
    return f;
}

void StorePrintFields(IniRecord& rec, PrintoutKind kind, const PrintFields& f) {
    rec.PrintUserName = f.user;
    if (kind == PrintoutKind::Ledger) {
        rec.LedgerPrintTitle = f.title;
        rec.LedgerPaperSize = static_cast<int16_t>(f.paper);
        rec.LedgerPrintColumn = static_cast<int16_t>(f.column);
        rec.LedgerPrintLine = static_cast<int16_t>(f.line);
    } else {
        rec.TotalsPrintTitle = f.title;
        rec.TotalsPaperSize = static_cast<int16_t>(f.paper);
        rec.TotalsPrintColumn = static_cast<int16_t>(f.column);
        rec.TotalsPrintLine = static_cast<int16_t>(f.line);
    }
}

PrintSettingsSnapshot TakePrintSnapshot(const IniRecord& rec, PrintoutKind kind) {
    const PrintFields f = PrintFieldsOf(rec, kind);
    return {f.title, f.user, f.paper, f.column, f.line};
}

int SavePrintSettingsIfChanged(const IniRecord& rec, const PrintSettingsSnapshot& before, PrintoutKind kind,
                               const std::string& path) {
    if (path.empty() || TakePrintSnapshot(rec, kind) == before) return 0;
    return WriteSettings(path, rec);
}

} // namespace mrt
