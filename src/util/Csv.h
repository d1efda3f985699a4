#pragma once
#include "util/ByteBuffer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

class Dialogs;

// CSV as the program writes and reads it: RFC 4180 (fields separated by ",", records ended by
// CR LF, a field holding a comma, a quote or a line break enclosed in quotes with inner quotes
// doubled). A text cell that a spreadsheet would take for a formula (it begins with "=", "+",
// "-", "@" or a tab) is written with a leading "'" so that it stays text; reading takes that
// quote off again, so every text survives the round trip.

enum class CsvEncoding { Utf8, Utf8Bom, Cp932 };

// "utf8", "utf8-bom", "cp932" (also "sjis", "shift_jis"). False for any other name.
bool ParseCsvEncoding(std::string_view name, CsvEncoding& enc);

// Builds a CSV text (UTF-8) record by record, whole or handed on in chunks of whole records.
class CsvWriter {
public:
    // A text cell: neutralised and quoted as needed.
    CsvWriter& Text(std::string_view text);
    // A text cell from a fixed-width CP932 field of `n` bytes, decoded as DecodeFieldTrimmed does
    // straight into the CSV text, control characters as blanks. False when the field holds bytes that are no CP932 (the cell
    // then holds U+FFFD for them).
    bool Cp932Field(const char* src, int n);
    // A date cell, YYYY-MM-DD.
    CsvWriter& Date(int year, int month, int day);
    // A number cell: written as it is.
    CsvWriter& Number(int64_t value);
    // A number cell with `places` decimals: Decimal(-41, 1) writes "-4.1".
    CsvWriter& Decimal(int64_t scaled, int places);
    // A cell left empty.
    CsvWriter& Empty();
    // Ends the record (CR LF).
    CsvWriter& EndRow();

    // Room for `bytes` of text, so a long listing is not copied as it grows (nothing when the
    // text is streamed).
    void Reserve(size_t bytes) {
        if (!m_sink) m_data.reserve(bytes);
    }
    // From now on the text goes to `sink` whenever an ended record leaves at least `chunk` bytes
    // gathered, so a long listing is never held whole; Data() then holds what was not handed on.
    // The sink returns false when it failed; nothing more is handed on then.
    void StreamTo(std::function<bool(std::string_view)> sink, size_t chunk = 64 * 1024);
    bool Streaming() const { return static_cast<bool>(m_sink); }
    // Hands on what is left. False when the sink failed, now or before.
    bool Finish();
    std::string_view Data() const { return m_data.view(); }
    // Rows ended so far.
    int Rows() const { return m_rows; }

    CsvWriter();
    ~CsvWriter();

private:
    struct FieldMemo;
    void separate();
    void handOn();
    bool appendCp932Field(const char* src, int n, bool& memorable);
    ByteBuffer m_data;
    std::unique_ptr<FieldMemo> m_memo;
    bool m_rowOpen = false;
    int m_rows = 0;
    std::function<bool(std::string_view)> m_sink;
    size_t m_chunk = 0;
    bool m_sinkFailed = false;
};

// The cell text as written: with the guarding "'" when it needs one, then quoted when needed.
std::string CsvTextField(std::string_view text);

// The UTF-8 CSV text in the file encoding. False for Cp932 when some character has no CP932
// form; `badChar` then names the first such character.
bool EncodeCsv(std::string_view utf8, CsvEncoding enc, std::string& out, std::string* badChar = nullptr);

// Writes the CSV into the file `path` in the encoding, whole or not at all; an existing file is
// replaced only after the question. 0 written; -2 the user kept the existing file; -1 failed
// (message shown under `title`).
int WriteCsvFile(const CsvWriter& csv, CsvEncoding enc, const std::string& path, const std::string& title,
                 Dialogs& dlg);

// Reads a CSV file's bytes: a UTF-8 byte order mark or valid UTF-8 is read as UTF-8, anything
// else as CP932. Records end with CR LF or LF; the guarding "'" of text cells is taken off.
// Each record carries the number of the file line it starts on. Empty records are skipped.
struct CsvRecord {
    int lineNo = 0;
    std::vector<std::string> cells;
};
// False when a quoted field is not closed before the end of the file (`error` says where).
bool ParseCsv(std::string_view bytes, std::vector<CsvRecord>& records, std::string& error);

} // namespace mrt
