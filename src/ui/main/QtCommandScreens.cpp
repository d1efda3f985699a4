#include "ui/main/QtCommandScreens.h"

#include "port/Dialogs.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/print/PrintCommands.h"
#include "ui/totals/TotalsCommand.h"

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
int QtCommandScreens::Totals(AppState& app) {
    return RunTotalsCommand(app, m_dlg);
}
int QtCommandScreens::Print(AppState& app, int) {
    return RunLedgerPrint(app, m_dlg) < 0 ? -1 : 0;
}
int QtCommandScreens::Backup(AppState&) { return notYet("各データの保管"); }
int QtCommandScreens::Restore(AppState&) {
    notYet("保管データの復帰");
    return -1;
}

void QtCommandScreens::Version() {
    frmSplash splash;
    splash.SplashOn(QString::fromUtf8(kSystemName), QString::fromUtf8(kProgramShortName),
                    QString::fromUtf8(kVersionText), QString::fromUtf8(kProviderLine), 1);
}

} // namespace mrt
