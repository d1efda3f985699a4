#include "repeat/RepeatDue.h"

#include "ledger/LedgerImport.h"
#include "ledger/LedgerIndex.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Csv.h"
#include "util/DateText.h"
#include "util/FileBatch.h"
#include "util/Paths.h"

#include <algorithm>
#include <set>

namespace mrt {
namespace {

constexpr const char* kTitle = "定期入出金";

std::string dateText(int32_t d) {
    return FormatDate(d / 10000, d / 100 % 100, d % 100);
}

} // namespace

std::vector<DueLine> CollectDueLines(const RepeatTable& table, int32_t until) {
    std::vector<DueLine> out;
    for (size_t i = 0; i < table.entries.size(); ++i) {
        const RepeatEntry& e = table.entries[i];
        std::set<int32_t> dates;
        for (int32_t d : e.postponed)
            if (d <= until && dates.insert(d).second)
                out.push_back({static_cast<int>(i), d, true, e.amount, DueChoice::Accept});
        for (const Occurrence& o : OccurrencesIn(e.rule, e.offeredUpTo, until))
            if (dates.insert(o.date).second)
                out.push_back({static_cast<int>(i), o.date, false, e.amount, DueChoice::Accept});
    }
    std::stable_sort(out.begin(), out.end(), [](const DueLine& a, const DueLine& b) {
        return a.date != b.date ? a.date < b.date : a.entry < b.entry;
    });
    return out;
}

RepeatTable DecideDueLines(const RepeatTable& table, const std::vector<DueLine>& lines, int32_t until) {
    RepeatTable out = table;
    for (RepeatEntry& e : out.entries) {
        e.offeredUpTo = std::max(e.offeredUpTo, until);
        // Postponed dates not in this list (later than `until`) stay.
        e.postponed.erase(std::remove_if(e.postponed.begin(), e.postponed.end(), [&](int32_t d) { return d <= until; }),
                          e.postponed.end());
    }
    for (const DueLine& l : lines) {
        if (l.choice != DueChoice::Postpone || l.entry < 0 || l.entry >= static_cast<int>(out.entries.size())) continue;
        std::vector<int32_t>& p = out.entries[static_cast<size_t>(l.entry)].postponed;
        if (std::find(p.begin(), p.end(), l.date) == p.end()) p.push_back(l.date);
    }
    for (RepeatEntry& e : out.entries)
        std::sort(e.postponed.begin(), e.postponed.end());
    return out;
}

std::string AcceptedLinesCsv(const RepeatTable& table, const std::vector<DueLine>& lines) {
    CsvWriter csv;
    for (const DueLine& l : lines) {
        if (l.choice != DueChoice::Accept) continue;
        const RepeatEntry& e = table.entries.at(static_cast<size_t>(l.entry));
        csv.Text(dateText(l.date)).Text(e.item).Text(e.note).Text(e.shop);
        if (e.side == kIncomeKind)
            csv.Text(l.amount).Empty();
        else
            csv.Empty().Text(l.amount);
        csv.EndRow();
    }
    return std::string(csv.Data());
}

int ApplyDueLines(const LedgerState& st, NameTables& names, const std::string& dataFolder, RepeatTable& table,
                  const std::vector<DueLine>& lines, int32_t until, int taxRate, Dialogs& dlg) {
    if (lines.empty()) return 0;
    const RepeatTable decided = DecideDueLines(table, lines, until);
    std::vector<const DueLine*> accepted;
    for (const DueLine& l : lines)
        if (l.choice == DueChoice::Accept) accepted.push_back(&l);

    FileBatch batch;
    std::string error;
    LedgerState work;
    work.index = st.index;
    work.BlockMonthsInUse = st.BlockMonthsInUse;
    if (!accepted.empty()) {
        const ImportPlan plan = PlanImport(AcceptedLinesCsv(table, lines), work.index, names, taxRate, false);
        if (!plan.Ready()) {
            std::string msg = "次の行を家計簿に追加できないため、何も追加していません。";
            int shown = 0;
            for (size_t i = 0; i < plan.rows.size() && i < accepted.size(); ++i) {
                if (plan.rows[i].problem.empty() || ++shown > 5) continue;
                const RepeatEntry& e = table.entries[static_cast<size_t>(accepted[i]->entry)];
                msg += "\r\n" + dateText(accepted[i]->date) + " " + e.item + ": " + plan.rows[i].problem;
            }
            if (!plan.fileError.empty()) msg += "\r\n" + plan.fileError;
            dlg.MsgOK(msg, kTitle);
            return -1;
        }
        if (ApplyImport(work, names, NameFilesIn(dataFolder), plan, dlg, &batch) != 0) return -1;
    }
    // The table is named as the ledger's files are, so the batch sees one folder.
    std::string folder, name;
    SplitPath(work.index.InfPrefix, folder, name);
    if (!StageRepeatTable(batch, RepeatFileIn(folder), decided, error) || !batch.Commit(error)) {
        batch.Abort();
        dlg.MsgBox(error, "定期入出金ファイル書込みエラー", MsgIcon::Exclamation, MsgButtons::OK);
        return -1;
    }
    table = decided;
    return static_cast<int>(accepted.size());
}

} // namespace mrt
