#pragma once
#include "backup/BackupCopy.h"
#include "util/Clock.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

// Dated copies of the data folder kept below the backup folder: "Data1/BU/gen/YYYY-MM-DD/". A
// generation is built in a temporary folder ("YYYY-MM-DD.tmp~") and renamed into place once every
// file is durable and verified, so a folder named by a bare date is always whole and sound. One
// that does not verify is renamed "YYYY-MM-DD.bad" (".bad2", ...) and never counts as good.
inline constexpr const char* kGenerationFolderName = "gen";

// How many generations are kept, from the home folder's settings file (mrtkel.conf): every day
// of the last `days`, then the newest of each calendar week for `weeks` weeks, then the newest of
// each calendar month for `months` months.
struct GenerationCounts {
    int days = 7;
    int weeks = 5;
    int months = 12;
};
inline constexpr const char* kGenerationDaysKey = "GenerationDays";
inline constexpr const char* kGenerationWeeksKey = "GenerationWeeks";
inline constexpr const char* kGenerationMonthsKey = "GenerationMonths";
// The counts of `home`; a missing or unreadable value keeps its default (negative ones count 0).
GenerationCounts ReadGenerationCounts(const std::string& home);

// Days since 1970-01-01 of a civil date, and back.
int64_t DayNumber(const CivilDate& d);
CivilDate DateOfDayNumber(int64_t days);
// "YYYY-MM-DD"; ParseGenerationDate accepts exactly that form of a real date.
std::string GenerationDateText(const CivilDate& d);
bool ParseGenerationDate(const std::string& text, CivilDate& d);

// The dates among `dates` (the good generations) that are kept on `today`: those of the last
// `days` days (today included), the newest of each calendar week (Monday first) that began within
// days + 7 × weeks days, the newest of each of the last `months` calendar months, and always the
// newest of all. Sorted, oldest first.
std::vector<CivilDate> GenerationsToKeep(std::vector<CivilDate> dates, const CivilDate& today,
                                         const GenerationCounts& counts);

// One folder of "gen/": a good generation or one kept aside.
struct GenerationInfo {
    CivilDate date;
    std::string folder;   // full path, ending in "/"
    bool good = false;    // named by its bare date
    int files = 0;        // data files it holds
    int64_t bytes = 0;    // their sizes summed: the size of the data folder that day
    int64_t ownBytes = 0; // bytes of the files stored in it alone (not shared by hard links)
};
// The generations below `backupFolder`, oldest first (a good one before those kept aside of its
// date). Temporary folders are left out.
std::vector<GenerationInfo> ListGenerations(const std::string& backupFolder);
// The good generation of that date; false when there is none.
bool FindGoodGeneration(const std::string& backupFolder, const std::string& dateText, GenerationInfo& found);

// What KeepGeneration did.
struct GenerationReport {
    bool made = false;                // a good generation of today was made
    bool keptAside = false;           // today's copy did not verify and was renamed aside
    std::string folder;               // the folder made (good or aside)
    CopyFailure failure;              // why it did not verify or could not be made
    std::vector<std::string> removed; // dates of generations removed by thinning
};

// Makes today's generation of the data files of `dataFolder` (its regular files, temporary ones
// left out) unless a good one of today exists or nothing changed since the newest good one; a
// file of the same name, size and modification time as in the newest good generation is linked
// to it, the others are copied. The new generation is verified (the copied files read back
// through the loaders of a start, the ledger scanned) before it takes its date. Then the
// generations the counts no longer keep are removed (renamed to a temporary name first).
// 0 done (also when today's copy was kept aside: see `report`); -1 it could not be made
// (`report.failure` says why; the older generations and the data folder are untouched).
int KeepGeneration(const std::string& dataFolder, const std::string& backupFolder, const CivilDate& today,
                   const GenerationCounts& counts, GenerationReport& report);

// The step of a clean start: KeepGeneration for the clock's today with the counts of `home`. A
// copy kept aside or a generation that could not be made is reported with a message; the start
// goes on either way (the data folder and the backup folder are sound).
void KeepGenerationAtStart(const std::string& home, const std::string& dataFolder, const std::string& backupFolder,
                           Dialogs& dlg);

// The data files of the good generation `dateText` that a restore of `kind` brings: every file
// (kind 0), the two ledger files of `year` (kLedgerYearKind) or every ".mrt" file
// (kRegisteredKind). False with `failure` set when the generation or the year is missing.
inline constexpr int kWholeGenerationKind = 0;
bool GenerationFiles(const GenerationInfo& gen, int kind, int year, std::vector<std::string>& names,
                     CopyFailure& failure);

// Restores the good generation `gen` into the data folder all together or not at all, through the
// checks of every restore (RestoreFilesTogether). A whole-generation restore also removes the data
// files the generation does not hold, so the data folder is that day's exactly. 0 done; -1 with
// `failure` filled (`dataChanged` as RestoreFilesTogether sets it).
int RestoreGeneration(const GenerationInfo& gen, int kind, int year, const std::string& dataFolder, Dialogs& dlg,
                      std::vector<std::string>& copied, CopyFailure& failure, bool& dataChanged);

} // namespace mrt
