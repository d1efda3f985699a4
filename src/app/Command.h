#pragma once

namespace mrt {

// The commands of the main window by name: the menu, the menu and tool buttons, the function keys,
// the work-selection lists and the tests refer to them so. The commands the command loop carries
// out after an editing period (Backup .. Version, Exit, Leave) are what MenuSel holds; they keep
// the codes of their old menu places (menu × 1000 + item × 100), which nothing computes any more.
enum class Command : int {
    None = 0,
    // carried out by the command loop
    Backup = 1200,
    Restore = 1300,
    StartDate = 1400,
    Print = 1600,
    Exit = 1800,
    SwitchBook = 1150,    // Ctrl+B
    TransferEntry = 1160, // 振替の入力
    AddBook = 1170,       // 家計簿の追加
    ExportCsv = 1910,
    ImportCsv = 1920,
    ImportStatement = 1930,
    MedicalForm = 1940,
    ReadReceipt = 1950,
    Totals = 3100,
    Search = 3200,
    YearReport = 3300,
    NameRegistration = 4100,
    BudgetRegistration = 4200,
    RecurringRegistration = 4300, // the registration window of recurring lines
    Settings = 4400,
    DueLines = 4500,        // the recurring lines due since they were last offered
    LineToRecurring = 4600, // Ctrl+R: the registration window with the current line as a new entry
    ShopRules = 4700,       // the shop rules of the statement import
    Help = 5100,
    Version = 5300,
    Leave = -1, // the editing period asks the program to end at once
    // carried out within the editing period
    ForcedSave = 1100, // 「ファイル」 (Ctrl+S)
    Cut = 2010,
    Copy = 2020,
    Paste = 2030,
    SortByDate = 2050,
    DeleteLine = 2060, // Ctrl+Y
    InsertLine = 2070, // Ctrl+I
    MoveToDate = 2080, // Ctrl+G
    EditForcedSave = 2100,
    Undo = 2110,           // Ctrl+Z
    Redo = 2120,           // Ctrl+Shift+Z
    OpenReceipt = 2130,    // Ctrl+E: the receipt image kept for the current line
    EditWorkSelect = 2900, // tool button 1 / F11
};

} // namespace mrt
