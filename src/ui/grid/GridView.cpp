#include "ui/grid/GridView.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace mrt {

namespace {

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

bool looksNumeric(const QString& s) {
    const QString t = s.trimmed();
    if (t.isEmpty()) return false;
    for (QChar ch : t)
        if (!(ch.isDigit() || ch == u',' || ch == u'.' || ch == u'-' || ch == u'+' || ch == u'\\' || ch == u'¥'))
            return false;
    return true;
}

} // namespace

GridView::GridView(QWidget* parent, GridModel* model) : QAbstractScrollArea(parent) {
    if (!model) {
        m_owned = std::make_unique<GridModel>();
        model = m_owned.get();
    }
    m_model = model;
    m_model->AddListener(this);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    verticalScrollBar()->setSingleStep(1);
    viewport()->setAutoFillBackground(false);
    m_lastRow = m_model->Row();
    m_lastCol = m_model->Col();
    m_lastRowSel = m_model->RowSel();
    m_lastColSel = m_model->ColSel();
    m_lastTop = m_model->TopRow();
    m_lastLeft = m_model->LeftCol();
    syncScrollBars();
}

GridView::~GridView() {
    m_model->RemoveListener(this);
}

QFont GridView::GridFont(double points) const {
    QFont f(fromUtf8(m_model->FontName()));
    f.setPointSizeF(points > 0 ? points : (m_model->FontSize() > 0 ? m_model->FontSize() : 9));
    return f;
}

// ---- geometry -----------------------------------------------------------------------------------

int GridView::colPx(int col) const {
    return TwipsToPixels(m_model->ColWidth(col));
}
int GridView::rowPx(int row) const {
    return TwipsToPixels(m_model->RowHeight(row));
}

int GridView::colX(int col) const {
    if (col < 0 || col >= m_model->Cols() || !m_model->ColIsVisibleAt(col)) return -1;
    int x = 0;
    for (int c = 0; c < m_model->FixedCols() && c < col; ++c)
        x += colPx(c);
    if (col >= m_model->FixedCols())
        for (int c = m_model->LeftCol(); c < col; ++c)
            x += colPx(c);
    return x;
}

int GridView::rowY(int row) const {
    if (row < 0 || row >= m_model->Rows()) return -1;
    if (row >= m_model->FixedRows() && row < m_model->TopRow()) return -1;
    int y = 0;
    for (int r = 0; r < m_model->FixedRows() && r < row; ++r)
        y += rowPx(r);
    if (row >= m_model->FixedRows())
        for (int r = m_model->TopRow(); r < row; ++r)
            y += rowPx(r);
    return y;
}

QRect GridView::CellRect(int row, int col) const {
    const int x = colX(col), y = rowY(row);
    if (x < 0 || y < 0) return {};
    const QRect vp = viewport()->geometry();
    if (x >= vp.width() || y >= vp.height()) return {};
    return QRect(vp.x() + x, vp.y() + y, std::max(colPx(col) - 1, 0), std::max(rowPx(row) - 1, 0));
}

bool GridView::CellAt(const QPoint& pos, int& row, int& col) const {
    const QPoint p = pos - viewport()->geometry().topLeft();
    if (p.x() < 0 || p.y() < 0) return false;
    row = col = -1;
    int y = 0;
    for (int r = 0; r < m_model->Rows(); ++r) {
        if (r >= m_model->FixedRows() && r < m_model->TopRow()) continue;
        if (p.y() < y + rowPx(r)) {
            row = r;
            break;
        }
        y += rowPx(r);
    }
    int x = 0;
    for (int c = 0; c < m_model->Cols(); ++c) {
        if (!m_model->ColIsVisibleAt(c)) continue;
        if (p.x() < x + colPx(c)) {
            col = c;
            break;
        }
        x += colPx(c);
    }
    return row >= 0 && col >= 0;
}

int GridView::TotalColumnsWidth() const {
    int w = 0;
    for (int c = 0; c < m_model->Cols(); ++c)
        w += colPx(c);
    return w;
}

QSize GridView::SizeForRows(int rows, bool withScrollBar) const {
    int h = 0;
    for (int r = 0; r < rows && r < m_model->Rows(); ++r)
        h += rowPx(r);
    // Rows beyond the grid take the height of the last row (a page not yet filled).
    if (rows > m_model->Rows() && m_model->Rows() > 0) h += (rows - m_model->Rows()) * rowPx(m_model->Rows() - 1);
    int w = TotalColumnsWidth();
    if (withScrollBar) w += verticalScrollBar()->sizeHint().width();
    return QSize(w + 2 * frameWidth(), h + 2 * frameWidth());
}

QSize GridView::sizeHint() const {
    return SizeForRows(std::min(m_model->Rows(), 12), false);
}

// ---- model notifications ----------------------------------------------------------------------

void GridView::repaintIfDrawing() {
    if (m_model->Redraw()) viewport()->update();
}

void GridView::GridChanged(GridChange what) {
    switch (what) {
    case GridChange::Layout:
        updateViewHeight();
        syncScrollBars();
        updateGeometry();
        break;
    case GridChange::Scroll:
        syncScrollBars();
        break;
    default:
        break;
    }
    repaintIfDrawing();

    // Events follow every change, also while Redraw is off.
    if (m_model->Row() != m_lastRow || m_model->Col() != m_lastCol) {
        m_lastRow = m_model->Row();
        m_lastCol = m_model->Col();
        emit RowColChange();
    }
    if (m_model->RowSel() != m_lastRowSel || m_model->ColSel() != m_lastColSel) {
        m_lastRowSel = m_model->RowSel();
        m_lastColSel = m_model->ColSel();
        emit SelChange();
    }
    if (m_model->TopRow() != m_lastTop || m_model->LeftCol() != m_lastLeft) {
        m_lastTop = m_model->TopRow();
        m_lastLeft = m_model->LeftCol();
        emit Scroll();
    }
}

void GridView::updateViewHeight() {
    int fixedH = 0;
    for (int r = 0; r < m_model->FixedRows(); ++r)
        fixedH += rowPx(r);
    m_model->SetViewHeight(PixelsToTwips(std::max(viewport()->height() - fixedH, 1)));
}

void GridView::syncScrollBars() {
    if (m_syncing) return;
    m_syncing = true;
    const GridScrollBars sb = m_model->ScrollBars();
    const bool vertical = sb == GridScrollBars::Vertical || sb == GridScrollBars::Both;
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    QScrollBar* bar = verticalScrollBar();
    const int first = m_model->FixedRows();
    bar->setRange(first, std::max(first, m_model->MaxTopRow()));
    bar->setPageStep(std::max(1, m_model->VisibleRows()));
    bar->setValue(m_model->TopRow());
    m_syncing = false;
}

void GridView::scrollContentsBy(int, int) {
    if (m_syncing) return;
    m_model->SetTopRow(verticalScrollBar()->value());
}

void GridView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    updateViewHeight();
    syncScrollBars();
}

// ---- painting ---------------------------------------------------------------------------------

void GridView::paintCell(QPainter& p, int row, int col, const QRect& rect) {
    const GridModel& m = *m_model;
    const bool fixed = row < m.FixedRows() || col < m.FixedCols();
    GridColor back = fixed ? m.BackColorFixed() : m.BackColor();
    GridColor fore = fixed ? m.ForeColorFixed() : m.ForeColor();
    if (m.CellBackColorAt(row, col) != kDefaultColor) back = m.CellBackColorAt(row, col);
    if (m.CellForeColorAt(row, col) != kDefaultColor) fore = m.CellForeColorAt(row, col);
    const bool showSel =
        m.HighLight() == GridHighLight::Always || (m.HighLight() == GridHighLight::WithFocus && hasFocus());
    if (!fixed && showSel && m.IsSelected(row, col)) {
        back = m.BackColorSel();
        fore = m.ForeColorSel();
    }
    const QRect inside(rect.x(), rect.y(), rect.width() - 1, rect.height() - 1);
    p.fillRect(inside, ToQColor(back));
    // Grid line: the cell's last pixel column and row.
    p.setPen(ToQColor(m.GridColorLines()));
    p.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    p.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());

    const QString text = fromUtf8(m.TextMatrix(row, col));
    if (!text.isEmpty()) {
        const double size = m.CellFontSizeAt(row, col);
        p.setFont(GridFont(size));
        GridAlign align = m.CellAlignmentAt(row, col);
        if (align == GridAlign::General) align = looksNumeric(text) ? GridAlign::Right : GridAlign::Left;
        Qt::Alignment qa = Qt::AlignVCenter;
        qa |= align == GridAlign::Right    ? Qt::AlignRight
              : align == GridAlign::Center ? Qt::AlignHCenter
                                           : Qt::AlignLeft;
        const QRect textRect = inside.adjusted(2, 0, -2, 0);
        if (fixed && m.TextStyleFixed() == GridFixedStyle::InsetLight) {
            p.setPen(Qt::white);
            p.drawText(textRect.translated(1, 1), qa, text);
        }
        p.setPen(ToQColor(fore));
        p.drawText(textRect, qa, text);
    }
    if (!fixed && row == m.Row() && col == m.Col() && m.FocusRect() != GridFocusRect::None && hasFocus()) {
        QPen pen(ToQColor(fore));
        pen.setStyle(m.FocusRect() == GridFocusRect::Heavy ? Qt::SolidLine : Qt::DotLine);
        pen.setWidth(m.FocusRect() == GridFocusRect::Heavy ? 2 : 1);
        p.setPen(pen);
        p.drawRect(inside.adjusted(0, 0, -1, -1));
    }
}

void GridView::paintEvent(QPaintEvent*) {
    if (!m_model->Redraw()) return;
    QPainter p(viewport());
    const GridModel& m = *m_model;
    p.fillRect(viewport()->rect(), ToQColor(m.BackColorBkg()));
    const int vw = viewport()->width(), vh = viewport()->height();
    for (int r = 0; r < m.Rows(); ++r) {
        const int y = rowY(r);
        if (y < 0) continue;
        if (y >= vh) break;
        for (int c = 0; c < m.Cols(); ++c) {
            const int x = colX(c);
            if (x < 0) continue;
            if (x >= vw) break;
            paintCell(p, r, c, QRect(x, y, colPx(c), rowPx(r)));
        }
    }
}

// ---- user input -------------------------------------------------------------------------------

void GridView::moveCursorTo(int row, int col, bool extend) {
    GridModel& m = *m_model;
    row = std::clamp(row, m.FixedRows(), std::max(m.FixedRows(), m.Rows() - 1));
    col = std::clamp(col, m.FixedCols(), std::max(m.FixedCols(), m.Cols() - 1));
    if (extend) {
        m.SetRowSel(row);
        m.SetColSel(col);
        m.ScrollToShow(row);
        return;
    }
    if (row != m.Row() || col != m.Col()) emit LeaveCell();
    m.SetCursor(row, col);
    m.ScrollToShow(row);
}

void GridView::moveCursorBy(int dRow, int dCol) {
    moveCursorTo(m_model->Row() + dRow, m_model->Col() + dCol, false);
}

void GridView::keyPressEvent(QKeyEvent* e) {
    bool consumed = false;
    emit KeyDown(e->key(), e->modifiers(), &consumed);
    if (consumed) return;
    GridModel& m = *m_model;
    const int page = std::max(1, m.VisibleRows());
    switch (e->key()) {
    case Qt::Key_Up:
        moveCursorBy(-1, 0);
        return;
    case Qt::Key_Down:
        moveCursorBy(1, 0);
        return;
    case Qt::Key_Left:
        moveCursorBy(0, -1);
        return;
    case Qt::Key_Right:
        moveCursorBy(0, 1);
        return;
    case Qt::Key_PageUp:
        // The page moves and the cursor moves with it.
        m.SetTopRow(m.TopRow() - page);
        moveCursorBy(-page, 0);
        return;
    case Qt::Key_PageDown:
        m.SetTopRow(m.TopRow() + page);
        moveCursorBy(page, 0);
        return;
    case Qt::Key_Home:
        moveCursorTo(e->modifiers() & Qt::ControlModifier ? m.FixedRows() : m.Row(), m.FixedCols(), false);
        return;
    case Qt::Key_End:
        moveCursorTo(e->modifiers() & Qt::ControlModifier ? m.Rows() - 1 : m.Row(), m.Cols() - 1, false);
        return;
    default:
        break;
    }
    int code = 0;
    QString text = e->text();
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        code = 13;
        text = QStringLiteral("\r");
        break;
    case Qt::Key_Escape:
        code = 27;
        break;
    case Qt::Key_Backspace:
        code = 8;
        break;
    default:
        if (!text.isEmpty()) code = text.at(0).unicode();
        break;
    }
    if (code == 0) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    emit KeyPress(code, text, &consumed);
}

void GridView::keyReleaseEvent(QKeyEvent* e) {
    emit KeyUp(e->key(), e->modifiers());
    QAbstractScrollArea::keyReleaseEvent(e);
}

void GridView::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = e->position().toPoint() + viewport()->geometry().topLeft();
    emit MouseDown(e->button(), e->modifiers(), pos.x(), pos.y());
    int row = 0, col = 0;
    m_pressInside = CellAt(pos, row, col) && row >= m_model->FixedRows() && col >= m_model->FixedCols();
    if (m_pressInside && e->button() == Qt::LeftButton) {
        moveCursorTo(row, col, e->modifiers() & Qt::ShiftModifier);
        m_dragging = true;
    }
}

void GridView::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint() + viewport()->geometry().topLeft();
    emit MouseMove(e->buttons(), e->modifiers(), pos.x(), pos.y());
    int row = 0, col = 0;
    if (m_dragging && m_model->SelectionMode() != GridSelectionMode::ByRow && CellAt(pos, row, col))
        moveCursorTo(row, col, true);
}

void GridView::mouseReleaseEvent(QMouseEvent* e) {
    m_dragging = false;
    if (e->button() == Qt::LeftButton && m_pressInside) emit Click();
}

void GridView::mouseDoubleClickEvent(QMouseEvent* e) {
    int row = 0, col = 0;
    const QPoint pos = e->position().toPoint() + viewport()->geometry().topLeft();
    if (e->button() != Qt::LeftButton || !CellAt(pos, row, col) || row < m_model->FixedRows() ||
        col < m_model->FixedCols())
        return;
    // The press before a double click has normally moved the cursor already.
    moveCursorTo(row, col, false);
    emit DblClick();
}

void GridView::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
    emit GotFocus();
}

void GridView::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
    emit LostFocus();
}

} // namespace mrt
