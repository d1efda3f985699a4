#pragma once
#include "ledger/LedgerIndex.h"
#include "util/ByteBuffer.h"

#include <array>
#include <string>

namespace mrt {

class Dialogs;
class FileBatch;

// A year file held in memory for one operation: loaded whole, changed slot by slot, and written
// back whole (through a FileBatch), so the file on disk is never half-updated.
struct YearFile {
    std::string path;   // resolved file name
    ByteBuffer bytes;   // the file's bytes; slot n is at (n - 1) * 108
    bool existed = false;
    std::string error;  // description of the last failure

    // Whole records (OpenIoFile refuses a file with a partial record at its end).
    int RecordCount() const { return static_cast<int>(bytes.size() / kIoRecordSize); }
};

// The year of a file name "<prefix>yyyy<ext>" ("Io2003.usr" for the prefix path ".../Io" and the
// extension ".usr"), letter case aside; -1 for any other name.
int YearOfFileName(const std::string& name, const std::string& prefixPath, const std::string& ext);

// File names, letter case resolved against what exists.
std::string IoFileName(const LedgerIndex& idx, int year);
std::string InfFileName(const LedgerIndex& idx, int yearIndex);

// Loads the year file of `year` into `file`. A missing file gives an empty image (not created on
// disk). Result: the record count; -1 when the file cannot be read or its length is not a whole
// number of records (file.error set: file name and reason), or the check of its name failed and
// the user cancelled the retry.
int OpenIoFile(const LedgerIndex& idx, int year, Dialogs& dlg, YearFile& file);
// A year file opened for positioned reads of its month regions, so a command reads the lines it
// needs and never the fillers around them. Closed when the object goes.
class IoFileReader {
public:
    IoFileReader() = default;
    ~IoFileReader() { Close(); }
    IoFileReader(const IoFileReader&) = delete;
    IoFileReader& operator=(const IoFileReader&) = delete;

    // Opens the year file of `year`. Result as OpenIoFile: the record count, 0 when the file is
    // missing (Existed() false), -1 when it cannot be read or holds a partial record (Error() set).
    int Open(const LedgerIndex& idx, int year, Dialogs& dlg);
    // Opens `path` as it is, asking nothing. With `wholeRecordsOnly` false a partial record at the
    // end is no error (RecordCount() counts the whole ones; for the consistency check). 0 opened,
    // -1 not (Error() set; a missing file too).
    int OpenPath(const std::string& path, bool wholeRecordsOnly = true);
    void Close();
    // Reads the `n` slots from `slot` (1-based) into `out`, replacing its content. False with
    // Error() set when they lie beyond the file or the read fails.
    bool Read(int slot, int n, ByteBuffer& out);

    bool Existed() const { return m_fd >= 0; }
    int RecordCount() const { return m_count; }
    // The file's length in bytes.
    size_t Size() const { return m_size; }
    const std::string& Path() const { return m_path; }
    // The file's own name, for messages.
    std::string Name() const;
    const std::string& Error() const { return m_error; }

private:
    int m_fd = -1;
    int m_count = 0;
    size_t m_size = 0;
    std::string m_path;
    std::string m_error;
};

// Slot n (1-based). False when the slot lies beyond the whole records of the file.
bool ReadIoRecord(const YearFile& file, int slot, IoRecord& rec);
// Slot n (1-based); the image grows when the slot lies beyond its end.
void WriteIoRecord(YearFile& file, int slot, const IoRecord& rec);

// Reads the information file of a year into the index: 0 read, 1 no such file, -1 unreadable, not
// exactly twelve records (120 bytes) or holding impossible counts; then `why`, when given, receives
// the file name and the reason, and the index is unchanged. A short file is refused rather than
// read as empty months, which the next save would write over the lines of those months.
int ReadInfFile(LedgerIndex& idx, int yearIndex, std::string* why = nullptr);
// Encodes the twelve records of a year (120 bytes).
std::string EncodeInfFile(const LedgerIndex& idx, int yearIndex);
// Writes the information file: staged into `batch` when given, else replaced at once. On failure
// shows "入出金情報ファイルの書込みに失敗しました。" and returns -1; otherwise 0.
int WriteInfFile(const LedgerIndex& idx, int yearIndex, Dialogs& dlg, FileBatch* batch = nullptr);

// Makes `file` a new year file: twelve regions of 499 fillers and a region end (6,000 slots),
// and sets the year's months to Capacity 500, LineCount 0 and its YearLines to 0.
void InitYearFile(LedgerIndex& idx, int yearIndex, YearFile& file);
// Fillers from firstSlot up to endSlot - 1, then the region end at endSlot (1-based slots).
void FillRegion(YearFile& file, int firstSlot, int endSlot);
// YearLines of the year = sum of its twelve LineCount values.
void SumYearLines(LedgerIndex& idx, int yearIndex);
// MonthStart(1..13) at [0..12]: slots before month m's region; [12] is the total of all regions.
std::array<int, 13> MonthStartTable(const LedgerIndex& idx, int yearIndex);

} // namespace mrt
