// The grid view: drawing matches the reported cell geometry, keys/clicks/scrolling reach the
// model and come out as the grid's events.
#include "support/ModalScript.h"
#include "ui/dialogs/Fonts.h"
#include "ui/grid/GridView.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace mrt;

namespace {

constexpr GridColor kMark = Rgb(224, 112, 160);
constexpr GridColor kBack = Rgb(255, 255, 248);

// A ledger-like grid: 1 header row, 1 label column, 60 data rows of 20 px, 10 rows on a page.
void setUpLedger(GridView& view) {
    GridModel& m = view.model();
    m.SetCols(10);
    m.SetRows(61);
    m.SetAllRowHeights(300);
    m.SetColWidth(0, 600);
    for (int c = 1; c < 10; ++c)
        m.SetColWidth(c, 900 + 15 * c); // uneven widths on purpose
    m.SetBackColor(kBack);
    m.SetBackColorFixed(Rgb(176, 224, 255));
    m.SetGridColorLines(Rgb(128, 128, 128));
    m.SetHighLight(GridHighLight::Never);
    m.SetFocusRect(GridFocusRect::None);
    for (int r = 1; r < 61; ++r)
        m.SetTextMatrix(r, 0, std::to_string(r));
    view.resize(view.SizeForRows(11, true));
}

QColor pixelAt(const QImage& img, int x, int y) {
    return img.pixelColor(x, y);
}

} // namespace

class TestGrid : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void cellGeometryMatchesTheDrawingAfterScrolling() {
        GridView view;
        setUpLedger(view);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view, mrt::test::kPatience));
        GridModel& m = view.model();

        auto check = [&](int row, int col) {
            m.SetCursor(row, col);
            m.SetCellBackColorAt(row, col, kMark);
            const QRect r(view.CellLeft(), view.CellTop(), view.CellWidth(), view.CellHeight());
            QVERIFY(!r.isEmpty());
            const QImage img = view.grab().toImage();
            // Every corner of the reported rectangle is the cell's colour ...
            for (const QPoint& p : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
                QCOMPARE(pixelAt(img, p.x(), p.y()), ToQColor(kMark));
            // ... and one pixel outside it on each side is not.
            QVERIFY(pixelAt(img, r.left() - 1, r.center().y()) != ToQColor(kMark));
            QVERIFY(pixelAt(img, r.right() + 1, r.center().y()) != ToQColor(kMark));
            QVERIFY(pixelAt(img, r.center().x(), r.top() - 1) != ToQColor(kMark));
            QVERIFY(pixelAt(img, r.center().x(), r.bottom() + 1) != ToQColor(kMark));
            m.SetCellBackColorAt(row, col, kDefaultColor);
        };

        check(3, 4);
        m.SetTopRow(25); // scrolled by code
        check(30, 7);
        view.verticalScrollBar()->setValue(40); // scrolled by the user
        QCOMPARE(m.TopRow(), 40);
        check(41, 1);
        check(0, 5); // a header cell stays in place
        QCOMPARE(view.CellTop(), view.viewport()->geometry().top());

        // An edit box laid on the reported geometry covers the cell exactly.
        m.SetCursor(45, 3);
        QLineEdit edit(&view);
        edit.setGeometry(view.CellLeft(), view.CellTop(), view.CellWidth(), view.CellHeight());
        QCOMPARE(edit.geometry(), view.CellRect(45, 3));

        // A row scrolled out of view has no geometry.
        m.SetCursor(10, 3);
        QVERIFY(view.CellRect(10, 3).isEmpty());
    }

    void redrawOffHoldsPaintingUntilSwitchedOn() {
        GridView view;
        setUpLedger(view);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view, mrt::test::kPatience));
        GridModel& m = view.model();
        m.SetRedraw(false);
        for (int r = 1; r <= 5; ++r)
            m.SetCellBackColorAt(r, 2, kMark);
        m.SetRedraw(true);
        const QImage img = view.grab().toImage();
        for (int r = 1; r <= 5; ++r) {
            const QRect cell = view.CellRect(r, 2);
            QCOMPARE(pixelAt(img, cell.center().x(), cell.center().y()), ToQColor(kMark));
        }
    }

    void arrowsAndPagesMoveTheCursorAndScroll() {
        GridView view;
        setUpLedger(view);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view, mrt::test::kPatience));
        GridModel& m = view.model();
        m.SetCursor(10, 3);
        QSignalSpy rowCol(&view, &GridView::RowColChange);
        QSignalSpy leave(&view, &GridView::LeaveCell);
        QSignalSpy scroll(&view, &GridView::Scroll);

        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(m.Row(), 11);
        QCOMPARE(m.TopRow(), 2); // the cursor stays in view
        QCOMPARE(rowCol.count(), 1);
        QCOMPARE(leave.count(), 1);
        QCOMPARE(scroll.count(), 1);

        QTest::keyClick(&view, Qt::Key_PageDown);
        QCOMPARE(m.Row(), 21);
        QVERIFY(m.RowIsVisible(21));
        QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(m.Row(), 1);
        QCOMPARE(m.Col(), 1);
        QCOMPARE(m.TopRow(), 1);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(m.Row(), 1); // never onto the header row
        QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(m.Row(), 60);
        QCOMPARE(m.TopRow(), m.MaxTopRow());
        QCOMPARE(view.verticalScrollBar()->value(), m.TopRow());

        // Setting the cursor by code is an event too; setting it to the same cell is not.
        rowCol.clear();
        m.SetCursor(5, 5);
        m.SetCursor(5, 5);
        QCOMPARE(rowCol.count(), 1);
    }

    void keyDownCanStopTheGridsOwnHandling() {
        GridView view;
        setUpLedger(view);
        view.show();
        GridModel& m = view.model();
        m.SetCursor(5, 3);
        connect(&view, &GridView::KeyDown, this, [](int key, Qt::KeyboardModifiers, bool* consumed) {
            if (key == Qt::Key_Down) *consumed = true;
        });
        QList<int> codes;
        QStringList texts;
        connect(&view, &GridView::KeyPress, this, [&](int code, const QString& text, bool*) {
            codes << code;
            texts << text;
        });
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(m.Row(), 5);
        QTest::keyClicks(&view, QStringLiteral("7"));
        QTest::keyClick(&view, Qt::Key_Return);
        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(codes, (QList<int>{'7', 13, 27}));
        QCOMPARE(texts.first(), QStringLiteral("7"));
        QCOMPARE(m.Row(), 5); // character keys leave the cursor alone
    }

    void clicksMoveTheCursorAndReportEvents() {
        GridView view;
        setUpLedger(view);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view, mrt::test::kPatience));
        GridModel& m = view.model();
        m.SetTopRow(20);
        QSignalSpy click(&view, &GridView::Click);
        QSignalSpy dbl(&view, &GridView::DblClick);
        QSignalSpy down(&view, &GridView::MouseDown);
        const QPoint vpOffset = view.viewport()->geometry().topLeft();

        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(24, 6).center() - vpOffset);
        QCOMPARE(m.Row(), 24);
        QCOMPARE(m.Col(), 6);
        QCOMPARE(click.count(), 1);
        QCOMPARE(down.count(), 1);

        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(26, 2).center() - vpOffset);
        QCOMPARE(dbl.count(), 1);
        QCOMPARE(m.Row(), 26);

        // A click on a header cell does not move the cursor.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(0, 3).center() - vpOffset);
        QCOMPARE(m.Row(), 26);
        QCOMPARE(m.Col(), 2);
    }

    void scrollBarFollowsTheSetting() {
        GridView view;
        setUpLedger(view);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view, mrt::test::kPatience));
        GridModel& m = view.model();
        QVERIFY(view.verticalScrollBar()->isVisible());
        QCOMPARE(view.verticalScrollBar()->maximum(), m.MaxTopRow());
        m.SetScrollBars(GridScrollBars::None);
        QTRY_VERIFY_WITH_TIMEOUT(!view.verticalScrollBar()->isVisible(), mrt::test::kPatience);
        m.SetScrollBars(GridScrollBars::Vertical);
        m.SetRows(5); // everything fits: nothing to scroll
        QCOMPARE(m.MaxTopRow(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!view.verticalScrollBar()->isVisible(), mrt::test::kPatience);
    }

    void twipsConversion() {
        QCOMPARE(TwipsToPixels(300), 20);
        QCOMPARE(TwipsToPixels(15), 1);
        QCOMPARE(TwipsToPixels(22), 1);
        QCOMPARE(TwipsToPixels(23), 2);
        QCOMPARE(PixelsToTwips(64), 960);
    }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
