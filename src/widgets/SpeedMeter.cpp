// Round gauge: the dial (bezel, scale, slow band, labels) is drawn once per
// size and pixel ratio into a pixmap; a paint adds only the needle and figures.
#include "widgets/SpeedMeter.h"

#include "widgets/PixelRatio.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pordane::widgets {

namespace {

constexpr double kMargin = 2.0;
constexpr double kNeedleReach = 0.80;   // of the radius
constexpr double kBandRadius = 0.865;
constexpr double kBandWidth = 0.05;
constexpr double kTickOuter = 0.82;
constexpr double kLabelRadius = 0.575;

QPointF polar(QPointF centre, double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(radius * std::cos(a), -radius * std::sin(a));
}

QFont pixelFont(double pixels, bool bold)
{
    QFont font;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(bold);
    return font;
}

QRectF valueBox(const SpeedMeter::Dial& dial)
{
    const double r = dial.radius;
    return {dial.centre.x() - 0.25 * r, dial.centre.y() + 0.36 * r, 0.50 * r, 0.25 * r};
}

// An arc of the scale from one value to another, stroked along a circle.
void strokeScaleArc(QPainter& p, const SpeedMeter::Dial& dial, double from, double to,
                    const QColor& colour)
{
    const double r = dial.bandRadius;
    const QRectF box(dial.centre.x() - r, dial.centre.y() - r, 2 * r, 2 * r);
    const double a0 = SpeedMeter::needleAngle(from);
    const double a1 = SpeedMeter::needleAngle(to);
    QPen pen(colour, dial.radius * kBandWidth);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(box, static_cast<int>(std::lround(a0 * 16)),
              static_cast<int>(std::lround((a1 - a0) * 16)));
}

void paintDial(QPainter& p, QSizeF size)
{
    const SpeedMeter::Dial dial = SpeedMeter::dialGeometry(size);
    const QPointF c = dial.centre;
    const double r = dial.radius;
    if (r <= 0)
        return;

    QLinearGradient bezel(c.x(), c.y() - r, c.x(), c.y() + r);
    bezel.setColorAt(0.0, QColor(0x6b, 0x73, 0x7c));
    bezel.setColorAt(1.0, QColor(0x24, 0x28, 0x2d));
    p.setPen(Qt::NoPen);
    p.setBrush(bezel);
    p.drawEllipse(c, r, r);

    QRadialGradient face(c - QPointF(0, 0.25 * r), 1.2 * r);
    face.setColorAt(0.0, QColor(0x34, 0x3b, 0x43));
    face.setColorAt(1.0, QColor(0x12, 0x15, 0x19));
    p.setBrush(face);
    p.drawEllipse(c, 0.93 * r, 0.93 * r);

    strokeScaleArc(p, dial, SpeedMeter::kMinimum, SpeedMeter::kMaximum, QColor(0x3d, 0x45, 0x4e));
    strokeScaleArc(p, dial, SpeedMeter::kSectionFrom, SpeedMeter::kSectionTo,
                   SpeedMeter::sectionColor());

    for (int v = static_cast<int>(SpeedMeter::kMinimum); v <= static_cast<int>(SpeedMeter::kMaximum);
         ++v) {
        const double a = SpeedMeter::needleAngle(v);
        const bool major = v % 10 == 0;
        const bool middle = !major && v % 5 == 0;
        const double inner = major ? 0.70 : (middle ? 0.74 : 0.77);
        QPen pen(major || middle ? QColor(0xee, 0xf1, 0xf4) : QColor(0x8f, 0x99, 0xa3),
                 r * (major ? 0.022 : (middle ? 0.016 : 0.009)));
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(polar(c, inner * r, a), polar(c, kTickOuter * r, a));
    }

    p.setFont(pixelFont(0.11 * r, false));
    p.setPen(QColor(0xdf, 0xe4, 0xea));
    for (int v = static_cast<int>(SpeedMeter::kMinimum); v <= static_cast<int>(SpeedMeter::kMaximum);
         v += 10) {
        const QPointF at = polar(c, kLabelRadius * r, SpeedMeter::needleAngle(v));
        const QRectF box(at.x() - 0.2 * r, at.y() - 0.1 * r, 0.4 * r, 0.2 * r);
        p.drawText(box, Qt::AlignCenter, QString::number(v));
    }

    p.setFont(pixelFont(0.10 * r, false));
    p.setPen(QColor(0x9a, 0xa4, 0xae));
    p.drawText(QRectF(c.x() - 0.4 * r, c.y() + 0.62 * r, 0.8 * r, 0.16 * r), Qt::AlignCenter,
               SpeedMeter::unitText());

    p.setPen(QPen(QColor(0x3d, 0x45, 0x4e), std::max(1.0, 0.01 * r)));
    p.setBrush(QColor(0x0b, 0x0d, 0x10));
    p.drawRoundedRect(valueBox(dial), 0.04 * r, 0.04 * r);
}

} // namespace

SpeedMeter::SpeedMeter(QWidget* parent)
    : QWidget(parent)
{
}

double SpeedMeter::needleAngle(double value)
{
    if (std::isnan(value) || value <= kMinimum)
        return kStartAngle;
    if (value >= kMaximum)
        return kEndAngle;
    return kStartAngle + (value - kMinimum) / (kMaximum - kMinimum) * (kEndAngle - kStartAngle);
}

QString SpeedMeter::valueText(double value)
{
    if (std::isnan(value))
        value = kMinimum;
    if (std::isinf(value))
        value = value > 0 ? kMaximum : kMinimum;
    const double rounded = std::round(value);
    QString digits = QString::number(std::abs(rounded), 'f', 0);
    if (digits.size() < 2)
        digits.prepend(QString(2 - digits.size(), QLatin1Char('0')));
    return rounded < 0 ? QLatin1Char('-') + digits : digits;
}

SpeedMeter::Dial SpeedMeter::dialGeometry(QSizeF size)
{
    Dial dial;
    dial.centre = QPointF(size.width() / 2.0, size.height() / 2.0);
    dial.radius = std::max(0.0, std::min(size.width(), size.height()) / 2.0 - kMargin);
    dial.needleLength = kNeedleReach * dial.radius;
    dial.bandRadius = kBandRadius * dial.radius;
    return dial;
}

QPointF SpeedMeter::needleTip(QSizeF size, double value)
{
    const Dial dial = dialGeometry(size);
    return polar(dial.centre, dial.needleLength, needleAngle(value));
}

QColor SpeedMeter::needleColor()
{
    return {0xff, 0x98, 0x00};
}

QColor SpeedMeter::sectionColor()
{
    return {0xe5, 0x39, 0x35};
}

QSize SpeedMeter::sizeHint() const
{
    return {200, 200};
}

QSize SpeedMeter::minimumSizeHint() const
{
    return {80, 80};
}

void SpeedMeter::setValue(double value)
{
    if (std::isnan(value))
        value = kMinimum;
    if (value == m_value)
        return;
    const bool redraw =
        needleAngle(value) != needleAngle(m_value) || valueText(value) != valueText(m_value);
    m_value = value;
    if (redraw)
        update();
    emit valueChanged(m_value);
}

const QPixmap& SpeedMeter::dialPixmap(QSize size, qreal dpr)
{
    if (m_dial.isNull() || m_dialSize != size || m_dialDpr != dpr) {
        m_dial = QPixmap(QSize(static_cast<int>(std::ceil(size.width() * dpr)),
                               static_cast<int>(std::ceil(size.height() * dpr))));
        m_dial.setDevicePixelRatio(dpr);
        m_dial.fill(Qt::transparent);
        QPainter p(&m_dial);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        paintDial(p, size);
        m_dialSize = size;
        m_dialDpr = dpr;
    }
    return m_dial;
}

void SpeedMeter::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    const qreal dpr = targetPixelRatio(p, *this);
    p.drawPixmap(0, 0, dialPixmap(size(), dpr));

    const Dial dial = dialGeometry(size());
    const double r = dial.radius;
    if (r <= 0)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    p.setFont(pixelFont(0.19 * r, true));
    p.setPen(QColor(0xf5, 0xf7, 0xfa));
    p.drawText(valueBox(dial), Qt::AlignCenter, valueText(m_value));

    const double angle = needleAngle(m_value);
    const QPointF c = dial.centre;
    const QPointF along = polar(QPointF(0, 0), 1.0, angle);
    const QPointF across(-along.y(), along.x());
    const QPolygonF needle{
        c - along * (0.14 * r) + across * (0.022 * r),
        c + across * (0.035 * r),
        c + along * dial.needleLength + across * (0.008 * r),
        c + along * dial.needleLength - across * (0.008 * r),
        c - across * (0.035 * r),
        c - along * (0.14 * r) - across * (0.022 * r),
    };
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPolygon(needle.translated(0.012 * r, 0.018 * r));
    p.setBrush(needleColor());
    p.drawPolygon(needle);

    QRadialGradient hub(c - QPointF(0.02 * r, 0.03 * r), 0.09 * r);
    hub.setColorAt(0.0, QColor(0x5a, 0x62, 0x6b));
    hub.setColorAt(1.0, QColor(0x1b, 0x1f, 0x23));
    p.setBrush(hub);
    p.setPen(QPen(needleColor(), std::max(1.0, 0.015 * r)));
    p.drawEllipse(c, 0.07 * r, 0.07 * r);
}

} // namespace pordane::widgets
