// The search window, the CSV export window and the import preview, driven by real key presses
// (offscreen); the search's Enter on a line ends with the main window's cursor on that line.
#include "app/AppState.h"
#include "app/LedgerEditor.h"
#include "app/Startup.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "settings/IniRecord.h"
#include "support/ModalScript.h"
#include "ui/csv/frmCsvExport.h"
#include "ui/csv/frmCsvImport.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/grid/GridView.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/main/QtMainScreen.h"
#include "ui/search/frmSearch.h"
#include "util/Clock.h"
#include "util/Paths.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace mrt;
using mrt::test::ModalScript;

namespace {

IoRecord lineOf(int m, int d, const char* item, int32_t expense, const char* shop = "") {
    IoRecord r;
    r.Year = 2004;
    r.Month = static_cast<int16_t>(m);
    r.Day = static_cast<int16_t>(d);
    r.ItemName = item;
    r.ShopName = shop;
    r.Expense = expense;
    return r;
}

// A home folder with a few names and a ledger from 2004/01/05 (balance 50,000) over six months.
struct Home {
    QTemporaryDir dir;
    AppState app;
    QtDialogs dlg;

    Home() : dlg(nullptr, &app.settings) {
        app.home = dir.path().toStdString();
        NameTables t;
        AddName(t, kItemTable, kIncomeKind, "給与");
        AddName(t, kItemTable, kExpenseKind, "食費");
        AddName(t, kItemTable, kExpenseKind, "日用品");
        const std::string tb = JoinPath(app.home, "TbInit");
        QDir().mkpath(QString::fromStdString(tb));
        SaveItemTable(JoinPath(tb, kItemFileName), t, dlg);
        SaveBrkDnTable(JoinPath(tb, kBrkDnFileName), t, dlg);
        SaveShopTable(JoinPath(tb, kShopFileName), t, dlg);
        PrepareDataFolders(app, dlg);
        LedgerState st;
        st.index.SetDataFolder(app.dataFolder);
        IoRecord first = lineOf(1, 5, kInitialBalanceItem, 0);
        first.Balance = 50000;
        st.block = {first,
                    lineOf(1, 20, "食費", 800, "ＡＢＣストア"),
                    lineOf(2, 3, "日用品", 300),
                    lineOf(2, 3, "食費", 450, "abcストア"),
                    lineOf(5, 9, "食費", 1200),
                    lineOf(6, 1, "日用品", 200, "ABCｽﾄｱ")};
        RecomputeBalances(st.block, 1);
        st.LedgerModified = true;
        SaveLedgerBlock(st, dlg);
    }
};

// Dialogs that keep the messages shown (and answer every question with its cancel value).
class RecordingDialogs : public ConsoleDialogs {
public:
    QStringList messages;
    QList<int> helpTopics;
    void MsgOK(const std::string& msg, const std::string&, int, int) override {
        messages << QString::fromStdString(msg);
    }
    void ShowHelpTopic(HelpFile, int topic) override { helpTopics << topic; }
    bool saw(const char* text) const {
        for (const QString& m : messages)
            if (m.contains(QString::fromUtf8(text))) return true;
        return false;
    }
};

QWidget* focused() {
    return QApplication::focusWidget();
}

} // namespace

class SearchCsvTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallFontSubstitutions();
        static FixedClock clock({2004, 6, 10});
        SetClock(&clock);
    }

    // Ctrl+F ends the period with the search command; in the window "abc" finds the three
    // spellings, Down and Enter choose the second, and the next period's cursor stands on it in
    // its older block.
    void searchFromCtrlFToTheLine() {
        Home h;
        IniRecord settings;
        if (ReadSettings(h.app.settingsPath(), settings) != 0) SettingsDefaults(settings);
        settings.BlockMonths = 2; // the newest block holds May and June only
        WriteSettings(h.app.settingsPath(), settings);
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(StartUp(h.app, h.dlg, screen, screens), 0);
        QTimer::singleShot(0, [&] {
            if (!QTest::qWaitFor([&] { return screen.editor() && screen.editor()->Editing(); }, mrt::test::kPatience))
                return;
            QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier);
        });
        QCOMPARE(screen.RunLedgerEditing(h.app), 0);
        QCOMPARE(h.app.MenuSel, Command::Search);

        SearchHit hit;
        QString count;
        int rows = -1;
        ModalScript script({[&](QWidget* m) {
            auto* w = qobject_cast<frmSearch*>(m);
            if (!w) return;
            QTest::keyClicks(w->focusWidget(), QStringLiteral("abc"));
            QTest::keyClick(w->focusWidget(), Qt::Key_Return);
            rows = w->Results()->rowCount();
            count = w->CountLabel()->text();
            QTest::keyClick(w->focusWidget(), Qt::Key_Down);
            QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        }});
        QCOMPARE(screens.Search(h.app, hit), 0);
        QVERIFY(script.done());
        QCOMPARE(rows, 3);
        QVERIFY2(count.startsWith(QStringLiteral("3 件")), qPrintable(count));
        QCOMPARE(DateNum(hit.line), 20040203);
        QCOMPARE(hit.slot, 2);

        h.app.PendingJump = hit;
        int row = -1;
        std::string item, shop;
        // The jump runs inside the period's start (its block read lets events through): look at
        // the grid once the jump is done, then end the period.
        QTimer poll;
        QElapsedTimer waited;
        waited.start();
        connect(&poll, &QTimer::timeout, [&] {
            const GridModel& g = screen.window()->grid()->model();
            const bool done = !h.app.PendingJump && h.app.ledger.BlockPos == kBlockOldest &&
                              g.TextMatrix(g.Row(), kColShop) == "abcストア";
            if (!done && waited.elapsed() < mrt::test::kPatience) return;
            poll.stop();
            row = g.Row();
            item = g.TextMatrix(row, kColItem);
            shop = g.TextMatrix(row, kColShop);
            screen.window()->menuAction(Command::Exit)->trigger();
        });
        poll.start(20);
        screen.RunLedgerEditing(h.app);
        QCOMPARE(h.app.ledger.BlockPos, int(kBlockOldest));
        QCOMPARE(QString::fromStdString(item), QStringLiteral("食費"));
        QCOMPARE(QString::fromStdString(shop), QStringLiteral("abcストア"));
    }

    // A field in error is reported through the dialogs and the results stay as they were.
    void searchRefusesABadRange() {
        Home h;
        RecordingDialogs dlg;
        LedgerState st;
        st.index.SetDataFolder(h.app.dataFolder);
        QVERIFY(ScanLedgerYears(st, dlg) == 0);
        frmSearch w(st.index, dlg);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w, mrt::test::kPatience));
        QTest::keyClick(w.TextField(), Qt::Key_Tab);
        QTest::keyClicks(w.focusWidget(), QStringLiteral("2004/02/30"));
        QTest::keyClick(w.focusWidget(), Qt::Key_Return);
        QVERIFY(dlg.saw("日付が異常です。"));
        QCOMPARE(w.Results()->rowCount(), 0);
        w.FromField()->clear();
        w.MinField()->setFocus();
        QTest::keyClicks(w.focusWidget(), QStringLiteral("1,000"));
        QTest::keyClick(w.focusWidget(), Qt::Key_Return);
        QCOMPARE(w.Results()->rowCount(), 1);
        QCOMPARE(w.Results()->item(0, 5)->text(), QStringLiteral("1,200"));
        // F1 from the list shows the help page of search and CSV.
        QTest::keyClick(w.focusWidget(), Qt::Key_F1);
        QCOMPARE(dlg.helpTopics, QList<int>{106});
    }

    // The export window: the range typed, Shift-JIS chosen with the arrow keys, Enter exports.
    void exportWindowWritesTheFile() {
        Home h;
        RecordingDialogs dlg;
        h.app.ledger.index.SetDataFolder(h.app.dataFolder);
        QVERIFY(ScanLedgerYears(h.app.ledger, dlg) == 0);
        frmCsvExport w(h.app, dlg);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w, mrt::test::kPatience));
        QCOMPARE(w.FromField()->text(), QStringLiteral("2004/01/05"));
        QCOMPARE(w.EncodingBox()->currentIndex(), 0); // UTF-8 with BOM
        const QString file = h.dir.path() + QStringLiteral("/out.csv");
        w.PathField()->setText(file);
        w.FromField()->selectAll();
        QTest::keyClicks(w.FromField(), QStringLiteral("2004/02/01"));
        w.EncodingBox()->setFocus();
        QTest::keyClick(w.EncodingBox(), Qt::Key_Down);
        QTest::keyClick(w.EncodingBox(), Qt::Key_Down);
        QTest::keyClick(w.PathField(), Qt::Key_Return);
        QVERIFY2(dlg.saw("4 行を書き出しました。"), qPrintable(dlg.messages.join(QStringLiteral("|"))));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith(QByteArray("\x93\xFA\x95\x74,"))); // "日付," in Shift-JIS
        QCOMPARE(bytes.count('\n'), 5);

        // The budget of a year: Down on the content box turns the date range off and the year on.
        h.app.names = NameTables{};
        LoadItemTable(h.app.namePaths().item, h.app.names);
        frmCsvExport b(h.app, dlg);
        b.show();
        QVERIFY(QTest::qWaitForWindowActive(&b, mrt::test::kPatience));
        QCOMPARE(b.focusWidget(), static_cast<QWidget*>(b.ContentBox()));
        QTest::keyClick(b.focusWidget(), Qt::Key_Down);
        QVERIFY(!b.FromField()->isEnabled());
        QVERIFY(b.YearField()->isEnabled());
        QCOMPARE(b.YearField()->text(), QStringLiteral("2004"));
        b.PathField()->setText(h.dir.path() + QStringLiteral("/budget.csv"));
        QTest::keyClick(b.PathField(), Qt::Key_Return);
        QVERIFY2(dlg.saw("2004年の予算表 36 行を書き出しました。"), qPrintable(dlg.messages.join(QStringLiteral("|"))));
    }

    // The preview shows a bad line in red with its reason and keeps the import button off; the
    // check box (Alt+R) registers an unknown item; with a good file Enter imports.
    void importPreviewRefusesABadFile() {
        Home h;
        RecordingDialogs dlg;
        h.app.ledger.index.SetDataFolder(h.app.dataFolder);
        QVERIFY(ScanLedgerYears(h.app.ledger, dlg) == 0);
        LoadItemTable(h.app.namePaths().item, h.app.names);
        const std::string bad = "date,item,note,shop,income,expense\r\n"
                                "2004-06-02,食費,,,,300\r\n"
                                "2004-06-31,食費,,,,300\r\n"
                                "2004-06-03,交際費,,,,5000\r\n";
        frmCsvImport w(h.app, dlg, "bad.csv", bad);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w, mrt::test::kPatience));
        QCOMPARE(w.Rows()->rowCount(), 3);
        QCOMPARE(w.Rows()->item(1, 7)->text(), QStringLiteral("日付が異常です。"));
        QVERIFY(w.Rows()->item(1, 0)->background().color() != w.Rows()->item(0, 0)->background().color());
        QVERIFY(w.Rows()->item(2, 7)->text().contains(QStringLiteral("交際費")));
        QVERIFY(!w.ImportButton()->isEnabled());
        QVERIFY(w.Summary()->text().contains(QStringLiteral("2 行に誤り")));
        // From the lines, Tab reaches the check box and Space ticks it.
        QTest::keyClick(w.focusWidget(), Qt::Key_Tab);
        QCOMPARE(w.focusWidget(), w.RegisterBox());
        QTest::keyClick(w.focusWidget(), Qt::Key_Space);
        QVERIFY(w.RegisterBox()->isChecked());
        QCOMPARE(w.Plan().BadRows(), 1);
        QVERIFY(!w.ImportButton()->isEnabled());
        QTest::keyClick(w.focusWidget(), Qt::Key_Escape);
        QCOMPARE(w.result(), int(QDialog::Rejected));

        frmCsvImport good(h.app, dlg, "good.csv", "2004-06-02,食費,,,,300\r\n2004-06-03,交際費,,,,5000\r\n");
        good.show();
        QVERIFY(QTest::qWaitForWindowActive(&good, mrt::test::kPatience));
        QTest::keyClick(good.focusWidget(), Qt::Key_Tab);
        QTest::keyClick(good.focusWidget(), Qt::Key_Space);
        QVERIFY(good.ImportButton()->isEnabled());
        QTest::keyClick(good.focusWidget(), Qt::Key_Return);
        QVERIFY2(dlg.saw("2 行を取り込みました。"), qPrintable(dlg.messages.join(QStringLiteral("|"))));
        QCOMPARE(good.result(), int(QDialog::Accepted));
        LedgerState st;
        st.index.SetDataFolder(h.app.dataFolder);
        QVERIFY(ScanLedgerYears(st, dlg) == 0);
        QCOMPARE(st.index.TotalLines, 8);
        NameTables onDisk;
        LoadItemTable(h.app.namePaths().item, onDisk);
        QVERIFY(FindItemPosition(onDisk, "交際費", kExpenseKind) > 0);
    }

    // The search and CSV windows wear the program's colours as drawn: the pale green window,
    // green buttons, the table's cream cells and blue headings.
    void windowsWearTheProgramColours() {
        Home h;
        RecordingDialogs dlg;
        h.app.ledger.index.SetDataFolder(h.app.dataFolder);
        QVERIFY(ScanLedgerYears(h.app.ledger, dlg) == 0);
        frmSearch search(h.app.ledger.index, dlg);
        frmCsvExport exporter(h.app, dlg);
        frmCsvImport importer(h.app, dlg, "a.csv", "2004-06-02,食費,,,,300\r\n");
        for (QDialog* w : std::initializer_list<QDialog*>{&search, &exporter, &importer}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            const QImage image = w->grab().toImage();
            QCOMPARE(image.pixelColor(2, image.height() - 2), QColor(224, 235, 224));
            for (QPushButton* b : w->findChildren<QPushButton*>()) {
                const QImage button = b->grab().toImage();
                QCOMPARE(button.pixelColor(button.width() / 2, 4), QColor(176, 202, 153));
            }
            if (auto* table = w->findChild<QTableWidget*>()) {
                const QImage heading = table->horizontalHeader()->grab().toImage();
                QCOMPARE(heading.pixelColor(6, heading.height() / 2), QColor(176, 224, 255));
                QCOMPARE(table->palette().color(QPalette::Base), QColor(255, 255, 248));
            }
        }
    }
};

QTEST_MAIN(SearchCsvTest)
#include "test_search_csv.moc"
