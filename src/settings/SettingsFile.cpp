#include "settings/IniRecord.h"

#include "util/Cp932.h"
#include "util/Paths.h"
#include "util/SystemError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

// Field layout of the 450-byte record, in file order: offset, width and the member it holds.
// Integers are 16-bit little-endian; texts blank-padded CP932; reserved fields raw bytes.
enum class FieldKind { Int, Text, Raw };
struct Field {
    int offset;
    int width;
    FieldKind kind;
    int16_t IniRecord::*number;
    std::string IniRecord::*text;
};
constexpr Field intField(int off, int16_t IniRecord::*m) { return {off, 2, FieldKind::Int, m, nullptr}; }
constexpr Field textField(int off, std::string IniRecord::*m) { return {off, 30, FieldKind::Text, nullptr, m}; }
constexpr Field rawField(int off, int w, std::string IniRecord::*m) { return {off, w, FieldKind::Raw, nullptr, m}; }

const Field kLayout[] = {
    rawField(0, 30, &IniRecord::reserved0),
    intField(30, &IniRecord::KeyInputMode),
    intField(32, &IniRecord::MainWindowState),
    intField(34, &IniRecord::TotalsWindowState),
    rawField(36, 100, &IniRecord::reserved1),
    intField(136, &IniRecord::BlockMonths),
    intField(138, &IniRecord::MaxBlockLines),
    intField(140, &IniRecord::DisplayRows),
    intField(142, &IniRecord::ClosingDay),
    rawField(144, 98, &IniRecord::reserved2),
    textField(242, &IniRecord::LedgerPrintTitle),
    textField(272, &IniRecord::TotalsPrintTitle),
    textField(302, &IniRecord::PrintUserName),
    intField(332, &IniRecord::LedgerPaperSize),
    intField(334, &IniRecord::LedgerPrintColumn),
    intField(336, &IniRecord::LedgerPrintLine),
    intField(338, &IniRecord::TotalsPaperSize),
    intField(340, &IniRecord::TotalsPrintColumn),
    intField(342, &IniRecord::TotalsPrintLine),
    rawField(344, 100, &IniRecord::reserved3),
    intField(444, &IniRecord::TwoColumnItemBox),
    intField(446, &IniRecord::TaxRate),
    intField(448, &IniRecord::reservedInt),
};

} // namespace

void SettingsDefaults(IniRecord& r) {
    r.BlockMonths = 3;
    r.MaxBlockLines = 300;
    r.DisplayRows = 19;
    r.ClosingDay = 31;
    r.TaxRate = 10;
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
    for (const Field& f : kLayout) {
        switch (f.kind) {
        case FieldKind::Int: {
            auto u = static_cast<uint16_t>(r.*f.number);
            b[f.offset] = static_cast<char>(u & 0xFF);
            b[f.offset + 1] = static_cast<char>(u >> 8);
            break;
        }
        case FieldKind::Text: EncodeField(r.*f.text, f.width, &b[f.offset]); break;
        case FieldKind::Raw: {
            std::string raw = r.*f.text;
            raw.resize(f.width, ' ');
            b.replace(f.offset, f.width, raw);
            break;
        }
        }
    }
    return b;
}

void DecodeIniRecord(const std::string& b, IniRecord& r) {
    for (const Field& f : kLayout) {
        // A field the buffer does not reach keeps its current value.
        if (static_cast<int>(b.size()) < f.offset + f.width) continue;
        switch (f.kind) {
        case FieldKind::Int:
            r.*f.number = static_cast<int16_t>(static_cast<uint8_t>(b[f.offset]) |
                                               (static_cast<uint8_t>(b[f.offset + 1]) << 8));
            break;
        case FieldKind::Text:
            r.*f.text = DecodeFieldTrimmed(b.data() + f.offset, f.width);
            break;
        case FieldKind::Raw: r.*f.text = b.substr(f.offset, f.width); break;
        }
    }
}

namespace {

int g_readFailure = 0; // errno every read fails with; 0 = off

// Reads the whole file: 0 read, 1 no such file, -1 with the errno in `err`.
int readSettingsFile(const std::string& path, std::string& bytes, int& err) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        err = errno;
        return err == ENOENT ? 1 : -1;
    }
    if (g_readFailure != 0) {
        err = g_readFailure;
        return -1;
    }
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    bytes.clear();
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            ::close(fd);
            return -1;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return 0;
}

} // namespace

void SetSettingsReadFailure(int errnum) {
    g_readFailure = errnum;
}

int ReadSettings(const std::string& path, IniRecord& rec, std::string* why) {
    std::string buf;
    int err = 0;
    int r = readSettingsFile(path, buf, err);
    if (r == 1) {
        SettingsDefaults(rec);
        return 1;
    }
    if (r < 0) {
        if (why) {
            std::string folder, name;
            SplitPath(path, folder, name);
            *why = name + ": 環境設定ファイルを読み込めません。" + SystemErrorText(err);
        }
        return -1;
    }
    if (buf.size() > static_cast<size_t>(kIniRecordSize)) buf.resize(kIniRecordSize);
    // A short file: the fields it holds are taken, the rest keep the defaults.
    if (buf.size() < static_cast<size_t>(kIniRecordSize)) SettingsDefaults(rec);
    DecodeIniRecord(buf, rec);
    return 0;
}

int WriteSettings(const std::string& path, const IniRecord& rec) {
    // The record replaces the first 450 bytes; the bytes after it in a longer file stay. The
    // whole file goes through a temporary copy, so it is either the old or the new one. A file
    // that is there but cannot be read may hold the user's settings: it is left alone.
    std::string bytes;
    int err = 0;
    if (readSettingsFile(path, bytes, err) < 0) return -1;
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
