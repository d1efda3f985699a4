#pragma once
#include "grid/GridModel.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QRect>
#include <memory>

namespace mrt {

// Twips → pixels at 96 dpi: 15 twips per pixel, rounded.
constexpr int TwipsToPixels(int twips) {
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}
constexpr int PixelsToTwips(int pixels) {
    return pixels * 15;
}
inline QColor ToQColor(GridColor c) {
    return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}
inline GridColor FromQColor(const QColor& c) {
    return Rgb(c.red(), c.green(), c.blue());
}

// The one table widget of the program: draws a GridModel and reports the user's keys, clicks and
// scrolling. Each column/row is as many pixels as its twips (rounded); its last pixel column and
// row are the grid line, so the cell's inside is CellWidth × CellHeight = size − 1.
class GridView : public QAbstractScrollArea, private GridListener {
    Q_OBJECT
public:
    // Without a model the view makes and owns one; a given model must outlive the view.
    explicit GridView(QWidget* parent = nullptr, GridModel* model = nullptr);
    ~GridView() override;

    GridModel& model() { return *m_model; }
    const GridModel& model() const { return *m_model; }

    // Geometry of the current cell's inside in pixels, relative to this widget's top-left corner,
    // for the scroll position shown: an edit box placed there covers the cell exactly.
    int CellLeft() const { return CellRect(m_model->Row(), m_model->Col()).x(); }
    int CellTop() const { return CellRect(m_model->Row(), m_model->Col()).y(); }
    int CellWidth() const { return CellRect(m_model->Row(), m_model->Col()).width(); }
    int CellHeight() const { return CellRect(m_model->Row(), m_model->Col()).height(); }
    // Any cell; an empty rectangle when the cell is scrolled out of view.
    QRect CellRect(int row, int col) const;
    // Cell under a point in widget coordinates; false outside the cells.
    bool CellAt(const QPoint& pos, int& row, int& col) const;

    // Pixel size that shows every column and `rows` rows (fixed ones included) without scrolling,
    // plus the frame; the vertical scroll bar's width is added when `withScrollBar`.
    QSize SizeForRows(int rows, bool withScrollBar) const;
    // Sum of the column widths in pixels.
    int TotalColumnsWidth() const;

    // The font the model names, at its size (or `points` when given).
    QFont GridFont(double points = 0) const;

    QSize sizeHint() const override;

signals:
    // Emitted before the grid handles a key; set *consumed to stop its own handling.
    void KeyDown(int key, Qt::KeyboardModifiers mods, bool* consumed);
    // A character key after KeyDown: code 13 Enter, 27 Esc, 8 Backspace, else the character's
    // Unicode value; `text` the typed text.
    void KeyPress(int code, const QString& text, bool* consumed);
    void KeyUp(int key, Qt::KeyboardModifiers mods);
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x, int y);
    void Click();
    void DblClick();
    void GotFocus();
    void LostFocus();
    // The cursor is about to leave its cell by a user's move.
    void LeaveCell();
    // Row or Col changed (by the user or by code).
    void RowColChange();
    // RowSel or ColSel changed.
    void SelChange();
    // TopRow or LeftCol changed (by the user or by code).
    void Scroll();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void GridChanged(GridChange what) override;
    void syncScrollBars();
    void updateViewHeight();
    void moveCursorBy(int dRow, int dCol);
    void moveCursorTo(int row, int col, bool extend);
    int colPx(int col) const;
    int rowPx(int row) const;
    // Left/top pixel of a column/row in viewport coordinates; -1 when scrolled out of view.
    int colX(int col) const;
    int rowY(int row) const;
    void paintCell(QPainter& p, int row, int col, const QRect& rect);
    void repaintIfDrawing();

    std::unique_ptr<GridModel> m_owned;
    GridModel* m_model = nullptr;
    int m_lastRow = -1, m_lastCol = -1, m_lastRowSel = -1, m_lastColSel = -1;
    int m_lastTop = -1, m_lastLeft = -1;
    bool m_syncing = false;
    bool m_dragging = false;
    bool m_pressInside = false;
};

} // namespace mrt
