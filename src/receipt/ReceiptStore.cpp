#include "receipt/ReceiptStore.h"

#include "ledger/IoRecord.h"
#include "util/Csv.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <cstdio>
#include <filesystem>

namespace mrt {

namespace {

std::string yearFolder(const std::string& dataFolder, int year) {
    return JoinPath(JoinPath(dataFolder, kReceiptFolder), std::to_string(year));
}

std::string dateText(int32_t d) {
    char t[16];
    std::snprintf(t, sizeof t, "%04d/%02d/%02d", d / 10000, d / 100 % 100, d % 100);
    return t;
}

bool writeIndex(const std::string& folder, const std::vector<KeptReceipt>& rows) {
    CsvWriter csv;
    csv.Text("date").Text("item").Text("note").Text("shop").Text("amount").Text("hash").Text("file").EndRow();
    for (const KeptReceipt& r : rows)
        csv.Text(dateText(r.date))
            .Text(r.item)
            .Text(r.note)
            .Text(r.shop)
            .Number(r.amount)
            .Text(r.hash)
            .Text(r.file)
            .EndRow();
    return WriteWholeFile(JoinPath(folder, kReceiptIndexName), csv.Data());
}

bool sameLine(const KeptReceipt& k, const IoRecord& line) {
    return k.date == line.Year * 10000 + line.Month * 100 + line.Day && k.item == line.ItemName &&
           k.note == line.Note && k.shop == line.ShopName && k.amount == line.Expense;
}

} // namespace

std::string ContentHash(const std::string& bytes) {
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char t[20];
    std::snprintf(t, sizeof t, "%016llx", static_cast<unsigned long long>(h));
    return t;
}

bool ReadReceiptIndex(const std::string& dataFolder, int year, std::vector<KeptReceipt>& rows) {
    rows.clear();
    const std::string path = JoinPath(yearFolder(dataFolder, year), kReceiptIndexName);
    std::string bytes, error;
    if (!std::filesystem::exists(path)) return true;
    std::vector<CsvRecord> records;
    if (!ReadWholeFile(path, bytes) || !ParseCsv(bytes, records, error)) return false;
    for (size_t i = 1; i < records.size(); ++i) {
        const std::vector<std::string>& c = records[i].cells;
        if (c.size() < 7 || c[0].size() != 10) continue;
        KeptReceipt k;
        k.date =
            std::stoi(c[0].substr(0, 4)) * 10000 + std::stoi(c[0].substr(5, 2)) * 100 + std::stoi(c[0].substr(8, 2));
        k.item = c[1];
        k.note = c[2];
        k.shop = c[3];
        k.amount = std::stoll(c[4]);
        k.hash = c[5];
        k.file = c[6];
        rows.push_back(std::move(k));
    }
    return true;
}

int KeepReceiptImage(const std::string& dataFolder, const std::string& imagePath,
                     const std::vector<ProposedLine>& lines, std::string& error) {
    if (lines.empty()) return 0;
    std::string bytes;
    if (!ReadWholeFile(imagePath, bytes)) {
        error = "レシートの画像を読めません: " + imagePath;
        return -1;
    }
    const int32_t date = lines.front().date;
    const std::string folder = yearFolder(dataFolder, date / 10000);
    std::vector<KeptReceipt> rows;
    if (!MakeFolders(folder) || !ReadReceiptIndex(dataFolder, date / 10000, rows)) {
        error = "レシートの保存フォルダを用意できません: " + folder;
        return -1;
    }
    const std::string hash = ContentHash(bytes);
    std::string ext = std::filesystem::path(imagePath).extension().string();
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    char name[64];
    std::snprintf(name, sizeof name, "%08d-%s", date, hash.c_str());
    const std::string file = name + ext;
    if (!std::filesystem::exists(JoinPath(folder, file)) && !WriteWholeFile(JoinPath(folder, file), bytes)) {
        error = "レシートの画像を保存できません: " + JoinPath(folder, file);
        return -1;
    }
    for (const ProposedLine& l : lines)
        rows.push_back({l.date, l.item, l.note, l.shop, l.amount, hash, file});
    if (!writeIndex(folder, rows)) {
        error = "レシートの索引を書き込めません: " + JoinPath(folder, kReceiptIndexName);
        return -1;
    }
    return 0;
}

std::string ReceiptImageFor(const std::string& dataFolder, const IoRecord& line) {
    std::vector<KeptReceipt> rows;
    if (line.Expense <= 0 || !ReadReceiptIndex(dataFolder, line.Year, rows)) return {};
    for (const KeptReceipt& k : rows)
        if (sameLine(k, line)) return JoinPath(yearFolder(dataFolder, line.Year), k.file);
    return {};
}

int ForgetReceiptOf(const std::string& dataFolder, const IoRecord& line, bool removeImage) {
    std::vector<KeptReceipt> rows, kept;
    if (!ReadReceiptIndex(dataFolder, line.Year, rows)) return -1;
    std::string file;
    bool removed = false;
    for (KeptReceipt& k : rows) {
        if (!removed && sameLine(k, line)) {
            file = k.file;
            removed = true;
        } else {
            kept.push_back(std::move(k));
        }
    }
    if (!removed) return 0;
    const std::string folder = yearFolder(dataFolder, line.Year);
    if (!writeIndex(folder, kept)) return -1;
    bool used = false;
    for (const KeptReceipt& k : kept)
        used |= k.file == file;
    if (removeImage && !used) {
        std::error_code ec;
        std::filesystem::remove(JoinPath(folder, file), ec);
    }
    return 0;
}

} // namespace mrt
