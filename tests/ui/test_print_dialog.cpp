// The print settings dialog (frmPr) driven by real key presses (offscreen).
#include "print/PrintSettings.h"
#include "support/ModalScript.h"
#include "ui/dialogs/Fonts.h"
#include "ui/help/HelpWindow.h"
#include "ui/print/frmPr.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace mrt;
using mrt::test::FocusOf;
using mrt::test::ModalScript;

namespace {

PrSetData ledgerData() {
    PrSetData d;
    d.DinQ = 6;
    d.Dnam = {"年", "月", "日　から", "年", "月", "日　まで"};
    d.dates = {"2026", "11", "01", "2026", "11", "30"};
    d.Dnam2 = {"タイトル名：", "ユーザー名："};
    d.dt2 = {"家計簿", "ユーザー名", "5", "0"};
    d.msg = "印刷する日付を入力してください。";
    d.ttl = "入出金データの印刷";
    d.ColQ = 3;
    return d;
}

frmPr* shownPr(QWidget* w) {
    auto* pr = qobject_cast<frmPr*>(w);
    if (!pr) qWarning("the modal window is not frmPr: %s", qPrintable(w->windowTitle()));
    return pr;
}

} // namespace

class TestPrintDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void showsTheValuesWithTheCaretInTheToYear() {
        PrSetData d = ledgerData();
        PrintOutputChoice out;
        QString title, message, firstBox;
        int caret = -1, firstCaret = -1;
        bool a4 = false;
        ModalScript script({[&](QWidget* w) {
            frmPr* pr = shownPr(w);
            title = pr->windowTitle();
            message = pr->MessageLabel()->text();
            firstBox = pr->DateBox(0)->text();
            a4 = pr->PaperOption(0)->isChecked();
            caret = pr->DateBox(3)->hasFocus() ? pr->DateBox(3)->cursorPosition() : -1;
            firstCaret = pr->DateBox(0)->cursorPosition();
            QTest::keyClick(FocusOf(w), Qt::Key_Escape);
        }});
        frmPr dlg(nullptr, 1);
        QCOMPARE(dlg.PrSetDataIn(d, out), -1);
        QVERIFY(script.done());
        QCOMPARE(title, QStringLiteral("入出金データの印刷"));
        QCOMPARE(message, QStringLiteral("印刷する日付を入力してください。"));
        QCOMPARE(firstBox, QStringLiteral("2026"));
        QVERIFY(a4);
        QCOMPARE(caret, 3);
        QCOMPARE(firstCaret, 3);
        // Cancelled: nothing copied back.
        QCOMPARE(d.dates[3], std::string("2026"));
    }

    void dosTypeOverwritesAndEnterMovesOnThenF12Confirms() {
        PrSetData d = ledgerData();
        PrintOutputChoice out;
        ModalScript script({[&](QWidget* w) {
            // Caret after "202" in the to-year: "5" overwrites the last digit.
            QTest::keyClick(FocusOf(w), Qt::Key_5);
            QTest::keyClick(FocusOf(w), Qt::Key_Return); // to-month
            QTest::keyClick(FocusOf(w), Qt::Key_Down);   // to-day
            QTest::keyClick(FocusOf(w), Qt::Key_Home);
            QTest::keyClicks(FocusOf(w), QStringLiteral("15"));
            QTest::keyClick(FocusOf(w), Qt::Key_Return); // title
            QTest::keyClick(FocusOf(w), Qt::Key_End);
            QTest::keyClicks(FocusOf(w), QStringLiteral("2"));
            QTest::keyClick(FocusOf(w), Qt::Key_Return); // user
            QTest::keyClick(FocusOf(w), Qt::Key_Return); // left offset
            QTest::keyClick(FocusOf(w), Qt::Key_Return); // top offset
            QTest::keyClick(FocusOf(w), Qt::Key_Home);
            QTest::keyClicks(FocusOf(w), QStringLiteral("3"));
            QTest::keyClick(FocusOf(w), Qt::Key_F12);
        }});
        frmPr dlg(nullptr, 1);
        QCOMPARE(dlg.PrSetDataIn(d, out), 0);
        QCOMPARE(d.dates[3], std::string("2025"));
        QCOMPARE(d.dates[5], std::string("15"));
        QCOMPARE(d.dt2[0], std::string("家計簿2"));
        QCOMPARE(d.dt2[3], std::string("3"));
        QCOMPARE(d.OptNm, 0);
        QVERIFY(!out.preview);
    }

    void windowsTypeInsertsAndArrowsMoveBetweenTheFields() {
        PrSetData d = ledgerData();
        d.DinQ = 0;
        d.dates.clear();
        PrintOutputChoice out;
        QString focusAfterUp;
        ModalScript script({[&](QWidget* w) {
            frmPr* pr = shownPr(w);
            // No date rows: the title box takes the caret, at its end.
            QTest::keyClicks(FocusOf(w), QStringLiteral("X"));
            QTest::keyClick(FocusOf(w), Qt::Key_Down);
            QTest::keyClick(FocusOf(w), Qt::Key_Up);
            focusAfterUp = FocusOf(w) == pr->TitleBox() ? QStringLiteral("title") : QStringLiteral("other");
            QTest::keyClick(FocusOf(w), Qt::Key_Return);
            QTest::keyClick(FocusOf(w), Qt::Key_Return);
            QTest::keyClick(FocusOf(w), Qt::Key_Return);
            QTest::keyClick(FocusOf(w), Qt::Key_Return); // the A4 option
            QTest::keyClick(FocusOf(w), Qt::Key_Down);   // B5 chosen
            QTest::keyClick(FocusOf(w), Qt::Key_F12);
        }});
        frmPr dlg(nullptr, 0);
        QCOMPARE(dlg.PrSetDataIn(d, out), 0);
        QCOMPARE(focusAfterUp, QStringLiteral("title"));
        QCOMPARE(d.dt2[0], std::string("家計簿X"));
        QCOMPARE(d.OptNm, 1);
    }

    void enterOnThePaperGoesToTheOutputAndPreviewConfirms() {
        PrSetData d = ledgerData();
        PrintOutputChoice out;
        bool onOutput = false, pdfListed = false;
        ModalScript script({[&](QWidget* w) {
            frmPr* pr = shownPr(w);
            pr->PaperOption(0)->setFocus();
            QTest::keyClick(FocusOf(w), Qt::Key_Return);
            onOutput = FocusOf(w) == pr->OutputBox();
            pdfListed = pr->OutputBox()->itemText(pr->OutputBox()->count() - 1) == PdfOutputName();
            // Without a printer installed, the PDF file is chosen.
            if (SystemPrinters(nullptr).isEmpty() && pr->OutputBox()->currentText() != PdfOutputName())
                onOutput = false;
            QTest::keyClick(FocusOf(w), Qt::Key_Return); // on to the print button
            QTest::keyClick(FocusOf(w), Qt::Key_Tab);    // the preview button
            QTest::keyClick(FocusOf(w), Qt::Key_Space);
        }});
        frmPr dlg(nullptr, 1);
        QCOMPARE(dlg.PrSetDataIn(d, out), 0);
        QVERIFY(onOutput);
        QVERIFY(pdfListed);
        QVERIFY(out.preview);
        QCOMPARE(out.pdf, SystemPrinters(nullptr).isEmpty());
    }

    void theCloseBoxCancelsAndTheLastPlaceIsReused() {
        PrSetData d = ledgerData();
        PrintOutputChoice out;
        QPoint placed;
        ModalScript first({[&](QWidget* w) {
            w->move(40, 30);
            placed = w->pos();
            QTest::keyClick(FocusOf(w), Qt::Key_F12);
        }});
        frmPr a(nullptr, 1);
        QCOMPARE(a.PrSetDataIn(d, out), 0);

        d.x = 0;
        d.y = 100;
        QPoint reused;
        ModalScript second({[&](QWidget* w) {
            reused = w->pos();
            w->close();
        }});
        frmPr b(nullptr, 1);
        QCOMPARE(b.PrSetDataIn(d, out), -1);
        QCOMPARE(reused, placed);
    }

    void f1OpensTheHelpAndAltF4ClosesItNotTheDialog() {
        PrSetData d = ledgerData();
        PrintOutputChoice out;
        int topic = -1;
        bool helpGone = false, stillOpen = false;
        ModalScript script({[&](QWidget* w) {
            QTest::keyClick(FocusOf(w), Qt::Key_F1);
            topic = AppHelp().HelpShown() ? AppHelp().Window()->CurrentTopic() : -1;
            QTest::keyClick(FocusOf(w), Qt::Key_F4, Qt::AltModifier);
            helpGone = !AppHelp().HelpShown();
            stillOpen = w->isVisible();
            QTest::keyClick(FocusOf(w), Qt::Key_Escape);
        }});
        frmPr dlg(nullptr, 1);
        QCOMPARE(dlg.PrSetDataIn(d, out), -1);
        QCOMPARE(topic, 600);
        QVERIFY(helpGone);
        QVERIFY(stillOpen);
    }
};

QTEST_MAIN(TestPrintDialog)
#include "test_print_dialog.moc"
