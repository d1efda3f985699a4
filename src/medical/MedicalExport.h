#pragma once
// The medical-expense form written out: the spreadsheet the tax agency's filing site reads, and CSV.
#include "medical/MedicalForm.h"
#include "util/Csv.h"

#include <string>

namespace mrt {

// The form's header row, in its column order.
const std::vector<std::string>& MedicalFormHeader();

// One row per person and payee under the header; amounts as numbers, the date as yyyy/mm/dd.
void WriteMedicalCsv(CsvWriter& out, const MedicalForm& form);

// Writes the form as an .xlsx workbook of one sheet: the whole file or, on failure, nothing (an
// existing file stays as it was). False with the reason in `why`.
bool WriteMedicalXlsx(const std::string& path, const MedicalForm& form, std::string& why);

} // namespace mrt
