#include "ui/dialogs/frmSplash.h"

#include "ui/dialogs/Fonts.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace mrt {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int tw(int twips) { return twips / kTwipsPerPixel; }

// The title picture: the product name on a soft band, drawn here rather than shipped as a file.
QPixmap titlePicture(const QString& text, int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(208, 228, 192));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, w, h), 8, 8);
    QFont f(PGothicFace());
    f.setPointSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(80, 80, 80));
    p.drawText(QRect(2, 2, w, h), Qt::AlignCenter, text);
    p.setPen(QColor(96, 152, 80));
    p.drawText(QRect(0, 0, w, h), Qt::AlignCenter, text);
    return pm;
}

// The icon: a small open account book.
QPixmap iconPicture(int s) {
    QPixmap pm(s, s);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(80, 120, 64), 2));
    p.setBrush(QColor(255, 255, 240));
    p.drawRect(QRectF(4, 8, s / 2.0 - 4, s - 16));
    p.drawRect(QRectF(s / 2.0, 8, s / 2.0 - 4, s - 16));
    p.setPen(QPen(QColor(144, 200, 128), 1.5));
    for (int i = 0; i < 4; ++i) {
        qreal y = 16 + i * (s - 28) / 4.0;
        p.drawLine(QPointF(8, y), QPointF(s / 2.0 - 4, y));
        p.drawLine(QPointF(s / 2.0 + 4, y), QPointF(s - 8, y));
    }
    return pm;
}

} // namespace

frmSplash::frmSplash(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kProgramName));
    setFixedSize(tw(6600), tw(4200));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_picBG = new QWidget(this);
    m_picBG->setAutoFillBackground(true);
    QPalette pal = m_picBG->palette();
    pal.setColor(QPalette::Window, QColor(240, 248, 224));
    m_picBG->setPalette(pal);
    m_picBG->setGeometry(tw(40), tw(40), width() - tw(80), height() - tw(80));

    m_picICON = new QLabel(m_picBG);
    m_image1 = new QLabel(m_picBG);
    auto mk = [this]() { return new QLabel(m_picBG); };
    m_nameShadow = mk();
    m_name = mk();
    m_verShadow = mk();
    m_ver = mk();
    m_providerShadow = mk();
    m_provider = mk();
    m_cmdOK = new QPushButton(QStringLiteral("Ｏ  Ｋ"), m_picBG);
    m_cmdOK->setStyleSheet(QStringLiteral("background-color: rgb(136,187,136);"));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmSplash::SplashOff);
}

void frmSplash::placeShadowed(QLabel* shadow, QLabel* front, const QString& text, int pointSize,
                              const QColor& colour, int x, int y) {
    QFont f(PGothicFace());
    f.setPointSize(pointSize);
    f.setBold(true);
    for (QLabel* l : {shadow, front}) {
        l->setFont(f);
        l->setText(text);
        l->adjustSize();
    }
    shadow->setStyleSheet(QStringLiteral("color: rgb(80,80,80); background: transparent;"));
    front->setStyleSheet(QStringLiteral("color: rgb(%1,%2,%3); background: transparent;")
                             .arg(colour.red())
                             .arg(colour.green())
                             .arg(colour.blue()));
    shadow->move(x, y);
    front->move(x + tw(20) + 1, y + tw(20) + 1);
    front->raise();
}

void frmSplash::SplashOn(const QString& /*sysNam: not displayed*/, const QString& prgNam, const QString& ver,
                         const QString& provider, int flag) {
    const int w = m_picBG->width();
    m_picICON->setPixmap(iconPicture(48));
    m_picICON->setGeometry(tw(300), tw(300), 48, 48);
    m_image1->setPixmap(titlePicture(windowTitle(), w - tw(1500), 56));
    m_image1->setGeometry(tw(1200), tw(240), w - tw(1500), 56);
    placeShadowed(m_nameShadow, m_name, prgNam, 16, QColor(144, 200, 128), tw(1200), tw(1440));
    placeShadowed(m_verShadow, m_ver, ver, 11, QColor(144, 200, 128), tw(1200) + m_name->width() + tw(200),
                  tw(1440) + m_name->height() - m_ver->sizeHint().height() - 2);
    placeShadowed(m_providerShadow, m_provider, provider, 9, QColor(112, 168, 96), tw(1200), tw(2400));
    m_cmdOK->setGeometry((w - tw(1400)) / 2, m_picBG->height() - tw(780), tw(1400), tw(450));
    if (flag == 0) {
        m_cmdOK->hide();
        setModal(false);
        show();
        repaint();
        QApplication::processEvents();
    } else {
        m_cmdOK->show();
        m_cmdOK->setFocus();
        exec();
    }
}

void frmSplash::SplashOff() {
    if (isModal() && result() == 0 && isVisible()) {
        accept();
        return;
    }
    hide();
}

} // namespace mrt
