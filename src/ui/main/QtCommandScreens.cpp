#include "ui/main/QtCommandScreens.h"

#include "app/AppState.h"
#include "app/CsvCommands.h"
#include "backup/BackupData.h"
#include "port/Dialogs.h"
#include "ui/csv/frmCsvExport.h"
#include "ui/csv/frmCsvImport.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/search/frmSearch.h"

#include <QApplication>
#include <QDir>

#include <string>

namespace mrt {

int QtCommandScreens::notYet(const char* what) {
    m_dlg.MsgOK(std::string("「") + what + "」は、このバージョンではまだ使えません。\r\nデータは変更されていません。",
                "お知らせ");
    return 0;
}

int QtCommandScreens::Settings(AppState&) { return notYet("環境設定"); }
int QtCommandScreens::NameRegistration(AppState&) { return notYet("項目名・内訳名・店名の登録"); }
int QtCommandScreens::BudgetRegistration(AppState&) { return notYet("予算表の登録"); }
int QtCommandScreens::Totals(AppState&) { return notYet("集計の表示"); }
int QtCommandScreens::Print(AppState&, int) { return notYet("入出金データの印刷"); }
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
    splash.SplashOn(QString::fromUtf8(kSystemName), QString::fromUtf8(kProgramShortName),
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
    if (!ChooseImportFile(m_dlg, QDir::homePath().toStdString(), path, bytes)) return 1;
    frmCsvImport w(app, m_dlg, path, std::move(bytes), QApplication::activeWindow());
    return w.exec() == QDialog::Accepted ? 0 : 1;
}

} // namespace mrt
