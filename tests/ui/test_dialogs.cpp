// The dialog windows driven by real key presses (offscreen). Modal windows are answered by a
// script of steps that runs from a timer while the window's own event loop is waiting.
#include "settings/IniRecord.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/dialogs/frmDIN.h"
#include "ui/dialogs/frmMSG.h"
#include "ui/dialogs/frmSelect.h"
#include "ui/grid/GridView.h"
#include "ui/help/HelpWindow.h"

#include <QApplication>
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

// Runs one step per opening of a modal window: waits until a modal window is shown, runs the
// step on it, then waits for that window to hide (a repeated question re-opens the same window)
// before the next step.
class ModalScript : public QObject {
public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalScript(QList<Step> steps) : m_steps(std::move(steps)) {
        connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
        m_timer.start(5);
    }
    ~ModalScript() override {
        m_timer.stop();
        if (m_current) m_current->removeEventFilter(this);
    }
    bool done() const { return m_next >= m_steps.size() && !m_current; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_current && event->type() == QEvent::Hide) {
            m_current->removeEventFilter(this);
            m_current = nullptr;
        }
        return false;
    }

private:
    void poll() {
        if (m_current || m_next >= m_steps.size()) return;
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        m_current = w;
        w->installEventFilter(this);
        m_steps[m_next++](w);
    }

    QList<Step> m_steps;
    qsizetype m_next = 0;
    QPointer<QWidget> m_current;
    QTimer m_timer;
};

// Keys go to the window's focus widget, as the keyboard would deliver them.
QWidget* focusOf(QWidget* w) {
    return w->focusWidget() ? w->focusWidget() : w;
}
void press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(focusOf(w), key, mods);
}
void type(QWidget* w, const QString& text) {
    QTest::keyClicks(focusOf(w), text);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }
    void cleanup() {
        AppHelp().CloseAllHelp();
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
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

    void yesNoAnswersByKeysAndFrame() {
        frmMSG a(nullptr, 1);
        ModalScript s1({[](QWidget* w) { press(w, Qt::Key_Return); }});
        QCOMPARE(a.MsgYesNo(u8("保存しますか？"), u8("確認")), 0);

        frmMSG b(nullptr, 1);
        ModalScript s2({[](QWidget* w) {
            press(w, Qt::Key_Right);
            press(w, Qt::Key_Return);
        }});
        QCOMPARE(b.MsgYesNo(u8("保存しますか？"), u8("確認")), 1);

        frmMSG c(nullptr, 1);
        ModalScript s3({[](QWidget* w) { w->close(); }});
        QCOMPARE(c.MsgYesNo(u8("保存しますか？"), u8("確認")), 1); // closing by the frame is no
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

    void msgKelButtonsByArrowsTabAndFrame() {
        const QStringList sel{u8("保 管"), u8("復 帰"), u8("中 止")};
        frmMSG a(nullptr, 1);
        ModalScript s1({[](QWidget* w) {
            press(w, Qt::Key_Right);
            press(w, Qt::Key_Tab);
            press(w, Qt::Key_Return);
        }});
        QCOMPARE(a.MsgKel(sel, u8("どちらの作業ですか？"), u8("作業")), 3);

        frmMSG b(nullptr, 1);
        ModalScript s2({[](QWidget* w) {
            press(w, Qt::Key_Left); // wraps to the last button
            press(w, Qt::Key_Left);
            press(w, Qt::Key_Return);
        }});
        QCOMPARE(b.MsgKel(sel, u8("どちらの作業ですか？"), u8("作業")), 2);

        frmMSG c(nullptr, 1);
        ModalScript s3({[](QWidget* w) { w->close(); }});
        QCOMPARE(c.MsgKel(sel, u8("どちらの作業ですか？"), u8("作業")), 3); // frame close = the last button

        frmMSG d(nullptr, 1);
        ModalScript s4({[&](QWidget*) { QTest::mouseClick(d.Button(1), Qt::LeftButton); }});
        QCOMPARE(d.MsgKel2(sel, u8("どちらの作業ですか？"), u8("作業"), 0, 0, 2), 2);
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

        frmMSG b(nullptr, 1);
        ModalScript s2({[](QWidget* w) { press(w, Qt::Key_Return); }});
        QCOMPARE(b.MsgYesNoBtn(u8("登録しますか？"), u8("登録")), 0);
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

    void inputKelAcceptsTheBoundsAndCancels() {
        frmMSG a(nullptr, 0);
        ModalScript s1({[](QWidget* w) { press(w, Qt::Key_Return); }});
        QString txt = u8("31");
        QCOMPARE(a.InputKel(txt, u8("締め日"), u8("締め日"), 0, 0, u8("01,31")), 0); // 31 is in range

        frmMSG b(nullptr, 0);
        ModalScript s2({[&](QWidget* w) {
            b.TextBox()->selectAll();
            type(w, u8("-5"));
            press(w, Qt::Key_Return);
        }});
        txt = u8("    ");
        QCOMPARE(b.InputKel(txt, u8("金額"), u8("金額"), 0, 0, u8(",100")), 0);
        QCOMPARE(txt, u8("-5"));

        frmMSG c(nullptr, 0);
        ModalScript s3({[&](QWidget* w) {
            type(w, u8("9"));
            press(w, Qt::Key_Escape);
        }});
        txt = u8("12");
        QCOMPARE(c.InputKel(txt, u8("締め日"), u8("締め日"), 0, 0, u8("01,31")), -1);
        QCOMPARE(txt, u8("12"));

        frmMSG d(nullptr, 0);
        ModalScript s4({[](QWidget* w) { w->close(); }});
        QCOMPARE(d.InputKel(txt, u8("締め日"), u8("締め日"), 0, 0, QString()), -1);
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

    void listKelChoosesOrCancels() {
        QStringList fifteen;
        for (int i = 1; i <= 15; ++i)
            fifteen << u8("項目") + QString::number(i);

        frmMSG a(nullptr, 1);
        int rowsShown = 0;
        ModalScript s1({[&](QWidget* w) {
            rowsShown = a.List()->viewport()->height() / a.List()->sizeHintForRow(0);
            press(w, Qt::Key_Return);
        }});
        QCOMPARE(a.ListKel(fifteen, 0, u8("選んでください"), u8("一覧")), -1); // nothing selected
        QCOMPARE(rowsShown, 10);

        frmMSG b(nullptr, 1);
        ModalScript s2({[&](QWidget*) { QTest::mouseClick(b.Button(0), Qt::LeftButton); }});
        QCOMPARE(b.ListKel(fifteen, 0, u8("選んでください"), u8("一覧")), -1); // confirm without a selection

        frmMSG c(nullptr, 1);
        ModalScript s3({[](QWidget* w) {
            press(w, Qt::Key_Down);
            press(w, Qt::Key_Return);
        }});
        QCOMPARE(c.ListKel(fifteen, 3, u8("選んでください"), u8("一覧")), 4);

        frmMSG d(nullptr, 1);
        ModalScript s4({[](QWidget* w) { press(w, Qt::Key_Escape); }});
        QCOMPARE(d.ListKel(fifteen, 3, u8("選んでください"), u8("一覧")), -1);

        frmMSG e(nullptr, 1);
        ModalScript s5({[](QWidget* w) { w->close(); }});
        QCOMPARE(e.ListKelBtn(fifteen, 2, u8("選んでください"), u8("一覧")), -1);

        frmMSG f(nullptr, 1);
        ModalScript s6({[](QWidget* w) { press(w, Qt::Key_Return); }});
        QCOMPARE(f.ListKelBtn(fifteen, 15, u8("選んでください"), u8("一覧")), 15);
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

    void dateInYMDKeepsTheFormAndCancels() {
        frmDIN a(nullptr, 0);
        ModalScript s1({[&](QWidget* w) {
            a.Field(1)->selectAll();
            QTest::keyClicks(a.Field(1), u8("4"));
            press(w, Qt::Key_Return);
        }});
        QString out;
        QCOMPARE(a.DateInYMD(u8("日付"), u8("04-02-01"), out), 0);
        QCOMPARE(out, u8("04-04-01")); // two-digit year and separator kept, month padded

        frmDIN b(nullptr, 0);
        ModalScript s2({[](QWidget* w) { press(w, Qt::Key_Escape); }});
        out = u8("unchanged");
        QCOMPARE(b.DateInYMD(u8("日付"), u8("2004/02/01"), out), -1);
        QCOMPARE(out, u8("unchanged"));

        frmDIN c(nullptr, 0);
        ModalScript s3({[](QWidget* w) { w->close(); }});
        QCOMPARE(c.DateInYMD(u8("日付"), u8("2004/02/01"), out), -1);
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

    void subMenuChoosesByKeysAndCancels() {
        const QStringList sel{u8("項目名・内訳名・店名の登録"), u8("予算表の登録"), u8("環境設定")};
        frmSelect a(nullptr);
        ModalScript s1({[](QWidget* w) { press(w, Qt::Key_Escape); }});
        int lst = 2;
        QCOMPARE(a.SubMenu(u8("作業選択"), lst, sel), -1);
        QCOMPARE(lst, 2);

        frmSelect b(nullptr);
        ModalScript s2({[](QWidget* w) {
            press(w, Qt::Key_Down);
            press(w, Qt::Key_Down);
            press(w, Qt::Key_Return);
        }});
        lst = 1;
        QCOMPARE(b.SubMenu(u8("作業選択"), lst, sel), 3);
        QCOMPARE(lst, 3);

        frmSelect c(nullptr);
        int startRow = -1;
        ModalScript s3({[&](QWidget* w) {
            startRow = c.List()->model().Row();
            press(w, Qt::Key_Return);
        }});
        lst = 9;
        QCOMPARE(c.SubMenu(u8("作業選択"), lst, sel), 3); // beyond the last line = the last line
        QCOMPARE(startRow, 2);

        frmSelect d(nullptr);
        ModalScript s4({[&](QWidget*) {
            const QRect cell = d.List()->CellRect(1, 0);
            QTest::mouseDClick(d.List()->viewport(), Qt::LeftButton, {},
                               cell.center() - d.List()->viewport()->geometry().topLeft());
        }});
        lst = 0;
        QCOMPARE(d.SubMenu(u8("作業選択"), lst, sel), 2);

        frmSelect e(nullptr);
        ModalScript s5({[](QWidget* w) { w->close(); }});
        QCOMPARE(e.SubMenu(u8("作業選択"), lst, sel), -1);

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
        QTRY_VERIFY(first.isNull());
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
