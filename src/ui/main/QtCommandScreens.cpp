#include "ui/main/QtCommandScreens.h"

#include "app/AppState.h"
#include "app/CsvCommands.h"
#include "app/RegistrationCommands.h"
#include "backup/BackupData.h"
#include "port/Dialogs.h"
#include "ui/budget/frmBGT.h"
#include "ui/csv/frmCsvExport.h"
#include "ui/csv/frmCsvImport.h"
#include "ui/dialogs/DialogOwner.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/medical/frmMedical.h"
#include "ui/names/frmTBL.h"
#include "ui/print/PrintCommands.h"
#include "ui/repeat/frmRepeat.h"
#include "ui/repeat/frmRepeatDue.h"
#include "ui/receipt/frmReceipt.h"
#include "ui/search/frmSearch.h"
#include "ui/settings/frmINI.h"
#include "ui/statement/frmShopRules.h"
#include "ui/statement/frmStatement.h"
#include "ui/totals/TotalsCommand.h"
#include "ui/year/YearCommand.h"
#include "util/Paths.h"

#include <QApplication>
#include <QDate>
#include <QDir>

#include <string>

namespace mrt {

int QtCommandScreens::Settings(AppState& app) {
    frmINI window(DialogOwnerOf(m_dlg), app.settings.KeyInputMode, &m_dlg);
    return RunSettingsCommand(app, m_dlg, window);
}

int QtCommandScreens::NameRegistration(AppState& app) {
    frmTBL window(DialogOwnerOf(m_dlg), app.settings.KeyInputMode, &m_dlg);
    return RunNameRegistration(app, m_dlg, window);
}

int QtCommandScreens::BudgetRegistration(AppState& app) {
    frmBGT window(DialogOwnerOf(m_dlg), app.settings.KeyInputMode, &m_dlg);
    return RunBudgetCommand(app, m_dlg, window);
}
int QtCommandScreens::Totals(AppState& app) {
    return RunTotalsCommand(app, m_dlg);
}
int QtCommandScreens::YearReport(AppState& app) {
    return RunYearCommand(app, m_dlg, DialogOwnerOf(m_dlg));
}
int QtCommandScreens::Print(AppState& app) {
    return RunLedgerPrint(app, m_dlg) < 0 ? -1 : 0;
}
int QtCommandScreens::Backup(AppState& app) {
    return RunBackupCommand(kBackupDirection, app.home, app.dataFolder, m_dlg);
}
// A restore that replaced data files restarts the program, even when it then failed.
int QtCommandScreens::Restore(AppState& app) {
    bool changed = false;
    RunBackupCommand(kRestoreDirection, app.home, app.dataFolder, m_dlg, &changed);
    return changed ? 0 : -1;
}

void QtCommandScreens::Version() {
    frmSplash splash;
    splash.SplashOn(QString::fromUtf8(kProgramName), QString::fromUtf8(kProgramShortName),
                    QString::fromUtf8(kVersionText), QString::fromUtf8(kProviderLine), 1);
}

int QtCommandScreens::Search(AppState& app, SearchHit& jump) {
    frmSearch w(app.ledger.index, m_dlg, QApplication::activeWindow());
    return w.Run(jump);
}

int QtCommandScreens::ExportCsv(AppState& app) {
    frmCsvExport w(app, m_dlg, QApplication::activeWindow());
    w.exec();
    return 0;
}

int QtCommandScreens::ImportCsv(AppState& app) {
    std::string path, bytes;
    if (!ChooseImportFile(m_dlg, app.home, QDir::homePath().toStdString(), path, bytes)) return 1;
    frmCsvImport w(app, m_dlg, path, std::move(bytes), QApplication::activeWindow());
    return w.exec() == QDialog::Accepted ? 0 : 1;
}

int QtCommandScreens::MedicalForm(AppState& app) {
    frmMedical w(app, m_dlg, QApplication::activeWindow());
    w.exec();
    return 0;
}

int QtCommandScreens::DueLines(AppState& app) {
    frmRepeatDue w(app, m_dlg, QApplication::activeWindow());
    const int added = w.Run();
    if (added > 0) m_dlg.MsgOK(std::to_string(added) + " 行を家計簿に追加しました。", "定期入出金の追加");
    return added > 0 ? 0 : 1;
}

int QtCommandScreens::RecurringRegistration(AppState& app, const IoRecord* line) {
    frmRepeat w(app, m_dlg, line, QApplication::activeWindow());
    w.exec();
    return 0;
}

int QtCommandScreens::ImportStatement(AppState& app) {
    std::string folder = CsvStartFolder(app.home, QDir::homePath().toStdString());
    std::vector<std::string> files;
    if (m_dlg.GetFileName("明細取込", "取り込む明細のファイル (CSV) を選んでください。", "*.csv", 1, folder, files) !=
            0 ||
        files.empty())
        return 1;
    const std::string path = JoinPath(folder, files.front());
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        m_dlg.MsgOK("ファイルを読めませんでした。\r\n" + path, "明細取込");
        return 1;
    }
    StatementTarget target{app.dataFolder,
                           &app.ledger.index,
                           &app.names,
                           app.namePaths(),
                           app.settings.TaxRate,
                           app.ledger.BlockMonthsInUse,
                           QDate::currentDate().year()};
    StatementPreview preview(target, m_dlg);
    if (!preview.Load(path, bytes)) return 1;
    frmStatement w(preview, m_dlg, QApplication::activeWindow());
    return w.exec() == QDialog::Accepted ? 0 : 1;
}

int QtCommandScreens::ReadReceipt(AppState& app) {
    std::string folder = QDir::homePath().toStdString();
    std::vector<std::string> files;
    if (m_dlg.GetFileName("レシート読取", "読み取るレシートの画像を選んでください。", "*.*", 1, folder, files) != 0 ||
        files.empty())
        return 1;
    frmReceipt w(app, m_dlg, JoinPath(folder, files.front()), QApplication::activeWindow());
    if (!w.ReadImage()) return 1;
    return w.exec() == QDialog::Accepted ? 0 : 1;
}

int QtCommandScreens::ShopRules(AppState& app) {
    ShopRulesScreen screen(app.dataFolder, app.names, m_dlg);
    if (!screen.Load()) return -1;
    frmShopRules w(screen, m_dlg, QApplication::activeWindow());
    w.exec();
    return 0;
}

} // namespace mrt
