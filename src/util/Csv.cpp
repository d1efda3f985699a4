#include "util/Csv.h"

#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/Paths.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>

namespace mrt {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool formulaStart(char c) {
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t';
}

// True when the text gets a guarding "'": it begins like a formula, or it begins with "'" before
// something that does (so that reading, which takes one "'" off such a cell, gives it back whole).
bool needsGuard(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && t[i] == '\'')
        ++i;
    return i < t.size() && formulaStart(t[i]);
}

bool validUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

} // namespace

bool ParseCsvEncoding(std::string_view name, CsvEncoding& enc) {
    std::string n(name);
    std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (n == "utf8" || n == "utf-8")
        enc = CsvEncoding::Utf8;
    else if (n == "utf8-bom" || n == "utf-8-bom")
        enc = CsvEncoding::Utf8Bom;
    else if (n == "cp932" || n == "sjis" || n == "shift_jis" || n == "shift-jis")
        enc = CsvEncoding::Cp932;
    else
        return false;
    return true;
}

namespace {

// Appends the cell text as written (see CsvTextField) to `out`, without a copy of the text.
void appendTextField(std::string& out, std::string_view text) {
    // The bytes that make a cell quoted, looked up rather than compared one by one.
    static constexpr auto kQuoted = [] {
        std::array<bool, 256> t{};
        for (unsigned char c : {',', '"', '\r', '\n'})
            t[c] = true;
        return t;
    }();
    bool quote = false;
    for (char c : text)
        if (kQuoted[static_cast<unsigned char>(c)]) {
            quote = true;
            break;
        }
    if (quote) out += '"';
    if (needsGuard(text)) out += '\'';
    if (!quote) {
        out += text;
        return;
    }
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string CsvTextField(std::string_view text) {
    std::string out;
    appendTextField(out, text);
    return out;
}

void CsvWriter::separate() {
    if (m_rowOpen) m_data += ',';
    m_rowOpen = true;
}

CsvWriter& CsvWriter::Text(std::string_view text) {
    separate();
    appendTextField(m_data, text);
    return *this;
}

CsvWriter& CsvWriter::Number(int64_t value) {
    separate();
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    m_data.append(buf, end);
    return *this;
}

CsvWriter& CsvWriter::Decimal(int64_t scaled, int places) {
    separate();
    const bool negative = scaled < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    std::string digits = std::to_string(magnitude);
    if (places > 0) {
        if (digits.size() <= static_cast<size_t>(places)) digits.insert(0, places + 1 - digits.size(), '0');
        digits.insert(digits.size() - places, 1, '.');
    }
    if (negative) m_data += '-';
    m_data += digits;
    return *this;
}

CsvWriter& CsvWriter::Empty() {
    separate();
    return *this;
}

CsvWriter& CsvWriter::EndRow() {
    m_data += "\r\n";
    m_rowOpen = false;
    ++m_rows;
    return *this;
}

bool EncodeCsv(std::string_view utf8, CsvEncoding enc, std::string& out, std::string* badChar) {
    out.clear();
    switch (enc) {
    case CsvEncoding::Utf8Bom:
        out = kBom;
        out += utf8;
        return true;
    case CsvEncoding::Utf8:
        out = utf8;
        return true;
    case CsvEncoding::Cp932:
        if (ToCp932(utf8, out)) return true;
        if (badChar) *badChar = FirstNonCp932Char(utf8);
        out.clear();
        return false;
    }
    return false;
}

int WriteCsvFile(const CsvWriter& csv, CsvEncoding enc, const std::string& path, const std::string& title,
                 Dialogs& dlg) {
    std::string bytes, bad;
    if (!EncodeCsv(csv.Data(), enc, bytes, &bad)) {
        dlg.MsgOK("「" + bad + "」はシフトJISで書き出せない文字です。\r\nUTF-8 を選んでください。", title);
        return -1;
    }
    std::error_code ec;
    if (std::filesystem::exists(path, ec) &&
        dlg.MsgYesNo2("同じ名前のファイルがあります。\r\n" + path + "\r\n上書きしますか？", title, 1) != 0)
        return -2;
    if (!WriteWholeFile(path, bytes)) {
        dlg.MsgOK("ファイルに書き込めませんでした。\r\n" + path, title);
        return -1;
    }
    return 0;
}

bool ParseCsv(std::string_view bytes, std::vector<CsvRecord>& records, std::string& error) {
    records.clear();
    std::string text;
    if (bytes.substr(0, kBom.size()) == kBom)
        text = bytes.substr(kBom.size());
    else if (validUtf8(bytes))
        text = bytes;
    else
        text = FromCp932(bytes);

    int line = 1;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        CsvRecord rec;
        rec.lineNo = line;
        std::string cell;
        bool quotedCell = false;
        bool endOfRecord = false;
        auto finishCell = [&] {
            // A guarded text keeps what follows its "'".
            if (cell.size() > 1 && cell[0] == '\'' && needsGuard(std::string_view(cell).substr(1))) cell.erase(0, 1);
            rec.cells.push_back(std::move(cell));
            cell.clear();
            quotedCell = false;
        };
        while (i < n && !endOfRecord) {
            const char c = text[i];
            if (c == '"' && cell.empty() && !quotedCell) {
                quotedCell = true;
                const int startLine = line;
                ++i;
                for (;;) {
                    if (i >= n) {
                        error = std::to_string(startLine) + "行目: 引用符 (\") が閉じていません。";
                        return false;
                    }
                    if (text[i] == '"') {
                        if (i + 1 < n && text[i + 1] == '"') {
                            cell += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == '\n') ++line;
                    cell += text[i++];
                }
                continue;
            }
            if (c == ',') {
                finishCell();
                ++i;
            } else if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
                i += 2;
                ++line;
                endOfRecord = true;
            } else if (c == '\n') {
                ++i;
                ++line;
                endOfRecord = true;
            } else {
                cell += c;
                ++i;
            }
        }
        finishCell();
        const bool blank = rec.cells.size() == 1 && rec.cells[0].empty();
        if (!blank) records.push_back(std::move(rec));
    }
    return true;
}

} // namespace mrt
