#pragma once
#include "util/FontFaces.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

// Colours are 0xRRGGBB. kDefaultColor in a cell means "use the grid's colour".
using GridColor = uint32_t;
inline constexpr GridColor kDefaultColor = 0xFFFFFFFFu;
constexpr GridColor Rgb(int r, int g, int b) {
    return (static_cast<GridColor>(r & 0xFF) << 16) | (static_cast<GridColor>(g & 0xFF) << 8) |
           static_cast<GridColor>(b & 0xFF);
}

enum class GridAlign { General, Left, Center, Right }; // General: text left, numbers right
enum class GridFixedStyle { Flat, InsetLight };        // TextStyleFixed
enum class GridHighLight { Never, Always, WithFocus }; // how the selection is shown
enum class GridFocusRect { None, Light, Heavy };       // frame around the current cell
enum class GridSelectionMode { Free, ByRow, ByColumn };
enum class GridScrollBars { None, Horizontal, Vertical, Both };

// What changed; a listener repaints or re-lays out accordingly.
enum class GridChange {
    Cells,  // texts or cell colours
    Layout, // rows, columns, sizes, fonts, scroll bars
    Cursor, // Row/Col/RowSel/ColSel
    Scroll, // TopRow/LeftCol
    Look,   // grid colours and styles
    Redraw, // Redraw switched back on: repaint everything
};

class GridListener {
public:
    virtual ~GridListener() = default;
    // Called for every change, also while Redraw is off (events still happen then; only
    // painting waits). The listener must not remove itself from inside this call.
    virtual void GridChanged(GridChange what) = 0;
};

// The state of one on-screen table: cell texts, sizes in twips, cursor, top row and colours.
// Toolkit-free; a view draws it and reports the user's keys and clicks. Row and column indexes
// are 0-based and include the fixed rows/columns. Reading or writing a cell outside the grid
// throws std::out_of_range: a caller bug, stopped before it can write past the table.
class GridModel {
public:
    GridModel();

    void AddListener(GridListener* l);
    void RemoveListener(GridListener* l);

    // Size. Growing keeps existing texts; shrinking drops the cut cells. The cursor and top row
    // are pulled back inside. Fixed counts never exceed the size minus one scrollable row/col
    // (a grid of only fixed cells is allowed when Rows == FixedRows).
    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }
    int FixedRows() const { return m_fixedRows; }
    int FixedCols() const { return m_fixedCols; }
    void SetRows(int n);
    void SetCols(int n);
    void SetFixedRows(int n);
    void SetFixedCols(int n);

    // Cell text (UTF-8), fixed cells included.
    const std::string& TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const std::string& text);
    // TextArray: cells numbered row * Cols + col.
    const std::string& TextArray(int index) const;
    void SetTextArray(int index, const std::string& text);
    // Text of the current cell.
    const std::string& Text() const { return TextMatrix(m_row, m_col); }
    void SetText(const std::string& text) { SetTextMatrix(m_row, m_col, text); }
    // Empties every scrollable cell (fixed cells keep their texts) and resets cell colours.
    void ClearCells();

    // Cursor. Setting Row or Col collapses the selection onto the current cell. Values are
    // clamped into the grid (the cursor may stand on a fixed cell only when set there by code).
    int Row() const { return m_row; }
    int Col() const { return m_col; }
    int RowSel() const { return m_rowSel; }
    int ColSel() const { return m_colSel; }
    void SetRow(int r);
    void SetCol(int c);
    void SetRowSel(int r);
    void SetColSel(int c);
    // Row and column together with one notification.
    void SetCursor(int r, int c);

    // First scrollable row/column shown. Clamped to FixedRows..MaxTopRow().
    int TopRow() const { return m_topRow; }
    void SetTopRow(int r);
    int LeftCol() const { return m_leftCol; }
    void SetLeftCol(int c);
    // Height in twips of the area below the fixed rows that the view can show; set by the view.
    // 0 (the default) = unknown: any scrollable row may be the top row.
    void SetViewHeight(int twips);
    int ViewHeight() const { return m_viewHeight; }
    // Largest top row that still fills the view: the last rows fit exactly below it.
    int MaxTopRow() const;
    // Number of scrollable rows wholly visible from TopRow (at least 1 when there is one).
    int VisibleRows() const;
    bool RowIsVisible(int row) const;
    // Scrolls the least needed so that `row` is wholly visible; true when TopRow changed.
    bool ScrollToShow(int row);

    // Sizes in twips (1/1440 inch). Setting -1 restores the default.
    int ColWidth(int col) const;
    void SetColWidth(int col, int twips);
    int RowHeight(int row) const;
    void SetRowHeight(int row, int twips);
    // Every row at once (the usual case: all rows of a grid share one height).
    void SetAllRowHeights(int twips);
    void SetDefaultRowHeight(int twips);

    // Geometry of the current cell relative to the grid's top-left corner, in twips, for the
    // scroll position in TopRow/LeftCol. A cell scrolled out of view has width/height 0.
    int CellLeft() const;
    int CellTop() const;
    int CellWidth() const;
    int CellHeight() const;
    // The same for any cell.
    int CellLeftOf(int col) const;
    int CellTopOf(int row) const;
    bool ColIsVisibleAt(int col) const;

    GridAlign ColAlignment(int col) const;
    void SetColAlignment(int col, GridAlign a);
    // Alignment of the fixed cells of a column (header text); General = as ColAlignment.
    GridAlign FixedAlignment(int col) const;
    void SetFixedAlignment(int col, GridAlign a);
    // Alignment of one cell: its own when set, else the column's.
    GridAlign CellAlignmentAt(int row, int col) const;
    // Current cell / selected range.
    GridAlign CellAlignment() const { return CellAlignmentAt(m_row, m_col); }
    void SetCellAlignment(GridAlign a);

    // Per-cell colours and font size; kDefaultColor / 0 mean the grid's. The setters without
    // coordinates act on the selected range (Row..RowSel × Col..ColSel), i.e. the current cell
    // when nothing is selected.
    GridColor CellBackColorAt(int row, int col) const;
    GridColor CellForeColorAt(int row, int col) const;
    double CellFontSizeAt(int row, int col) const;
    void SetCellBackColorAt(int row, int col, GridColor c);
    void SetCellForeColorAt(int row, int col, GridColor c);
    void SetCellFontSizeAt(int row, int col, double points);
    GridColor CellBackColor() const { return CellBackColorAt(m_row, m_col); }
    GridColor CellForeColor() const { return CellForeColorAt(m_row, m_col); }
    double CellFontSize() const { return CellFontSizeAt(m_row, m_col); }
    void SetCellBackColor(GridColor c);
    void SetCellForeColor(GridColor c);
    void SetCellFontSize(double points);

    // Grid colours.
    GridColor BackColor() const { return m_backColor; }
    GridColor ForeColor() const { return m_foreColor; }
    GridColor BackColorFixed() const { return m_backColorFixed; }
    GridColor ForeColorFixed() const { return m_foreColorFixed; }
    GridColor BackColorSel() const { return m_backColorSel; }
    GridColor ForeColorSel() const { return m_foreColorSel; }
    GridColor BackColorBkg() const { return m_backColorBkg; }
    GridColor GridColorLines() const { return m_gridColor; }
    void SetBackColor(GridColor c) { setLook(m_backColor, c); }
    void SetForeColor(GridColor c) { setLook(m_foreColor, c); }
    void SetBackColorFixed(GridColor c) { setLook(m_backColorFixed, c); }
    void SetForeColorFixed(GridColor c) { setLook(m_foreColorFixed, c); }
    void SetBackColorSel(GridColor c) { setLook(m_backColorSel, c); }
    void SetForeColorSel(GridColor c) { setLook(m_foreColorSel, c); }
    void SetBackColorBkg(GridColor c) { setLook(m_backColorBkg, c); }
    void SetGridColorLines(GridColor c) { setLook(m_gridColor, c); }

    // Font of the grid: a face name as the windows name it ("ＭＳ ゴシック") and points.
    const std::string& FontName() const { return m_fontName; }
    double FontSize() const { return m_fontSize; }
    void SetFontName(const std::string& name);
    void SetFontSize(double points);

    GridFixedStyle TextStyleFixed() const { return m_fixedStyle; }
    void SetTextStyleFixed(GridFixedStyle s);
    GridHighLight HighLight() const { return m_highLight; }
    void SetHighLight(GridHighLight h);
    GridFocusRect FocusRect() const { return m_focusRect; }
    void SetFocusRect(GridFocusRect f);
    GridSelectionMode SelectionMode() const { return m_selectionMode; }
    void SetSelectionMode(GridSelectionMode m);
    GridScrollBars ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(GridScrollBars s);

    // While off, views do not repaint; switching it on repaints everything once.
    bool Redraw() const { return m_redraw; }
    void SetRedraw(bool on);

    // True when (row, col) lies in the selected range.
    bool IsSelected(int row, int col) const;

    static constexpr int kDefaultColWidth = 960;  // twips (64 px at 96 dpi)
    static constexpr int kDefaultRowHeight = 300; // twips (20 px)

private:
    struct Cell {
        std::string text;
        GridColor back = kDefaultColor;
        GridColor fore = kDefaultColor;
        double fontSize = 0;
        bool hasAlign = false;
        GridAlign align = GridAlign::General;
    };

    Cell& cellAt(int row, int col);
    const Cell& cellAt(int row, int col) const;
    void resize(int rows, int cols);
    void clampCursor();
    void clampScroll();
    void notify(GridChange what);
    void setLook(GridColor& field, GridColor c);
    template <typename F> void forSelection(F f);

    int m_rows = 2, m_cols = 2, m_fixedRows = 1, m_fixedCols = 1;
    std::vector<Cell> m_cells; // row-major, m_rows * m_cols
    std::vector<int> m_colWidth;
    std::vector<int> m_rowHeight;
    std::vector<GridAlign> m_colAlign;
    std::vector<GridAlign> m_fixedAlign;
    int m_defaultRowHeight = kDefaultRowHeight;
    int m_row = 1, m_col = 1, m_rowSel = 1, m_colSel = 1;
    int m_topRow = 1, m_leftCol = 1;
    int m_viewHeight = 0;

    GridColor m_backColor = Rgb(255, 255, 255);
    GridColor m_foreColor = Rgb(0, 0, 0);
    GridColor m_backColorFixed = Rgb(212, 208, 200);
    GridColor m_foreColorFixed = Rgb(0, 0, 0);
    GridColor m_backColorSel = Rgb(0, 0, 128);
    GridColor m_foreColorSel = Rgb(255, 255, 255);
    GridColor m_backColorBkg = Rgb(128, 128, 128);
    GridColor m_gridColor = Rgb(192, 192, 192);
    std::string m_fontName = kGothicFace;
    double m_fontSize = 9;
    GridFixedStyle m_fixedStyle = GridFixedStyle::Flat;
    GridHighLight m_highLight = GridHighLight::Always;
    GridFocusRect m_focusRect = GridFocusRect::Light;
    GridSelectionMode m_selectionMode = GridSelectionMode::Free;
    GridScrollBars m_scrollBars = GridScrollBars::Vertical;
    bool m_redraw = true;

    std::vector<GridListener*> m_listeners;
};

} // namespace mrt
