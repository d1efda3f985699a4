#pragma once
// The medical-expense deduction form: the year's lines of the medical items, summed per person
// who was treated and per payee, with the category the form asks for and what insurance paid back.
#include "ledger/IoRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

struct LedgerIndex;
class Dialogs;

// The form's four categories, in its column order.
enum class MedicalCategory { Treatment, Medicine, Care, Other };
inline constexpr int kMedicalCategoryCount = 4;
// "診療・治療", "医薬品購入", "介護保険サービス", "その他の医療費".
const char* MedicalCategoryText(MedicalCategory c);
// The category named by its form text; false for any other text.
bool MedicalCategoryOfText(const std::string& text, MedicalCategory& c);

// The category a payee's name or a line's breakdown suggests (病院 → 診療・治療, 薬局 → 医薬品購入,
// 介護 → 介護保険サービス), else その他の医療費.
MedicalCategory SuggestedCategory(const std::string& payee, const std::string& note);

// A category the user chose for a payee; it wins over the suggestion.
struct PayeeCategory {
    std::string payee;
    MedicalCategory category = MedicalCategory::Other;
};

struct MedicalOptions {
    int year = 0;
    std::vector<std::string> items{"医療費"}; // the item names whose lines count
    std::vector<std::string> persons;         // the household's members, matched in the breakdown
    std::vector<PayeeCategory> categories;    // the user's choices
};

// One row of the form: one person, one payee, one category.
struct MedicalRow {
    std::string person; // empty: no member named in the breakdown (asked in the preview)
    std::string payee;
    MedicalCategory category = MedicalCategory::Other;
    int64_t amount = 0;
    int64_t reimbursed = 0;
    int32_t lastDate = 0; // yyyymmdd of the group's last payment
    int lines = 0;
};

struct MedicalForm {
    int year = 0;
    std::vector<MedicalRow> rows; // by person (members in their order, unknown last), then payee
};

// The member named in a line's breakdown (width and letter case folded); empty when none is.
std::string PersonOfNote(const std::string& note, const std::vector<std::string>& persons);

// Groups lines (already those of the year and items) into the form's rows.
MedicalForm GroupMedicalLines(const std::vector<IoRecord>& lines, const MedicalOptions& opt);

// Reads the year's lines of the chosen items from the ledger (that year's file only) and groups
// them. 0 done (rows may be empty), -1 the year file could not be read (`why` says why).
int CollectMedicalForm(const LedgerIndex& idx, const MedicalOptions& opt, Dialogs& dlg, MedicalForm& form,
                       std::string& why);

// Rows that differ only in the person after the user named it are merged again.
void MergeMedicalRows(MedicalForm& form);

struct MedicalSums {
    int64_t paid = 0;       // every row's amount
    int64_t reimbursed = 0; // each row's reimbursement, never more than its own amount
    int64_t threshold = 0;  // min(100,000, 5 % of the income)
    int64_t deduction = 0;  // paid − reimbursed − threshold, 0..2,000,000
};
// The deduction estimate; `income` < 0 when the user gave none (the threshold is then 100,000).
MedicalSums SumMedicalForm(const MedicalForm& form, int64_t income);
// Paid and reimbursed per person, in the rows' order.
std::vector<std::pair<std::string, MedicalSums>> MedicalSumsPerPerson(const MedicalForm& form);

// The household members and the payee categories as kept in the home's settings file.
std::vector<std::string> LoadMedicalPersons(const std::string& home);
bool SaveMedicalPersons(const std::string& home, const std::vector<std::string>& persons);
std::vector<PayeeCategory> LoadPayeeCategories(const std::string& home);
bool SavePayeeCategories(const std::string& home, const std::vector<PayeeCategory>& categories);
// The list "a,b、c" split at commas (ASCII, full-width or ideographic) and trimmed; empty parts dropped.
std::vector<std::string> SplitNameList(const std::string& text);

} // namespace mrt
