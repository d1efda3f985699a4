#pragma once
class QLineEdit;
class QString;
class QWidget;

namespace mrt {

class GridView;

// An edit box of `window` laid exactly over cell (row, col) of `grid`; a cell scrolled out of
// view leaves the box where it is.
void PlaceBoxOverCell(QLineEdit* box, const GridView* grid, QWidget* window, int row, int col);
// The same, with the text, the caret after `caret` characters, shown on top with the focus.
void ShowBoxOverCell(QLineEdit* box, const GridView* grid, QWidget* window, int row, int col, const QString& text,
                     int caret);

} // namespace mrt
