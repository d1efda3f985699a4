// frmFILE, the folder and file chooser, driven by real key presses (offscreen), and the progress
// bar of the wait window that the copying fills.
#include "backup/Volumes.h"
#include "ui/backup/frmFILE.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/dialogs/frmMSG.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace mrt;

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// Runs `step` on the chooser once it is shown modally and active, from a timer, while exec()
// waits. A step that fails half-way leaves the window open: it is then cancelled.
void whenShown(QDialog* dlg, std::function<void()> step) {
    auto* timer = new QTimer(dlg);
    QObject::connect(timer, &QTimer::timeout, dlg, [dlg, timer, step] {
        if (!dlg->isVisible() || QApplication::activeModalWidget() != dlg || !dlg->isActiveWindow()) return;
        timer->stop();
        step();
        if (dlg->isVisible()) dlg->reject();
    });
    timer->start(5);
}

// Keys go to the focused control, as the keyboard delivers them.
void press(QDialog* dlg, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* w = QApplication::focusWidget();
    QTest::keyClick(w && dlg->isAncestorOf(w) ? w : dlg, key, mods);
}

// Types text where the focus is, one character at a time as an input method commits it.
void typeText(const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList rows(const QListWidget* list) {
    QStringList r;
    for (int i = 0; i < list->count(); ++i)
        r << list->item(i)->text().trimmed();
    return r;
}

// A scratch tree inside the build folder (not below /tmp, which the drive list never offers):
// home/, home/data/ with files, media/me/STICK/ standing for a USB stick.
struct Tree {
    QTemporaryDir dir{QDir::currentPath() + QStringLiteral("/chooser-XXXXXX")};
    QString home = dir.filePath(QStringLiteral("home"));
    QString data = dir.filePath(QStringLiteral("home/data"));
    QString stick = dir.filePath(QStringLiteral("media/me/STICK"));

    Tree() {
        QDir().mkpath(data + QStringLiteral("/BU"));
        QDir().mkpath(data + QStringLiteral("/2024"));
        QDir().mkpath(stick);
        for (const char* name : {"Inf2004.usr", "Io2004.usr", "TBITEM.mrt", "io2003.USR"})
            write(data, name, "x");
        write(data, "empty.usr", "");
    }
    static void write(const QString& folder, const char* name, const char* bytes) {
        QFile f(folder + u'/' + QString::fromUtf8(name));
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
    VolumeSources sources(bool withStick) const {
        VolumeSources s;
        s.userHome = home.toStdString();
        s.mountsFile = dir.filePath(QStringLiteral("mounts")).toStdString();
        s.mediaFolders = {dir.filePath(QStringLiteral("media/me")).toStdString()};
        s.labelFolder = dir.filePath(QStringLiteral("no-labels")).toStdString();
        QFile m(QString::fromStdString(s.mountsFile));
        if (m.open(QIODevice::WriteOnly) && withStick)
            m.write(QStringLiteral("/dev/sdb1 %1 vfat rw 0 0\n").arg(stick).toUtf8());
        return s;
    }
};

// Runs `step` on the next modal window of type W (one the chooser opens) once it is active.
template <typename W> void whenModal(std::function<void(W*)> step) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!w || !w->isVisible() || !w->isActiveWindow() || !QApplication::focusWidget()) return;
        timer->stop();
        timer->deleteLater();
        step(w);
        if (w->isVisible()) w->reject();
    });
    timer->start(5);
}

// The colour of the list's left edge, half-way down, as it is drawn.
QColor leftEdge(QWidget* list) {
    const QImage image = list->grab().toImage();
    return image.pixelColor(0, image.height() / 2);
}

} // namespace

class TestFileChooser : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void everyMatchingFileWithoutTheWindow() {
        Tree t;
        frmFILE a(nullptr, t.sources(false));
        QString path = t.data;
        QStringList files;
        QCOMPARE(a.GetFileName(u8("復帰"), u8("ファイル"), u8("*.usr"), 2, path, files), 0);
        // Letter case ignored; the 0-byte file is not listed.
        QCOMPARE(files, (QStringList{u8("Inf2004.usr"), u8("Io2004.usr"), u8("io2003.USR")}));
        QVERIFY(!a.isVisible());
        frmFILE b(nullptr, t.sources(false));
        QCOMPARE(b.GetFileName(u8("復帰"), u8("ファイル"), u8("*.txt"), 2, path, files), -1);
        frmFILE c(nullptr, t.sources(false));
        QString missing = t.data + QStringLiteral("/none");
        QCOMPARE(c.GetFileName(u8("復帰"), u8("ファイル"), u8("*.*"), 0, missing, files), -1);
        QCOMPARE(missing, t.data + QStringLiteral("/none"));
    }

    void threeFilesSelectedByKeysComeBackInListOrder() {
        Tree t;
        frmFILE a(nullptr, t.sources(false));
        whenShown(&a, [&] {
            QCOMPARE(QApplication::focusWidget(), a.FileList());
            QCOMPARE(rows(a.FileList()),
                     (QStringList{u8("Inf2004.usr"), u8("Io2004.usr"), u8("TBITEM.mrt"), u8("io2003.USR")}));
            press(&a, Qt::Key_Down);                       // Io2004.usr
            press(&a, Qt::Key_Down, Qt::ShiftModifier);    // + TBITEM.mrt
            press(&a, Qt::Key_Down, Qt::ControlModifier);  // io2003.USR, not selected
            press(&a, Qt::Key_Space, Qt::ControlModifier); // + io2003.USR
            press(&a, Qt::Key_Return);
        });
        QString path = t.data;
        QStringList files;
        QCOMPARE(a.GetFileName(u8("保管"), u8("保管するファイルを選択して下さい。\r\n（複数可）"), u8("*.*"), 0, path,
                               files),
                 0);
        QCOMPARE(files, (QStringList{u8("Io2004.usr"), u8("TBITEM.mrt"), u8("io2003.USR")}));
        QCOMPARE(path, t.data);
        QCOMPARE(a.Prompt()->text(), u8("保管するファイルを選択して下さい。\n（複数可）"));
    }

    void confirmingWithoutASelectionGivesMinusOne() {
        Tree t;
        frmFILE a(nullptr, t.sources(false));
        whenShown(&a, [&] { press(&a, Qt::Key_F12); });
        QString path = t.data;
        QStringList files{u8("kept")};
        QCOMPARE(a.GetFileName(u8("保管"), u8("ファイル"), u8("*.*"), 0, path, files), -1);
        QCOMPARE(files, QStringList{u8("kept")});

        frmFILE b(nullptr, t.sources(false));
        whenShown(&b, [&] {
            press(&b, Qt::Key_Down);
            press(&b, Qt::Key_Escape);
        });
        QCOMPARE(b.GetFileName(u8("保管"), u8("ファイル"), u8("*.*"), 1, path, files), -1);

        frmFILE c(nullptr, t.sources(false));
        whenShown(&c, [&] {
            press(&c, Qt::Key_Down);
            press(&c, Qt::Key_Down);
            press(&c, Qt::Key_Return);
        });
        QCOMPARE(c.GetFileName(u8("保管"), u8("ファイル"), u8("*.*"), 1, path, files), 0);
        QCOMPARE(files, QStringList{u8("TBITEM.mrt")});
    }

    void theHighlightedFolderIsTheOneTaken() {
        Tree t;
        // Highlighted with the arrow keys, then Tab to the confirm button and Enter.
        frmFILE a(nullptr, t.sources(false));
        whenShown(&a, [&] {
            QCOMPARE(QApplication::focusWidget(), a.DirList());
            QCOMPARE(rows(a.DirList()), (QStringList{t.home, u8("data"), u8("2024"), u8("BU")}));
            press(&a, Qt::Key_Down);
            press(&a, Qt::Key_Down);
            QCOMPARE(a.CurrentFolder(), t.data); // only highlighted so far
            press(&a, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), a.OkButton());
            QCOMPARE(a.CurrentFolder(), t.data + QStringLiteral("/BU")); // leaving the list opened it
            press(&a, Qt::Key_Return);
        });
        QString path = t.data;
        QCOMPARE(a.GetDirName(u8("各データの保管"), u8("保管先のフォルダ(ドライブ)を指定してください。"), path), 0);
        QCOMPARE(path, t.data + QStringLiteral("/BU"));

        // Highlighted with one click, then the confirm button clicked.
        frmFILE b(nullptr, t.sources(false));
        whenShown(&b, [&] {
            QListWidget* list = b.DirList();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
            QTest::mouseClick(b.OkButton(), Qt::LeftButton);
        });
        path = t.data;
        QCOMPARE(b.GetDirName(u8("保管"), u8("保管先"), path), 0);
        QCOMPARE(path, t.data + QStringLiteral("/2024"));

        // Enter opens a folder, Up then Enter goes back to its parent, F12 takes the highlighted one.
        frmFILE c(nullptr, t.sources(false));
        whenShown(&c, [&] {
            press(&c, Qt::Key_Down);
            press(&c, Qt::Key_Return);
            QCOMPARE(c.CurrentFolder(), t.data + QStringLiteral("/2024"));
            QCOMPARE(rows(c.DirList()), (QStringList{t.home, u8("data"), u8("2024")}));
            press(&c, Qt::Key_Up);
            press(&c, Qt::Key_Up);
            press(&c, Qt::Key_F12);
        });
        path = t.data;
        QCOMPARE(c.GetDirName(u8("保管"), u8("保管先"), path), 0);
        QCOMPARE(path, t.home);
    }

    // Letters typed in a list highlight the next name that starts with them, whatever the case and
    // the folder list's indentation; the same letter again moves on, round to the top.
    void typedLettersHighlightTheNextName() {
        Tree t;
        for (const char* name : {"Backup", "bills"})
            QDir().mkpath(t.data + u'/' + u8(name));
        const int interval = QApplication::keyboardInputInterval();
        QApplication::setKeyboardInputInterval(60000); // every key of the test within one burst
        QStringList seen;
        frmFILE a(nullptr, t.sources(false));
        whenShown(&a, [&] {
            auto current = [&] { seen << a.DirList()->currentItem()->text().trimmed(); };
            QCOMPARE(rows(a.DirList()),
                     (QStringList{t.home, u8("data"), u8("2024"), u8("Backup"), u8("bills"), u8("BU")}));
            for (int i = 0; i < 4; ++i) {
                typeText(QStringLiteral("b"));
                current();
            }
            typeText(QStringLiteral("u")); // "bu"
            current();
            typeText(QStringLiteral("x")); // "bux": none, no move
            current();
            press(&a, Qt::Key_F12);
        });
        QString path = t.data;
        QCOMPARE(a.GetDirName(u8("保管"), u8("保管先"), path), 0);
        QCOMPARE(seen, (QStringList{u8("Backup"), u8("bills"), u8("BU"), u8("Backup"), u8("BU"), u8("BU")}));
        QCOMPARE(path, t.data + QStringLiteral("/BU"));

        // In the file list of a one-file choice the name typed is the one chosen.
        frmFILE b(nullptr, t.sources(false));
        whenShown(&b, [&] {
            typeText(QStringLiteral("tb"));
            press(&b, Qt::Key_Return);
        });
        QStringList files;
        path = t.data;
        QCOMPARE(b.GetFileName(u8("復帰"), u8("ファイル"), u8("*.*"), 1, path, files), 0);
        QCOMPARE(files, QStringList{u8("TBITEM.mrt")});
        // Enter at once takes the file highlighted when the list took the focus.
        frmFILE c(nullptr, t.sources(false));
        whenShown(&c, [&] { press(&c, Qt::Key_Return); });
        QCOMPARE(c.GetFileName(u8("復帰"), u8("ファイル"), u8("*.*"), 1, path, files), 0);
        QCOMPARE(files, QStringList{u8("Inf2004.usr")});
        QApplication::setKeyboardInputInterval(interval);
    }

    // F7 asks for a name and makes that folder in the current one, which it opens; a name already
    // taken is refused with a message and changes nothing.
    void f7MakesANewFolderAndOpensIt() {
        Tree t;
        frmFILE a(nullptr, t.sources(false));
        QString refusal;
        whenShown(&a, [&] {
            whenModal<QInputDialog>([](QInputDialog*) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
                typeText(u8("BU"));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            });
            whenModal<frmMSG>([&](frmMSG* box) {
                refusal = box->MessageLabel()->text();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            });
            press(&a, Qt::Key_F7);
            QCOMPARE(a.CurrentFolder(), t.data);
            QTRY_COMPARE(QApplication::focusWidget(), a.DirList());
            whenModal<QInputDialog>([](QInputDialog*) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
                typeText(u8("2025年 控え"));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            });
            press(&a, Qt::Key_F7);
            QTRY_COMPARE(QApplication::focusWidget(), a.DirList()); // once the chooser is active again
            press(&a, Qt::Key_F12);
        });
        QString path = t.data;
        QCOMPARE(a.GetDirName(u8("保管"), u8("保管先"), path), 0);
        QVERIFY2(refusal.contains(u8("同じ名前")), qPrintable(refusal));
        QCOMPARE(path, t.data + u8("/2025年 控え"));
        QVERIFY(QFileInfo(path).isDir());
    }

    // The list, drop-down list or button that has the focus shows it with a dark edge.
    void theFocusedControlShowsADarkEdge() {
        Tree t;
        frmFILE a(nullptr, t.sources(false));
        QColor filesFocused, dirsFocused, filesUnfocused, dirsUnfocused;
        whenShown(&a, [&] {
            QCOMPARE(QApplication::focusWidget(), a.FileList());
            filesFocused = leftEdge(a.FileList());
            dirsUnfocused = leftEdge(a.DirList());
            press(&a, Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), a.DirList());
            dirsFocused = leftEdge(a.DirList());
            filesUnfocused = leftEdge(a.FileList());
            press(&a, Qt::Key_Escape);
        });
        QString path = t.data;
        QStringList files;
        QCOMPARE(a.GetFileName(u8("保管"), u8("ファイル"), u8("*.*"), 0, path, files), -1);
        const QRgb edge = QColor(176, 202, 153).darker(260).rgb();
        QCOMPARE(filesFocused.rgb(), edge);
        QCOMPARE(dirsFocused.rgb(), edge);
        QVERIFY(filesUnfocused.rgb() != edge && dirsUnfocused.rgb() != edge);
    }

    void cancellingLeavesThePathAndAMissingStartIsTheHomeFolder() {
        Tree t;
        frmFILE a(nullptr, t.sources(false));
        QString start;
        whenShown(&a, [&] {
            start = a.CurrentFolder();
            press(&a, Qt::Key_Escape);
        });
        QString path = t.data + QStringLiteral("/missing");
        QCOMPARE(a.GetDirName(u8("保管"), u8("保管先"), path), -1);
        QCOMPARE(start, t.home);
        QCOMPARE(path, t.data + QStringLiteral("/missing"));
    }

    void driveAStartsOnTheStickAndTheDriveListMovesTheFolderList() {
        Tree t;
        frmFILE a(nullptr, t.sources(true));
        QString driveText;
        whenShown(&a, [&] {
            QCOMPARE(a.CurrentFolder(), t.stick);
            driveText = a.DriveList()->currentText();
            // Shift+Tab to the drive list; Up chooses the home folder, the folder list follows.
            press(&a, Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), a.DriveList());
            press(&a, Qt::Key_Up);
            QCOMPARE(a.CurrentFolder(), t.home);
            press(&a, Qt::Key_Return); // back into the folder list
            QCOMPARE(QApplication::focusWidget(), a.DirList());
            press(&a, Qt::Key_Escape);
        });
        QString path = u8("a:");
        QCOMPARE(
            a.GetDirName(u8("保管データの復帰"), u8("保管データのあるフォルダ(ドライブ)を指定してください。"), path),
            -1);
        QCOMPARE(driveText, u8("STICK  (") + t.stick + u8(")"));

        // No medium: "a:" starts in the home folder.
        frmFILE b(nullptr, t.sources(false));
        whenShown(&b, [&] {
            QCOMPARE(b.CurrentFolder(), t.home);
            QCOMPARE(b.DriveList()->currentIndex(), 0);
            press(&b, Qt::Key_F12);
        });
        path = u8("a:");
        QCOMPARE(b.GetDirName(u8("保管"), u8("保管先"), path), 0);
        QCOMPARE(path, t.home);
    }

    void aDriveThatCannotBeReadIsRefused() {
        Tree t;
        VolumeSources s = t.sources(true);
        QDir(t.stick).removeRecursively(); // the stick pulled out after the list was read
        s.checkFolders = false;
        frmFILE a(nullptr, s);
        whenShown(&a, [&] {
            QCOMPARE(a.CurrentFolder(), t.home);
            press(&a, Qt::Key_Tab, Qt::ShiftModifier);
            press(&a, Qt::Key_Down); // the stick
            QCOMPARE(a.CurrentFolder(), t.home);
            QCOMPARE(a.DriveList()->currentIndex(), 0); // back on the drive of the folder list
            press(&a, Qt::Key_Escape);
        });
        QString path = t.home;
        QCOMPARE(a.GetDirName(u8("保管"), u8("保管先"), path), -1);
    }

    void theWaitWindowShowsTheProgress() {
        QtDialogs dlg;
        dlg.MsgOn("データの保管中・・・・", "各データの保管");
        QPointer<QWidget> wait;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && qobject_cast<frmMSG*>(w)) wait = w;
        QVERIFY(wait);
        const int height = wait->height();
        dlg.MsgProgress(0, 4, 0, 4000000);
        auto* bar = wait->findChild<QProgressBar*>();
        QVERIFY(bar && bar->isVisible());
        QVERIFY(wait->height() > height);
        dlg.MsgProgress(3, 4, 3000000, 4000000);
        QCOMPARE(bar->value(), 750);
        auto* counts = wait->findChild<QLabel*>(QStringLiteral("waitCounts"));
        QVERIFY(counts && counts->isVisible());
        QVERIFY2(counts->text().startsWith(u8("3 / 4 ファイル")), qPrintable(counts->text()));
        QVERIFY(counts->fontMetrics().horizontalAdvance(counts->text()) <= counts->width());
        QVERIFY(counts->geometry().bottom() < wait->height());
        dlg.MsgOff();
        QVERIFY(!wait || !wait->isVisible());
        dlg.MsgProgress(4, 4, 4000000, 4000000); // after the window closed: nothing to show
    }
};

QTEST_MAIN(TestFileChooser)
#include "test_file_chooser.moc"
