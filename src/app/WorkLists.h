#pragma once
#include <array>
#include <string>

namespace mrt {

class Dialogs;

// A work-selection list of the main window's 「登録」 and 「補助」 menus: three entries, each
// standing for a command code of MenuSel.
struct WorkList {
    std::string title;
    std::array<std::string, 3> entries;
    std::array<int, 3> codes;
};

const WorkList& RegistrationWorkList(); // 4100 names, 4200 budget, 4400 settings
const WorkList& AuxiliaryWorkList();    // 1200 backup, 1300 restore, 1400 start date

// Command code of entry 1..3 of a list; 0 for any other entry (nothing chosen).
int WorkCommandCode(const WorkList& list, int entry);

// Open the list with its remembered entry preselected and return the chosen entry (1..3);
// 0 or less when nothing was chosen. A chosen entry is remembered for the rest of the run;
// a cancel keeps the previous one. The auxiliary list offers help topic 800.
int ChooseRegistrationWork(Dialogs& dlg);
int ChooseAuxiliaryWork(Dialogs& dlg);

// The remembered entries (1 before anything was chosen), and their reset for tests.
int RememberedRegistrationWork();
int RememberedAuxiliaryWork();
void ResetWorkChoices();

} // namespace mrt
