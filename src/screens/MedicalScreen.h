#pragma once
// The medical-expense form's window without its widgets: the year's rows, the user's corrections
// (who was treated, the category, what insurance paid back), the estimate and the files written.
#include "medical/MedicalForm.h"
#include "util/Csv.h"

#include <string>
#include <vector>

namespace mrt {

struct LedgerIndex;
class Dialogs;

inline constexpr const char* kMedicalTitle = "医療費控除の集計";

class MedicalScreen {
public:
    MedicalScreen(const std::string& home, const LedgerIndex& idx, Dialogs& dlg);

    MedicalOptions& Options() { return m_opt; }
    const MedicalForm& Form() const { return m_form; }

    // Asks once for the household's members when none are kept yet, and keeps the answer.
    void AskPersonsOnce();
    // Keeps the member list typed in the window.
    bool SetPersons(const std::string& list);

    // Reads the year's rows anew (corrections made so far are dropped). 0 rows found; 1 none (said
    // on screen); -1 the ledger could not be read (said on screen).
    int Collect();

    void SetPerson(int row, const std::string& person);
    // The category of the row; kept for the payee and used next time.
    void SetCategory(int row, MedicalCategory c);
    void SetReimbursed(int row, int64_t amount);
    // −1: no income given.
    void SetIncome(int64_t income) { m_income = income; }

    // Per person and for the household: paid, reimbursed, and the deduction estimate.
    std::vector<std::string> SummaryLines() const;

    // Writes the form; rows whose person is not known yet are asked about first. 0 written,
    // -1 not written (said on screen or declined).
    int ExportXlsx(const std::string& path);
    int ExportCsv(const std::string& path, CsvEncoding enc);

private:
    bool confirmUnknownPersons();
    std::string m_home;
    const LedgerIndex& m_idx;
    Dialogs& m_dlg;
    MedicalOptions m_opt;
    MedicalForm m_form;
    int64_t m_income = -1;
};

} // namespace mrt
