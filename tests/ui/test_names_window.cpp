// The name registration window driven by real key presses (offscreen), opened as the command
// loop opens it; the tables in memory and on file are checked afterwards.
#include "app/AppState.h"
#include "app/Startup.h"
#include "names/NameTables.h"
#include "support/ScriptedDialogs.h"
#include "ui/WindowTest.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/names/frmTBL.h"
#include "util/Paths.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace mrt;
using namespace mrt::test;

namespace {

QStringList entries(QListWidget* l) {
    QStringList s;
    for (int i = 0; i < l->count(); ++i)
        s << l->item(i)->text();
    return s;
}

// A home folder whose tables hold 給与 (income) and 食費 (expense, with 野菜 and 八百屋).
struct Home {
    QTemporaryDir dir;
    AppState app;
    ScriptedDialogs dlg;

    Home() {
        app.home = dir.path().toStdString();
        app.dataFolder = JoinPath(app.home, "Data1/");
        QDir().mkpath(QString::fromStdString(app.dataFolder));
        NameTables& t = app.names;
        for (int key = 1; key <= kItemKeyMax; ++key)
            t.brkDn[key] = t.shop[key] = DefaultNameList();
        AddName(t, kItemTable, kIncomeKind, "給与");
        AddName(t, kItemTable, kExpenseKind, "食費");
        AddName(t, kBrkDnTable, 21, "野菜");
        AddName(t, kShopTable, 21, "八百屋");
        const NameFilePaths files = app.namePaths();
        SaveItemTable(files.item, t, dlg);
        SaveBrkDnTable(files.brkDn, t, dlg);
        SaveShopTable(files.shop, t, dlg);
    }
    NameTables onFile() {
        NameTables t;
        const NameFilePaths files = app.namePaths();
        LoadItemTable(files.item, t);
        LoadBrkDnTable(files.brkDn, t, false);
        LoadShopTable(files.shop, t, false);
        return t;
    }
    // Opens the window as the registration command does and lets `user` work in it.
    bool run(const std::function<void(frmTBL*)>& user) {
        QtCommandScreens screens(dlg);
        return WhileOpen<frmTBL>([&] { screens.NameRegistration(app); }, user);
    }
};

std::vector<std::string> names(const std::vector<std::string>& v) {
    return v;
}

} // namespace

class NamesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    // A new expense item with a breakdown and a shop, typed from the keyboard, reaches the files.
    void addsAnItemWithItsNames() {
        Home h;
        for (int i = 0; i < 3; ++i)
            h.dlg.expectBox(MsgResult::Yes).expectMessage("に追加してもよいですか？");
        QString count;
        QVERIFY(h.run([&](frmTBL* w) {
            QCOMPARE(w->kindLabel()->text(), QStringLiteral("出金項目"));
            Press(Qt::Key_F2);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->inputBox(kItemPane)));
            QCOMPARE(w->helpLabel()->text(),
                     QStringLiteral("登録に追加する名称を入力して[Enter]を押してください。\n(中止なら[ESC])"));
            Type(QStringLiteral("交通費"));
            Press(Qt::Key_Return);
            QCOMPARE(entries(w->itemList(kExpenseKind)),
                     (QStringList{QStringLiteral("食費"), QStringLiteral("交通費")}));
            count = w->expenseCount()->text();
            Press(Qt::Key_Right);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->list(kBrkDnPane)));
            Press(Qt::Key_F2);
            Type(QStringLiteral("電車"));
            Press(Qt::Key_Return);
            Press(Qt::Key_Right);
            Press(Qt::Key_F2);
            Type(QStringLiteral("駅"));
            Press(Qt::Key_Enter);
            Press(Qt::Key_F12);
        }));
        VERIFY_DIALOGS(h.dlg);
        QCOMPARE(count, QStringLiteral("２"));
        NameTables t = h.onFile();
        QCOMPARE(FillItemList(t, kExpenseKind, false), names({"食費", "交通費"}));
        const int key = ItemKeyOf(t, kExpenseKind, 2);
        QCOMPARE(FillBrkDnList(t, key, false).back(), std::string("電車"));
        QCOMPARE(FillShopList(t, key, false).back(), std::string("駅"));
    }

    // Tab shows the other kind's list with its colour; the active list stands out; closing
    // without changes asks nothing.
    void tabSwitchesTheKind() {
        Home h;
        QVERIFY(h.run([&](frmTBL* w) {
            QVERIFY(w->itemList(kExpenseKind)->isVisible());
            QVERIFY(!w->itemList(kIncomeKind)->isVisible());
            QVERIFY(w->kindLabel()->styleSheet().contains(QStringLiteral("rgb(0,0,160)")));
            QVERIFY(w->itemList(kExpenseKind)->styleSheet().contains(QStringLiteral("rgb(240,255,240)")));
            Press(Qt::Key_Tab);
            QVERIFY(w->itemList(kIncomeKind)->isVisible());
            QVERIFY(!w->itemList(kExpenseKind)->isVisible());
            QCOMPARE(w->kindLabel()->text(), QStringLiteral("入金項目"));
            QVERIFY(w->kindLabel()->styleSheet().contains(QStringLiteral("rgb(128,0,128)")));
            QVERIFY(w->itemList(kIncomeKind)->styleSheet().contains(QStringLiteral("rgb(255,255,232)")));
            QCOMPARE(entries(w->list(kBrkDnPane)), QStringList{QStringLiteral("その他")});
            // The breakdown list becomes the active one: white, its first entry selected.
            Press(Qt::Key_Right);
            QVERIFY(w->list(kBrkDnPane)->styleSheet().contains(QStringLiteral("rgb(255,255,255)")));
            QVERIFY(w->itemList(kIncomeKind)->styleSheet().contains(QStringLiteral("rgb(224,235,224)")));
            QCOMPARE(w->list(kBrkDnPane)->currentRow(), 0);
            Press(Qt::Key_Left);
            Press(Qt::Key_Tab);
            QVERIFY(w->itemList(kExpenseKind)->isVisible());
            QCOMPARE(entries(w->list(kShopPane)), (QStringList{QStringLiteral("その他"), QStringLiteral("八百屋")}));
            Press(Qt::Key_Escape);
        }));
        QCOMPARE(h.dlg.ops(), std::string("CloseAllHelp"));
    }

    // Cancelling after an add asks; "no" keeps the window with the name, "yes" reads the tables
    // back from their files.
    void cancelAfterAnAddAsks() {
        Home h;
        h.dlg.expectBox(MsgResult::Yes);
        h.dlg.expect("MsgYesNo2", 1).expectMessage("登録の変更をすべてキャンセルして作業を終了してもよいですか？");
        h.dlg.expect("MsgYesNo2", 0);
        QVERIFY(h.run([&](frmTBL* w) {
            Press(Qt::Key_F2);
            Type(QStringLiteral("雑費"));
            Press(Qt::Key_Return);
            Press(Qt::Key_Escape);
            QVERIFY(w->isVisible());
            QCOMPARE(w->itemList(kExpenseKind)->count(), 2);
            QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
        }));
        VERIFY_DIALOGS(h.dlg);
        QCOMPARE(FillItemList(h.app.names, kExpenseKind, false), names({"食費"}));
    }

    // While a name is typed, the work keys only bring the focus back to the input box; Esc ends
    // the input alone; the only breakdown cannot be deleted.
    void keysDuringTheInput() {
        Home h;
        h.dlg.expectBox(MsgResult::OK).expectMessage("登録データを全部削除することはできません。");
        QVERIFY(h.run([&](frmTBL* w) {
            Press(Qt::Key_Tab); // 給与: only "その他"
            Press(Qt::Key_Right);
            Press(Qt::Key_F2);
            QLineEdit* box = w->inputBox(kBrkDnPane);
            QVERIFY(box->isVisible());
            Type(QStringLiteral("賞与"));
            for (Qt::Key k : {Qt::Key_F2, Qt::Key_F4, Qt::Key_PageUp, Qt::Key_Tab})
                Press(k);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box));
            QCOMPARE(box->text(), QStringLiteral("賞与"));
            Press(Qt::Key_Escape);
            QVERIFY(!box->isVisible());
            QVERIFY(w->isVisible());
            QCOMPARE(entries(w->list(kBrkDnPane)), QStringList{QStringLiteral("その他")});
            Press(Qt::Key_F4);
            Press(Qt::Key_F12);
        }));
        VERIFY_DIALOGS(h.dlg);
    }

    // A name the files cannot hold is refused with its reason while the typed text stays.
    void refusedNameKeepsTheInput() {
        Home h;
        h.dlg.expect("MsgOK").expectMessage("項目名には半角の「\"」は使えません。");
        QVERIFY(h.run([&](frmTBL* w) {
            Press(Qt::Key_F2);
            Type(QStringLiteral("A\"B"));
            Press(Qt::Key_Return);
            QVERIFY(w->inputBox(kItemPane)->isVisible());
            QCOMPARE(w->inputBox(kItemPane)->text(), QStringLiteral("A\"B"));
            Press(Qt::Key_Escape);
            Press(Qt::Key_Escape);
        }));
        VERIFY_DIALOGS(h.dlg);
        QCOMPARE(FillItemList(h.app.names, kExpenseKind, false), names({"食費"}));
    }

    // The close box while a name is typed cancels the whole registration, with its question.
    void closeBoxDuringTheInput() {
        Home h;
        h.dlg.expectBox(MsgResult::Yes);
        h.dlg.expect("MsgYesNo2", 0).expectMessage("登録の変更をすべてキャンセル");
        QVERIFY(h.run([&](frmTBL* w) {
            Press(Qt::Key_Right);
            Press(Qt::Key_F2);
            Type(QStringLiteral("果物"));
            Press(Qt::Key_Return);
            Press(Qt::Key_F3);
            Press(Qt::Key_F4, Qt::AltModifier); // the close box's key
            QVERIFY(!w->isVisible());
        }));
        VERIFY_DIALOGS(h.dlg);
        QCOMPARE(FillBrkDnList(h.app.names, 21, false), names({"その他", "野菜"}));
    }

    // Questions asked while the window is up are placed over it; afterwards the main window
    // owns them again.
    void questionsBelongToTheWindow() {
        Home h;
        QWidget mainWindow;
        QtDialogs qt(&mainWindow);
        QtCommandScreens screens(qt);
        QWidget* questionOwner = nullptr;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || questionOwner) return;
            questionOwner = box->parentWidget();
            QTest::keyClick(box, Qt::Key_Escape); // "いいえ"
        });
        answer.start(20);
        frmTBL* window = nullptr;
        QVERIFY(WhileOpen<frmTBL>(
            [&] { screens.NameRegistration(h.app); },
            [&](frmTBL* w) {
                window = w;
                Press(Qt::Key_F2);
                Type(QStringLiteral("雑費"));
                Press(Qt::Key_Return);
                QVERIFY(QTest::qWaitFor([&] { return questionOwner != nullptr; }, mrt::test::kPatience));
                QVERIFY(QTest::qWaitFor([&] { return QApplication::activeModalWidget() == w; }, mrt::test::kPatience));
                Press(Qt::Key_Escape);
            }));
        QCOMPARE(questionOwner, static_cast<QWidget*>(window));
        QCOMPARE(qt.Owner(), &mainWindow);
        QCOMPARE(FillItemList(h.app.names, kExpenseKind, false), names({"食費"}));
    }
};

QTEST_MAIN(NamesWindowTest)
#include "test_names_window.moc"
