#include "ledger/LedgerCheck.h"

#include "ledger/AmountExpr.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerFiles.h"
#include "ledger/LineRules.h"
#include "util/DateText.h"
#include "util/FileCopy.h"
#include "util/Paths.h"

#include <cctype>
#include <map>

namespace mrt {
namespace {

// Years of the files "<prefix>yyyy<ext>" in the prefix's folder, mapped to the file name.
std::map<int, std::string> listYears(const std::string& prefixPath, const std::string& ext) {
    std::string folder, prefix;
    SplitPath(prefixPath, folder, prefix);
    std::vector<std::string> names;
    std::map<int, std::string> years;
    if (ListFiles(folder.empty() ? "." : folder, prefix + "*" + ext, names, true) < 0) return years;
    for (const std::string& n : names)
        if (int year = YearOfFileName(n, prefixPath, ext); year >= 0) years[year] = n;
    return years;
}

std::string monthLabel(const std::string& file, int month) {
    return file + " " + std::to_string(month) + "月: ";
}

struct Walk {
    bool haveLine = false;
    bool checkStart = true; // lines before the first one are reported
    int32_t startNum = 0;   // date of the ledger's first line
    int32_t balance = 0;
    int firstYearWithLines = 0;
};

// Checks the information file `infName` of `year` and its year file (when `ioYears` has one),
// the lines following on from `walk`.
void checkYear(const LedgerIndex& names, int year, const std::string& infName,
               const std::map<int, std::string>& ioYears, Walk& walk, std::vector<std::string>& out) {
    ByteBuffer lineBytes, endBytes;
    int& firstYearWithLines = walk.firstYearWithLines;
    LedgerIndex one = names;
    one.FirstYear = year;
    std::string infPath = InfFileName(one, 1);
    std::string data;
    if (!ReadWholeFile(infPath, data)) {
        out.push_back(infName + ": 読み込めません。");
        return;
    }
    if (data.size() != 12 * kInfRecordSize)
        out.push_back(infName + ": 長さ " + std::to_string(data.size()) + " バイトが12か月分の " +
                      std::to_string(12 * kInfRecordSize) + " バイトではありません。");
    bool countsSound = true;
    int32_t yearLines = 0;
    for (int m = 1; m <= 12; ++m) {
        InfRecord r;
        if (static_cast<size_t>(m * kInfRecordSize) <= data.size())
            r = DecodeInfRecord(data.data() + (m - 1) * kInfRecordSize);
        one.Inf(1, m) = r;
        if (r.Capacity < 1 || r.LineCount < 0 || r.LineCount > r.Capacity - 1) {
            out.push_back(monthLabel(infName, m) + "行数 " + std::to_string(r.LineCount) + " が容量 " +
                          std::to_string(r.Capacity) + " - 1 を超えています。");
            countsSound = false;
        }
        yearLines += std::max<int>(r.LineCount, 0);
    }
    if (yearLines > 0) {
        if (firstYearWithLines == 0) firstYearWithLines = year;
        if (year - firstYearWithLines >= kMaxLedgerYears)
            out.push_back(infName + ": 開始年から" + std::to_string(kMaxLedgerYears) + "年を超えています。");
    }
    auto io = ioYears.find(year);
    if (io == ioYears.end()) {
        if (yearLines > 0) out.push_back(infName + ": 入出金ファイルがないのに行数があります。");
        return;
    }
    if (!countsSound) return;
    const std::string& ioName = io->second;
    // Only the lines and region ends the information file names are read, and a line's text
    // is checked in its bytes; labels are built for reported lines only.
    IoFileReader file;
    if (file.OpenPath(IoFileName(one, year), false) < 0) {
        out.push_back(ioName + ": 読み込めません。");
        return;
    }
    // An empty year file of a year without lines is what an open of a missing file left.
    if (file.Size() == 0 && yearLines == 0) return;
    if (file.Size() % kIoRecordSize != 0)
        out.push_back(ioName + ": 長さ " + std::to_string(file.Size()) + " が108の倍数ではありません。");
    std::array<int, 13> ms = MonthStartTable(one, 1);
    for (int m = 1; m <= 12; ++m) {
        if (ms[m] > file.RecordCount()) {
            out.push_back(monthLabel(ioName, m) + "領域がファイルの終わりを超えています。");
            break;
        }
        const int count = one.Inf(1, m).LineCount;
        if (!file.Read(ms[m], 1, endBytes) || !file.Read(ms[m - 1] + 1, count, lineBytes)) {
            out.push_back(ioName + ": 読み込めません。");
            break;
        }
        if (EncodedYear(endBytes.data()) != kRegionEndYear)
            out.push_back(monthLabel(ioName, m) + "領域の終わりの記録がありません。");
        for (int k = 1; k <= count; ++k) {
            const char* src = lineBytes.data() + static_cast<size_t>(k - 1) * kIoRecordSize;
            const IoRecord rec = DecodeIoNumbers(src);
            auto at = [&] { return monthLabel(ioName, m) + std::to_string(k) + "行目 "; };
            // A line reported for its date still passes its balance on, so the line after it
            // is not reported as well.
            if (rec.Year != year || rec.Month != m) {
                out.push_back(at() + "年月が違います (" + std::to_string(rec.Year) + "/" + std::to_string(rec.Month) +
                              ")。");
                if (walk.haveLine) walk.balance = rec.Balance;
                continue;
            }
            // A stored line's day must be real and its amounts in the line rules' range; its year
            // is the file's, which the ledger-wide rules (start year, fifty years) judge.
            if (!IsValidDate(rec.Year, rec.Month, rec.Day)) {
                out.push_back(at() + "日付が異常です (日 " + std::to_string(rec.Day) + ")。");
                if (walk.haveLine) walk.balance = rec.Balance;
                continue;
            }
            if (std::string why = EncodedTextDamage(src); !why.empty()) out.push_back(at() + why + "。");
            if (!IsLedgerAmount(rec.Income) || !IsLedgerAmount(rec.Expense))
                out.push_back(at() + "金額が 0～99,999,999 の範囲外です (入金 " + std::to_string(rec.Income) +
                              "、出金 " + std::to_string(rec.Expense) + ")。");
            int32_t num = DateNum(rec);
            if (!walk.haveLine) {
                walk.haveLine = true;
                walk.startNum = num;
                walk.balance = rec.Balance;
                continue;
            }
            if (walk.checkStart && num < walk.startNum)
                out.push_back(at() + FormatDate(rec.Year, rec.Month, rec.Day) + " は開始日付より前です。");
            int32_t expected = 0;
            if (!BalanceAfter(walk.balance, rec, expected))
                out.push_back(at() + "残高が32ビットの範囲を超えます。");
            else if (expected != rec.Balance)
                out.push_back(at() + "残高 " + std::to_string(rec.Balance) + " が前の行から求めた " +
                              std::to_string(expected) + " と違います。");
            walk.balance = rec.Balance;
        }
    }
}

} // namespace

std::vector<std::string> CheckLedgerFiles(const LedgerIndex& names) {
    std::vector<std::string> out;
    std::map<int, std::string> infYears = listYears(names.InfPrefix, names.InfExtension);
    std::map<int, std::string> ioYears = listYears(names.IoPrefix, names.IoExtension);
    for (const auto& [year, file] : ioYears)
        if (!infYears.count(year)) out.push_back(file + ": 入出金情報ファイルがありません。");
    Walk walk;
    for (const auto& [year, infName] : infYears)
        checkYear(names, year, infName, ioYears, walk, out);
    return out;
}

std::vector<std::string> CheckLedgerYear(const LedgerIndex& names, int year) {
    std::vector<std::string> out;
    std::map<int, std::string> infYears = listYears(names.InfPrefix, names.InfExtension);
    std::map<int, std::string> ioYears = listYears(names.IoPrefix, names.IoExtension);
    auto inf = infYears.find(year);
    if (inf == infYears.end()) {
        if (auto io = ioYears.find(year); io != ioYears.end())
            out.push_back(io->second + ": 入出金情報ファイルがありません。");
        return out;
    }
    Walk walk;
    walk.checkStart = false;
    checkYear(names, year, inf->second, ioYears, walk, out);
    return out;
}

} // namespace mrt
