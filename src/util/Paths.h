#pragma once
#include "util/ByteBuffer.h"

#include <string>
#include <string_view>
#include <vector>

namespace mrt {

class Dialogs;

// Paths use "/". SplitPath removes trailing blanks; folder keeps its final "/" (empty when none).
void SplitPath(std::string_view path, std::string& folder, std::string& file);
// folder + "/" (unless it already ends with one) + file; an empty folder gives the bare file name.
std::string JoinPath(std::string_view folder, std::string_view file);

// Resolves `name` inside `folder` without regard to letter case: an existing file or folder
// whose name differs only in case is returned; otherwise folder/name as given. Never creates.
std::string ResolveCase(std::string_view folder, std::string_view name);
// ResolveCase applied to the last component of a full path.
std::string ResolvePath(std::string_view path);

// 1 when no file of that name exists (case-insensitive), 0 when it exists; on an error of the
// check the retry question goes through the dialogs: Retry repeats, Cancel returns -1.
int FileMissing(std::string_view path, Dialogs& dlg);

// Reads a whole file; false (errno set) when it cannot be read. Into a ByteBuffer the bytes are
// read where they stay, never cleared first: the form for files of any size.
bool ReadWholeFile(const std::string& path, ByteBuffer& data);
// The same as a string, for the small files whose readers take one.
bool ReadWholeFile(const std::string& path, std::string& data);
// Suffix of the temporary file a write goes through ("<name>.tmp~"); one left by a crash is never
// data and is skipped by listings and copies.
inline constexpr const char* kTempSuffix = ".tmp~";
bool IsTempFileName(std::string_view name);

// Writes a whole file through a temporary file and rename (a FileBatch of one file), so the file is
// either the old one or the complete new one, durable once this returns true. False when anything
// failed (the old file then stays as it was).
bool WriteWholeFile(const std::string& path, std::string_view data);

} // namespace mrt
