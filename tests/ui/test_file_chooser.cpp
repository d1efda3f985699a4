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
