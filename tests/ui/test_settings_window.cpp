// The settings window driven by real key presses (offscreen), opened as the command loop opens
// it; the settings file is checked afterwards.
#include "app/AppState.h"
#include "settings/IniRecord.h"
#include "support/ScriptedDialogs.h"
#include "ui/WindowTest.h"
#include "ui/dialogs/Fonts.h"
#include "ui/grid/GridView.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/settings/frmINI.h"
#include "util/Paths.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace mrt;
using namespace mrt::test;

namespace {

struct Home {
    QTemporaryDir dir;
    AppState app;
    ScriptedDialogs dlg;

    explicit Home(int keyInputMode = 1) {
        app.home = dir.path().toStdString();
        app.dataFolder = JoinPath(app.home, "Data1/");
        QDir().mkpath(QString::fromStdString(app.dataFolder));
        IniRecord rec;
        rec.KeyInputMode = static_cast<int16_t>(keyInputMode);
        WriteSettings(app.settingsPath(), rec);
        app.settings = rec;
    }
    QByteArray fileBytes() const {
        QFile f(QString::fromStdString(app.settingsPath()));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    IniRecord onFile() const {
        IniRecord r;
        ReadSettings(app.settingsPath(), r);
        return r;
    }
    bool run(const std::function<void(frmINI*)>& user) {
        QtCommandScreens screens(dlg);
        return WhileOpen<frmINI>([&] { screens.Settings(app); }, user);
    }
};

QString cell(frmINI* w, int row) {
    return QString::fromStdString(w->grid()->model().TextMatrix(row, 1));
}

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    // "7" on the first row is refused; "再 入 力" keeps it in the box for correction.
    void sevenOnTheFirstRowIsRefused() {
        Home h;
        h.dlg.expect("MsgKel", 1).expectMessage("入力内容が異常です。");
        QVERIFY(h.run([&](frmINI* w) {
            QLineEdit* box = w->editBox();
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box));
            QCOMPARE(box->text(), QStringLiteral("3"));
            QVERIFY(w->helpLine()->text().contains(QStringLiteral("入力例：3")));
            Type(QStringLiteral("7")); // the DOS type overwrites the 3
            Press(Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box));
            QCOMPARE(box->text(), QStringLiteral("7"));
            QCOMPARE(w->grid()->model().Row(), 1);
            QCOMPARE(cell(w, 1), QStringLiteral("3"));
            Press(Qt::Key_Escape);
        }));
        VERIFY_DIALOGS(h.dlg);
        QCOMPARE(h.dlg.transcript()[1].title, std::string("環境設定"));
    }

    // 0 % tax is taken, 21 % refused; Enter on the last row goes to the register button and a
    // further Enter writes the file.
    void taxRateAndTheRegisterButton() {
        Home h(0); // Windows type: typing inserts, so the old value is cleared first
        h.dlg.expect("MsgKel", 1);
        QVERIFY(h.run([&](frmINI* w) {
            for (int i = 0; i < 3; ++i)
                Press(Qt::Key_Down);
            QCOMPARE(w->grid()->model().Row(), 4);
            QVERIFY(w->helpLine()->text().contains(QStringLiteral("消費税率")));
            Press(Qt::Key_Delete);
            Type(QStringLiteral("21"));
            Press(Qt::Key_Return);
            QCOMPARE(w->grid()->model().Row(), 4);
            Press(Qt::Key_A, Qt::ControlModifier);
            Type(QStringLiteral("0"));
            Press(Qt::Key_Return);
            QCOMPARE(cell(w, 4), QStringLiteral("0"));
            Press(Qt::Key_Down);
            Press(Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->okButton()));
            Press(Qt::Key_Return);
        }));
        VERIFY_DIALOGS(h.dlg);
        const IniRecord rec = h.onFile();
        QCOMPARE(int(rec.TaxRate), 0);
        QCOMPARE(int(rec.KeyInputMode), 0);
        QCOMPARE(h.app.settings.TaxRate, int16_t(0));
        QVERIFY(h.dlg.saw("MsgOn", "データ処理中、しばらくお待ち下さい"));
    }

    // Esc after several edits closes at once and leaves the file as it was.
    void escLeavesTheFileUntouched() {
        Home h;
        const QByteArray before = h.fileBytes();
        QVERIFY(h.run([&](frmINI* w) {
            Type(QStringLiteral("5"));
            Press(Qt::Key_Down);
            Type(QStringLiteral("900"));
            Press(Qt::Key_Up);
            QCOMPARE(cell(w, 1), QStringLiteral("5"));
            QCOMPARE(cell(w, 2), QStringLiteral("900"));
            Press(Qt::Key_Escape);
            QVERIFY(!w->isVisible());
        }));
        VERIFY_DIALOGS(h.dlg);
        QCOMPARE(h.fileBytes(), before);
        QCOMPARE(int(h.app.settings.BlockMonths), 3);
    }

    // Shift+Enter goes back a row; F12 confirms with the value still in the box.
    void shiftEnterAndF12() {
        Home h;
        QVERIFY(h.run([&](frmINI* w) {
            Press(Qt::Key_Return);
            Press(Qt::Key_Return);
            QCOMPARE(w->grid()->model().Row(), 3);
            Press(Qt::Key_Return, Qt::ShiftModifier);
            QCOMPARE(w->grid()->model().Row(), 2);
            Type(QStringLiteral("5"));
            Press(Qt::Key_F12);
        }));
        VERIFY_DIALOGS(h.dlg);
        QCOMPARE(int(h.onFile().MaxBlockLines), 500);
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "test_settings_window.moc"
