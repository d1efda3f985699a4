#pragma once
// The canvas every button and icon picture is drawn on: 100 × 100 units scaled into the target
// size, centred, antialiased, on a transparent ground.
#include <QPainter>
#include <QPixmap>
#include <QSize>

#include <algorithm>

namespace mrt {

class PictureCanvas {
public:
    explicit PictureCanvas(QSize size) : m_pix(size) {
        m_pix.fill(Qt::transparent);
        m_p.begin(&m_pix);
        m_p.setRenderHint(QPainter::Antialiasing);
        const double s = std::min(size.width(), size.height()) / 100.0;
        m_p.translate((size.width() - 100 * s) / 2, (size.height() - 100 * s) / 2);
        m_p.scale(s, s);
    }
    QPainter& p() { return m_p; }
    QPixmap take() {
        m_p.end();
        return m_pix;
    }

private:
    QPixmap m_pix;
    QPainter m_p;
};

} // namespace mrt
