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

} // namespace mrt
