#pragma once
#include "tool/ToolCommands.h"
#include "util/Csv.h"

namespace mrt {

// The --encoding option of a command's CSV output: utf8 (default), utf8-bom or cp932.
// False after the usage message on stderr.
bool ToolCsvEncoding(const ToolContext& ctx, const char* cmd, CsvEncoding& enc);

// Writes the CSV to standard output in the encoding. False after a message on stderr when a
// character has no CP932 form (nothing is written then), or when standard output could not be
// written.
bool WriteToolCsv(const CsvWriter& csv, CsvEncoding enc, const char* cmd);

} // namespace mrt
