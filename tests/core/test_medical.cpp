// The medical-expense form: lines grouped per person and payee with their category, the deduction
// estimate, and the spreadsheet the tool writes, read back cell by cell.
#include "medical/MedicalForm.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <regex>

using namespace mrt;
using namespace mrt::test;

namespace {

IoRecord line(int m, int d, const char* item, const char* note, const char* shop, int32_t expense, int32_t income = 0) {
    IoRecord r;
    r.Year = 2025;
    r.Month = static_cast<int16_t>(m);
    r.Day = static_cast<int16_t>(d);
    r.ItemName = item;
    r.Note = note;
    r.ShopName = shop;
    r.Expense = expense;
    r.Income = income;
    return r;
}

TEST(MedicalForm, CategoriesAndPersonsAreReadFromTheNames) {
    struct Case {
        const char* payee;
        const char* note;
        MedicalCategory want;
    } cases[] = {
        {"山田内科クリニック", "", MedicalCategory::Treatment},    {"さくら薬局", "", MedicalCategory::Medicine},
        {"ﾄﾞﾗｯｸﾞｽﾄｱ ﾐﾄﾞﾘ", "", MedicalCategory::Medicine},   // half-width katakana
        {"市立病院内 薬局", "", MedicalCategory::Treatment}, // a hospital first
        {"ひまわり", "デイサービス利用料", MedicalCategory::Care}, {"タクシー", "通院", MedicalCategory::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SuggestedCategory(c.payee, c.note), c.want) << c.payee;

    const std::vector<std::string> persons = {"花子", "山田花子", "ＴＡＲＯ"};
    EXPECT_EQ(PersonOfNote("山田花子 歯の治療", persons), "山田花子"); // the longest name that occurs
    EXPECT_EQ(PersonOfNote("taro 風邪", persons), "ＴＡＲＯ");         // width and case folded
    EXPECT_EQ(PersonOfNote("家族全員", persons), "");
    EXPECT_EQ(SplitNameList(" 太郎,花子、 次郎，太郎 ,"), (std::vector<std::string>{"太郎", "花子", "次郎"}));
}

// Two people, three payees, a refund line and a reimbursement: one row per person and payee, the
// user's category for a payee kept, the deduction estimate with and without an income.
TEST(MedicalForm, RowsPerPersonAndPayeeAndTheDeductionEstimate) {
    MedicalOptions opt;
    opt.year = 2025;
    opt.persons = {"太郎", "花子"};
    opt.categories = {{"みどり整体", MedicalCategory::Other}};
    std::vector<IoRecord> lines = {
        line(2, 3, "医療費", "花子", "中央病院", 40000),
        line(1, 9, "医療費", "太郎 風邪", "山田内科", 3000),
        line(3, 1, "医療費", "太郎", "ｻｸﾗ薬局", 1500),
        line(4, 2, "医療費", "太郎", "サクラ薬局", 2500),   // the same payee in full width
        line(4, 9, "医療費", "太郎", "サクラ薬局", 0, 500), // a refund lowers the row
        line(5, 5, "医療費", "花子", "みどり整体", 90000),
        line(6, 1, "医療費", "祖母", "山田内科", 7000), // nobody of the list: asked later
    };
    MedicalForm form = GroupMedicalLines(lines, opt);
    ASSERT_EQ(form.rows.size(), 5u);
    struct Want {
        const char* person;
        const char* payee;
        MedicalCategory category;
        int64_t amount;
        int32_t lastDate;
        int lines;
    } want[] = {
        {"太郎", "ｻｸﾗ薬局", MedicalCategory::Medicine, 3500, 20250402, 3}, // the refund is no payment date
        {"太郎", "山田内科", MedicalCategory::Treatment, 3000, 20250109, 1},
        {"花子", "みどり整体", MedicalCategory::Other, 90000, 20250505, 1},
        {"花子", "中央病院", MedicalCategory::Treatment, 40000, 20250203, 1},
        {"", "山田内科", MedicalCategory::Treatment, 7000, 20250601, 1},
    };
    for (size_t i = 0; i < form.rows.size(); ++i) {
        const MedicalRow& r = form.rows[i];
        EXPECT_EQ(r.person, want[i].person) << i;
        EXPECT_EQ(r.payee, want[i].payee) << i;
        EXPECT_EQ(r.category, want[i].category) << i;
        EXPECT_EQ(r.amount, want[i].amount) << i;
        EXPECT_EQ(r.lastDate, want[i].lastDate) << i;
        EXPECT_EQ(r.lines, want[i].lines) << i;
    }

    // Insurance pays 30,000 of the hospital and more than the pharmacy cost: the latter counts
    // only up to its own amount.
    form.rows[3].reimbursed = 30000;
    form.rows[0].reimbursed = 9999;
    MedicalSums s = SumMedicalForm(form, -1);
    EXPECT_EQ(s.paid, 143500);
    EXPECT_EQ(s.reimbursed, 33500);
    EXPECT_EQ(s.threshold, 100000);
    EXPECT_EQ(s.deduction, 10000);
    s = SumMedicalForm(form, 1'200'000); // 5 % of a small income is below 100,000
    EXPECT_EQ(s.threshold, 60000);
    EXPECT_EQ(s.deduction, 50000);
    // A huge income typed: no overflow, the threshold stays 100,000.
    s = SumMedicalForm(form, std::numeric_limits<int64_t>::max());
    EXPECT_EQ(s.threshold, 100000);
    EXPECT_EQ(s.deduction, 10000);

    // The grandmother named in the preview joins nobody's row; naming her 太郎 merges the rows.
    form.rows[4].person = "太郎";
    form.rows[4].category = MedicalCategory::Treatment;
    MergeMedicalRows(form);
    ASSERT_EQ(form.rows.size(), 4u);
    EXPECT_EQ(form.rows[1].amount, 10000);
    EXPECT_EQ(form.rows[1].lastDate, 20250601);
    auto perPerson = MedicalSumsPerPerson(form);
    ASSERT_EQ(perPerson.size(), 2u);
    EXPECT_EQ(perPerson[0].second.paid, 13500);
    EXPECT_EQ(perPerson[1].second.paid, 130000);
}

// The cells of the first sheet of an .xlsx file ("A1" → text or number), read with unzip.
std::map<std::string, std::string> sheetCells(const std::string& path) {
    auto unzip = [&](const char* member) {
        std::string out;
        std::FILE* p = ::popen(("unzip -p '" + path + "' " + member).c_str(), "r");
        if (!p) return out;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
        return out;
    };
    std::vector<std::string> strings;
    const std::string sst = unzip("xl/sharedStrings.xml");
    const std::regex si("<si><t[^>]*>([^<]*)</t></si>");
    for (auto it = std::sregex_iterator(sst.begin(), sst.end(), si); it != std::sregex_iterator(); ++it)
        strings.push_back((*it)[1]);
    std::map<std::string, std::string> cells;
    const std::string sheet = unzip("xl/worksheets/sheet1.xml");
    const std::regex cell(R"re(<c r="([A-Z]+[0-9]+)"([^>]*)><v>([^<]*)</v></c>)re");
    for (auto it = std::sregex_iterator(sheet.begin(), sheet.end(), cell); it != std::sregex_iterator(); ++it) {
        const std::string attrs = (*it)[2], value = (*it)[3];
        cells[(*it)[1]] = attrs.find("t=\"s\"") != std::string::npos ? strings.at(std::stoul(value)) : value;
    }
    return cells;
}

// The tool reads the year's lines of the medical item only and writes the form's spreadsheet; a
// year without them says so and writes nothing.
TEST(MedicalTool, WritesTheFormsSpreadsheetAndNothingForAnEmptyYear) {
    TempDir dir;
    const std::string home = "--home '" + dir / "home" + "' ";
    int status = 0;
    RunTool(home + "init --start 2024-12-01 --balance 300000", status);
    ASSERT_EQ(status, 0);
    const char* adds[] = {
        "--date 2024-12-20 --item 医療費 --note 太郎 --shop 山田内科 --expense 9000", // the year before
        "--date 2025-01-09 --item 医療費 --note 太郎 --shop 山田内科 --expense 3000",
        "--date 2025-02-03 --item 医療費 --note 花子 --shop 中央病院 --expense 40000",
        "--date 2025-02-04 --item 食費 --note 花子 --shop 中央病院 --expense 800", // another item
        "--date 2025-03-01 --item 医療費 --note 太郎 --shop さくら薬局 --expense 1500",
        "--date 2025-03-02 --item 医療費 --note 太郎 --shop さくら薬局 --expense 1000",
    };
    for (const char* a : adds) {
        RunTool(home + "add " + a, status);
        ASSERT_EQ(status, 0) << a;
    }
    const std::string out = dir / "form.xlsx";
    std::string err;
    RunTool(home + "medical 2025 --persons 太郎,花子 --out '" + out + "'", status, "", &err);
    ASSERT_EQ(status, 0) << err;
    auto cells = sheetCells(out);
    const std::map<std::string, std::string> want = {
        {"A1", "医療を受けた人"},
        {"B1", "病院・薬局などの支払先の名称"},
        {"C1", "医療費の区分"},
        {"D1", "支払った医療費の金額"},
        {"E1", "左のうち補填される金額"},
        {"F1", "支払年月日"},
        {"A2", "太郎"},
        {"B2", "さくら薬局"},
        {"C2", "医薬品購入"},
        {"D2", "2500"},
        {"E2", "0"},
        {"F2", "45718"}, // 2025-03-02 as the spreadsheet's day number
        {"A3", "太郎"},
        {"B3", "山田内科"},
        {"C3", "診療・治療"},
        {"D3", "3000"},
        {"E3", "0"},
        {"F3", "45666"},
        {"A4", "花子"},
        {"B4", "中央病院"},
        {"C4", "診療・治療"},
        {"D4", "40000"},
        {"E4", "0"},
        {"F4", "45691"},
    };
    EXPECT_EQ(cells, want);

    const std::string none = dir / "none.xlsx";
    RunTool(home + "medical 2026 --out '" + none + "'", status, "", &err);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("2026年の医療費の支出はありません"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(none));
}

} // namespace
