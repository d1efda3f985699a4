#include "grid/GridModel.h"

#include <algorithm>
#include <stdexcept>

namespace mrt {

namespace {
const std::string kEmpty;
}

GridModel::GridModel() {
    resize(m_rows, m_cols);
}

void GridModel::AddListener(GridListener* l) {
    if (l && std::find(m_listeners.begin(), m_listeners.end(), l) == m_listeners.end()) m_listeners.push_back(l);
}

void GridModel::RemoveListener(GridListener* l) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), l), m_listeners.end());
}

void GridModel::notify(GridChange what) {
    // Copy: a listener may add another listener while being told.
    const auto listeners = m_listeners;
    for (GridListener* l : listeners)
        l->GridChanged(what);
}

void GridModel::setLook(GridColor& field, GridColor c) {
    if (field == c) return;
    field = c;
    notify(GridChange::Look);
}

// ---- size -------------------------------------------------------------------------------------

void GridModel::resize(int rows, int cols) {
    std::vector<Cell> cells(static_cast<size_t>(rows) * static_cast<size_t>(cols));
    const int keepRows = std::min(rows, m_rows);
    const int keepCols = std::min(cols, m_cols);
    if (!m_cells.empty()) {
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepCols; ++c)
                cells[static_cast<size_t>(r) * cols + c] = std::move(m_cells[static_cast<size_t>(r) * m_cols + c]);
    }
    m_cells = std::move(cells);
    m_colWidth.resize(cols, -1);
    m_colAlign.resize(cols, GridAlign::General);
    m_fixedAlign.resize(cols, GridAlign::General);
    m_rowHeight.resize(rows, -1);
    m_rows = rows;
    m_cols = cols;
    m_fixedRows = std::min(m_fixedRows, m_rows);
    m_fixedCols = std::min(m_fixedCols, m_cols);
    clampCursor();
    clampScroll();
}

void GridModel::SetRows(int n) {
    n = std::max(n, 0);
    if (n == m_rows) return;
    resize(n, m_cols);
    notify(GridChange::Layout);
}

void GridModel::SetCols(int n) {
    n = std::max(n, 0);
    if (n == m_cols) return;
    resize(m_rows, n);
    notify(GridChange::Layout);
}

void GridModel::SetFixedRows(int n) {
    n = std::clamp(n, 0, m_rows);
    if (n == m_fixedRows) return;
    m_fixedRows = n;
    clampCursor();
    clampScroll();
    notify(GridChange::Layout);
}

void GridModel::SetFixedCols(int n) {
    n = std::clamp(n, 0, m_cols);
    if (n == m_fixedCols) return;
    m_fixedCols = n;
    clampCursor();
    clampScroll();
    notify(GridChange::Layout);
}

// ---- cells ------------------------------------------------------------------------------------

GridModel::Cell& GridModel::cellAt(int row, int col) {
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols) throw std::out_of_range("grid cell out of range");
    return m_cells[static_cast<size_t>(row) * m_cols + col];
}

const GridModel::Cell& GridModel::cellAt(int row, int col) const {
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols) throw std::out_of_range("grid cell out of range");
    return m_cells[static_cast<size_t>(row) * m_cols + col];
}

const std::string& GridModel::TextMatrix(int row, int col) const {
    if (m_rows == 0 || m_cols == 0) return kEmpty;
    return cellAt(row, col).text;
}

void GridModel::SetTextMatrix(int row, int col, const std::string& text) {
    Cell& cell = cellAt(row, col);
    if (cell.text == text) return;
    cell.text = text;
    notify(GridChange::Cells);
}

const std::string& GridModel::TextArray(int index) const {
    if (m_cols == 0) throw std::out_of_range("grid cell out of range");
    return TextMatrix(index / m_cols, index % m_cols);
}

void GridModel::SetTextArray(int index, const std::string& text) {
    if (m_cols == 0 || index < 0) throw std::out_of_range("grid cell out of range");
    SetTextMatrix(index / m_cols, index % m_cols, text);
}

void GridModel::ClearCells() {
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c) {
            Cell& cell = m_cells[static_cast<size_t>(r) * m_cols + c];
            if (r >= m_fixedRows && c >= m_fixedCols) cell.text.clear();
            cell.back = cell.fore = kDefaultColor;
            cell.fontSize = 0;
            cell.hasAlign = false;
        }
    notify(GridChange::Cells);
}

// ---- cursor -----------------------------------------------------------------------------------

void GridModel::clampCursor() {
    auto clampIndex = [](int v, int n) { return n <= 0 ? 0 : std::clamp(v, 0, n - 1); };
    m_row = clampIndex(m_row, m_rows);
    m_col = clampIndex(m_col, m_cols);
    m_rowSel = clampIndex(m_rowSel, m_rows);
    m_colSel = clampIndex(m_colSel, m_cols);
}

void GridModel::SetCursor(int r, int c) {
    const int oldR = m_row, oldC = m_col, oldRS = m_rowSel, oldCS = m_colSel;
    m_row = m_rowSel = r;
    m_col = m_colSel = c;
    clampCursor();
    if (m_row != oldR || m_col != oldC || m_rowSel != oldRS || m_colSel != oldCS) notify(GridChange::Cursor);
}

void GridModel::SetRow(int r) {
    SetCursor(r, m_col);
}
void GridModel::SetCol(int c) {
    SetCursor(m_row, c);
}

void GridModel::SetRowSel(int r) {
    const int old = m_rowSel;
    m_rowSel = r;
    clampCursor();
    if (m_rowSel != old) notify(GridChange::Cursor);
}

void GridModel::SetColSel(int c) {
    const int old = m_colSel;
    m_colSel = c;
    clampCursor();
    if (m_colSel != old) notify(GridChange::Cursor);
}

bool GridModel::IsSelected(int row, int col) const {
    const int r0 = std::min(m_row, m_rowSel), r1 = std::max(m_row, m_rowSel);
    const int c0 = std::min(m_col, m_colSel), c1 = std::max(m_col, m_colSel);
    switch (m_selectionMode) {
    case GridSelectionMode::ByRow:
        return row >= r0 && row <= r1 && col >= m_fixedCols;
    case GridSelectionMode::ByColumn:
        return col >= c0 && col <= c1 && row >= m_fixedRows;
    case GridSelectionMode::Free:
        break;
    }
    return row >= r0 && row <= r1 && col >= c0 && col <= c1;
}

// ---- alignment, cell looks ----------------------------------------------------------------------

GridAlign GridModel::ColAlignment(int col) const {
    if (col < 0 || col >= m_cols) throw std::out_of_range("grid column out of range");
    return m_colAlign[col];
}

void GridModel::SetColAlignment(int col, GridAlign a) {
    if (col < 0 || col >= m_cols) throw std::out_of_range("grid column out of range");
    m_colAlign[col] = a;
    notify(GridChange::Cells);
}

GridAlign GridModel::FixedAlignment(int col) const {
    if (col < 0 || col >= m_cols) throw std::out_of_range("grid column out of range");
    return m_fixedAlign[col];
}

void GridModel::SetFixedAlignment(int col, GridAlign a) {
    if (col < 0 || col >= m_cols) throw std::out_of_range("grid column out of range");
    m_fixedAlign[col] = a;
    notify(GridChange::Cells);
}

GridAlign GridModel::CellAlignmentAt(int row, int col) const {
    const Cell& cell = cellAt(row, col);
    if (cell.hasAlign) return cell.align;
    if ((row < m_fixedRows || col < m_fixedCols) && m_fixedAlign[col] != GridAlign::General) return m_fixedAlign[col];
    return m_colAlign[col];
}

template <typename F> void GridModel::forSelection(F f) {
    if (m_rows == 0 || m_cols == 0) return;
    const int r0 = std::min(m_row, m_rowSel), r1 = std::max(m_row, m_rowSel);
    const int c0 = std::min(m_col, m_colSel), c1 = std::max(m_col, m_colSel);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            f(cellAt(r, c));
    notify(GridChange::Cells);
}

void GridModel::SetCellAlignment(GridAlign a) {
    forSelection([a](Cell& cell) {
        cell.hasAlign = true;
        cell.align = a;
    });
}

GridColor GridModel::CellBackColorAt(int row, int col) const {
    return cellAt(row, col).back;
}
GridColor GridModel::CellForeColorAt(int row, int col) const {
    return cellAt(row, col).fore;
}
double GridModel::CellFontSizeAt(int row, int col) const {
    return cellAt(row, col).fontSize;
}

void GridModel::SetCellBackColorAt(int row, int col, GridColor c) {
    cellAt(row, col).back = c;
    notify(GridChange::Cells);
}

void GridModel::SetCellForeColorAt(int row, int col, GridColor c) {
    cellAt(row, col).fore = c;
    notify(GridChange::Cells);
}

void GridModel::SetCellFontSizeAt(int row, int col, double points) {
    cellAt(row, col).fontSize = points;
    notify(GridChange::Cells);
}

void GridModel::SetCellBackColor(GridColor c) {
    forSelection([c](Cell& cell) { cell.back = c; });
}
void GridModel::SetCellForeColor(GridColor c) {
    forSelection([c](Cell& cell) { cell.fore = c; });
}
void GridModel::SetCellFontSize(double points) {
    forSelection([points](Cell& cell) { cell.fontSize = points; });
}

// ---- look ---------------------------------------------------------------------------------------

void GridModel::SetFontName(const std::string& name) {
    if (name == m_fontName) return;
    m_fontName = name;
    notify(GridChange::Layout);
}

void GridModel::SetFontSize(double points) {
    if (points == m_fontSize) return;
    m_fontSize = points;
    notify(GridChange::Layout);
}

void GridModel::SetTextStyleFixed(GridFixedStyle s) {
    if (s == m_fixedStyle) return;
    m_fixedStyle = s;
    notify(GridChange::Look);
}

void GridModel::SetHighLight(GridHighLight h) {
    if (h == m_highLight) return;
    m_highLight = h;
    notify(GridChange::Look);
}

void GridModel::SetFocusRect(GridFocusRect f) {
    if (f == m_focusRect) return;
    m_focusRect = f;
    notify(GridChange::Look);
}

void GridModel::SetSelectionMode(GridSelectionMode m) {
    if (m == m_selectionMode) return;
    m_selectionMode = m;
    notify(GridChange::Look);
}

void GridModel::SetScrollBars(GridScrollBars s) {
    if (s == m_scrollBars) return;
    m_scrollBars = s;
    notify(GridChange::Layout);
}

void GridModel::SetRedraw(bool on) {
    if (on == m_redraw) return;
    m_redraw = on;
    if (on) notify(GridChange::Redraw);
}

} // namespace mrt
