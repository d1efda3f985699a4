#include "tool/ToolCsv.h"

#include "util/Cp932.h"

#include <iostream>

namespace mrt {

bool ToolCsvEncoding(const ToolContext& ctx, const char* cmd, CsvEncoding& enc) {
    enc = CsvEncoding::Utf8;
    auto name = ctx.option("--encoding");
    if (!name || ParseCsvEncoding(*name, enc)) return true;
    std::cerr << cmd << ": --encoding takes utf8, utf8-bom or cp932\n";
    return false;
}

ToolCsvOutput::ToolCsvOutput(CsvWriter& csv, CsvEncoding enc, const char* cmd) : m_csv(csv), m_enc(enc), m_cmd(cmd) {
    m_csv.StreamTo([this](std::string_view text) { return write(text); });
}

bool ToolCsvOutput::write(std::string_view utf8) {
    std::string_view out = utf8;
    if (m_enc == CsvEncoding::Cp932) {
        // Chunks end with whole records, so no character is cut between two of them.
        if (!ToCp932(utf8, m_encoded)) {
            std::cerr << m_cmd << ": 「" << FirstNonCp932Char(utf8) << "」は cp932 で書き出せない文字です\n";
            return false;
        }
        out = m_encoded;
    } else if (m_enc == CsvEncoding::Utf8Bom && m_chunks == 0) {
        std::cout.write("\xEF\xBB\xBF", 3);
    }
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!std::cout) {
        std::cerr << m_cmd << ": 標準出力に書き込めません\n";
        return false;
    }
    ++m_chunks;
    return true;
}

bool ToolCsvOutput::Finish() {
    // Every record handed on: an empty CSV still gets its byte order mark.
    bool ok = m_csv.Finish();
    if (ok && m_chunks == 0) ok = write({});
    std::cout.flush();
    if (ok && !std::cout) {
        std::cerr << m_cmd << ": 標準出力に書き込めません\n";
        ok = false;
    }
    if (!ok) Abandon();
    return ok;
}

void ToolCsvOutput::Abandon() {
    std::cout.flush();
    if (m_chunks > 0) std::cerr << m_cmd << ": 出力は途中で打ち切られました。書き出した分は一覧の一部だけです\n";
}

} // namespace mrt
