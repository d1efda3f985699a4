#include "grid/GridModel.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace mrt;

namespace {

struct Recorder : GridListener {
    std::vector<GridChange> changes;
    void GridChanged(GridChange what) override { changes.push_back(what); }
    int count(GridChange what) const {
        int n = 0;
        for (GridChange c : changes)
            n += (c == what);
        return n;
    }
};

// A ledger-like grid: header row, label column, 30 data rows of 300 twips, a view of 10 rows.
GridModel makeLedger() {
    GridModel g;
    g.SetCols(10);
    g.SetRows(31);
    g.SetAllRowHeights(300);
    g.SetViewHeight(300 * 10);
    return g;
}

} // namespace

TEST(GridModel, ResizeKeepsTextsAndClampsCursor) {
    GridModel g;
    g.SetCols(4);
    g.SetRows(5);
    g.SetTextMatrix(0, 1, "年");
    g.SetTextMatrix(4, 3, "last");
    g.SetCursor(4, 3);
    g.SetRows(3);
    EXPECT_EQ(g.TextMatrix(0, 1), "年");
    EXPECT_EQ(g.Row(), 2);
    g.SetRows(5);
    EXPECT_EQ(g.TextMatrix(4, 3), "") << "a cut cell comes back empty";
    EXPECT_THROW(g.TextMatrix(5, 0), std::out_of_range);
    EXPECT_THROW(g.SetTextMatrix(0, 4, "x"), std::out_of_range);
}

TEST(GridModel, TextArrayAndCurrentCellText) {
    GridModel g;
    g.SetCols(3);
    g.SetRows(3);
    g.SetTextArray(2 * 3 + 1, "a");
    EXPECT_EQ(g.TextMatrix(2, 1), "a");
    g.SetCursor(2, 1);
    EXPECT_EQ(g.Text(), "a");
    g.SetText("b");
    EXPECT_EQ(g.TextArray(7), "b");
}

TEST(GridModel, ClearCellsKeepsFixedTexts) {
    GridModel g = makeLedger();
    g.SetTextMatrix(0, 1, "head");
    g.SetTextMatrix(3, 0, "3");
    g.SetTextMatrix(3, 3, "data");
    g.SetCellBackColorAt(3, 3, Rgb(1, 2, 3));
    g.ClearCells();
    EXPECT_EQ(g.TextMatrix(0, 1), "head");
    EXPECT_EQ(g.TextMatrix(3, 0), "3");
    EXPECT_EQ(g.TextMatrix(3, 3), "");
    EXPECT_EQ(g.CellBackColorAt(3, 3), kDefaultColor);
}

TEST(GridModel, SettingRowCollapsesSelectionAndColoursActOnRange) {
    GridModel g = makeLedger();
    g.SetCursor(2, 2);
    g.SetRowSel(4);
    g.SetColSel(3);
    EXPECT_TRUE(g.IsSelected(4, 3));
    g.SetCellBackColor(Rgb(224, 112, 160));
    EXPECT_EQ(g.CellBackColorAt(3, 2), Rgb(224, 112, 160));
    EXPECT_EQ(g.CellBackColorAt(5, 2), kDefaultColor);
    g.SetRow(6);
    EXPECT_EQ(g.RowSel(), 6);
    EXPECT_EQ(g.ColSel(), 2);
    EXPECT_FALSE(g.IsSelected(4, 3));
    g.SetCellForeColor(Rgb(0, 0, 128));
    EXPECT_EQ(g.CellForeColorAt(6, 2), Rgb(0, 0, 128));
    EXPECT_EQ(g.CellForeColorAt(6, 3), kDefaultColor) << "a single cell when nothing is selected";
}

TEST(GridModel, ByRowSelectionCoversDataColumnsOnly) {
    GridModel g = makeLedger();
    g.SetSelectionMode(GridSelectionMode::ByRow);
    g.SetCursor(5, 2);
    EXPECT_TRUE(g.IsSelected(5, 9));
    EXPECT_FALSE(g.IsSelected(5, 0));
    EXPECT_FALSE(g.IsSelected(6, 2));
}

TEST(GridModel, TopRowIsHeldWithinTheLastFullPage) {
    GridModel g = makeLedger();
    EXPECT_EQ(g.MaxTopRow(), 21); // rows 21..30 fill the 10-row view
    g.SetTopRow(100);
    EXPECT_EQ(g.TopRow(), 21);
    g.SetTopRow(0);
    EXPECT_EQ(g.TopRow(), 1) << "the top row is never a fixed row";
    EXPECT_EQ(g.VisibleRows(), 10);
    EXPECT_TRUE(g.RowIsVisible(10));
    EXPECT_FALSE(g.RowIsVisible(11));
    EXPECT_TRUE(g.RowIsVisible(0)) << "fixed rows are always shown";
}

TEST(GridModel, ShrinkingRowsOrTheViewPullsTheTopRowBack) {
    GridModel g = makeLedger();
    g.SetTopRow(21);
    g.SetRows(16);
    EXPECT_EQ(g.TopRow(), 6);
    g.SetViewHeight(300 * 20);
    EXPECT_EQ(g.TopRow(), 1) << "all rows fit: no scrolling left";
    g.SetViewHeight(0);
    g.SetTopRow(15);
    EXPECT_EQ(g.TopRow(), 15) << "an unknown view height lets any row be the top row";
}

TEST(GridModel, ScrollToShowMovesTheLeastNeeded) {
    GridModel g = makeLedger();
    EXPECT_FALSE(g.ScrollToShow(5));
    EXPECT_TRUE(g.ScrollToShow(12));
    EXPECT_EQ(g.TopRow(), 3); // rows 3..12 now shown
    EXPECT_TRUE(g.ScrollToShow(2));
    EXPECT_EQ(g.TopRow(), 2);
    EXPECT_FALSE(g.ScrollToShow(0)) << "a fixed row never scrolls";
}

TEST(GridModel, CellGeometryFollowsScrolling) {
    GridModel g = makeLedger();
    g.SetColWidth(0, 450);
    g.SetColWidth(1, 600);
    g.SetRowHeight(0, 360);
    g.SetCursor(12, 2);
    EXPECT_EQ(g.CellLeft(), 450 + 600);
    EXPECT_EQ(g.CellWidth(), GridModel::kDefaultColWidth);
    EXPECT_EQ(g.CellTop(), 360 + 11 * 300);
    g.SetTopRow(10);
    EXPECT_EQ(g.CellTop(), 360 + 2 * 300);
    EXPECT_EQ(g.CellHeight(), 300);
    g.SetCursor(5, 2);
    EXPECT_EQ(g.CellHeight(), 0) << "a row scrolled away above has no height";
    g.SetCursor(0, 2);
    EXPECT_EQ(g.CellTop(), 0) << "fixed cells stay put";
    g.SetColWidth(2, -1);
    EXPECT_EQ(g.ColWidth(2), GridModel::kDefaultColWidth);
}

TEST(GridModel, AlignmentCellOverColumnOverFixed) {
    GridModel g = makeLedger();
    g.SetColAlignment(7, GridAlign::Right);
    g.SetFixedAlignment(7, GridAlign::Center);
    EXPECT_EQ(g.CellAlignmentAt(3, 7), GridAlign::Right);
    EXPECT_EQ(g.CellAlignmentAt(0, 7), GridAlign::Center);
    g.SetCursor(4, 7);
    g.SetCellAlignment(GridAlign::Left);
    EXPECT_EQ(g.CellAlignmentAt(4, 7), GridAlign::Left);
    EXPECT_EQ(g.CellAlignmentAt(5, 7), GridAlign::Right);
}

TEST(GridModel, ListenersHearChangesAlsoWhileRedrawIsOff) {
    GridModel g = makeLedger();
    Recorder rec;
    g.AddListener(&rec);
    g.SetRedraw(false);
    g.SetTextMatrix(1, 1, "x");
    g.SetTextMatrix(1, 1, "x"); // unchanged: no notice
    g.SetRow(3);
    g.SetTopRow(5);
    EXPECT_EQ(rec.count(GridChange::Redraw), 0);
    EXPECT_EQ(rec.count(GridChange::Cells), 1);
    EXPECT_EQ(rec.count(GridChange::Cursor), 1);
    EXPECT_EQ(rec.count(GridChange::Scroll), 1);
    g.SetRedraw(true);
    EXPECT_EQ(rec.count(GridChange::Redraw), 1);
    g.SetBackColorFixed(Rgb(176, 224, 255));
    EXPECT_EQ(rec.count(GridChange::Look), 1);
    g.RemoveListener(&rec);
    g.SetRow(4);
    EXPECT_EQ(rec.count(GridChange::Cursor), 1);
}

TEST(GridModel, EmptyGridIsSafe) {
    GridModel g;
    g.SetRows(0);
    g.SetCols(0);
    EXPECT_EQ(g.Row(), 0);
    EXPECT_EQ(g.TextMatrix(0, 0), "");
    EXPECT_EQ(g.VisibleRows(), 0);
    g.SetTopRow(3);
    EXPECT_EQ(g.TopRow(), 0);
}
