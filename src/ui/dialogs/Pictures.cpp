#include "ui/dialogs/Pictures.h"

#include "ui/dialogs/PictureCanvas.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace mrt {

namespace {

// A ruled sheet with a pencil lying over it, on the 100 × 100 canvas. The pencil is drawn at
// `pencilAt`, turned by `angle`, `half` wide on each side, its body from -`top` to `body`, its tip
// `tip` long below that.
struct SheetPencil {
    QRectF sheet;
    QColor frame, rules;
    int ruleWidth, firstRule, lastRule, ruleStep, ruleLeft, ruleRight;
    QPointF pencilAt;
    qreal angle, half, top, body, tip;
};

void sheetWithPencil(QPainter& p, const SheetPencil& s) {
    p.setPen(QPen(s.frame, 3));
    p.setBrush(Qt::white);
    p.drawRect(s.sheet);
    p.setPen(QPen(s.rules, s.ruleWidth));
    for (int y = s.firstRule; y <= s.lastRule; y += s.ruleStep)
        p.drawLine(QPointF(s.ruleLeft, y), QPointF(s.ruleRight, y));
    p.translate(s.pencilAt);
    p.rotate(s.angle);
    p.setPen(QPen(QColor(120, 80, 0), 2));
    p.setBrush(QColor(250, 190, 50));
    p.drawRect(QRectF(-s.half, -s.top, 2 * s.half, s.top + s.body));
    p.setBrush(QColor(240, 210, 170));
    p.drawPolygon(QPolygonF({QPointF(-s.half, s.body), QPointF(s.half, s.body), QPointF(0, s.body + s.tip)}));
}

void disc(QPainter& p, const QColor& fill, const QColor& rim) {
    p.setPen(QPen(rim, 4));
    p.setBrush(fill);
    p.drawEllipse(QRectF(6, 6, 88, 88));
}

void glyph(QPainter& p, const QString& text, const QColor& color, int pixel, bool bold = true) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixel);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(color);
    p.drawText(QRectF(0, 0, 100, 100), Qt::AlignCenter, text);
}

void checkMark(QPainter& p, const QColor& c) {
    p.setPen(QPen(c, 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(20, 52), QPointF(42, 74), QPointF(80, 28)}));
}

void cross(QPainter& p, const QColor& c) {
    p.setPen(QPen(c, 14, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(25, 25), QPointF(75, 75));
    p.drawLine(QPointF(75, 25), QPointF(25, 75));
}

void printer(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 3));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(28, 10, 44, 30)); // paper in
    p.setBrush(QColor(120, 130, 140));
    p.drawRoundedRect(QRectF(10, 36, 80, 34), 6, 6);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(26, 58, 48, 32)); // paper out
    p.setPen(QPen(QColor(120, 120, 120), 3));
    p.drawLine(QPointF(33, 70), QPointF(67, 70));
    p.drawLine(QPointF(33, 79), QPointF(60, 79));
}

void arrow(QPainter& p, bool left, const QColor& c) {
    QPainterPath path;
    if (left) {
        path.moveTo(12, 50), path.lineTo(45, 20), path.lineTo(45, 38), path.lineTo(88, 38), path.lineTo(88, 62),
            path.lineTo(45, 62), path.lineTo(45, 80);
    } else {
        path.moveTo(88, 50), path.lineTo(55, 20), path.lineTo(55, 38), path.lineTo(12, 38), path.lineTo(12, 62),
            path.lineTo(55, 62), path.lineTo(55, 80);
    }
    path.closeSubpath();
    p.setPen(QPen(c.darker(140), 3));
    p.setBrush(c);
    p.drawPath(path);
}

} // namespace

QPixmap IconPicture(int number, int side) {
    PictureCanvas cv(QSize(side, side));
    QPainter& p = cv.p();
    switch (number) {
    case 1:
        disc(p, QColor(60, 120, 210), QColor(30, 70, 150));
        glyph(p, QStringLiteral("i"), Qt::white, 64);
        break;
    case 2:
        disc(p, QColor(70, 160, 90), QColor(30, 100, 50));
        glyph(p, QStringLiteral("?"), Qt::white, 64);
        break;
    case 3: {
        p.setPen(QPen(QColor(150, 110, 0), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(250, 200, 40));
        p.drawPolygon(QPolygonF({QPointF(50, 6), QPointF(95, 90), QPointF(5, 90)}));
        glyph(p, QStringLiteral("!"), Qt::black, 56);
        break;
    }
    case 4:
        disc(p, QColor(210, 50, 50), QColor(140, 20, 20));
        cross(p, Qt::white);
        break;
    case 5: {
        // A pencil over a sheet: the input picture.
        sheetWithPencil(p, {QRectF(10, 8, 60, 80), QColor(90, 110, 90), QColor(160, 170, 160), 3, 26, 70, 14, 18, 60,
                            QPointF(62, 58), 45, 9, 40, 16, 18});
        break;
    }
    default:
        break;
    }
    return cv.take();
}

QPixmap ButtonPicture(int number, QSize size) {
    PictureCanvas cv(size);
    QPainter& p = cv.p();
    switch (number) {
    case 1:
        checkMark(p, QColor(20, 120, 40));
        break;
    case 2:
        cross(p, QColor(190, 30, 30));
        break;
    case 3:
        p.setPen(QPen(QColor(200, 40, 40), 12));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(18, 18, 64, 64));
        break;
    case 4:
        glyph(p, QStringLiteral("?"), QColor(30, 90, 170), 80);
        break;
    case 5:
        printer(p);
        break;
    case 6:
        p.setPen(QPen(QColor(30, 50, 90), 3));
        p.setBrush(QColor(60, 90, 150));
        p.drawRoundedRect(QRectF(12, 12, 76, 76), 5, 5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(26, 12, 48, 30));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(30, 60, 40, 28));
        break;
    case 7:
        arrow(p, true, QColor(70, 150, 80));
        break;
    case 8:
        arrow(p, false, QColor(70, 150, 80));
        break;
    default:
        glyph(p, QString::number(number), Qt::black, 60);
        break;
    }
    return cv.take();
}

QPixmap MainButtonPicture(MainPicture which, QSize size) {
    PictureCanvas cv(size);
    QPainter& p = cv.p();
    switch (which) {
    case MainPicture::Totals: {
        // Bar chart.
        p.setPen(QPen(QColor(60, 60, 60), 3));
        p.drawLine(QPointF(10, 90), QPointF(92, 90));
        p.drawLine(QPointF(10, 90), QPointF(10, 8));
        const QColor colors[] = {QColor(220, 90, 90), QColor(90, 160, 90), QColor(80, 120, 200)};
        const double heights[] = {40, 70, 55};
        for (int i = 0; i < 3; ++i) {
            p.setBrush(colors[i]);
            p.drawRect(QRectF(20 + i * 24, 88 - heights[i], 18, heights[i]));
        }
        break;
    }
    case MainPicture::Print:
        printer(p);
        break;
    case MainPicture::Register: {
        // An open book with a pen.
        p.setPen(QPen(QColor(60, 80, 60), 3));
        p.setBrush(QColor(250, 250, 235));
        p.drawPolygon(QPolygonF({QPointF(50, 25), QPointF(8, 15), QPointF(8, 80), QPointF(50, 90)}));
        p.drawPolygon(QPolygonF({QPointF(50, 25), QPointF(92, 15), QPointF(92, 80), QPointF(50, 90)}));
        p.setPen(QPen(QColor(150, 160, 150), 2));
        for (int y = 35; y <= 70; y += 11) {
            p.drawLine(QPointF(16, y - 6), QPointF(42, y));
            p.drawLine(QPointF(58, y), QPointF(84, y - 6));
        }
        break;
    }
    case MainPicture::Auxiliary: {
        // A folder with a small disk: backup and restore.
        p.setPen(QPen(QColor(140, 100, 20), 3));
        p.setBrush(QColor(245, 205, 100));
        p.drawPolygon(QPolygonF(
            {QPointF(8, 25), QPointF(38, 25), QPointF(46, 33), QPointF(92, 33), QPointF(92, 85), QPointF(8, 85)}));
        p.setPen(QPen(QColor(30, 50, 90), 2));
        p.setBrush(QColor(60, 90, 150));
        p.drawRect(QRectF(52, 50, 32, 30));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(58, 50, 20, 11));
        break;
    }
    case MainPicture::Exit: {
        // A door with an arrow leaving it.
        p.setPen(QPen(QColor(90, 60, 30), 3));
        p.setBrush(QColor(180, 130, 80));
        p.drawRect(QRectF(12, 8, 46, 84));
        p.setBrush(QColor(240, 220, 120));
        p.drawEllipse(QRectF(46, 48, 7, 7));
        arrow(p, false, QColor(210, 70, 70));
        break;
    }
    case MainPicture::CancelEntry:
        arrow(p, true, QColor(220, 120, 60));
        break;
    case MainPicture::EditWork: {
        // A list with a pencil: the edit work list.
        sheetWithPencil(p, {QRectF(8, 8, 60, 84), QColor(60, 60, 60), QColor(80, 120, 200), 6, 25, 75, 16, 18, 56,
                            QPointF(72, 55), 30, 7, 38, 12, 14});
        break;
    }
    }
    return cv.take();
}

} // namespace mrt
