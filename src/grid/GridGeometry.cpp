// GridModel's scrolling and geometry: the top row, visible rows, column widths, row heights and
// cell positions in twips.
#include "grid/GridModel.h"

#include <algorithm>
#include <stdexcept>

namespace mrt {

// ---- scrolling --------------------------------------------------------------------------------

int GridModel::MaxTopRow() const {
    const int first = m_fixedRows;
    const int last = std::max(first, m_rows - 1);
    if (m_viewHeight <= 0 || m_rows <= first) return last;
    // Walk up from the last row while the rows still fit into the view.
    int used = 0;
    int top = m_rows;
    while (top > first && used + RowHeight(top - 1) <= m_viewHeight) {
        used += RowHeight(top - 1);
        --top;
    }
    return std::clamp(top, first, last);
}

void GridModel::clampScroll() {
    const int maxTop = MaxTopRow();
    m_topRow = std::clamp(m_topRow, m_fixedRows, std::max(m_fixedRows, maxTop));
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, std::max(m_fixedCols, m_cols - 1));
}

void GridModel::SetTopRow(int r) {
    const int old = m_topRow;
    m_topRow = r;
    clampScroll();
    if (m_topRow != old) notify(GridChange::Scroll);
}

void GridModel::SetLeftCol(int c) {
    const int old = m_leftCol;
    m_leftCol = c;
    clampScroll();
    if (m_leftCol != old) notify(GridChange::Scroll);
}

void GridModel::SetViewHeight(int twips) {
    twips = std::max(twips, 0);
    if (twips == m_viewHeight) return;
    m_viewHeight = twips;
    const int old = m_topRow;
    clampScroll();
    if (m_topRow != old) notify(GridChange::Scroll);
}

int GridModel::VisibleRows() const {
    if (m_rows <= m_fixedRows) return 0;
    if (m_viewHeight <= 0) return m_rows - m_topRow;
    int used = 0, n = 0;
    for (int r = m_topRow; r < m_rows && used + RowHeight(r) <= m_viewHeight; ++r) {
        used += RowHeight(r);
        ++n;
    }
    return std::max(n, 1);
}

bool GridModel::RowIsVisible(int row) const {
    if (row < m_fixedRows) return row >= 0 && row < m_rows;
    return row >= m_topRow && row < m_topRow + VisibleRows();
}

bool GridModel::ScrollToShow(int row) {
    if (row < m_fixedRows || row >= m_rows || RowIsVisible(row)) return false;
    const int old = m_topRow;
    if (row < m_topRow) {
        m_topRow = row;
    } else {
        // Lowest top row whose page still ends at `row`.
        int used = RowHeight(row), top = row;
        while (m_viewHeight > 0 && top > m_fixedRows && used + RowHeight(top - 1) <= m_viewHeight) {
            used += RowHeight(top - 1);
            --top;
        }
        m_topRow = top;
    }
    clampScroll();
    if (m_topRow == old) return false;
    notify(GridChange::Scroll);
    return true;
}

// ---- sizes and geometry -----------------------------------------------------------------------

int GridModel::ColWidth(int col) const {
    if (col < 0 || col >= m_cols) throw std::out_of_range("grid column out of range");
    return m_colWidth[col] < 0 ? kDefaultColWidth : m_colWidth[col];
}

void GridModel::SetColWidth(int col, int twips) {
    if (col < 0 || col >= m_cols) throw std::out_of_range("grid column out of range");
    twips = twips < 0 ? -1 : twips;
    if (m_colWidth[col] == twips) return;
    m_colWidth[col] = twips;
    notify(GridChange::Layout);
}

int GridModel::RowHeight(int row) const {
    if (row < 0 || row >= m_rows) throw std::out_of_range("grid row out of range");
    return m_rowHeight[row] < 0 ? m_defaultRowHeight : m_rowHeight[row];
}

void GridModel::SetRowHeight(int row, int twips) {
    if (row < 0 || row >= m_rows) throw std::out_of_range("grid row out of range");
    twips = twips < 0 ? -1 : twips;
    if (m_rowHeight[row] == twips) return;
    m_rowHeight[row] = twips;
    clampScroll();
    notify(GridChange::Layout);
}

void GridModel::SetAllRowHeights(int twips) {
    m_defaultRowHeight = twips < 0 ? kDefaultRowHeight : twips;
    std::fill(m_rowHeight.begin(), m_rowHeight.end(), -1);
    clampScroll();
    notify(GridChange::Layout);
}

void GridModel::SetDefaultRowHeight(int twips) {
    m_defaultRowHeight = twips < 0 ? kDefaultRowHeight : twips;
    clampScroll();
    notify(GridChange::Layout);
}

bool GridModel::ColIsVisibleAt(int col) const {
    return col < m_fixedCols || col >= m_leftCol;
}

int GridModel::CellLeftOf(int col) const {
    int x = 0;
    for (int c = 0; c < m_fixedCols && c < col; ++c)
        x += ColWidth(c);
    for (int c = m_leftCol; c < col; ++c)
        x += ColWidth(c);
    return x;
}

int GridModel::CellTopOf(int row) const {
    int y = 0;
    for (int r = 0; r < m_fixedRows && r < row; ++r)
        y += RowHeight(r);
    for (int r = m_topRow; r < row; ++r)
        y += RowHeight(r);
    return y;
}

int GridModel::CellLeft() const {
    return CellLeftOf(m_col);
}
int GridModel::CellTop() const {
    return CellTopOf(m_row);
}
int GridModel::CellWidth() const {
    return ColIsVisibleAt(m_col) ? ColWidth(m_col) : 0;
}
int GridModel::CellHeight() const {
    return (m_row < m_fixedRows || m_row >= m_topRow) ? RowHeight(m_row) : 0;
}

} // namespace mrt
