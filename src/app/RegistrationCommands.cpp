#include "app/RegistrationCommands.h"

#include "app/AppState.h"
#include "budget/Budget.h"
#include "port/Dialogs.h"
#include "screens/BudgetWindow.h"
#include "screens/NameRegistration.h"
#include "screens/SettingsWindow.h"

#include <array>

namespace mrt {
namespace {

constexpr const char* kNamesTitle = "項目名・内訳名・店名の登録";

// Reads the changed tables again from their files. A table whose file is missing becomes empty;
// one that cannot be read takes its state from before the window (`before`), with a message.
int reloadNames(AppState& app, const std::array<bool, 3>& changed, const NameTables& before, Dialogs& dlg) {
    const NameFilePaths files = app.namePaths();
    bool failed = false;
    NameTables fresh;
    if (changed[kItemTable]) {
        const int r = LoadItemTable(files.item, fresh);
        app.names.items = r >= 0 ? fresh.items : before.items;
        failed |= r < 0;
    }
    if (changed[kBrkDnTable]) {
        const int r = LoadBrkDnTable(files.brkDn, fresh, false);
        app.names.brkDn = r >= 0 ? fresh.brkDn : before.brkDn;
        failed |= r < 0;
    }
    if (changed[kShopTable]) {
        const int r = LoadShopTable(files.shop, fresh, false);
        app.names.shop = r >= 0 ? fresh.shop : before.shop;
        failed |= r < 0;
    }
    if (!failed) return 0;
    dlg.MsgBox("登録データを読み直せませんでした。\r\n登録画面を開く前の状態に戻しました。", kNamesTitle,
               MsgIcon::Exclamation, MsgButtons::OK);
    return -1;
}

} // namespace

int RunNameRegistration(AppState& app, Dialogs& dlg, NameRegistrationView& window) {
    const NameTables before = app.names;
    std::array<bool, 3> changed{};
    for (;;) {
        int result = 0;
        TableRegst(app.names, dlg, window, changed, result);
        if (result == 0) return 0;
        if (result < 0) return reloadNames(app, changed, before, dlg);
        const NameFilePaths files = app.namePaths();
        bool failed = false;
        auto save = [&](int table, int rc) {
            if (rc == 0)
                changed[table] = false;
            else
                failed = true;
        };
        if (changed[kItemTable]) save(kItemTable, SaveItemTable(files.item, app.names, dlg));
        if (changed[kBrkDnTable]) save(kBrkDnTable, SaveBrkDnTable(files.brkDn, app.names, dlg));
        if (changed[kShopTable]) save(kShopTable, SaveShopTable(files.shop, app.names, dlg));
        if (!failed) return 0;
        dlg.MsgOK("登録データを保存できませんでした。\r\n"
                  "変更は残っています。もう一度[登録]するか、[キャンセル]してください。",
                  kNamesTitle);
    }
}

int RunBudgetCommand(AppState& app, Dialogs& dlg, BudgetWindowView& window) {
    BudgetWindowPages pages(dlg, window);
    return RunBudgetRegistration(app.budget, app.names, BudgetPlaceOf(app.home), dlg, pages) == 0 ? 0 : -1;
}

int RunSettingsCommand(AppState& app, Dialogs& dlg, SettingsWindowView& window) {
    const int r = OpenSettingsWindow(app.settingsPath(), app.settings, dlg, window);
    if (r == -1)
        dlg.MsgBox("設定ファイル(INIT.mrt)を読み込めないため、環境設定を開けません。", "環境設定", MsgIcon::Critical,
                   MsgButtons::OK);
    return r == 0 ? 0 : -1;
}

} // namespace mrt
