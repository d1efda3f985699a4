#include "screens/MedicalScreen.h"

#include "medical/MedicalExport.h"
#include "port/Dialogs.h"
#include "totals/TotalsText.h"

#include <algorithm>
#include <filesystem>

namespace mrt {
namespace {} // namespace

MedicalScreen::MedicalScreen(const std::string& home, const LedgerIndex& idx, Dialogs& dlg)
    : m_home(home), m_idx(idx), m_dlg(dlg) {
    m_opt.persons = LoadMedicalPersons(home);
    m_opt.categories = LoadPayeeCategories(home);
}

void MedicalScreen::AskPersonsOnce() {
    if (!m_opt.persons.empty()) return;
    std::string text(60, ' ');
    if (m_dlg.InputKel(text,
                       "医療を受けた家族の名前を「、」で区切って入力してください。\n"
                       "内訳・備考にその名前がある支払が、その人の医療費になります。",
                       kMedicalTitle, 0, 0, "") != 0)
        return;
    SetPersons(text);
}

bool MedicalScreen::SetPersons(const std::string& list) {
    m_opt.persons = SplitNameList(list);
    if (SaveMedicalPersons(m_home, m_opt.persons)) return true;
    m_dlg.MsgOK("家族の名前を設定ファイルに保存できませんでした。", kMedicalTitle);
    return false;
}

int MedicalScreen::Collect() {
    std::string why;
    MedicalForm form;
    if (CollectMedicalForm(m_idx, m_opt, m_dlg, form, why) != 0) {
        // The rows of the year shown before must not be written under the new year's name.
        m_form = MedicalForm{};
        m_form.year = m_opt.year;
        m_dlg.MsgOK("入出金データが読めません。\n" + why, kMedicalTitle);
        return -1;
    }
    m_form = std::move(form);
    if (m_form.rows.empty()) {
        m_dlg.MsgOK(std::to_string(m_opt.year) + "年の医療費の支出はありません。", kMedicalTitle);
        return 1;
    }
    return 0;
}

void MedicalScreen::SetPerson(int row, const std::string& person) {
    if (row < 0 || row >= static_cast<int>(m_form.rows.size())) return;
    m_form.rows[row].person = person;
    MergeMedicalRows(m_form);
}

void MedicalScreen::SetCategory(int row, MedicalCategory c) {
    if (row < 0 || row >= static_cast<int>(m_form.rows.size())) return;
    MedicalRow& r = m_form.rows[row];
    r.category = c;
    auto& cats = m_opt.categories;
    auto same = std::find_if(cats.begin(), cats.end(), [&](const PayeeCategory& pc) { return pc.payee == r.payee; });
    if (same == cats.end())
        cats.push_back({r.payee, c});
    else
        same->category = c;
    if (!SavePayeeCategories(m_home, cats))
        m_dlg.MsgOK("支払先の区分を設定ファイルに保存できませんでした。", kMedicalTitle);
    MergeMedicalRows(m_form);
}

void MedicalScreen::SetReimbursed(int row, int64_t amount) {
    if (row < 0 || row >= static_cast<int>(m_form.rows.size())) return;
    // Insurance never pays back more than the row's own payments; the form gets no such row.
    m_form.rows[row].reimbursed = std::clamp<int64_t>(amount, 0, m_form.rows[row].amount);
}

std::vector<std::string> MedicalScreen::SummaryLines() const {
    std::vector<std::string> lines;
    for (const auto& [person, s] : MedicalSumsPerPerson(m_form))
        lines.push_back((person.empty() ? std::string("（未定）") : person) + "  支払 " +
                        (GroupedAmount(s.paid) + "円") + "  補填 " + (GroupedAmount(s.reimbursed) + "円"));
    const MedicalSums s = SumMedicalForm(m_form, m_income);
    lines.push_back("合計  支払 " + (GroupedAmount(s.paid) + "円") + "  補填 " + (GroupedAmount(s.reimbursed) + "円") +
                    "  差引 " + (GroupedAmount(s.threshold) + "円") + (m_income < 0 ? "（所得の入力なし）" : ""));
    lines.push_back("医療費控除額の見込み  " + (GroupedAmount(s.deduction) + "円"));
    return lines;
}

bool MedicalScreen::confirmUnknownPersons() {
    if (m_form.rows.empty()) {
        m_dlg.MsgOK("書き出す医療費の行がありません。", kMedicalTitle);
        return false;
    }
    bool unknown =
        std::any_of(m_form.rows.begin(), m_form.rows.end(), [](const MedicalRow& r) { return r.person.empty(); });
    return !unknown ||
           m_dlg.MsgYesNo("医療を受けた人が決まっていない行があります。このまま書き出しますか？", kMedicalTitle) == 0;
}

int MedicalScreen::ExportXlsx(const std::string& path) {
    if (!confirmUnknownPersons()) return -1;
    std::error_code ec;
    if (std::filesystem::exists(path, ec) &&
        m_dlg.MsgYesNo2("同じ名前のファイルがあります。\r\n" + path + "\r\n上書きしますか？", kMedicalTitle, 1) != 0)
        return -1;
    std::string why;
    if (!WriteMedicalXlsx(path, m_form, why)) {
        m_dlg.MsgOK(path + " に書き出せませんでした。\n" + why, kMedicalTitle);
        return -1;
    }
    return 0;
}

int MedicalScreen::ExportCsv(const std::string& path, CsvEncoding enc) {
    if (!confirmUnknownPersons()) return -1;
    CsvWriter csv;
    WriteMedicalCsv(csv, m_form);
    return WriteCsvFile(csv, enc, path, kMedicalTitle, m_dlg) == 0 ? 0 : -1;
}

} // namespace mrt
