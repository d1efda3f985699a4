// The medical-expense form window driven by real key presses (offscreen): the year collected with
// Enter, an unknown person named from the choice list, a reimbursement typed, the sheet written.
#include "app/AppState.h"
#include "app/Startup.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "support/ModalScript.h"
#include "ui/dialogs/Fonts.h"
#include "ui/medical/frmMedical.h"
#include "util/Paths.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace mrt;

namespace {

IoRecord medical(int m, int d, const char* note, const char* shop, int32_t expense) {
    IoRecord r;
    r.Year = 2004;
    r.Month = static_cast<int16_t>(m);
    r.Day = static_cast<int16_t>(d);
    r.ItemName = "医療費";
    r.Note = note;
    r.ShopName = shop;
    r.Expense = expense;
    return r;
}

class RecordingDialogs : public ConsoleDialogs {
public:
    QStringList messages;
    void MsgOK(const std::string& msg, const std::string&, int, int) override {
        messages << QString::fromStdString(msg);
    }
};

} // namespace

class MedicalWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void namesAPersonTypesAReimbursementAndWritesTheSheet() {
        QTemporaryDir dir;
        AppState app;
        RecordingDialogs dlg;
        app.home = dir.path().toStdString();
        NameTables t;
        AddName(t, kItemTable, kExpenseKind, "医療費");
        const std::string tb = JoinPath(app.home, "TbInit");
        QDir().mkpath(QString::fromStdString(tb));
        SaveItemTable(JoinPath(tb, kItemFileName), t, dlg);
        SaveBrkDnTable(JoinPath(tb, kBrkDnFileName), t, dlg);
        SaveShopTable(JoinPath(tb, kShopFileName), t, dlg);
        QCOMPARE(PrepareDataFolders(app, dlg), 0);
        LedgerState st;
        st.index.SetDataFolder(app.dataFolder);
        IoRecord first = medical(1, 5, "", "", 0);
        first.ItemName = kInitialBalanceItem;
        first.Balance = 90000;
        st.block = {first, medical(2, 1, "太郎", "山田内科", 3000), medical(3, 2, "花子", "さくら薬局", 1500),
                    medical(4, 3, "祖母", "山田内科", 7000)};
        RecomputeBalances(st.block, 1);
        st.LedgerModified = true;
        QCOMPARE(SaveLedgerBlock(st, dlg), 0);
        app.ledger.index.SetDataFolder(app.dataFolder);
        QCOMPARE(ScanLedgerYears(app.ledger, dlg), 0);
        QVERIFY(SaveMedicalPersons(app.home, {"太郎", "花子"}));

        frmMedical w(app, dlg);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // The year field: 2004 and Enter collect that year.
        w.YearField()->setFocus();
        w.YearField()->selectAll();
        QTest::keyClicks(w.YearField(), QStringLiteral("2004"));
        QTest::keyClick(w.YearField(), Qt::Key_Return);
        QTableWidget* table = w.Table();
        QTRY_COMPARE(table->rowCount(), 3);
        QCOMPARE(table->item(2, frmMedical::ColPerson)->text(), QString());

        // The grandmother's visit was 太郎's: Enter opens the choice list, Down picks 太郎, and the
        // row joins his other visit to the same clinic.
        table->setFocus();
        table->setCurrentCell(2, frmMedical::ColPerson);
        QTest::keyClick(table, Qt::Key_Return);
        QComboBox* box = nullptr;
        QTRY_VERIFY((box = table->findChild<QComboBox*>()) != nullptr && box->hasFocus());
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Return);
        QTRY_COMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, frmMedical::ColAmount)->text(), QStringLiteral("10,000"));

        // 2,500 paid back for the clinic, typed in its cell.
        table->setFocus();
        table->setCurrentCell(0, frmMedical::ColReimbursed);
        // Each key goes where the keyboard sends it: the first opens the cell's editor.
        for (char c : std::string("2500"))
            QTest::keyClick(QApplication::focusWidget(), c);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(w.Screen().Form().rows[0].reimbursed, int64_t{2500});
        QTRY_VERIFY(w.Summary()->text().contains(QStringLiteral("太郎  支払 10,000円  補填 2,500円")));

        const QString out = dir.path() + QStringLiteral("/form.xlsx");
        w.PathField()->setText(out);
        QTest::keyClick(&w, Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(QFileInfo::exists(out));
        QVERIFY(dlg.messages.last().contains(QStringLiteral("書き出しました")));
        QTest::keyClick(table, Qt::Key_Escape);
        QTRY_VERIFY(!w.isVisible());
    }
};

QTEST_MAIN(MedicalWindowTest)
#include "test_medical_window.moc"
