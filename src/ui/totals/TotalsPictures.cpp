#include "ui/totals/TotalsPictures.h"

#include "ui/dialogs/PictureCanvas.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace mrt {

namespace {

// One arrow head on the 100 × 100 canvas, pointing left or right, its tip at x.
void arrow(QPainter& p, double x, bool left) {
    const double d = left ? 1 : -1;
    QPainterPath path;
    path.moveTo(x, 50);
    path.lineTo(x + d * 34, 18);
    path.lineTo(x + d * 34, 82);
    path.closeSubpath();
    p.drawPath(path);
}

} // namespace

QPixmap TotalsButtonPicture(TotalsPicture which, QSize size) {
    PictureCanvas cv(size);
    QPainter& p = cv.p();
    p.setPen(QPen(QColor(20, 70, 150), 3));
    p.setBrush(QColor(70, 130, 210));
    switch (which) {
    case TotalsPicture::WeekBack:
        arrow(p, 12, true);
        arrow(p, 48, true);
        break;
    case TotalsPicture::DayBack:
        arrow(p, 30, true);
        break;
    case TotalsPicture::DayOn:
        arrow(p, 70, false);
        break;
    case TotalsPicture::WeekOn:
        arrow(p, 52, false);
        arrow(p, 88, false);
        break;
    case TotalsPicture::ClosingDay: {
        // A calendar leaf with the closing day ringed.
        p.setPen(QPen(QColor(90, 90, 90), 3));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(14, 18, 72, 70));
        p.setBrush(QColor(200, 60, 60));
        p.drawRect(QRectF(14, 18, 72, 16));
        p.setPen(QPen(QColor(150, 150, 150), 2));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                p.drawPoint(QPointF(26 + c * 16, 46 + r * 14));
        p.setPen(QPen(QColor(20, 70, 150), 4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(74, 74), 11, 9);
        break;
    }
    case TotalsPicture::Chart: {
        p.setPen(QPen(QColor(60, 60, 60), 3));
        p.drawLine(QPointF(12, 88), QPointF(90, 88));
        p.drawLine(QPointF(12, 88), QPointF(12, 10));
        const QColor colors[3] = {QColor(70, 130, 210), QColor(220, 80, 80), QColor(90, 170, 90)};
        const double heights[3] = {40, 66, 28};
        for (int i = 0; i < 3; ++i) {
            p.setBrush(colors[i]);
            p.setPen(QPen(colors[i].darker(140), 2));
            p.drawRect(QRectF(22 + i * 22, 88 - heights[i], 16, heights[i]));
        }
        p.setPen(QPen(QColor(240, 160, 0), 4));
        p.drawLine(QPointF(20, 40), QPointF(50, 22));
        p.drawLine(QPointF(50, 22), QPointF(86, 34));
        break;
    }
    }
    return cv.take();
}

} // namespace mrt
