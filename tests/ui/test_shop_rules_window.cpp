// The shop rules window opened as the 登録 menu's command opens it, driven by real key presses
// (offscreen): a rule added, one changed, one removed, keys with Ctrl left alone, Esc asking
// about unsaved changes, and F12 writing everything at once.
#include "WindowTest.h"
#include "app/AppState.h"
#include "names/NameTables.h"
#include "statement/ShopRules.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/statement/frmShopRules.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace mrt;
using namespace mrt::test;

class ShopRulesWindow : public QObject {
    Q_OBJECT
private slots:
    void rulesAreEditedByKeyAndSavedAtOnce();
};

void ShopRulesWindow::rulesAreEditedByKeyAndSavedAtOnce() {
    QTemporaryDir dir;
    AppState app;
    ScriptedDialogs dlg;
    app.home = dir.path().toStdString();
    app.dataFolder = JoinPath(app.home, "Data1/");
    MakeFolders(app.dataFolder);
    AddName(app.names, kItemTable, kExpenseKind, "食費");
    AddName(app.names, kItemTable, kExpenseKind, "交通費");
    ShopRules start;
    std::string why, error;
    QVERIFY(AddShopRule(start, {"コンビニ", false, "食費", ""}, why));
    QVERIFY(AddShopRule(start, {"チャージ", true, "", ""}, why));
    QCOMPARE(SaveShopRules(app.dataFolder, start, error), 0);
    const std::string before = ReadBytes(ShopRulesPath(app.dataFolder));

    QtCommandScreens screens(dlg);
    const bool opened = WhileOpen<frmShopRules>([&] { QCOMPARE(screens.ShopRules(app), 0); },
                                                [&](frmShopRules* w) {
                                                    QTableWidget* rows = w->Rows();
                                                    QCOMPARE(rows->rowCount(), 2);
                                                    QCOMPARE(rows->item(1, 3)->text(), QStringLiteral("取り込まない"));
                                                    // Down to the skip rule; F2 gives it an item (list: skip entry,
                                                    // 食費, 交通費).
                                                    Press(Qt::Key_Down);
                                                    QCOMPARE(rows->currentRow(), 1);
                                                    dlg.expect("ListKel", 3).expectInitialLine(1);
                                                    Press(Qt::Key_F2);
                                                    QCOMPARE(rows->item(1, 1)->text(), QStringLiteral("交通費"));
                                                    // Ins: a new rule with a breakdown.
                                                    dlg.expect("InputKel", 0).withText("ｼﾃﾂ ﾊﾞｽ");
                                                    dlg.expect("ListKel", 3);
                                                    dlg.expect("InputKel", 0).withText("定期券");
                                                    Press(Qt::Key_Insert);
                                                    QCOMPARE(rows->rowCount(), 3);
                                                    QCOMPARE(rows->currentRow(), 2);
                                                    QCOMPARE(rows->item(2, 0)->text(), QStringLiteral("シテツ バス"));
                                                    // Ctrl+Del is not the remove key; Del on the first rule is.
                                                    Press(Qt::Key_Up);
                                                    Press(Qt::Key_Up);
                                                    QCOMPARE(rows->currentRow(), 0);
                                                    Press(Qt::Key_Delete, Qt::ControlModifier);
                                                    QCOMPARE(rows->rowCount(), 3);
                                                    Press(Qt::Key_Delete);
                                                    QCOMPARE(rows->rowCount(), 2);
                                                    QCOMPARE(rows->item(0, 0)->text(), QStringLiteral("チャージ"));
                                                    // Esc asks; "no" keeps the window and the file untouched.
                                                    dlg.expect("MsgYesNo2", 1).expectMessage("保存せずに");
                                                    Press(Qt::Key_Escape);
                                                    QVERIFY(w->isVisible());
                                                    QVERIFY(ReadBytes(ShopRulesPath(app.dataFolder)) == before);
                                                    Press(Qt::Key_F12);
                                                    QTRY_VERIFY(!w->isVisible());
                                                });
    QVERIFY(opened);
    VERIFY_DIALOGS(dlg);
    dlg.VerifyDone();
    ShopRules saved;
    QCOMPARE(LoadShopRules(app.dataFolder, saved), 0);
    QCOMPARE(saved.rules.size(), size_t(2));
    QVERIFY((saved.rules[0] == ShopRule{"チャージ", false, "交通費", ""}));
    QVERIFY((saved.rules[1] == ShopRule{"シテツ バス", false, "交通費", "定期券"}));

    // Opened again without a change, Esc closes at once and writes nothing.
    const std::string after = ReadBytes(ShopRulesPath(app.dataFolder));
    QVERIFY(WhileOpen<frmShopRules>([&] { screens.ShopRules(app); },
                                    [&](frmShopRules* w) {
                                        Press(Qt::Key_Escape);
                                        QTRY_VERIFY(!w->isVisible());
                                    }));
    QVERIFY(ReadBytes(ShopRulesPath(app.dataFolder)) == after);
    VERIFY_DIALOGS(dlg);
}

QTEST_MAIN(ShopRulesWindow)
#include "test_shop_rules_window.moc"
