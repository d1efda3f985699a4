// Reading and writing the three name table files.
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/Paths.h"
#include "util/SystemError.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace mrt {
namespace {

constexpr int kItemFileValues = 2 + 20 + 50 + 20 + 50;

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

void showWriteError(Dialogs& dlg, const std::string& title, const std::string& path) {
    dlg.MsgBox("ファイルに書き込めませんでした。\n" + path, title, MsgIcon::Exclamation, MsgButtons::OK);
}

const char* kItemWriteTitle = "項目名ファイル書込みエラー";
const char* kBrkDnWriteTitle = "内訳・備考ファイル書込みエラー";
const char* kShopWriteTitle = "店名・相手先ファイル書込みエラー";

// Splits the comma-separated text of the item file into values: a quoted value runs to the
// next quotation mark (anything after it up to the delimiter is ignored), a bare value to the
// next comma or line end with surrounding blanks removed. Line ends are CR LF, LF or CR.
class ValueReader {
public:
    explicit ValueReader(std::string_view text) : m_text(text) {}

    bool next(std::string& value) {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
        if (m_pos >= m_text.size()) return false;
        value.clear();
        if (m_text[m_pos] == '"') {
            size_t end = m_text.find('"', m_pos + 1);
            if (end == std::string_view::npos) return false;
            value.assign(m_text.substr(m_pos + 1, end - m_pos - 1));
            m_pos = end + 1;
            while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
        } else {
            size_t start = m_pos;
            while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
            value = TrimRight(m_text.substr(start, m_pos - start));
        }
        skipDelimiter();
        return true;
    }

    // True when nothing but blanks, line ends, NULs and an end-of-file mark (0x1A) is left.
    bool atEnd() const {
        return m_text.find_first_not_of(std::string_view(" \t\r\n\x1a\0", 6), m_pos) == std::string_view::npos;
    }

private:
    static bool isDelimiter(char c) { return c == ',' || c == '\r' || c == '\n'; }
    void skipDelimiter() {
        if (m_pos >= m_text.size()) return;
        if (m_text[m_pos] == ',') {
            ++m_pos;
        } else if (m_text[m_pos] == '\r') {
            ++m_pos;
            if (m_pos < m_text.size() && m_text[m_pos] == '\n') ++m_pos;
        } else if (m_text[m_pos] == '\n') {
            ++m_pos;
        }
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

bool readInt(ValueReader& r, int16_t& out) {
    std::string v;
    if (!r.next(v)) return false;
    int n = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || p != v.data() + v.size() || n < -32768 || n > 32767) return false;
    out = static_cast<int16_t>(n);
    return true;
}

// True when order[1..max] holds each of 1..max once and 0 <= count <= max.
bool isPermutation(const int16_t* order, int max, int count) {
    if (count < 0 || count > max) return false;
    std::array<bool, kNameMax + 1> seen{};
    for (int p = 1; p <= max; ++p) {
        int s = order[p];
        if (s < 1 || s > max || seen[s]) return false;
        seen[s] = true;
    }
    return true;
}

void putInt16(std::string& out, int v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

int getInt16(std::string_view bytes, size_t at) {
    return static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

using NameListArray = std::array<NameListRecord, kItemKeyMax + 1>;

// Sets *why to "<file name>: <reason>" and returns -1.
int refuse(std::string* why, const std::string& path, const std::string& reason) {
    if (why) {
        std::string folder, name;
        SplitPath(path, folder, name);
        *why = name + ": " + reason;
    }
    return -1;
}

std::string readError() {
    return SystemErrorText(errno);
}

int loadNameListFile(const std::string& given, NameListArray& recs, int nameBytes, int recordBytes, bool completeOnDisk,
                     std::string* why) {
    std::string path = ResolvePath(given);
    if (!fileExists(path)) return 1;
    std::string data;
    if (!ReadWholeFile(path, data)) return refuse(why, path, readError());
    // A trailing part of a record is a cut-off write, more than 70 records not this table: the
    // file is damaged. A short file of whole records is completed with default lists.
    size_t held = data.size() / recordBytes;
    if (data.size() % recordBytes != 0 || held > kItemKeyMax)
        return refuse(why, path,
                      "長さ " + std::to_string(data.size()) + " バイトが" + std::to_string(recordBytes) +
                          "バイトの記録 " + std::to_string(kItemKeyMax) + " 件以内の大きさではありません");

    NameListArray loaded = recs;
    std::string completed;
    for (int key = 1; key <= kItemKeyMax; ++key) {
        if (static_cast<size_t>(key) <= held) {
            std::string_view rec(data.data() + static_cast<size_t>(key - 1) * recordBytes, recordBytes);
            if (!DecodeNameList(rec, nameBytes, loaded[key]))
                return refuse(why, path, std::to_string(key) + "件目の記録が異常です (件数・順序・文字コード)");
        } else {
            loaded[key] = DefaultNameList();
            completed += EncodeNameList(loaded[key], nameBytes);
        }
    }
    if (!completed.empty() && completeOnDisk) {
        data.resize(held * recordBytes);
        if (!WriteWholeFile(path, data + completed)) return refuse(why, path, "不足分を書き込めません");
    }
    recs = loaded;
    return 0;
}

int saveNameListFile(const std::string& given, const NameListArray& recs, int nameBytes, Dialogs& dlg,
                     const char* title) {
    std::string path = ResolvePath(given);
    std::string data;
    for (int key = 1; key <= kItemKeyMax; ++key)
        data += EncodeNameList(recs[key], nameBytes);
    if (!WriteWholeFile(path, data)) {
        showWriteError(dlg, title, path);
        return -1;
    }
    return 0;
}

int saveNameListRecord(const std::string& given, int key, const NameListArray& recs, int nameBytes, int recordBytes,
                       Dialogs& dlg, const char* title) {
    if (key < 1 || key > kItemKeyMax) return -1;
    std::string path = ResolvePath(given);
    std::string data;
    if (fileExists(path) && !ReadWholeFile(path, data)) {
        showWriteError(dlg, title, path);
        return -1;
    }
    size_t held = std::min<size_t>(data.size() / recordBytes, kItemKeyMax);
    data.resize(held * recordBytes);
    for (int k = static_cast<int>(held) + 1; k <= kItemKeyMax; ++k)
        data += EncodeNameList(recs[k], nameBytes);
    data.replace(static_cast<size_t>(key - 1) * recordBytes, recordBytes, EncodeNameList(recs[key], nameBytes));
    if (!WriteWholeFile(path, data)) {
        showWriteError(dlg, title, path);
        return -1;
    }
    return 0;
}

} // namespace

ItemRecord::ItemRecord() {
    for (int kind = 0; kind < 2; ++kind)
        for (int p = 1; p <= ItemMax[kind]; ++p)
            ItemOrder[kind][p] = static_cast<int16_t>(p);
}

NameListRecord::NameListRecord() {
    for (int p = 1; p <= kNameMax; ++p)
        NameOrder[p] = static_cast<int16_t>(p);
}

NameListRecord DefaultNameList() {
    NameListRecord rec;
    rec.NameCount = 1;
    rec.NameText[1] = "その他";
    return rec;
}

NameFilePaths NameFilesIn(const std::string& dataFolder) {
    return {ResolveCase(dataFolder, kItemFileName), ResolveCase(dataFolder, kBrkDnFileName),
            ResolveCase(dataFolder, kShopFileName)};
}

std::string EncodeNameList(const NameListRecord& rec, int nameBytes) {
    std::string out;
    out.reserve(2 + 2 * kNameMax + kNameMax * nameBytes);
    putInt16(out, rec.NameCount);
    for (int p = 1; p <= kNameMax; ++p)
        putInt16(out, rec.NameOrder[p]);
    std::string field(nameBytes, ' ');
    for (int s = 1; s <= kNameMax; ++s) {
        // Names are checked at input; a name that still cannot be stored is written as "?"s.
        EncodeField(rec.NameText[s], nameBytes, field.data());
        out += field;
    }
    return out;
}

bool DecodeNameList(std::string_view bytes, int nameBytes, NameListRecord& rec) {
    if (bytes.size() < static_cast<size_t>(2 + 2 * kNameMax + kNameMax * nameBytes)) return false;
    NameListRecord r;
    r.NameCount = static_cast<int16_t>(getInt16(bytes, 0));
    for (int p = 1; p <= kNameMax; ++p)
        r.NameOrder[p] = static_cast<int16_t>(getInt16(bytes, 2 * p));
    if (!isPermutation(r.NameOrder.data(), kNameMax, r.NameCount)) return false;
    size_t at = 2 + 2 * kNameMax;
    for (int s = 1; s <= kNameMax; ++s, at += nameBytes) {
        if (!IsCp932Bytes(bytes.substr(at, nameBytes), true)) return false;
        r.NameText[s] = NulToBlankTrim(DecodeField(bytes.data() + at, nameBytes));
    }
    rec = r;
    return true;
}

int LoadItemTable(const std::string& given, NameTables& t, std::string* why) {
    std::string path = ResolvePath(given);
    if (!fileExists(path)) return 1;
    std::string raw;
    if (!ReadWholeFile(path, raw)) return refuse(why, path, readError());
    // Names read from another encoding would be listed as garbage and written back as such.
    if (LooksLikeUtf8(raw)) return refuse(why, path, "UTF-8 で保存されています (シフトJIS (CP932) が必要です)");
    if (!IsCp932Bytes(raw)) return refuse(why, path, "シフトJIS (CP932) のテキストではありません");
    std::string text = FromCp932(raw);

    ItemRecord items;
    ValueReader r(text);
    const char* kEnded = "値が足りないか数値が異常です";
    if (!readInt(r, items.ItemCount[0]) || !readInt(r, items.ItemCount[1])) return refuse(why, path, kEnded);
    for (int kind = 0; kind < 2; ++kind) {
        for (int p = 1; p <= ItemMax[kind]; ++p)
            if (!readInt(r, items.ItemOrder[kind][p])) return refuse(why, path, kEnded);
        if (!isPermutation(items.ItemOrder[kind].data(), ItemMax[kind], items.ItemCount[kind]))
            return refuse(why, path, "項目の件数または順序が異常です");
    }
    for (int kind = 0; kind < 2; ++kind)
        for (int s = 1; s <= ItemMax[kind]; ++s)
            if (!r.next(items.ItemText[kind][s])) return refuse(why, path, kEnded);
    if (!r.atEnd()) return refuse(why, path, "141 行の後にも値があります");
    t.items = items;
    return 0;
}

int SaveItemTable(const std::string& given, const NameTables& t, Dialogs& dlg) {
    std::string path = ResolvePath(given);
    const ItemRecord& it = t.items;
    if (it.ItemCount[0] == 0 && it.ItemCount[1] == 0) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        if (ec && fileExists(path)) {
            showWriteError(dlg, kItemWriteTitle, path);
            return -1;
        }
        return 0;
    }
    std::string text = std::to_string(it.ItemCount[0]) + "," + std::to_string(it.ItemCount[1]) + "\r\n";
    for (int kind = 0; kind < 2; ++kind)
        for (int p = 1; p <= ItemMax[kind]; ++p)
            text += std::to_string(it.ItemOrder[kind][p]) + "\r\n";
    bool storable = true;
    for (int kind = 0; kind < 2; ++kind) {
        for (int s = 1; s <= ItemMax[kind]; ++s) {
            const std::string& name = it.ItemText[kind][s];
            // A quotation mark or line break would change the file's structure.
            if (name.find_first_of("\"\r\n") != std::string::npos) storable = false;
            text += "\"" + name + "\"\r\n";
        }
    }
    std::string bytes;
    if (!storable || !ToCp932(text, bytes) || !WriteWholeFile(path, bytes)) {
        showWriteError(dlg, kItemWriteTitle, path);
        return -1;
    }
    return 0;
}

int LoadBrkDnTable(const std::string& path, NameTables& t, bool completeOnDisk, std::string* why) {
    return loadNameListFile(path, t.brkDn, kBrkDnTextBytes, kBrkDnRecordBytes, completeOnDisk, why);
}

int LoadShopTable(const std::string& path, NameTables& t, bool completeOnDisk, std::string* why) {
    return loadNameListFile(path, t.shop, kShopTextBytes, kShopRecordBytes, completeOnDisk, why);
}

std::vector<std::string> CheckNameFiles(const NameFilePaths& files) {
    std::vector<std::string> out;
    NameTables t;
    std::string why;
    if (LoadItemTable(files.item, t, &why) < 0) out.push_back(why);
    if (LoadBrkDnTable(files.brkDn, t, false, &why) < 0) out.push_back(why);
    if (LoadShopTable(files.shop, t, false, &why) < 0) out.push_back(why);
    return out;
}

int SaveBrkDnTable(const std::string& path, const NameTables& t, Dialogs& dlg) {
    return saveNameListFile(path, t.brkDn, kBrkDnTextBytes, dlg, kBrkDnWriteTitle);
}

int SaveShopTable(const std::string& path, const NameTables& t, Dialogs& dlg) {
    return saveNameListFile(path, t.shop, kShopTextBytes, dlg, kShopWriteTitle);
}

int SaveBrkDnRecord(const std::string& path, int key, const NameTables& t, Dialogs& dlg) {
    return saveNameListRecord(path, key, t.brkDn, kBrkDnTextBytes, kBrkDnRecordBytes, dlg, kBrkDnWriteTitle);
}

int SaveShopRecord(const std::string& path, int key, const NameTables& t, Dialogs& dlg) {
    return saveNameListRecord(path, key, t.shop, kShopTextBytes, kShopRecordBytes, dlg, kShopWriteTitle);
}

} // namespace mrt
