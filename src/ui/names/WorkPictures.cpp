#include "ui/names/WorkPictures.h"

#include "ui/dialogs/PictureCanvas.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>

namespace mrt {
namespace {

// A small sheet with three rules, the ground of the add, rename and delete pictures.
void sheet(QPainter& p) {
    p.setPen(QPen(QColor(90, 110, 90), 3));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(14, 10, 56, 78));
    p.setPen(QPen(QColor(150, 180, 150), 3));
    for (int y = 30; y <= 70; y += 20)
        p.drawLine(QPointF(24, y), QPointF(60, y));
}

void arrow(QPainter& p, bool up) {
    p.setPen(QPen(QColor(0, 90, 60), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(60, 170, 110));
    QPolygonF shape({QPointF(50, 10), QPointF(86, 50), QPointF(64, 50), QPointF(64, 90), QPointF(36, 90),
                     QPointF(36, 50), QPointF(14, 50)});
    if (!up)
        for (QPointF& pt : shape)
            pt.setY(100 - pt.y());
    p.drawPolygon(shape);
}

} // namespace

QPixmap WorkPicture(int index, QSize size) {
    PictureCanvas cv(size);
    QPainter& p = cv.p();
    switch (index) {
    case 0: // a sheet and a plus
        sheet(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 140, 60));
        p.drawEllipse(QRectF(50, 50, 44, 44));
        p.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(72, 60), QPointF(72, 84));
        p.drawLine(QPointF(60, 72), QPointF(84, 72));
        break;
    case 1: // a sheet and a pencil
        sheet(p);
        p.translate(70, 52);
        p.rotate(35);
        p.setPen(QPen(QColor(120, 80, 0), 2));
        p.setBrush(QColor(250, 190, 50));
        p.drawRect(QRectF(-7, -40, 14, 52));
        p.setBrush(QColor(240, 210, 170));
        p.drawPolygon(QPolygonF({QPointF(-7, 12), QPointF(7, 12), QPointF(0, 28)}));
        break;
    case 2: // a sheet and a red cross
        sheet(p);
        p.setPen(QPen(QColor(200, 30, 30), 10, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(54, 54), QPointF(88, 88));
        p.drawLine(QPointF(88, 54), QPointF(54, 88));
        break;
    case 3:
        arrow(p, true);
        break;
    case 4:
        arrow(p, false);
        break;
    case 5: // two arrows the other way round each
        p.setPen(QPen(QColor(0, 70, 120), 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(14, 34), QPointF(84, 34));
        p.drawPolyline(QPolygonF({QPointF(66, 18), QPointF(84, 34), QPointF(66, 50)}));
        p.drawLine(QPointF(16, 68), QPointF(86, 68));
        p.drawPolyline(QPolygonF({QPointF(34, 52), QPointF(16, 68), QPointF(34, 84)}));
        break;
    default:
        break;
    }
    return cv.take();
}

} // namespace mrt
