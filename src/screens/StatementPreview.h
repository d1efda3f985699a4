#pragma once
#include "ledger/LedgerIndex.h"
#include "names/NameTables.h"
#include "statement/StatementImport.h"

#include <string>
#include <vector>

namespace mrt {

class Dialogs;

// What the statement preview works on: the data folder the lines go to (its ledger index and
// name tables), the tax rate, the block size in use and this year (for dates without a year).
struct StatementTarget {
    std::string dataFolder;
    const LedgerIndex* index = nullptr;
    NameTables* names = nullptr;
    NameFilePaths files;
    int taxRate = 0;
    int blockMonths = 0;
    int thisYear = 0;
};

// The presenter of the statement preview (ファイル › 明細取込…): the lines of one statement with
// their proposed ledger lines, and what the keys do to them. Questions go through Dialogs.
class StatementPreview {
public:
    StatementPreview(StatementTarget target, Dialogs& dlg);

    // Reads and plans the file; asks for the year of dates without one and for a column mapping
    // when no layout fits (the mapping may be saved under a name). False when the file cannot be
    // used (its message shown).
    bool Load(const std::string& path, const std::string& bytes);

    static std::vector<std::string> Headers();
    int Rows() const { return static_cast<int>(m_import.Plan().lines.size()); }
    std::vector<std::string> RowCells(int r) const;
    LineState RowState(int r) const { return line(r).Shown(); }
    bool RowIncluded(int r) const { return line(r).include; }
    std::string Summary() const;
    std::string Title() const { return m_title; }
    // True when Enter would import (no included line breaks a rule and nothing is unreadable).
    bool CanImport() const;
    const StatementPlan& Plan() const { return m_import.Plan(); }

    // F2: the item of the line from the choice list of its side. False when nothing changed.
    bool ChangeItem(int r);
    // Space: include or leave out the line. False (with a beep) when it cannot be included.
    bool Toggle(int r);
    // F3: a rule from the line's shop: to its item, or to skip it. Kept until the import.
    bool AddRule(int r);
    // F4: take (or give back) the cut of a shop longer than its field.
    bool Cut(int r);
    // F5: register the items that rules name but the item table lacks, with the import.
    void SetRegisterItems(bool on);
    bool RegisterItems() const { return m_registerItems; }

    // Enter: imports all or nothing through one save, writes the changed rules, then offers the
    // new shop names for registration. 0 imported (the window closes); -1 nothing was added.
    int Import();

private:
    const PlannedLine& line(int r) const { return m_import.Plan().lines.at(static_cast<size_t>(r)); }
    bool askMapping(const StatementFile& f, CustomLayout& layout);
    void offerShopNames();

    StatementTarget m_target;
    Dialogs& m_dlg;
    StatementImport m_import;
    std::string m_title;
    bool m_registerItems = false;
};

} // namespace mrt
