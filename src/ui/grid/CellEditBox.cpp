#include "ui/grid/CellEditBox.h"

#include "ui/dialogs/WindowKeys.h"
#include "ui/grid/GridView.h"

#include <QLineEdit>

namespace mrt {

void PlaceBoxOverCell(QLineEdit* box, const GridView* grid, QWidget* window, int row, int col) {
    const QRect cell = grid->CellRect(row, col);
    if (!cell.isEmpty()) box->setGeometry(QRect(grid->mapTo(window, cell.topLeft()), cell.size()));
}

void ShowBoxOverCell(QLineEdit* box, const GridView* grid, QWidget* window, int row, int col, const QString& text,
                     int caret) {
    box->setText(text);
    box->setCursorPosition(Utf16Position(box->text(), caret));
    if (grid) PlaceBoxOverCell(box, grid, window, row, col);
    box->show();
    box->raise();
    box->setFocus();
}

void CellBoxOverGrid::Show(const GridView* grid, int row, int col, const QString& text, int caret) {
    m_row = row;
    m_col = col;
    ShowBoxOverCell(m_box, grid, m_window, row, col, text, caret);
}

void CellBoxOverGrid::Place(const GridView* grid) const {
    if (grid && m_row >= 0) PlaceBoxOverCell(m_box, grid, m_window, m_row, m_col);
}

void CellBoxOverGrid::Hide(GridView* grid) const {
    m_box->hide();
    if (grid) grid->setFocus();
}

void CellBoxOverGrid::SetText(const QString& text) const {
    m_box->setText(text);
    m_box->setCursorPosition(static_cast<int>(m_box->text().size()));
}

void CellBoxOverGrid::Focus() const {
    if (m_box->isVisible()) m_box->setFocus();
}

} // namespace mrt
