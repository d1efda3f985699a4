// The program on a desktop: Qt's standard dialogs in Japanese, the icon that comes with the
// resources, the input method allowed in name fields and kept away from date and amount fields,
// and the main window's place. Runs on an offscreen screen of 1920 × 1080.
#include "MainWindowHome.h"
#include "support/ModalScript.h"
#include "ui/dialogs/Desktop.h"
#include "ui/dialogs/Fonts.h"
#include "ui/grid/GridView.h"
#include "util/Clock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QInputMethodQueryEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryFile>

using namespace mrt;
using namespace mrt::testing;
using mrt::test::Answered;

namespace {

// Whether the desktop's input method may compose in `w`: the question the platform input context
// (fcitx5, IBus) asks of the focus object before it takes any key.
bool inputMethodAccepted(QObject* w) {
    if (!w) return false;
    QInputMethodQueryEvent q(Qt::ImEnabled);
    QCoreApplication::sendEvent(w, &q);
    return q.value(Qt::ImEnabled).toBool();
}

// Runs `open`, which shows a modal window and returns when it closes; once the window is up,
// `inspect` looks at it and `close` ends it (always, so a failed look never leaves it open).
void withModal(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect,
               const std::function<void(QWidget*)>& close) {
    QVERIFY(Answered(open, {[&](QWidget* m) {
                         inspect(m);
                         close(m);
                     }}));
}

QString texts(QWidget* w) {
    QStringList all;
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        if (b->isVisible()) all << b->text();
    for (QLabel* l : w->findChildren<QLabel*>())
        if (l->isVisible()) all << l->text();
    return all.join(QLatin1Char('|'));
}

// The buttons of a platform message box of `buttons`, answered with its escape button (No,
// Cancel; OK when it has no other).
QString messageBoxButtons(QtDialogs& dlg, MsgButtons buttons, MsgResult* result = nullptr) {
    QString seen;
    withModal(
        [&] {
            MsgResult r = dlg.MsgBox("よろしいですか？", "確認", MsgIcon::Question, buttons);
            if (result) *result = r;
        },
        [&](QWidget* m) {
            if (auto* box = qobject_cast<QMessageBox*>(m))
                for (QAbstractButton* b : box->buttons())
                    seen += b->text() + QLatin1Char('|');
        },
        [](QWidget* m) {
            auto* box = qobject_cast<QMessageBox*>(m);
            if (box && box->escapeButton())
                box->escapeButton()->click();
            else
                m->close();
        });
    return seen;
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallFontSubstitutions();
        static FixedClock clock({2004, 4, 10});
        SetClock(&clock);
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1920, 1080));
    }

    // Without Qt's translations the buttons are Qt's English ones: what the next test sees comes
    // from the translations the program loads.
    void standardButtonsAreEnglishUntilTranslated() {
        QtDialogs dlg(nullptr, nullptr);
        const QString buttons = messageBoxButtons(dlg, MsgButtons::YesNo);
        QVERIFY2(buttons.contains(QStringLiteral("Yes")), qPrintable(buttons));
    }

    void platformQuestionSaysHai() {
        QVERIFY2(InstallQtTranslations(*qApp), "qtbase_ja is not installed (qt6-translations-l10n)");
        QtDialogs dlg(nullptr, nullptr);
        MsgResult answer = MsgResult::Yes;
        const QString yesNo = messageBoxButtons(dlg, MsgButtons::YesNo, &answer);
        QVERIFY2(yesNo.contains(QStringLiteral("はい")) && yesNo.contains(QStringLiteral("いいえ")), qPrintable(yesNo));
        QVERIFY2(!yesNo.contains(QStringLiteral("Yes")), qPrintable(yesNo));
        // The box still answers through its standard buttons: いいえ is No.
        QCOMPARE(answer, MsgResult::No);
        const QString okCancel = messageBoxButtons(dlg, MsgButtons::OKCancel);
        QVERIFY2(okCancel.contains(QStringLiteral("キャンセル")), qPrintable(okCancel));
        const QString retry = messageBoxButtons(dlg, MsgButtons::RetryCancel);
        QVERIFY2(retry.contains(QStringLiteral("再試行")), qPrintable(retry));
    }

    // Qt's own file dialog (the one used where the desktop offers none) speaks Japanese too.
    void fileDialogSpeaksJapanese() {
        QFileDialog fd(nullptr, QStringLiteral("保管先"), QDir::tempPath());
        fd.setOption(QFileDialog::DontUseNativeDialog);
        QString seen;
        withModal([&] { fd.exec(); }, [&](QWidget* m) { seen = texts(m); }, [](QWidget* m) { m->close(); });
        QVERIFY2(seen.contains(QStringLiteral("キャンセル")), qPrintable(seen));
        QVERIFY2(!seen.contains(QStringLiteral("Cancel")), qPrintable(seen));
    }

    // The window icon comes from the PNGs laid out beside the resources, as an install has them.
    void programIconComesWithTheResources() {
        const QString share = qEnvironmentVariable("MRTKEL_SHARE");
        QVERIFY2(!share.isEmpty(), "MRTKEL_SHARE names the build tree's resources");
        const QList<QSize> sizes = ProgramIcon(share).availableSizes();
        QVERIFY2(sizes.contains(QSize(48, 48)) && sizes.contains(QSize(256, 256)),
                 qPrintable(QStringLiteral("%1 sizes").arg(sizes.size())));
    }

    // Date and amount questions keep the input method away from their fields.
    void dateAndAmountDialogsTakeDigitsAsTyped() {
        QtDialogs dlg(nullptr, nullptr);
        bool dateAccepts = true, amountAccepts = true;
        QWidget* dateField = nullptr;
        withModal(
            [&] {
                std::string out;
                dlg.DateInYMD("日付を入力してください。", "2004/04/10", out);
            },
            [&](QWidget*) {
                dateField = QApplication::focusWidget();
                dateAccepts = inputMethodAccepted(dateField);
            },
            [](QWidget* m) { QTest::keyClick(m->focusWidget() ? m->focusWidget() : m, Qt::Key_Escape); });
        QVERIFY(dateField != nullptr);
        QVERIFY(!dateAccepts);
        withModal(
            [&] {
                std::string text = "100";
                dlg.InputKel(text, "金額を入力してください。", "金額入力", 0, 0, "0");
            },
            [&](QWidget*) { amountAccepts = inputMethodAccepted(QApplication::focusWidget()); },
            [](QWidget* m) { QTest::keyClick(m->focusWidget() ? m->focusWidget() : m, Qt::Key_Escape); });
        QVERIFY(!amountAccepts);
    }

    // Each ledger cell as the user opens it: the item, breakdown and shop cells take Japanese
    // through the input method, the date and amount cells never reach it, also when editing starts
    // with a typed digit right after a text cell was edited.
    void ledgerCellsByColumn() {
        Home h({expense(2, "食費", 1000)});
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QStringList wrong;
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               GridView* grid = screen.window()->grid();
                               auto check = [&](const QString& what, bool expected) {
                                   QWidget* f = QApplication::focusWidget();
                                   if (!f || f == grid)
                                       wrong << what + QStringLiteral(": no field has the focus");
                                   else if (inputMethodAccepted(f) != expected)
                                       wrong << what + (expected ? QStringLiteral(": input method off")
                                                                 : QStringLiteral(": input method on"));
                               };
                               // Typed on the idle grid before any cell was opened.
                               screen.editor()->CellMove(2, 8);
                               QTest::keyClick(grid, Qt::Key_5);
                               check(QStringLiteral("typed into 出金"), false);
                               for (const auto& [col, on] :
                                    {std::pair{1, false}, std::pair{2, false}, std::pair{3, false}, std::pair{4, true},
                                     std::pair{5, true}, std::pair{6, true}, std::pair{8, false}}) {
                                   screen.editor()->CellMove(2, col);
                                   QTest::keyClick(grid, Qt::Key_Return);
                                   check(QStringLiteral("column %1 opened").arg(col), on);
                               }
                               screen.editor()->CellMove(2, 5);
                               QTest::keyClick(grid, Qt::Key_A);
                               check(QStringLiteral("typed into 内訳"), true);
                               screen.editor()->CellMove(2, 8);
                               QTest::keyClick(grid, Qt::Key_7);
                               check(QStringLiteral("typed into 出金 after 内訳"), false);
                               screen.editor()->CellMove(2, 3);
                               QTest::keyClick(grid, Qt::Key_9);
                               check(QStringLiteral("typed into 日"), false);
                               screen.editor()->CellMove(3, 3);
                               screen.window()->menuAction(Command::Exit)->trigger();
                           }),
                 0);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
    }

    // Every caption of the main window fits its label, in the IPA fonts and in the Noto CJK fonts
    // the faces fall back on, whose lines are taller.
    void mainWindowCaptionsFit_data() {
        QTest::addColumn<QString>("gothic");
        QTest::addColumn<QString>("pgothic");
        QTest::newRow("IPA") << QStringLiteral("IPAGothic") << QStringLiteral("IPAPGothic");
        QTest::newRow("Noto CJK") << QStringLiteral("Noto Sans Mono CJK JP") << QStringLiteral("Noto Sans CJK JP");
    }
    void mainWindowCaptionsFit() {
        QFETCH(QString, gothic);
        QFETCH(QString, pgothic);
        QVERIFY2(QFontDatabase::hasFamily(gothic) && QFontDatabase::hasFamily(pgothic),
                 "scripts/install-deps installs the IPA and Noto CJK fonts");
        QFont::removeSubstitutions(GothicFace());
        QFont::removeSubstitutions(PGothicFace());
        QFont::insertSubstitution(GothicFace(), gothic);
        QFont::insertSubstitution(PGothicFace(), pgothic);
        auto restore = qScopeGuard([] {
            QFont::removeSubstitutions(GothicFace());
            QFont::removeSubstitutions(PGothicFace());
            InstallFontSubstitutions();
        });
        Home h({expense(2, "食費", 1000)});
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QStringList cut;
        QCOMPARE(runPeriod(h, screen, screens,
                           [&] {
                               for (QLabel* l : screen.window()->findChildren<QLabel*>()) {
                                   if (!l->isVisible() || l->text().isEmpty()) continue;
                                   const QRect room = l->contentsRect();
                                   const int flags = int(l->alignment()) | (l->wordWrap() ? int(Qt::TextWordWrap) : 0);
                                   const QRect need = QFontMetrics(l->font()).boundingRect(room, flags, l->text());
                                   if (need.width() > room.width() || need.height() > room.height())
                                       cut << QStringLiteral("%1 (%2×%3 in %4×%5)")
                                                  .arg(l->text())
                                                  .arg(need.width())
                                                  .arg(need.height())
                                                  .arg(room.width())
                                                  .arg(room.height());
                               }
                               screen.window()->menuAction(Command::Exit)->trigger();
                           }),
                 0);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
    }

    // The first start centres the main window; after a command (the loop sets the window up
    // again) and after a rebuild it stays where the user put it.
    void mainWindowKeepsItsPlace() {
        Home h;
        QtMainScreen screen(h.dlg);
        QtCommandScreens screens(h.dlg);
        QCOMPARE(StartUp(h.app, h.dlg, screen, screens), 0);
        frmMain* w = screen.window();
        const QRect screenArea = w->screen()->availableGeometry();
        QVERIFY2(screenArea.contains(w->frameGeometry()), "the window does not fit the 1920 × 1080 screen");
        // Centred when it was laid out, before the frame (a few pixels) was known.
        const int frame = w->frameGeometry().width() - w->geometry().width();
        QVERIFY(std::abs(w->frameGeometry().center().x() - screenArea.center().x()) <= frame + 1);
        const QPoint put = screenArea.topLeft() + QPoint(37, 23);
        w->move(put);
        QCOMPARE(w->pos(), put);
        screen.SetFixedStyleFlat(false);
        screen.SetUpMainWindow(h.app);
        QCOMPARE(screen.window(), w);
        QCOMPARE(w->pos(), put);
        screen.Unload();
        screen.SetUpMainWindow(h.app);
        QVERIFY(screen.window() != nullptr);
        QCOMPARE(screen.window()->pos(), put);
        screen.Unload();
    }
};

// A screen of 1920 × 1080 for the offscreen platform (its own default is 800 × 600).
int main(int argc, char** argv) {
    QTemporaryFile config(QDir::tempPath() + QStringLiteral("/mrtkel-screen-XXXXXX.json"));
    if (qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen")) == QStringLiteral("offscreen") &&
        config.open()) {
        config.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,
                         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        config.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    }
    QApplication app(argc, argv);
    DesktopTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_desktop.moc"
