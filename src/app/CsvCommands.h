#pragma once
#include "ledger/LedgerImport.h"
#include "util/Csv.h"

#include <string>

namespace mrt {

class Dialogs;
struct AppState;

// Help page (main help file) of the search and the CSV export and import.
constexpr int kSearchCsvHelpTopic = 106;

// The folder last used for a CSV file (imported from or written to), kept in the home folder's
// mrtkel.conf; `fallback` when none is kept or the folder is gone.
inline constexpr const char* kLastCsvFolderKey = "LastCsvFolder";
std::string CsvStartFolder(const std::string& home, const std::string& fallback);

// ---- CSV取込: the steps around the preview window ----

// Asks for the file to import (one "*.csv" from the file chooser, starting in the folder last
// used for a CSV file, else in `fallback`), remembers its folder and reads it. False when the
// user cancelled or the file cannot be read (message shown).
bool ChooseImportFile(Dialogs& dlg, const std::string& home, const std::string& fallback, std::string& path,
                      std::string& bytes);
// The plan for the file against the program's ledger, names and tax rate.
ImportPlan PlanAppImport(const AppState& app, const std::string& bytes, bool registerItems);
// Carries out a ready plan and says how it went. 0 lines were added; 1 nothing was added.
int RunAppImport(AppState& app, const ImportPlan& plan, Dialogs& dlg);

// ---- CSV出力 ----

// The export window's fields: a date range (blank sides are the ledger's first and last days),
// the encoding and the file. Checks them (messages through `dlg`), writes the file and reports
// the number of lines. 0 written (the file's folder is remembered for the next CSV file); 1 the
// user should correct a field or kept an existing file; -1 failed (message shown).
int RunAppExport(const AppState& app, const std::string& from, const std::string& to, CsvEncoding enc,
                 const std::string& path, Dialogs& dlg);
// The same for the budget of the year typed (the budget as the budget window shows it).
int RunAppBudgetExport(const AppState& app, const std::string& year, CsvEncoding enc, const std::string& path,
                       Dialogs& dlg);

} // namespace mrt
