#pragma once
// A small household for the totals tests: two income items, three expense items, a ledger
// written through the ledger's own save path, and a totals session over them.
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "settings/IniRecord.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "totals/Totals.h"
#include "util/Home.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace totals_test {

using namespace mrt;

// Rows with these items: 1 給与, 2 賞与, 3 (不明), 4 食費, 5 光熱費, 6 交通費, 7 (不明),
// 8 (入金合計), 9 (出金合計), 10 (差引残高).
enum Row { kSalary = 1, kBonus, kInUnknown, kFood, kPower, kTravel, kOutUnknown, kInSum, kOutSum, kBalance };

struct Line {
    int y, m, d;
    const char* item;
    int32_t income, expense;
};

class TotalsFixture : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScriptedDialogs dlg;
    NameTables names;
    LedgerState ledger;
    IniRecord settings;
    BgtRecord budget;
    TotalsSession session;

    TotalsFixture() {
        MakeFolders(dir / "Data1/BU");
        AddName(names, kItemTable, 0, "給与");
        AddName(names, kItemTable, 0, "賞与");
        AddName(names, kItemTable, 1, "食費");
        AddName(names, kItemTable, 1, "光熱費");
        AddName(names, kItemTable, 1, "交通費");
        ledger.MaxBlockLines = 1500;
        session.ledger = &ledger;
        session.names = &names;
        session.settings = &settings;
        session.settingsPath = DataFolder(dir.path()) + "INIT.mrt";
        session.budget = &budget;
        session.budgetPlace = BudgetPlaceOf(dir.path());
        session.dlg = &dlg;
    }

    // Writes the lines (the first one carries the initial balance) and scans the files as
    // start-up does.
    void writeLedger(int32_t initialBalance, const std::vector<Line>& lines) {
        LedgerState writer;
        writer.index.SetDataFolder(DataFolder(dir.path()));
        int32_t balance = initialBalance;
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line& l = lines[i];
            IoRecord r;
            r.Year = static_cast<int16_t>(l.y);
            r.Month = static_cast<int16_t>(l.m);
            r.Day = static_cast<int16_t>(l.d);
            r.ItemName = l.item;
            r.Income = l.income;
            r.Expense = l.expense;
            if (i > 0) balance += l.income >= 1 ? l.income : -l.expense;
            r.Balance = balance;
            writer.block.push_back(r);
        }
        ASSERT_EQ(SaveLedgerBlock(writer, dlg), 0);
        ledger.index = LedgerIndex();
        ledger.index.SetDataFolder(DataFolder(dir.path()));
        ASSERT_EQ(ScanLedgerYears(ledger, dlg), 0);
    }

    int64_t cell(int row, int column) const { return session.state.table.at(row).at(column); }
    // One row's day columns, then week and period.
    std::vector<int64_t> row(int r) const {
        std::vector<int64_t> v;
        for (int c = 1; c <= session.state.DayCount + 2; ++c)
            v.push_back(cell(r, c));
        return v;
    }
    int compute(int y, int m, int d, bool rebuild = true) {
        CivilDate last{y, m, d};
        return ComputeTotals(session, last, rebuild);
    }
};

} // namespace totals_test
