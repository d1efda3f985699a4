// The print command on the desktop: frmPr, the PDF file question, the preview and the printer
// errors, answered with real key presses (offscreen); the PDF read back with pdftotext.
#include "app/AppState.h"
#include "app/Startup.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "print/PrintOutput.h"
#include "support/ModalScript.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/print/QtPrintDevice.h"
#include "ui/print/frmPr.h"
#include "util/Clock.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace mrt;
using mrt::test::FocusOf;
using mrt::test::Keys;
using mrt::test::ModalScript;
using mrt::test::Seen;

namespace {

// A home folder whose ledger holds `n` expense lines in March 2026, three a day.
struct Home {
    QTemporaryDir dir;
    AppState app;
    QtDialogs dlg;

    explicit Home(int n) : dlg(nullptr, &app.settings) {
        app.home = dir.path().toStdString();
        app.dataFolder = DataFolder(app.home);
        MakeFolders(app.dataFolder + "BU");
        LedgerState w;
        w.index.SetDataFolder(app.dataFolder);
        int32_t balance = 500000;
        for (int i = 0; i < n; ++i) {
            IoRecord r;
            r.Year = 2026;
            r.Month = 3;
            r.Day = static_cast<int16_t>(1 + i / 3);
            r.ItemName = i == 0 ? "初期残高" : "食費";
            r.Note = "野菜・果物";
            r.Expense = i == 0 ? 0 : 1000 + i;
            balance -= r.Expense;
            r.Balance = balance;
            w.block.push_back(r);
        }
        SaveLedgerBlock(w, dlg);
        app.ledger.index.SetDataFolder(app.dataFolder);
        app.ledger.MaxBlockLines = 1500;
        ScanLedgerYears(app.ledger, dlg);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
};

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// frmPr confirmed with F12 after choosing the PDF file in the output list with the arrow keys.
void printToPdf(QWidget* w) {
    auto* pr = qobject_cast<frmPr*>(w);
    pr->OutputBox()->setFocus();
    while (pr->OutputBox()->currentText() != PdfOutputName())
        QTest::keyClick(FocusOf(w), Qt::Key_Down);
    QTest::keyClick(FocusOf(w), Qt::Key_F12);
}

// The file name typed over the proposed one, then Enter.
ModalScript::Step typeFileName(const QString& path, QString* proposed = nullptr) {
    return [path, proposed](QWidget* w) {
        if (proposed) {
            if (auto* edit = qobject_cast<QLineEdit*>(FocusOf(w))) *proposed = edit->text();
        }
        QTest::keyClick(FocusOf(w), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(FocusOf(w), path);
        QTest::keyClick(FocusOf(w), Qt::Key_Return);
    };
}

} // namespace

class TestPrintLedger : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallFontSubstitutions();
        static FixedClock clock({2026, 3, 20});
        SetClock(&clock);
    }

    void printsTheRangeIntoAPdfFileChosenInTheFileDialog() {
        Home h(70);
        const QString pdf = h.path("march.pdf");
        QString proposed;
        Seen done;
        ModalScript script({printToPdf, typeFileName(pdf, &proposed), Keys({Qt::Key_Return}, &done)});
        QtCommandScreens screens(h.dlg);
        QCOMPARE(screens.Print(h.app), 0);
        QVERIFY(script.done());
        QCOMPARE(script.captions[1], QStringLiteral("PDFファイルに保存"));
        QVERIFY2(proposed.startsWith(QStringLiteral("家計簿_2026年03月01日-2026年03月24日")), qPrintable(proposed));
        QVERIFY2(done.text.contains(QStringLiteral("2026年03月01日から 2026年03月24日まで 印刷完了しました。")),
                 qPrintable(done.text));
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("2026年 3月19日")) && text.contains(QStringLiteral("02")),
                 qPrintable(text.left(400)));
        QCOMPARE(text.count(QStringLiteral("家計簿")), 2);
        QVERIFY(text.contains(QStringLiteral("野菜・果物")));
        QVERIFY(text.contains(QStringLiteral("1,069")));
        // The settings did not change: no settings file was written.
        QVERIFY(!QFileInfo::exists(QString::fromStdString(h.app.settingsPath())));
    }

    void thePreviewShowsEveryPageAndClosingItPrintsNothing() {
        Home h(70);
        int pages = -1;
        ModalScript script({[](QWidget* w) {
                                auto* pr = qobject_cast<frmPr*>(w);
                                pr->OutputBox()->setCurrentIndex(pr->OutputBox()->count() - 1);
                                QTest::keyClick(FocusOf(w), Qt::Key_V, Qt::AltModifier);
                            },
                            [&](QWidget* w) {
                                auto* view = w->findChild<QPrintPreviewWidget*>();
                                const bool drawn = QTest::qWaitFor([&] { return view && view->pageCount() > 0; },
                                                                   mrt::test::kPatience);
                                pages = drawn ? view->pageCount() : -2;
                                QTest::keyClick(FocusOf(w), Qt::Key_Escape);
                            }});
        QtCommandScreens screens(h.dlg);
        QCOMPARE(screens.Print(h.app), 0);
        QVERIFY(script.done());
        QVERIFY2(script.captions[1].startsWith(QStringLiteral("プレビュー")), qPrintable(script.captions[1]));
        QCOMPARE(pages, 2);
        // Only looked at: no completion message was asked for (the script had no step for it).
    }

    void aFileThatCannotBeWrittenOffersRetryAndCancelStopsQuietly() {
        Home h(10);
        const QString pdf = h.path("no/such/folder/x.pdf");
        QString error;
        ModalScript script({printToPdf, typeFileName(pdf), [&](QWidget* w) {
                                auto* box = qobject_cast<QMessageBox*>(w);
                                error = box ? box->windowTitle() + QLatin1Char('|') + box->text() : QString();
                                box->button(QMessageBox::Cancel)->setFocus();
                                QTest::keyClick(FocusOf(w), Qt::Key_Space);
                            }});
        QtCommandScreens screens(h.dlg);
        QCOMPARE(screens.Print(h.app), 0);
        QVERIFY(script.done());
        QVERIFY2(error.startsWith(QStringLiteral(" 印刷エラー|PDFファイル")), qPrintable(error));
        QVERIFY(!QFileInfo::exists(pdf));
    }

    void escInTheWaitWindowAsksToStop() {
        Home h(4);
        PrintOutputChoice choice;
        choice.pdf = true;
        choice.pdfPath = h.path("stop.pdf");
        QtPrintDevice device(nullptr, h.dlg, choice);
        PrintoutInfo info;
        QVERIFY(device.BeginPrintout(info));
        QVERIFY(!device.StopRequested());
        // Keys typed while the pages are made wait in the queue until the device looks between
        // pages; only Esc counts, and no key reaches a window then.
        QLineEdit wait;
        wait.show();
        QCoreApplication::postEvent(&wait,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
        QVERIFY(!device.StopRequested());
        QCoreApplication::postEvent(&wait, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        QVERIFY(device.StopRequested());
        QVERIFY(wait.text().isEmpty());
        QCOMPARE(device.EndPrintout(false), 1);
        QVERIFY(!QFileInfo::exists(choice.pdfPath));
    }
};

QTEST_MAIN(TestPrintLedger)
#include "test_print_ledger.moc"
