// Start picture, drawn in its own 149 x 150 grid and scaled to the widget.
#include "widgets/StartPicture.h"

#include <QPainter>
#include <QPainterPath>

namespace pordane::widgets {

namespace {

void drawArrow(QPainter& p, QPointF tip, bool up, const QColor& colour)
{
    const qreal d = up ? 1 : -1;
    QPainterPath a;
    a.moveTo(tip);
    a.lineTo(tip.x() + 11, tip.y() + 12 * d);
    a.lineTo(tip.x() + 4, tip.y() + 12 * d);
    a.lineTo(tip.x() + 4, tip.y() + 30 * d);
    a.lineTo(tip.x() - 4, tip.y() + 30 * d);
    a.lineTo(tip.x() - 4, tip.y() + 12 * d);
    a.lineTo(tip.x() - 11, tip.y() + 12 * d);
    a.closeSubpath();
    p.setPen(QPen(colour.darker(160), 1));
    p.setBrush(colour);
    p.drawPath(a);
}

} // namespace

StartPicture::StartPicture(QWidget* parent) : QWidget(parent)
{
    setFixedSize(Width, Height);
}

void StartPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(width() / qreal(Width), height() / qreal(Height));

    // Globe.
    const QRectF globe(8, 14, 100, 100);
    QRadialGradient sea(globe.center() - QPointF(22, 24), 95);
    sea.setColorAt(0, QColor(0xb8, 0xd8, 0xff));
    sea.setColorAt(0.5, QColor(0x3a, 0x78, 0xd0));
    sea.setColorAt(1, QColor(0x0a, 0x24, 0x6a));
    p.setPen(QPen(QColor(0x06, 0x18, 0x48), 1.2));
    p.setBrush(sea);
    p.drawEllipse(globe);
    p.save();
    QPainterPath clip;
    clip.addEllipse(globe);
    p.setClipPath(clip);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 110), 1));
    for (int i = 1; i < 5; ++i) {
        const qreal w = globe.width() * i / 5.0;
        p.drawEllipse(QRectF(globe.center().x() - w / 2, globe.top(), w, globe.height()));
        const qreal y = globe.top() + globe.height() * i / 5.0;
        p.drawLine(QPointF(globe.left(), y), QPointF(globe.right(), y));
    }
    // Land masses, loosely shaped.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4c, 0xa8, 0x4c, 220));
    QPainterPath land;
    land.moveTo(30, 36);
    land.cubicTo(48, 26, 66, 34, 60, 50);
    land.cubicTo(56, 62, 42, 58, 40, 72);
    land.cubicTo(38, 84, 26, 78, 24, 64);
    land.cubicTo(20, 52, 22, 42, 30, 36);
    land.moveTo(72, 62);
    land.cubicTo(86, 56, 98, 66, 92, 80);
    land.cubicTo(88, 94, 74, 96, 70, 84);
    land.cubicTo(66, 74, 64, 66, 72, 62);
    p.drawPath(land);
    p.restore();

    // Server tower in front of the globe.
    const QRectF tower(88, 58, 50, 84);
    QLinearGradient metal(tower.topLeft(), tower.topRight());
    metal.setColorAt(0, QColor(0xf2, 0xf2, 0xee));
    metal.setColorAt(1, QColor(0x9a, 0x9a, 0x94));
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.2));
    p.setBrush(metal);
    p.drawRoundedRect(tower, 3, 3);
    for (int i = 0; i < 4; ++i) {
        const QRectF bay(tower.left() + 6, tower.top() + 8 + i * 15, tower.width() - 12, 10);
        p.setBrush(QColor(0x5a, 0x5a, 0x58));
        p.setPen(Qt::NoPen);
        p.drawRect(bay);
        p.setBrush(i == 1 ? QColor(0xff, 0xa0, 0x20) : QColor(0x40, 0xe0, 0x40));
        p.drawEllipse(QPointF(bay.right() - 5, bay.center().y()), 2, 2);
    }
    p.setPen(QPen(QColor(0x0a, 0x24, 0x6a), 1));
    QFont f = font();
    f.setBold(true);
    f.setPixelSize(12);
    p.setFont(f);
    p.drawText(QRectF(tower.left(), tower.bottom() - 20, tower.width(), 16), Qt::AlignCenter,
               QStringLiteral("FTP"));

    // Transfer arrows between the globe and the server.
    drawArrow(p, QPointF(118, 8), true, QColor(0x30, 0xb0, 0x30));
    drawArrow(p, QPointF(138, 50), false, QColor(0xe0, 0x40, 0x30));
}

} // namespace pordane::widgets
