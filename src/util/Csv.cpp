#include "util/Csv.h"

#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/DateText.h"
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

// The bytes that make a cell quoted, looked up rather than compared one by one.
constexpr auto kQuoted = [] {
    std::array<bool, 256> t{};
    for (unsigned char c : {',', '"', '\r', '\n'})
        t[c] = true;
    return t;
}();

bool needsQuotes(std::string_view text) {
    for (char c : text)
        if (kQuoted[static_cast<unsigned char>(c)]) return true;
    return false;
}

// Appends the cell text as written (see CsvTextField) to `out`, without a copy of the text.
template <typename Out> void appendTextField(Out& out, std::string_view text) {
    const bool quote = needsQuotes(text);
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

// Cells of fixed-width fields remembered by the field's bytes: a ledger's texts come from its name
// tables, so most of them repeat and are decoded once. A field maps to one slot; a new field there
// takes the slot over.
struct CsvWriter::FieldMemo {
    static constexpr int kMinField = 8, kMaxField = 40;
    static constexpr int kSlotBits = 9;
    struct Slot {
        uint8_t fieldBytes = 0; // 0: empty
        uint8_t cellBytes = 0;
        char field[kMaxField];
        char cell[kMaxField * 3 + 1];
    };
    std::array<Slot, size_t{1} << kSlotBits> slots{};

    // The field read as whole words, the last one ending with the field.
    static uint64_t word(const char* p) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        return w;
    }
    static bool same(const char* a, const char* b, int n) {
        for (int i = 0; i + 8 < n; i += 8)
            if (word(a + i) != word(b + i)) return false;
        return word(a + n - 8) == word(b + n - 8);
    }
    Slot& slotFor(const char* src, int n) {
        uint64_t h = static_cast<uint64_t>(n);
        for (int i = 0; i + 8 < n; i += 8)
            h = (h ^ word(src + i)) * 0x9E3779B97F4A7C15ull;
        h = (h ^ word(src + n - 8)) * 0x9E3779B97F4A7C15ull;
        return slots[h >> (64 - kSlotBits)];
    }
};

CsvWriter::CsvWriter() = default;
CsvWriter::~CsvWriter() = default;

bool CsvWriter::appendCp932Field(const char* src, int n, bool& memorable) {
    // The bytes that quote or guard a cell are ASCII below 0x40, which the second byte of a
    // double-byte character never is: the field's own bytes tell what its text needs.
    // Control characters (a NUL inside the text too) are blanked on the way below.
    static constexpr auto kStops = [] {
        std::array<bool, 128> t{};
        for (unsigned char c : {',', '"'})
            t[c] = true;
        for (unsigned char c = 0; c < 0x20; ++c)
            t[c] = true;
        t[0x7F] = true;
        return t;
    }();
    const size_t at = m_data.size();
    if (needsGuard(std::string_view(src, static_cast<size_t>(n)))) m_data += '\'';
    const FieldAppend r = AppendFieldText(src, n, m_data, kStops);
    memorable = r == FieldAppend::Done;
    if (memorable) return true;
    // A text to quote, or damaged: decoded apart and written as Text writes it.
    m_data.truncate(at);
    std::string text;
    DecodeFieldTrimmedInto(src, n, text);
    // Lines stored before texts were checked may hold a TAB or line break, which the import refuses.
    bool blanked = false;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
            blanked = true;
        }
    }
    if (blanked) text.resize(TrimmedRight(text).size());
    appendTextField(m_data, text);
    return r == FieldAppend::Stopped && IsCp932Bytes(FieldTextBytes(src, n));
}

bool CsvWriter::Cp932Field(const char* src, int n) {
    separate();
    bool memorable = false;
    if (n < FieldMemo::kMinField || n > FieldMemo::kMaxField) return appendCp932Field(src, n, memorable);
    if (!m_memo) m_memo = std::make_unique<FieldMemo>();
    FieldMemo::Slot& slot = m_memo->slotFor(src, n);
    const auto bytes = static_cast<size_t>(n);
    if (slot.fieldBytes == n && FieldMemo::same(slot.field, src, n)) {
        // Short cells are copied as one block of fixed length, the bytes beyond them dropped again.
        constexpr size_t kBlock = 64;
        static_assert(sizeof slot.cell >= kBlock);
        if (slot.cellBytes <= kBlock) {
            std::memcpy(m_data.extend(kBlock), slot.cell, kBlock);
            m_data.truncate(m_data.size() - kBlock + slot.cellBytes);
        } else {
            m_data.append(slot.cell, slot.cellBytes);
        }
        return true;
    }
    const size_t at = m_data.size();
    const bool sound = appendCp932Field(src, n, memorable);
    if (memorable) {
        slot.fieldBytes = static_cast<uint8_t>(n);
        std::memcpy(slot.field, src, bytes);
        slot.cellBytes = static_cast<uint8_t>(m_data.size() - at);
        std::memcpy(slot.cell, m_data.data() + at, slot.cellBytes);
    }
    return sound;
}

CsvWriter& CsvWriter::Date(int year, int month, int day) {
    separate();
    if (year < 0 || year > 9999 || month < 0 || month > 99 || day < 0 || day > 99) {
        m_data += FormatDate(year, month, day, "-");
        return *this;
    }
    char* o = m_data.extend(10);
    auto two = [](char* p, int v) {
        p[0] = static_cast<char>('0' + v / 10 % 10);
        p[1] = static_cast<char>('0' + v % 10);
    };
    two(o, year / 100);
    two(o + 2, year % 100);
    o[4] = o[7] = '-';
    two(o + 5, month);
    two(o + 8, day);
    return *this;
}

CsvWriter& CsvWriter::Number(int64_t value) {
    char* const start = m_data.extend(21);
    char* o = start;
    if (m_rowOpen) *o++ = ',';
    m_rowOpen = true;
    if (value == 0)
        *o++ = '0'; // most amounts of a ledger line are
    else
        o = std::to_chars(o, start + 21, value).ptr;
    m_data.truncate(m_data.size() - 21 + static_cast<size_t>(o - start));
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
    if (m_sink && m_data.size() >= m_chunk) handOn();
    return *this;
}

void CsvWriter::StreamTo(std::function<bool(std::string_view)> sink, size_t chunk) {
    m_sink = std::move(sink);
    m_chunk = chunk;
    m_data.reserve(chunk + 1024);
}

void CsvWriter::handOn() {
    if (!m_sinkFailed && !m_sink(m_data.view())) m_sinkFailed = true;
    m_data.clear();
}

bool CsvWriter::Finish() {
    if (m_sink && !m_data.empty()) handOn();
    return !m_sinkFailed;
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
