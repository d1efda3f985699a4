#pragma once
#include "app/Command.h"

#include <array>
#include <string>

namespace mrt {

class Dialogs;

// A work-selection list of the main window's 「登録」 and 「補助」 menus: three entries, each
// standing for a command of the command loop.
struct WorkList {
    std::string title;
    std::array<std::string, 3> entries;
    std::array<Command, 3> commands;
};

const WorkList& RegistrationWorkList(); // names, budget, settings
const WorkList& AuxiliaryWorkList();    // backup, restore, start date

// The command of entry 1..3 of a list; Command::None for any other entry (nothing chosen).
Command WorkCommand(const WorkList& list, int entry);

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
