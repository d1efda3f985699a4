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
#include "ui/names/frmTBL.h"
#include "ui/print/PrintCommands.h"
#include "ui/search/frmSearch.h"
#include "ui/settings/frmINI.h"
#include "ui/totals/TotalsCommand.h"

#include <QApplication>
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

} // namespace mrt
