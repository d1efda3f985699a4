#include "ledger/LedgerFiles.h"

#include "port/Dialogs.h"
#include "util/FileBatch.h"
#include "util/FileSystem.h"
#include "util/Paths.h"
#include "util/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

std::string yearText(int year) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", year);
    return buf;
}

// Encoded filler and region-end records, built once.
const std::string& markerBytes(int16_t year) {
    static const std::string filler = [] {
        std::string b(kIoRecordSize, '\0');
        EncodeIoRecord(FillerRecord(), b.data());
        return b;
    }();
    static const std::string end = [] {
        std::string b(kIoRecordSize, '\0');
        EncodeIoRecord(RegionEndRecord(), b.data());
        return b;
    }();
    return year == kFillerYear ? filler : end;
}

// The file's own name, for messages.
std::string fileNameOf(const std::string& path) {
    std::string folder, name;
    SplitPath(path, folder, name);
    return name;
}

// Why a year file of `size` bytes is refused: its end holds part of a record.
std::string partialRecordError(const std::string& path, size_t size) {
    return fileNameOf(path) + ": 長さ " + std::to_string(size) + " バイトが" + std::to_string(kIoRecordSize) +
           "バイトの記録の整数倍ではありません";
}

void ensureSlot(YearFile& file, int slot) {
    size_t need = static_cast<size_t>(slot) * kIoRecordSize;
    if (file.bytes.size() < need) file.bytes.resize(need, '\0');
}

} // namespace

void LedgerIndex::SetDataFolder(const std::string& folder) {
    IoPrefix = JoinPath(folder, "Io");
    InfPrefix = JoinPath(folder, "Inf");
}

int LedgerIndex::LinesOf(int year, int month) const {
    int yi = YearIndex(year);
    if (!HoldsYearIndex(yi) || month < 1 || month > 12) return 0;
    return Inf(yi, month).LineCount;
}

void LedgerIndex::ClearYear(int yearIndex) {
    Months[yearIndex - 1].fill(InfRecord{});
    YearLines[yearIndex - 1] = 0;
}

int YearOfFileName(const std::string& name, const std::string& prefixPath, const std::string& ext) {
    std::string folder, prefix;
    SplitPath(prefixPath, folder, prefix);
    if (name.size() != prefix.size() + 4 + ext.size() ||
        ::strncasecmp(name.c_str(), prefix.c_str(), prefix.size()) != 0 ||
        ::strcasecmp(name.c_str() + prefix.size() + 4, ext.c_str()) != 0)
        return -1;
    int year = 0;
    for (size_t i = prefix.size(); i < prefix.size() + 4; ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        year = year * 10 + (name[i] - '0');
    }
    return year;
}

std::string IoFileName(const LedgerIndex& idx, int year) {
    return ResolvePath(idx.IoPrefix + yearText(year) + idx.IoExtension);
}

std::string InfFileName(const LedgerIndex& idx, int yearIndex) {
    return ResolvePath(idx.InfPrefix + yearText(idx.FirstYear + yearIndex - 1) + idx.InfExtension);
}

int OpenIoFile(const LedgerIndex& idx, int year, Dialogs& dlg, YearFile& file) {
    file = YearFile{};
    file.path = IoFileName(idx, year);
    int missing = FileMissing(file.path, dlg);
    if (missing < 0) {
        file.error = "ファイルの確認が中止されました。";
        return -1;
    }
    if (missing == 1) return 0;
    if (!ReadWholeFile(file.path, file.bytes)) {
        file.error = fileNameOf(file.path) + ": " + SystemErrorText(errno);
        file.bytes.clear();
        return -1;
    }
    if (file.bytes.size() % kIoRecordSize != 0) {
        file.error = partialRecordError(file.path, file.bytes.size());
        file.bytes.clear();
        return -1;
    }
    file.existed = true;
    return file.RecordCount();
}

int IoFileReader::Open(const LedgerIndex& idx, int year, Dialogs& dlg) {
    Close();
    m_error.clear();
    m_path = IoFileName(idx, year);
    int missing = FileMissing(m_path, dlg);
    if (missing < 0) {
        m_error = "ファイルの確認が中止されました。";
        return -1;
    }
    if (missing == 1) return 0;
    return OpenPath(m_path) < 0 ? -1 : m_count;
}

int IoFileReader::OpenPath(const std::string& path, bool wholeRecordsOnly) {
    Close();
    m_path = path;
    m_error.clear();
    BeforeRead(m_path);
    int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_error = fileNameOf(m_path) + ": " + SystemErrorText(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = errno ? errno : EISDIR;
        ::close(fd);
        m_error = fileNameOf(m_path) + ": " + SystemErrorText(err);
        return -1;
    }
    size_t size = static_cast<size_t>(st.st_size);
    if (wholeRecordsOnly && size % kIoRecordSize != 0) {
        ::close(fd);
        m_error = partialRecordError(m_path, size);
        return -1;
    }
    m_fd = fd;
    m_size = size;
    m_count = static_cast<int>(size / kIoRecordSize);
    return 0;
}

void IoFileReader::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_count = 0;
    m_size = 0;
}

std::string IoFileReader::Name() const {
    return fileNameOf(m_path);
}

bool IoFileReader::Read(int slot, int n, ByteBuffer& out) {
    out.clear();
    if (m_fd < 0 || slot < 1 || n < 0 || slot - 1 > m_count - n) {
        m_error = fileNameOf(m_path) + ": " + std::to_string(slot) + "件目からの " + std::to_string(n) +
                  " 件がファイルの終わりを超えています";
        return false;
    }
    size_t want = static_cast<size_t>(n) * kIoRecordSize;
    out.resizeForOverwrite(want);
    off_t at = static_cast<off_t>(slot - 1) * kIoRecordSize;
    size_t got = 0;
    while (got < want) {
        ssize_t r = ::pread(m_fd, out.data() + got, want - got, at + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            // A file cut short since it was opened reads as the end of its records.
            m_error = fileNameOf(m_path) + ": " + SystemErrorText(r < 0 ? errno : EIO);
            out.clear();
            return false;
        }
        got += static_cast<size_t>(r);
    }
    return true;
}

bool ReadIoRecord(const YearFile& file, int slot, IoRecord& rec) {
    if (slot < 1 || slot > file.RecordCount()) return false;
    rec = DecodeIoRecord(file.bytes.data() + static_cast<size_t>(slot - 1) * kIoRecordSize);
    return true;
}

void WriteIoRecord(YearFile& file, int slot, const IoRecord& rec) {
    ensureSlot(file, slot);
    EncodeIoRecord(rec, file.bytes.data() + static_cast<size_t>(slot - 1) * kIoRecordSize);
}

int ReadInfFile(LedgerIndex& idx, int yearIndex, std::string* why) {
    std::string path = InfFileName(idx, yearIndex);
    auto refuse = [&](const std::string& reason) {
        if (why) *why = fileNameOf(path) + ": " + reason;
        return -1;
    };
    std::string data;
    if (!ReadWholeFile(path, data)) {
        int err = errno ? errno : EIO;
        FILE* probe = std::fopen(path.c_str(), "rb");
        if (!probe && errno == ENOENT) return 1;
        if (probe) std::fclose(probe);
        return refuse(SystemErrorText(err));
    }
    if (data.size() != 12 * kInfRecordSize)
        return refuse("長さ " + std::to_string(data.size()) + " バイトが12か月分の " +
                      std::to_string(12 * kInfRecordSize) + " バイトではありません");
    std::array<InfRecord, 12> months;
    for (int m = 1; m <= 12; ++m) {
        InfRecord rec = DecodeInfRecord(data.data() + (m - 1) * kInfRecordSize);
        if (rec.Capacity < 1 || rec.LineCount < 0 || rec.LineCount > rec.Capacity - 1)
            return refuse(std::to_string(m) + "月の行数 " + std::to_string(rec.LineCount) + " が容量 " +
                          std::to_string(rec.Capacity) + " に合いません");
        months[m - 1] = rec;
    }
    idx.Months[yearIndex - 1] = months;
    return 0;
}

std::string EncodeInfFile(const LedgerIndex& idx, int yearIndex) {
    std::string data(12 * kInfRecordSize, '\0');
    for (int m = 1; m <= 12; ++m)
        EncodeInfRecord(idx.Inf(yearIndex, m), data.data() + (m - 1) * kInfRecordSize);
    return data;
}

int WriteInfFile(const LedgerIndex& idx, int yearIndex, Dialogs& dlg, FileBatch* batch) {
    std::string path = InfFileName(idx, yearIndex);
    std::string data = EncodeInfFile(idx, yearIndex);
    std::string error;
    bool ok = batch ? batch->Stage(path, data, error) : WriteWholeFile(path, data);
    if (ok) return 0;
    dlg.MsgBox("入出金情報ファイルの書込みに失敗しました。", "入出金情報ファイルの書込み", MsgIcon::Exclamation,
               MsgButtons::OK);
    return -1;
}

void InitYearFile(LedgerIndex& idx, int yearIndex, YearFile& file) {
    const std::string& filler = markerBytes(kFillerYear);
    const std::string& end = markerBytes(kRegionEndYear);
    file.bytes.clear();
    file.bytes.reserve(12 * kNewMonthCapacity * kIoRecordSize);
    for (int m = 0; m < 12; ++m) {
        for (int s = 0; s < kNewMonthCapacity - 1; ++s)
            file.bytes += filler;
        file.bytes += end;
    }
    idx.ClearYear(yearIndex);
}

void FillRegion(YearFile& file, int firstSlot, int endSlot) {
    if (endSlot < 1) return;
    ensureSlot(file, endSlot);
    const std::string& filler = markerBytes(kFillerYear);
    for (int s = std::max(firstSlot, 1); s < endSlot; ++s)
        std::memcpy(file.bytes.data() + static_cast<size_t>(s - 1) * kIoRecordSize, filler.data(), kIoRecordSize);
    std::memcpy(file.bytes.data() + static_cast<size_t>(endSlot - 1) * kIoRecordSize,
                markerBytes(kRegionEndYear).data(), kIoRecordSize);
}

void SumYearLines(LedgerIndex& idx, int yearIndex) {
    int32_t sum = 0;
    for (int m = 1; m <= 12; ++m)
        sum += idx.Inf(yearIndex, m).LineCount;
    idx.YearLines[yearIndex - 1] = sum;
}

std::array<int, 13> MonthStartTable(const LedgerIndex& idx, int yearIndex) {
    std::array<int, 13> t{};
    for (int m = 1; m <= 12; ++m)
        t[m] = t[m - 1] + idx.Inf(yearIndex, m).Capacity;
    return t;
}

} // namespace mrt
