#pragma once
#include <QString>

class QLineEdit;
class QWidget;

namespace mrt {

class GridView;

// An edit box of `window` laid exactly over cell (row, col) of `grid`; a cell scrolled out of
// view leaves the box where it is.
void PlaceBoxOverCell(QLineEdit* box, const GridView* grid, QWidget* window, int row, int col);
// The same, with the text, the caret after `caret` characters, shown on top with the focus.
void ShowBoxOverCell(QLineEdit* box, const GridView* grid, QWidget* window, int row, int col, const QString& text,
                     int caret);

// The edit box a window lays over one cell of its grid at a time. It remembers the cell, so the
// box can be laid again once the window is shown and the grid knows its real size.
class CellBoxOverGrid {
public:
    void Attach(QLineEdit* box, QWidget* window) {
        m_box = box;
        m_window = window;
    }
    // ShowBoxOverCell, the cell remembered.
    void Show(const GridView* grid, int row, int col, const QString& text, int caret);
    // Over the remembered cell again; nothing before the first Show or without a grid.
    void Place(const GridView* grid) const;
    // Hidden, the focus given to the grid when there is one.
    void Hide(GridView* grid) const;
    // The text, with the caret at its end.
    void SetText(const QString& text) const;
    // The focus, when the box is shown.
    void Focus() const;

private:
    QLineEdit* m_box = nullptr;
    QWidget* m_window = nullptr;
    int m_row = -1, m_col = 1;
};

} // namespace mrt
