// The main window driven by real key presses (offscreen): a ledger line typed from the keyboard
// ends up in the grid and, after the editing period, in the year file.
#include "MainWindowHome.h"
#include "support/ModalScript.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/grid/GridView.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/main/QtMainScreen.h"
#include "ui/main/WindowHelpers.h"
#include "util/Clock.h"
#include "util/Paths.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace mrt;
using namespace mrt::testing;
using mrt::test::Answered;
using mrt::test::Keys;
using mrt::test::ModalScript;
using mrt::test::Seen;

namespace {

std::string cell(QtMainScreen& s, int row, int col) {
    std::string t = s.window()->grid()->model().TextMatrix(row, col);
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    while (!t.empty() && t.front() == ' ')
        t.erase(t.begin());
    return t;
}

// Counts the key presses a widget receives (to see that a key arrives once, not again and again).
class KeyCounter : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) ++presses;
        return QObject::eventFilter(obj, e);
    }
};

// Where a key typed by the user lands: the focused widget, else the active window.
QWidget* keyTarget(QtMainScreen& s) {
    QWidget* f = QApplication::focusWidget();
    return f ? f : s.window();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallFontSubstitutions();
        static FixedClock clock({2004, 4, 10});
        SetClock(&clock);
    }

    // Day, item from the expense list, breakdown, shop, an expense with tax: one line saved.
    void typesAnExpenseLine() {
        Home h;
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(StartUp(h.app, h.dlg, screen, screens), 0);
        QString failure;
        QTimer::singleShot(0, [&] {
            auto fail = [&](const QString& m) {
                if (failure.isEmpty()) failure = m;
            };
            if (!QTest::qWaitFor([&] { return screen.editor()->Editing(); }, mrt::test::kPatience))
                return fail(QStringLiteral("no edit box"));
            QWidget* f = QApplication::focusWidget();
            if (!f) return fail(QStringLiteral("no focus"));
            auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
            // Each step waits until the window shows its outcome.
            auto until = [&](const std::function<bool()>& done, const QString& what) {
                if (!QTest::qWaitFor(done, mrt::test::kPatience)) fail(what);
            };
            QTest::keyClicks(f, QStringLiteral("8"));
            key(Qt::Key_Return);
            until([&] { return cell(screen, 2, 3) == "8" && screen.editor()->ItemBoxOpen(); },
                  QStringLiteral("day cell '%1', item box not open").arg(QString::fromStdString(cell(screen, 2, 3))));
            // The expense list opens on "（入力なし）"; Down to 食費, Enter takes it.
            key(Qt::Key_Down);
            key(Qt::Key_Return);
            until([&] { return cell(screen, 2, 4) == "食費"; },
                  QStringLiteral("item: ") + QString::fromStdString(cell(screen, 2, 4)));
            key(Qt::Key_Down);
            key(Qt::Key_Return);
            until([&] { return cell(screen, 2, 5) == "野菜"; },
                  QStringLiteral("breakdown: ") + QString::fromStdString(cell(screen, 2, 5)));
            key(Qt::Key_Down);
            key(Qt::Key_Return);
            // An expense item skips the income cell.
            until([&] { return screen.editor()->EditCol() == 8; },
                  QStringLiteral("edit column %1").arg(screen.editor()->EditCol()));
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1000*"));
            key(Qt::Key_Return);
            until([&] { return cell(screen, 2, 8) == "1,100"; },
                  QStringLiteral("expense: ") + QString::fromStdString(cell(screen, 2, 8)));
            screen.window()->menuAction(Command::Exit)->trigger();
        });
        QCOMPARE(screen.RunLedgerEditing(h.app), 0);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(h.app.MenuSel, Command::Exit);
        QCOMPARE(h.app.ledger.block.size(), size_t(2));
        const IoRecord& line = h.app.ledger.block[1];
        QCOMPARE(line.Day, int16_t(8));
        QCOMPARE(QString::fromStdString(line.ItemName), QStringLiteral("食費"));
        QCOMPARE(QString::fromStdString(line.Note), QStringLiteral("野菜"));
        QCOMPARE(QString::fromStdString(line.ShopName), QStringLiteral("八百屋"));
        QCOMPARE(line.Expense, 1100); // 10 %, the rate of a new data folder
        QCOMPARE(line.Balance, 48900);
    }

    // Function keys reach the command codes; a one-line ledger still gets the totals code (the
    // command loop is what refuses it).
    void functionKeysChooseCommands_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("code");
        QTest::newRow("F2 totals") << int(Qt::Key_F2) << int(Command::Totals);
        QTest::newRow("F3 print") << int(Qt::Key_F3) << int(Command::Print);
    }
    void functionKeysChooseCommands() {
        QFETCH(int, key);
        QFETCH(int, code);
        Home h;
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(runPeriod(h, screen, screens, [&] { QTest::keyClick(keyTarget(screen), Qt::Key(key)); }), 0);
        QCOMPARE(int(h.app.MenuSel), code);
        // Only the pressed menu button stays enabled while the command runs.
        const int index = key == Qt::Key_F2 ? 0 : 1;
        QVERIFY(screen.window()->menuButton(index)->isEnabled());
        QVERIFY(!screen.window()->menuButton(4)->isEnabled());
    }

    // F12 asks the exit question; "いいえ" keeps the program running, "はい" exits.
    void exitQuestion() {
        Home h;
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QString firstText;
        QWidget* firstOwner = nullptr;
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               Seen no;
                               QVERIFY(Answered([&] { QTest::keyClick(keyTarget(screen), Qt::Key_F12); },
                                                {Keys({Qt::Key_Escape}, &no)}));
                               firstText = no.text;
                               firstOwner = no.owner;
                               QVERIFY(screen.window()->MenuSel == Command::None);
                               QVERIFY(Answered([&] { QTest::keyClick(keyTarget(screen), Qt::Key_F12); },
                                                {Keys({Qt::Key_Return})}));
                           }),
                 0);
        QVERIFY2(firstText.contains(QStringLiteral("家計簿プログラムを終了します。")), qPrintable(firstText));
        QCOMPARE(h.app.MenuSel, Command::Exit);
        // The question belongs to the main window, so it is placed against it.
        QCOMPARE(firstOwner, static_cast<QWidget*>(screen.window()));
    }

    // F4 opens the registration list; cancelling it keeps editing, choosing gives the code.
    void registrationListFromF4() {
        Home h;
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               QVERIFY(Answered([&] { QTest::keyClick(keyTarget(screen), Qt::Key_F4); },
                                                {Keys({Qt::Key_Escape})}));
                               QVERIFY(screen.window()->MenuSel == Command::None);
                               // The entry in progress was ended and the grid has the focus again.
                               QCOMPARE(screen.window()->focusWidget(), static_cast<QWidget*>(screen.window()->grid()));
                               QVERIFY(Answered([&] { QTest::keyClick(keyTarget(screen), Qt::Key_F4); },
                                                {Keys({Qt::Key_Return})}));
                           }),
                 0);
        QCOMPARE(h.app.MenuSel, Command::NameRegistration);
    }

    // Ctrl+Y's menu item deletes the line under the cursor after the question (focus on "いいえ",
    // so Left then Enter answers yes); the balances below it follow.
    void deletesALineInTheMiddle() {
        Home h({expense(2, "食費", 1000), expense(3, "日用品", 500)});
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QString question;
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               screen.editor()->CellMove(2, 3);
                               Seen yes;
                               QVERIFY(Answered([&] { screen.window()->menuAction(Command::DeleteLine)->trigger(); },
                                                {Keys({Qt::Key_Left, Qt::Key_Return}, &yes)}));
                               question = yes.text;
                               QCOMPARE(QString::fromStdString(cell(screen, 2, 4)), QStringLiteral("日用品"));
                               QCOMPARE(QString::fromStdString(cell(screen, 2, 9)), QStringLiteral("49,500"));
                               screen.window()->menuAction(Command::Exit)->trigger();
                           }),
                 0);
        QVERIFY2(question.contains(QStringLiteral("現在カーソルのある行を削除します。")), qPrintable(question));
        // Saved: the block read back from the files holds the remaining line.
        LedgerState again;
        again.index.SetDataFolder(h.app.dataFolder);
        QCOMPARE(ScanLedgerYears(again, h.dlg), 0);
        QCOMPARE(LoadStartBlock(again, h.dlg), 0);
        QCOMPARE(again.block.size(), size_t(2));
        QCOMPARE(QString::fromStdString(again.block[1].ItemName), QStringLiteral("日用品"));
        QCOMPARE(again.block[1].Balance, 49500);
    }

    // A key typed while the focus has strayed from the input control lands in that control.
    void strayFocusComesBack() {
        Home h;
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               screen.window()->setFocus();
                               QTest::keyClick(screen.window(), Qt::Key_9);
                               QCOMPARE(screen.window()->editBox()->text(), QStringLiteral("9"));
                               screen.window()->menuAction(Command::Exit)->trigger();
                           }),
                 0);
    }

    // Shift, Ctrl and Alt pressed on their own reach the control once, in the edit box and on the
    // idle grid alike, and typing goes on afterwards.
    void modifierKeysAloneAreHarmless() {
        Home h;
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        KeyCounter counter;
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               QLineEdit* edit = screen.window()->editBox();
                               QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit));
                               edit->installEventFilter(&counter);
                               for (Qt::Key k : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt})
                                   QTest::keyClick(QApplication::focusWidget(), k);
                               QCOMPARE(counter.presses, 3);
                               // On the idle grid, and with the focus strayed to the window itself.
                               screen.editor()->CellMove(1, 3);
                               for (Qt::Key k : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt})
                                   QTest::keyClick(keyTarget(screen), k);
                               screen.window()->setFocus();
                               QTest::keyClick(screen.window(), Qt::Key_Shift);
                               QTest::keyClick(keyTarget(screen), Qt::Key_Escape);
                               screen.window()->menuAction(Command::Exit)->trigger();
                           }),
                 0);
        QCOMPARE(h.app.MenuSel, Command::Exit);
    }

    // Shift+Enter in a cell of a written line goes one column to the left.
    void shiftEnterGoesOneColumnLeft() {
        Home h({expense(2, "食費", 1000)});
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        int before = 0, after = 0;
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               screen.editor()->CellMove(2, 3);
                               QTest::keyClick(keyTarget(screen), Qt::Key_Return);
                               before = screen.editor()->EditCol();
                               QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
                               after = screen.window()->grid()->model().Col();
                               screen.window()->menuAction(Command::Exit)->trigger();
                           }),
                 0);
        QCOMPARE(before, 3);
        QCOMPARE(after, 2);
    }

    // The menu's Ctrl keys work while the edit box has the caret: Ctrl+Y deletes the line rather
    // than being taken by the box as "redo", Ctrl+S saves the block.
    void ctrlShortcutsFromTheEditBox() {
        Home h({expense(2, "食費", 1000), expense(3, "日用品", 500)});
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QString question;
        QCOMPARE(
            runPeriod(h, screen, screens,
                      [&] {
                          screen.editor()->CellMove(2, 3);
                          QTest::keyClick(keyTarget(screen), Qt::Key_Return);
                          QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(screen.window()->editBox()));
                          Seen yes;
                          QVERIFY(Answered(
                              [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier); },
                              {Keys({Qt::Key_Left, Qt::Key_Return}, &yes)}));
                          question = yes.text;
                          // Shortcuts belong to the active window; the question's window has just closed.
                          screen.window()->activateWindow();
                          QVERIFY(QTest::qWaitForWindowActive(screen.window(), mrt::test::kPatience));
                          QTest::keyClick(keyTarget(screen), Qt::Key_S, Qt::ControlModifier);
                          // Saved while the program still runs: the files hold one line less.
                          LedgerState again;
                          again.index.SetDataFolder(h.app.dataFolder);
                          QCOMPARE(ScanLedgerYears(again, h.dlg), 0);
                          QCOMPARE(LoadStartBlock(again, h.dlg), 0);
                          QCOMPARE(again.block.size(), size_t(2));
                          screen.window()->menuAction(Command::Exit)->trigger();
                      }),
            0);
        QVERIFY2(question.contains(QStringLiteral("現在カーソルのある行を削除します。")), qPrintable(question));
    }

    // Ctrl+I inserts a line and leaves the caret in its day cell: the typed day lands there and
    // Enter goes on to the item column.
    void insertedLineTakesTheCaret() {
        Home h({expense(2, "食費", 1000), expense(5, "日用品", 500)});
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               screen.editor()->CellMove(3, 3);
                               QTest::keyClick(keyTarget(screen), Qt::Key_I, Qt::ControlModifier);
                               QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(screen.window()->editBox()));
                               QCOMPARE(screen.editor()->EditCol(), 3);
                               QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
                               QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
                               QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("4"));
                               QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                               QCOMPARE(cell(screen, 3, 3), std::string("4"));
                               QCOMPARE(screen.window()->grid()->model().Col(), 4);
                               QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                               screen.window()->menuAction(Command::Exit)->trigger();
                           }),
                 0);
    }

    // Ctrl+Z takes back the line just deleted, Ctrl+Shift+Z deletes it again: the keys reach the
    // edit menu even while the edit box has the caret.
    void undoAndRedoFromTheKeyboard() {
        Home h({expense(2, "食費", 1000), expense(3, "日用品", 500)});
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               screen.editor()->CellMove(2, 3);
                               QVERIFY(
                                   Answered([&] { QTest::keyClick(keyTarget(screen), Qt::Key_Y, Qt::ControlModifier); },
                                            {Keys({Qt::Key_Left, Qt::Key_Return})}));
                               screen.window()->activateWindow();
                               QVERIFY(QTest::qWaitForWindowActive(screen.window(), mrt::test::kPatience));
                               QCOMPARE(cell(screen, 2, 4), std::string("日用品"));
                               QTest::keyClick(keyTarget(screen), Qt::Key_Z, Qt::ControlModifier);
                               QCOMPARE(cell(screen, 2, 4), std::string("食費"));
                               QCOMPARE(cell(screen, 3, 9), std::string("48,500"));
                               QTest::keyClick(keyTarget(screen), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
                               QCOMPARE(cell(screen, 2, 4), std::string("日用品"));
                               QCOMPARE(cell(screen, 2, 9), std::string("49,500"));
                           }),
                 0);
    }

    // Every column's one-point help fits its two lines in the help label, and the window still
    // fits a 1280-pixel-wide screen.
    void helpLabelHoldsEveryHelpText() {
        Home h;
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               QLabel* label = screen.window()->onePointHelp();
                               const QFontMetrics fm(label->font());
                               const QRect room = label->contentsRect();
                               for (const std::string& text : OnePointHelpTexts()) {
                                   const QStringList lines = QString::fromStdString(text).split(QLatin1Char('\n'));
                                   QCOMPARE(lines.size(), 2);
                                   for (const QString& line : lines)
                                       QVERIFY2(fm.horizontalAdvance(line) <= room.width(), qPrintable(line));
                                   QVERIFY(2 * fm.height() <= room.height());
                               }
                               QVERIFY2(screen.window()->frameGeometry().width() <= 1280,
                                        qPrintable(QString::number(screen.window()->frameGeometry().width())));
                               screen.window()->menuAction(Command::Exit)->trigger();
                           }),
                 0);
    }

    // Without the two-column list, the item switch panel is only its button and leaves the
    // breakdown cells below it visible.
    void itemSwitchPanelLeavesTheCellsBelow() {
        Home h;
        h.app.settings.TwoColumnItemBox = 0;
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("8"));
                               QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                               QVERIFY(screen.editor()->ItemBoxOpen());
                               QWidget* panel = screen.window()->itemPanel();
                               QVERIFY(panel->isVisible());
                               GridView* g = screen.window()->grid();
                               // The two-line switch button may reach into the next row, never further down.
                               const QRect below = g->CellRect(g->model().Row() + 2, 5);
                               const QRect belowInWindow(g->mapTo(screen.window(), below.topLeft()), below.size());
                               const QRect panelInWindow(panel->mapTo(screen.window(), QPoint(0, 0)), panel->size());
                               QVERIFY(!panelInWindow.intersects(belowInWindow));
                               QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                               screen.window()->menuAction(Command::Exit)->trigger();
                           }),
                 0);
    }

    // The edit menu's copy and cut work on the edit box's selection.
    void clipboardOnTheEditBox() {
        QLineEdit box;
        box.setText(QStringLiteral("食費と日用品"));
        box.setSelection(0, 2);
        CopySelection(&box);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("食費"));
        box.setSelection(2, 1);
        CutSelection(&box);
        QCOMPARE(box.text(), QStringLiteral("食費日用品"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("と"));
        box.setCursorPosition(0);
        PasteSelection(&box);
        QCOMPARE(box.text(), QStringLiteral("と食費日用品"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
