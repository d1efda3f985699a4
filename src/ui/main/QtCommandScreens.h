#pragma once
#include "app/AppScreens.h"

namespace mrt {

class Dialogs;

// The windows of the larger commands. Those not built yet say so honestly and change nothing.
class QtCommandScreens : public CommandScreens {
public:
    explicit QtCommandScreens(Dialogs& dlg) : m_dlg(dlg) {}
    int Settings(AppState& app) override;
    int NameRegistration(AppState& app) override;
    int BudgetRegistration(AppState& app) override;
    int Totals(AppState& app) override;
    int YearReport(AppState& app) override;
    int Print(AppState& app) override;
    int Backup(AppState& app) override;
    int Restore(AppState& app) override;
    void Version() override;
    int Search(AppState& app, SearchHit& jump) override;
    int ExportCsv(AppState& app) override;
    int ImportCsv(AppState& app) override;
    int MedicalForm(AppState& app) override;
    int DueLines(AppState& app) override;
    int RecurringRegistration(AppState& app, const IoRecord* line) override;
    int ImportStatement(AppState& app) override;
    int ReadReceipt(AppState& app) override;
    int ShopRules(AppState& app) override;

private:
    Dialogs& m_dlg;
};

} // namespace mrt
