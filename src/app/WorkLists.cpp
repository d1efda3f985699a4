// The two work-selection lists of the main window and the entries they remember.
#include "app/WorkLists.h"

#include "port/Dialogs.h"

#include <vector>

namespace mrt {
namespace {

// Remembered for the whole run of the program.
int s_registrationEntry = 1;
int s_auxiliaryEntry = 1;

std::vector<std::string> entriesOf(const WorkList& list) {
    return {list.entries.begin(), list.entries.end()};
}

// Keeps a chosen entry 1..3, ignores anything else.
int remember(int chosen, int& remembered) {
    if (chosen >= 1 && chosen <= 3) {
        remembered = chosen;
        return chosen;
    }
    return chosen > 0 ? 0 : chosen;
}

} // namespace

const WorkList& RegistrationWorkList() {
    static const WorkList list{"    「 登録 」の 作業選択",
                               {"項目名・内訳名・店名の登録", "予算表の登録", "環境設定"},
                               {Command::NameRegistration, Command::BudgetRegistration, Command::Settings}};
    return list;
}

const WorkList& AuxiliaryWorkList() {
    static const WorkList list{"    「 補助 」の 作業選択",
                               {"各データの保管", "保管データ復帰", "開始日付の変更"},
                               {Command::Backup, Command::Restore, Command::StartDate}};
    return list;
}

Command WorkCommand(const WorkList& list, int entry) {
    return entry >= 1 && entry <= 3 ? list.commands[entry - 1] : Command::None;
}

int ChooseRegistrationWork(Dialogs& dlg) {
    const WorkList& list = RegistrationWorkList();
    int initial = s_registrationEntry;
    return remember(dlg.SubMenu(list.title, initial, entriesOf(list)), s_registrationEntry);
}

int ChooseAuxiliaryWork(Dialogs& dlg) {
    const WorkList& list = AuxiliaryWorkList();
    int initial = s_auxiliaryEntry;
    return remember(dlg.SubMenuH(list.title, initial, entriesOf(list), 800), s_auxiliaryEntry);
}

int RememberedRegistrationWork() {
    return s_registrationEntry;
}
int RememberedAuxiliaryWork() {
    return s_auxiliaryEntry;
}

void ResetWorkChoices() {
    s_registrationEntry = 1;
    s_auxiliaryEntry = 1;
}

} // namespace mrt
