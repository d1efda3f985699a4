#pragma once
#include "tool/ToolCommands.h"
#include "util/Csv.h"

#include <string>

namespace mrt {

// The --encoding option of a command's CSV output: utf8 (default), utf8-bom or cp932.
// False after the usage message on stderr.
bool ToolCsvEncoding(const ToolContext& ctx, const char* cmd, CsvEncoding& enc);

// A command's CSV on standard output in the encoding. From construction on, the writer hands its
// text on in chunks of whole records, so a long listing is never held whole; a CSV shorter than
// one chunk is written only by Finish(), so it is written whole or not at all.
class ToolCsvOutput {
public:
    ToolCsvOutput(CsvWriter& csv, CsvEncoding enc, const char* cmd);
    // Writes the rest. False after a message on stderr when a character has no CP932 form or
    // standard output could not be written.
    bool Finish();
    // The CSV cannot be completed: when part of it went out already, says so on stderr, so that
    // the half listing is never taken for the whole one (the command exits non-zero).
    void Abandon();

private:
    bool write(std::string_view utf8);
    CsvWriter& m_csv;
    CsvEncoding m_enc;
    const char* m_cmd;
    std::string m_encoded;
    int m_chunks = 0; // chunks written
};

} // namespace mrt
