#include "tool/ToolCsv.h"

#include <iostream>

namespace mrt {

bool ToolCsvEncoding(const ToolContext& ctx, const char* cmd, CsvEncoding& enc) {
    enc = CsvEncoding::Utf8;
    auto name = ctx.option("--encoding");
    if (!name || ParseCsvEncoding(*name, enc)) return true;
    std::cerr << cmd << ": --encoding takes utf8, utf8-bom or cp932\n";
    return false;
}

bool WriteToolCsv(const CsvWriter& csv, CsvEncoding enc, const char* cmd) {
    if (enc == CsvEncoding::Utf8) {
        // The text is UTF-8 already: written as it stands, without a copy of a long listing.
        std::cout.write(csv.Data().data(), static_cast<std::streamsize>(csv.Data().size()));
        std::cout.flush();
        return static_cast<bool>(std::cout);
    }
    std::string out, bad;
    if (!EncodeCsv(csv.Data(), enc, out, &bad)) {
        std::cerr << cmd << ": 「" << bad << "」は cp932 で書き出せない文字です\n";
        return false;
    }
    std::cout << out;
    std::cout.flush();
    return static_cast<bool>(std::cout);
}

} // namespace mrt
