// The dialog windows driven by real key presses (offscreen). Modal windows are answered by a
// script of steps that runs from a timer while the window's own event loop is waiting.
#include "settings/IniRecord.h"
#include "support/ModalScript.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/dialogs/frmDIN.h"
#include "ui/dialogs/frmMSG.h"
#include "ui/dialogs/frmSelect.h"
#include "ui/grid/GridView.h"
#include "ui/help/HelpWindow.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace mrt;

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

using mrt::test::FocusOf;
using mrt::test::ModalScript;

void press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(FocusOf(w), key, mods);
}
void type(QWidget* w, const QString& text) {
    QTest::keyClicks(FocusOf(w), text);
}

// The modal calls of the answer table: each opens its dialog, fixed but for a start value (a text,
// or a 1-based line of a list).
enum class Call { YesNo, MsgKel, MsgKel2, YesNoBtn, InputKel, ListKel, ListKelBtn, DateInYMD, SubMenu };

// One action of the user on a modal window: a key ("Return", "Escape", "Left", "Right", "Down",
// "Tab"), "close" (the frame's close box), "click N" (button N, 0-based), "dclick N" (a double
// click on list line N), "selectall" (of the input box) or "type TEXT".
void act(QWidget* w, const QString& action) {
    static const QHash<QString, Qt::Key> keys{{u8("Return"), Qt::Key_Return}, {u8("Escape"), Qt::Key_Escape},
                                              {u8("Left"), Qt::Key_Left},     {u8("Right"), Qt::Key_Right},
                                              {u8("Down"), Qt::Key_Down},     {u8("Tab"), Qt::Key_Tab}};
    const QString verb = action.section(QLatin1Char(' '), 0, 0);
    const QString arg = action.section(QLatin1Char(' '), 1);
    if (keys.contains(action)) {
        press(w, keys.value(action));
    } else if (verb == u8("close")) {
        w->close();
    } else if (verb == u8("click")) {
        QTest::mouseClick(static_cast<frmMSG*>(w)->Button(arg.toInt()), Qt::LeftButton);
    } else if (verb == u8("dclick")) {
        GridView* list = static_cast<frmSelect*>(w)->List();
        const QRect cell = list->CellRect(arg.toInt(), 0);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           cell.center() - list->viewport()->geometry().topLeft());
    } else if (verb == u8("selectall")) {
        if (auto* box = qobject_cast<QLineEdit*>(FocusOf(w))) box->selectAll();
    } else if (verb == u8("type")) {
        type(w, arg);
    } else {
        QFAIL(qPrintable(u8("unknown action ") + action));
    }
}

// Runs the call with the actions as its one window's answer. `out`: what the call gives back
// besides its result (the text typed, the date, the list line), unchanged by a cancel.
int runCall(Call call, const QString& start, const QStringList& actions, QString& out, bool& answered) {
    const QStringList three{u8("保 管"), u8("復 帰"), u8("中 止")};
    QStringList fifteen;
    for (int i = 1; i <= 15; ++i)
        fifteen << u8("項目") + QString::number(i);
    ModalScript script({[&](QWidget* w) {
        for (const QString& a : actions)
            act(w, a);
    }});
    frmMSG msg(nullptr, 1);
    int r = 0;
    switch (call) {
    case Call::YesNo:
        r = msg.MsgYesNo(u8("保存しますか？"), u8("確認"));
        break;
    case Call::MsgKel:
        r = msg.MsgKel(three, u8("どちらの作業ですか？"), u8("作業"));
        break;
    case Call::MsgKel2:
        r = msg.MsgKel2(three, u8("どちらの作業ですか？"), u8("作業"), 0, 0, 2);
        break;
    case Call::YesNoBtn:
        r = msg.MsgYesNoBtn(u8("登録しますか？"), u8("登録"));
        break;
    case Call::InputKel: {
        // The start value, then the range check after a "|".
        QString txt = start.section(QLatin1Char('|'), 0, 0);
        frmMSG box(nullptr, 0);
        r = box.InputKel(txt, u8("入力"), u8("入力"), 0, 0, start.section(QLatin1Char('|'), 1));
        out = txt;
        break;
    }
    case Call::ListKel:
        r = msg.ListKel(fifteen, start.toInt(), u8("選んでください"), u8("一覧"));
        break;
    case Call::ListKelBtn:
        r = msg.ListKelBtn(fifteen, start.toInt(), u8("選んでください"), u8("一覧"));
        break;
    case Call::DateInYMD: {
        frmDIN din(nullptr, 0);
        r = din.DateInYMD(u8("日付"), start, out);
        break;
    }
    case Call::SubMenu: {
        frmSelect menu(nullptr);
        int lst = start.toInt();
        r = menu.SubMenu(u8("作業選択"), lst, {u8("項目名・内訳名・店名の登録"), u8("予算表の登録"), u8("環境設定")});
        out = QString::number(lst);
        break;
    }
    }
    answered = script.done();
    return r;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }
    void cleanup() {
        AppHelp().CloseAllHelp();
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeModalWidget() == nullptr, mrt::test::kPatience);
    }

    void windowFontsResolveToTheIpaFonts() {
        QCOMPARE(QFontInfo(UiFont(GothicFace(), 10)).family(), QStringLiteral("IPAGothic"));
        QCOMPARE(QFontInfo(UiFont(PGothicFace(), 10)).family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(QFontInfo(UiFont(MinchoFace(), 10)).family(), QStringLiteral("IPAMincho"));
        // Fixed pitch: a full-width character is two half-width ones.
        const QFontMetrics fm(UiFont(GothicFace(), 9));
        QCOMPARE(fm.horizontalAdvance(u8("家")), 2 * fm.horizontalAdvance(u8("5")));
    }

    // ---- frmMSG ---------------------------------------------------------------------------------

    void answers_data() {
        QTest::addColumn<int>("call");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("out");
        auto row = [](const char* name, Call call, const char* start, QStringList actions, int result,
                      const char* out = "") {
            QTest::newRow(name) << int(call) << u8(start) << actions << result << u8(out);
        };
        row("yes/no: Enter on はい", Call::YesNo, "", {u8("Return")}, 0);
        row("yes/no: → Enter on いいえ", Call::YesNo, "", {u8("Right"), u8("Return")}, 1);
        row("yes/no: the frame is no", Call::YesNo, "", {u8("close")}, 1);
        row("buttons: → Tab Enter", Call::MsgKel, "", {u8("Right"), u8("Tab"), u8("Return")}, 3);
        row("buttons: ← wraps to the last", Call::MsgKel, "", {u8("Left"), u8("Left"), u8("Return")}, 2);
        row("buttons: the frame is the last", Call::MsgKel, "", {u8("close")}, 3);
        row("buttons: a click", Call::MsgKel2, "", {u8("click 1")}, 2);
        row("picture yes/no: Enter", Call::YesNoBtn, "", {u8("Return")}, 0);
        row("input: a bound is in range", Call::InputKel, "31|01,31", {u8("Return")}, 0, "31");
        row("input: below a maximum", Call::InputKel, "    |,100", {u8("selectall"), u8("type -5"), u8("Return")}, 0,
            "-5");
        row("input: Esc keeps the text", Call::InputKel, "12|01,31", {u8("type 9"), u8("Escape")}, -1, "12");
        row("input: the frame cancels", Call::InputKel, "12|", {u8("close")}, -1, "12");
        row("list: nothing selected", Call::ListKel, "0", {u8("Return")}, -1);
        row("list: the confirm button, nothing selected", Call::ListKel, "0", {u8("click 0")}, -1);
        row("list: ↓ Enter", Call::ListKel, "3", {u8("Down"), u8("Return")}, 4);
        row("list: Esc", Call::ListKel, "3", {u8("Escape")}, -1);
        row("picture list: the frame", Call::ListKelBtn, "2", {u8("close")}, -1);
        row("picture list: the last line", Call::ListKelBtn, "15", {u8("Return")}, 15);
        row("date: Enter", Call::DateInYMD, "2004/02/01", {u8("Return")}, 0, "2004/02/01");
        row("date: Esc", Call::DateInYMD, "2004/02/01", {u8("Escape")}, -1, "(unchanged)");
        row("date: the frame", Call::DateInYMD, "2004/02/01", {u8("close")}, -1, "(unchanged)");
        row("menu: Esc keeps the line", Call::SubMenu, "2", {u8("Escape")}, -1, "2");
        row("menu: ↓ ↓ Enter", Call::SubMenu, "1", {u8("Down"), u8("Down"), u8("Return")}, 3, "3");
        row("menu: beyond the last line is the last", Call::SubMenu, "9", {u8("Return")}, 3, "3");
        row("menu: a double click", Call::SubMenu, "0", {u8("dclick 1")}, 2, "2");
        row("menu: the frame", Call::SubMenu, "0", {u8("close")}, -1, "0");
    }
    void answers() {
        QFETCH(int, call);
        QFETCH(QString, start);
        QFETCH(QStringList, actions);
        QFETCH(int, result);
        QFETCH(QString, out);
        QString given = u8("(unchanged)");
        bool answered = false;
        QCOMPARE(runCall(Call(call), start, actions, given, answered), result);
        QVERIFY(answered);
        if (!out.isEmpty()) QCOMPARE(given, out);
    }

    void yesNo2StartsOnTheGivenButtonAndShowsTheHintOfTheKeyMode() {
        frmMSG dos(nullptr, 1);
        bool focusOnNo = false;
        QString hint;
        ModalScript s({[&](QWidget* w) {
            focusOnNo = w->focusWidget() == dos.Button(1);
            hint = dos.HintLabel()->isVisible() ? dos.HintLabel()->text() : QString();
            press(w, Qt::Key_Escape);
        }});
        QCOMPARE(dos.MsgYesNo2(u8("終了しますか？"), u8("終了"), 1), 1);
        QVERIFY(focusOnNo);
        QCOMPARE(hint, u8("（ ← →で選択して[Enter]を押す ）"));

        frmMSG win(nullptr, 0);
        ModalScript s2({[&](QWidget* w) {
            hint = win.HintLabel()->text();
            press(w, Qt::Key_Return);
        }});
        QCOMPARE(win.MsgYesNo2(u8("終了しますか？"), u8("終了"), 0), 0);
        QCOMPARE(hint, u8("（ [Tab]で選択して[Enter]を押す ）"));
    }

    void pictureButtonsAndIcons() {
        frmMSG a(nullptr, 1);
        bool pictures = false;
        ModalScript s({[&](QWidget*) {
            pictures = a.Button(0)->text().isEmpty() && !a.Button(0)->icon().isNull() && a.ButtonCount() == 3;
            QTest::mouseClick(a.Button(1), Qt::LeftButton);
        }});
        QCOMPARE(a.MsgKelBtn({5, 6, 2}, u8("印刷しますか？"), u8("印刷")), 2);
        QVERIFY(pictures);
    }

    void longCaptionsTakeTheSmallerFontAndAnEmptyTitleDropsTheCaptionBar() {
        frmMSG a(nullptr, 1);
        a.MsgKelset({u8("入出金データ保管"), u8("中 止")}, u8("作業を選んでください"), u8("保管"), 0, 0,
                    frmMSG::kButtons);
        QVERIFY(a.Button(0)->font().pointSizeF() < a.Button(1)->font().pointSizeF());
        QVERIFY(!a.IconLabel()->pixmap().isNull());
        QVERIFY(!(a.windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(a.windowTitle(), u8("　保管"));

        frmMSG b(nullptr, 1);
        b.MsgKelset({u8("Ｏ  Ｋ")}, u8("作業を選んでください"), QString(), 0, 0, frmMSG::kButtons);
        QVERIFY(b.windowFlags() & Qt::FramelessWindowHint);
    }

    void placementIsHeldWithinTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QWidget owner;
        owner.setGeometry(screen.right() - 250, screen.y() + 100, 240, 200);
        owner.show();
        frmMSG right(&owner, 1);
        right.MsgKelset({u8("Ｏ  Ｋ")}, u8("右に置く"), u8("位置"), 2, 0, frmMSG::kButtons);
        QCOMPARE(right.x() + right.width(), screen.right() + 1);

        owner.move(screen.x() + 10, screen.y() + 10);
        frmMSG left(&owner, 1);
        left.MsgKelset({u8("Ｏ  Ｋ")}, u8("左上に置く"), u8("位置"), -2, -2, frmMSG::kButtons);
        QCOMPARE(left.pos(), screen.topLeft());

        frmMSG centred(&owner, 1);
        centred.MsgKelset({u8("Ｏ  Ｋ")}, u8("画面の中央"), u8("位置"), 10, 10, frmMSG::kButtons);
        QCOMPARE(centred.x(), screen.x() + (screen.width() - centred.width()) / 2);
    }

    void inputKelRefusesOutOfRangeAndLimitsLength() {
        frmMSG dlg(nullptr, 0);
        QString message2, message3, typed;
        ModalScript s({
            [&](QWidget* w) {
                dlg.TextBox()->selectAll();
                type(w, u8("123"));
                typed = dlg.TextBox()->text();
                dlg.TextBox()->selectAll();
                type(w, u8("32"));
                press(w, Qt::Key_Return);
            },
            [&](QWidget* w) {
                message2 = dlg.MessageLabel()->text();
                dlg.TextBox()->selectAll();
                type(w, u8("0"));
                press(w, Qt::Key_Return);
            },
            [&](QWidget* w) {
                message3 = dlg.MessageLabel()->text();
                dlg.TextBox()->selectAll();
                type(w, u8("1"));
                press(w, Qt::Key_Return);
            },
        });
        QString txt = u8("31");
        QCOMPARE(dlg.InputKel(txt, u8("締め日を入力してください。"), u8("締め日"), 0, 0, u8("01,31")), 0);
        QCOMPARE(typed, u8("12"));
        QCOMPARE(message2, u8("締め日を入力してください。 （入力エラー）"));
        QCOMPARE(message3, message2); // the suffix is not repeated
        QCOMPARE(txt, u8("1"));
        QVERIFY(s.done());
    }

    void inputKelOverwritesInTheDosType() {
        frmMSG dlg(nullptr, 1);
        QString shown;
        ModalScript s({[&](QWidget* w) {
            dlg.TextBox()->setCursorPosition(0);
            type(w, u8("2"));
            shown = dlg.TextBox()->text();
            press(w, Qt::Key_Return);
        }});
        QString txt = u8("15");
        QCOMPARE(dlg.InputKel(txt, u8("締め日"), u8("締め日"), 0, 0, u8("1,31")), 0);
        QCOMPARE(shown, u8("25"));
        QCOMPARE(txt, u8("25"));
    }

    void rangeCheckParsing() {
        const RangeCheck both = ParseRangeCheck(u8("01,31"));
        QVERIFY(both.hasMin && both.hasMax);
        QVERIFY(InRange(both, 31) && InRange(both, 1) && !InRange(both, 32) && !InRange(both, 0));
        const RangeCheck onlyMax = ParseRangeCheck(u8(",100"));
        QVERIFY(!onlyMax.hasMin && InRange(onlyMax, -99999) && !InRange(onlyMax, 100.5));
        const RangeCheck onlyMin = ParseRangeCheck(u8("0"));
        QVERIFY(onlyMin.hasMin && !onlyMin.hasMax && !InRange(onlyMin, -1) && InRange(onlyMin, 1e9));
        QVERIFY(InRange(ParseRangeCheck(QString()), -1e9));
        QCOMPARE(NumericValue(u8("  12 34x")), 1234.0);
        QCOMPARE(NumericValue(u8("-3.5")), -3.5);
        QCOMPARE(NumericValue(u8("abc")), 0.0);
    }

    void listKelShowsTenLinesAtMost() {
        QStringList fifteen;
        for (int i = 1; i <= 15; ++i)
            fifteen << u8("項目") + QString::number(i);
        frmMSG a(nullptr, 1);
        int rowsShown = 0;
        ModalScript s1({[&](QWidget* w) {
            rowsShown = a.List()->viewport()->height() / a.List()->sizeHintForRow(0);
            press(w, Qt::Key_Escape);
        }});
        QCOMPARE(a.ListKel(fifteen, 0, u8("選んでください"), u8("一覧")), -1);
        QCOMPARE(rowsShown, 10);
    }

    void waitWindowIsPaintedAtOnceAndClosed() {
        QtDialogs dlg;
        dlg.MsgOn("データ処理中、しばらくお待ち下さい", "処理中");
        QPointer<QWidget> shown;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == u8("　処理中")) shown = w;
        QVERIFY(shown);
        QVERIFY(!shown->grab().isNull());
        dlg.MsgOff();
        QVERIFY(shown.isNull() || !shown->isVisible());
    }

    // ---- frmDIN ---------------------------------------------------------------------------------

    void dateInYMDAsksAgainOnAnInvalidDate() {
        frmDIN dlg(nullptr, 0);
        QStringList secondValues;
        ModalScript s({
            [&](QWidget* w) {
                dlg.Field(2)->selectAll();
                QTest::keyClicks(dlg.Field(2), u8("30"));
                press(w, Qt::Key_Return);
            },
            [&](QWidget* w) {
                secondValues = {dlg.Field(0)->text(), dlg.Field(1)->text(), dlg.Field(2)->text()};
                dlg.Field(2)->selectAll();
                QTest::keyClicks(dlg.Field(2), u8("29"));
                press(w, Qt::Key_Return);
            },
        });
        QString out = u8("unchanged");
        QCOMPARE(dlg.DateInYMD(u8("日付を入力してください。"), u8("2004/02/01"), out), 0);
        QCOMPARE(secondValues, (QStringList{u8("2004"), u8("02"), u8("30")}));
        QCOMPARE(out, u8("2004/02/29"));
        QCOMPARE(dlg.windowTitle(), u8("日付入力"));
    }

    void dateInYMDKeepsTheForm() {
        frmDIN a(nullptr, 0);
        ModalScript s1({[&](QWidget* w) {
            a.Field(1)->selectAll();
            QTest::keyClicks(a.Field(1), u8("4"));
            press(w, Qt::Key_Return);
        }});
        QString out;
        QCOMPARE(a.DateInYMD(u8("日付"), u8("04-02-01"), out), 0);
        QCOMPARE(out, u8("04-04-01")); // two-digit year and separator kept, month padded
    }

    void enterMovesInTheDosTypeAndConfirmsInTheWindowsType() {
        frmDIN dos(nullptr, 1);
        bool movedToMonth = false, hintDos = false, caretAfterThird = false;
        ModalScript s({[&](QWidget* w) {
            caretAfterThird = dos.Field(0)->cursorPosition() == 3;
            hintDos = dos.HintLabel()->text() == u8("（ [Enter]で移動：[Esc]で中止 ）");
            QTest::keyClicks(dos.Field(0), u8("5")); // overwrites the year's last digit
            press(w, Qt::Key_Return);
            movedToMonth = w->focusWidget() == dos.Field(1);
            press(w, Qt::Key_Return); // to the day
            press(w, Qt::Key_Return); // to the confirm button
            press(w, Qt::Key_Return); // presses it
        }});
        QString out;
        QCOMPARE(dos.DateInYMD(u8("日付"), u8("2004/03/31"), out), 0);
        QVERIFY(caretAfterThird);
        QVERIFY(hintDos);
        QVERIFY(movedToMonth);
        QCOMPARE(out, u8("2005/03/31"));

        frmDIN win(nullptr, 0);
        bool hintWin = false;
        ModalScript s2({[&](QWidget* w) {
            hintWin = win.HintLabel()->text() == u8("（ [Tab]で移動して[Enter]を押す：[Esc]で中止 ）");
            press(w, Qt::Key_Return);
        }});
        QCOMPARE(win.DateInYMD(u8("日付"), u8("2004/03/31"), out), 0);
        QVERIFY(hintWin);
    }

    void dateInYMRefusesMonth13() {
        frmDIN dlg(nullptr, 0);
        QString monthShownAgain;
        ModalScript s({
            [&](QWidget* w) {
                dlg.Field(1)->selectAll();
                QTest::keyClicks(dlg.Field(1), u8("13"));
                press(w, Qt::Key_Return);
            },
            [&](QWidget* w) {
                monthShownAgain = dlg.Field(1)->text();
                dlg.Field(1)->selectAll();
                QTest::keyClicks(dlg.Field(1), u8("1"));
                press(w, Qt::Key_Return);
            },
        });
        QString out;
        QCOMPARE(dlg.DateInYM(u8("年月"), u8("2004/05"), out), 0);
        QCOMPARE(monthShownAgain, u8("13"));
        QCOMPARE(out, u8("2004/01"));
    }

    // ---- frmSelect ------------------------------------------------------------------------------

    void subMenuFitsItsCaptionAndTheScreen() {
        int lst = 0;
        // A long caption (the question itself) fits the window.
        frmSelect f(nullptr);
        const QString question = u8("保管するデータを選択してください。");
        int width = 0;
        ModalScript s6({[&](QWidget* w) {
            width = w->width();
            press(w, Qt::Key_Escape);
        }});
        QCOMPARE(f.SubMenuH(question, lst, {u8("短い"), u8("一覧")}, 800), -1);
        QVERIFY(width > QFontMetrics(f.font()).horizontalAdvance(question));

        // Fifty ledger years: the window stays within the screen and Down reaches the last one.
        QStringList years;
        for (int y = 2000; y < 2050; ++y)
            years << QString::number(y);
        frmSelect g(nullptr);
        int height = 0;
        ModalScript s7({[&](QWidget* w) {
            height = w->frameGeometry().height();
            for (int i = 0; i < 49; ++i)
                press(w, Qt::Key_Down);
            press(w, Qt::Key_Return);
        }});
        lst = 1;
        QCOMPARE(g.SubMenu(u8("入出金データの年度を選択して下さい。"), lst, years), 50);
        QVERIFY(height <= QGuiApplication::primaryScreen()->availableGeometry().height());
    }

    void subMenuHelpOnlyWithATopic() {
        const QStringList sel{u8("各データの保管"), u8("保管データ復帰"), u8("開始日付の変更")};
        frmSelect a(nullptr);
        bool helpButtonShown = true, helpAfterF1 = true;
        ModalScript s1({[&](QWidget* w) {
            helpButtonShown = a.HelpButton()->isVisible();
            press(w, Qt::Key_F1);
            helpAfterF1 = AppHelp().HelpShown();
            press(w, Qt::Key_Return);
        }});
        int lst = 1;
        QCOMPARE(a.SubMenu(u8("補助"), lst, sel), 1);
        QVERIFY(!helpButtonShown);
        QVERIFY(!helpAfterF1);

        frmSelect b(nullptr);
        int topic = 0;
        bool listStillOpen = false;
        ModalScript s2({[&](QWidget* w) {
            press(w, Qt::Key_F1);
            topic = AppHelp().HelpShown() ? AppHelp().Window()->CurrentTopic() : 0;
            press(w, Qt::Key_F4, Qt::AltModifier); // closes the help window only
            listStillOpen = w->isVisible() && !AppHelp().HelpShown();
            press(w, Qt::Key_F1);
            press(w, Qt::Key_Escape);
        }});
        QCOMPARE(b.SubMenuH(u8("補助"), lst, sel, 800), -1);
        QCOMPARE(topic, 800);
        QVERIFY(listStillOpen);
        QVERIFY(!AppHelp().HelpShown()); // leaving the list closes its help
    }

    // ---- the port and help ----------------------------------------------------------------------

    void portFollowsTheSettingsAndConvertsTexts() {
        IniRecord ini;
        ini.KeyInputMode = 0;
        QtDialogs dlg(nullptr, &ini);
        QCOMPARE(dlg.KeyInputMode(), 0);
        ini.KeyInputMode = 1;
        QCOMPARE(dlg.KeyInputMode(), 1);

        ModalScript s({[](QWidget* w) {
            auto* msg = static_cast<frmMSG*>(w);
            msg->TextBox()->selectAll();
            type(w, u8("25"));
            press(w, Qt::Key_Return);
        }});
        std::string txt = "31";
        QCOMPARE(dlg.InputKel(txt, "締め日を入力してください。", "締め日", 0, 0, "01,31"), 0);
        QCOMPARE(txt, std::string("25"));

        ModalScript s2({[](QWidget* w) { w->close(); }});
        QCOMPARE(dlg.MsgBox("続けますか？", "確認", MsgIcon::Question, MsgButtons::YesNo), MsgResult::No);
        ModalScript s3({[](QWidget* w) { press(w, Qt::Key_Return); }});
        int lst = 2;
        QCOMPARE(dlg.SubMenu("作業選択", lst, {"一", "二", "三"}), 2);
    }

    void helpWindowShowsOneTopicAtATime() {
        AppHelp().CloseAllHelp(); // nothing open: nothing happens
        QVERIFY(!AppHelp().HelpShown());
        AppHelp().ShowHelpTopic(HelpFile::Main, 101);
        QPointer<HelpWindow> first = AppHelp().Window();
        AppHelp().ShowHelpTopic(HelpFile::Sub, 300);
        QCOMPARE(AppHelp().Window(), first.data());
        QCOMPARE(AppHelp().Window()->CurrentTopic(), 300);
        QVERIFY(AppHelp().Window()->Browser()->toPlainText().contains(u8("登録")));
        AppHelp().CloseAllHelp();
        QVERIFY(!AppHelp().HelpShown());
        QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), mrt::test::kPatience);
    }

    // A help window belongs to the window that asked for it and closes when that one closes.
    void helpGoesWithItsWindow() {
        QDialog window;
        QPointer<HelpWindow> help;
        QWidget* owner = nullptr;
        ModalScript s({[&](QWidget* w) {
            AppHelp().ShowHelpTopic(HelpFile::Sub, 300);
            help = AppHelp().Window();
            owner = help ? help->parentWidget() : nullptr;
            press(w, Qt::Key_Escape);
        }});
        window.exec();
        QVERIFY(s.done());
        QCOMPARE(owner, static_cast<QWidget*>(&window));
        QVERIFY(!AppHelp().HelpShown());
        QVERIFY(help.isNull() || !help->isVisible());
    }

    void everyTopicHasAPage() {
        const QString folder = HelpAccess::HelpFolder();
        QVERIFY2(!folder.isEmpty(), "help folder not found");
        for (int t : {100, 101, 102, 103, 104, 105})
            QVERIFY2(QFile::exists(folder + QStringLiteral("/main/%1.html").arg(t)), qPrintable(QString::number(t)));
        for (int t : {200, 300, 400, 500, 600, 800})
            QVERIFY2(QFile::exists(folder + QStringLiteral("/sub/%1.html").arg(t)), qPrintable(QString::number(t)));
        QVERIFY(QFile::exists(folder + QStringLiteral("/main/index.html")));
        QVERIFY(QFile::exists(folder + QStringLiteral("/sub/index.html")));
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
