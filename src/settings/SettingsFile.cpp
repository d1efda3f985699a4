#include "settings/IniRecord.h"

#include "util/Cp932.h"
#include "util/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

// Field layout of the 450-byte record: offset, width.
constexpr int kOffReserved0 = 0, kWidReserved0 = 30;
constexpr int kOffKeyInputMode = 30, kOffMainWindowState = 32, kOffTotalsWindowState = 34;
constexpr int kOffReserved1 = 36, kWidReserved1 = 100;
constexpr int kOffBlockMonths = 136, kOffMaxBlockLines = 138, kOffDisplayRows = 140, kOffClosingDay = 142;
constexpr int kOffReserved2 = 144, kWidReserved2 = 98;
constexpr int kOffLedgerPrintTitle = 242, kOffTotalsPrintTitle = 272, kOffPrintUserName = 302, kWidTitle = 30;
constexpr int kOffLedgerPaperSize = 332, kOffLedgerPrintColumn = 334, kOffLedgerPrintLine = 336;
constexpr int kOffTotalsPaperSize = 338, kOffTotalsPrintColumn = 340, kOffTotalsPrintLine = 342;
constexpr int kOffReserved3 = 344, kWidReserved3 = 100;
constexpr int kOffTwoColumnItemBox = 444, kOffTaxRate = 446, kOffReservedInt = 448;

void putInt(std::string& b, int off, int16_t v) {
    auto u = static_cast<uint16_t>(v);
    b[off] = static_cast<char>(u & 0xFF);
    b[off + 1] = static_cast<char>(u >> 8);
}

void putRaw(std::string& b, int off, int width, const std::string& raw) {
    std::string r = raw;
    r.resize(width, ' ');
    b.replace(off, width, r);
}

void putText(std::string& b, int off, int width, const std::string& utf8) { EncodeField(utf8, width, &b[off]); }

// Readers leave the field as it is when the buffer ends before it.
void getInt(const std::string& b, int off, int16_t& v) {
    if (static_cast<int>(b.size()) < off + 2) return;
    v = static_cast<int16_t>(static_cast<uint8_t>(b[off]) | (static_cast<uint8_t>(b[off + 1]) << 8));
}

void getRaw(const std::string& b, int off, int width, std::string& raw) {
    if (static_cast<int>(b.size()) < off + width) return;
    raw = b.substr(off, width);
}

void getText(const std::string& b, int off, int width, std::string& utf8) {
    if (static_cast<int>(b.size()) < off + width) return;
    utf8 = TrimRight(DecodeField(b.data() + off, width));
}

} // namespace

void SettingsDefaults(IniRecord& r) {
    r.BlockMonths = 3;
    r.MaxBlockLines = 300;
    r.DisplayRows = 19;
    r.ClosingDay = 31;
    r.TaxRate = 5;
    r.TwoColumnItemBox = 0;
    r.KeyInputMode = 1;
    r.LedgerPrintTitle = "家計簿";
    r.TotalsPrintTitle = "家計簿集計";
    r.PrintUserName = "ユーザー名";
    r.LedgerPaperSize = 9;
    r.LedgerPrintColumn = 5;
    r.LedgerPrintLine = 0;
    r.TotalsPaperSize = 9;
    r.TotalsPrintColumn = 5;
    r.TotalsPrintLine = 0;
}

std::string EncodeIniRecord(const IniRecord& r) {
    std::string b(kIniRecordSize, ' ');
    putRaw(b, kOffReserved0, kWidReserved0, r.reserved0);
    putInt(b, kOffKeyInputMode, r.KeyInputMode);
    putInt(b, kOffMainWindowState, r.MainWindowState);
    putInt(b, kOffTotalsWindowState, r.TotalsWindowState);
    putRaw(b, kOffReserved1, kWidReserved1, r.reserved1);
    putInt(b, kOffBlockMonths, r.BlockMonths);
    putInt(b, kOffMaxBlockLines, r.MaxBlockLines);
    putInt(b, kOffDisplayRows, r.DisplayRows);
    putInt(b, kOffClosingDay, r.ClosingDay);
    putRaw(b, kOffReserved2, kWidReserved2, r.reserved2);
    putText(b, kOffLedgerPrintTitle, kWidTitle, r.LedgerPrintTitle);
    putText(b, kOffTotalsPrintTitle, kWidTitle, r.TotalsPrintTitle);
    putText(b, kOffPrintUserName, kWidTitle, r.PrintUserName);
    putInt(b, kOffLedgerPaperSize, r.LedgerPaperSize);
    putInt(b, kOffLedgerPrintColumn, r.LedgerPrintColumn);
    putInt(b, kOffLedgerPrintLine, r.LedgerPrintLine);
    putInt(b, kOffTotalsPaperSize, r.TotalsPaperSize);
    putInt(b, kOffTotalsPrintColumn, r.TotalsPrintColumn);
    putInt(b, kOffTotalsPrintLine, r.TotalsPrintLine);
    putRaw(b, kOffReserved3, kWidReserved3, r.reserved3);
    putInt(b, kOffTwoColumnItemBox, r.TwoColumnItemBox);
    putInt(b, kOffTaxRate, r.TaxRate);
    putInt(b, kOffReservedInt, r.reservedInt);
    return b;
}

void DecodeIniRecord(const std::string& b, IniRecord& r) {
    getRaw(b, kOffReserved0, kWidReserved0, r.reserved0);
    getInt(b, kOffKeyInputMode, r.KeyInputMode);
    getInt(b, kOffMainWindowState, r.MainWindowState);
    getInt(b, kOffTotalsWindowState, r.TotalsWindowState);
    getRaw(b, kOffReserved1, kWidReserved1, r.reserved1);
    getInt(b, kOffBlockMonths, r.BlockMonths);
    getInt(b, kOffMaxBlockLines, r.MaxBlockLines);
    getInt(b, kOffDisplayRows, r.DisplayRows);
    getInt(b, kOffClosingDay, r.ClosingDay);
    getRaw(b, kOffReserved2, kWidReserved2, r.reserved2);
    getText(b, kOffLedgerPrintTitle, kWidTitle, r.LedgerPrintTitle);
    getText(b, kOffTotalsPrintTitle, kWidTitle, r.TotalsPrintTitle);
    getText(b, kOffPrintUserName, kWidTitle, r.PrintUserName);
    getInt(b, kOffLedgerPaperSize, r.LedgerPaperSize);
    getInt(b, kOffLedgerPrintColumn, r.LedgerPrintColumn);
    getInt(b, kOffLedgerPrintLine, r.LedgerPrintLine);
    getInt(b, kOffTotalsPaperSize, r.TotalsPaperSize);
    getInt(b, kOffTotalsPrintColumn, r.TotalsPrintColumn);
    getInt(b, kOffTotalsPrintLine, r.TotalsPrintLine);
    getRaw(b, kOffReserved3, kWidReserved3, r.reserved3);
    getInt(b, kOffTwoColumnItemBox, r.TwoColumnItemBox);
    getInt(b, kOffTaxRate, r.TaxRate);
    getInt(b, kOffReservedInt, r.reservedInt);
}

int ReadSettings(const std::string& path, IniRecord& rec) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            SettingsDefaults(rec);
            return 1;
        }
        return -1;
    }
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return -1;
    std::string buf(kIniRecordSize, '\0');
    size_t got = 0;
    while (got < buf.size()) {
        ssize_t n = ::read(fd, &buf[got], buf.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return -1;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    buf.resize(got);
    // A short file: the fields it holds are taken, the rest keep the defaults.
    if (got < static_cast<size_t>(kIniRecordSize)) SettingsDefaults(rec);
    DecodeIniRecord(buf, rec);
    return 0;
}

int WriteSettings(const std::string& path, const IniRecord& rec) {
    // The record replaces the first 450 bytes; the bytes after it in a longer file stay. The
    // whole file goes through a temporary copy, so it is either the old or the new one.
    std::string bytes;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && st.st_size > kIniRecordSize && !ReadWholeFile(path, bytes)) return -1;
    std::string rec450 = EncodeIniRecord(rec);
    if (bytes.size() < rec450.size()) bytes.resize(rec450.size());
    bytes.replace(0, rec450.size(), rec450);
    return WriteWholeFile(path, bytes) ? 0 : -1;
}

void ClampBlockSettings(IniRecord& rec) {
    if (rec.BlockMonths < 2) rec.BlockMonths = 2;
    if (rec.BlockMonths > 6) rec.BlockMonths = 6;
    if (rec.MaxBlockLines < 100) rec.MaxBlockLines = 100;
    if (rec.MaxBlockLines > 1500) rec.MaxBlockLines = 1500;
}

} // namespace mrt
