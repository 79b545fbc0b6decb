// Busy indicator: twelve dots, the head opaque and the trail fading behind it.
#include "widgets/BusyIndicator.h"

#include <QHideEvent>
#include <QPainter>
#include <QShowEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pordane::widgets {

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent)
{
    m_timer.setInterval(kDefaultInterval);
    connect(&m_timer, &QTimer::timeout, this, &BusyIndicator::advance);
}

void BusyIndicator::setInterval(int milliseconds)
{
    m_timer.setInterval(std::max(1, milliseconds));
}

void BusyIndicator::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QPointF BusyIndicator::dotCentre(QSizeF size, int dot)
{
    const double side = std::min(size.width(), size.height());
    const double ring = side / 2.0 - dotRadius(size) - 1.0;
    const double a = 2.0 * std::numbers::pi * (((dot % kDots) + kDots) % kDots) / kDots;
    return {size.width() / 2.0 + ring * std::sin(a), size.height() / 2.0 - ring * std::cos(a)};
}

double BusyIndicator::dotRadius(QSizeF size)
{
    return std::max(1.0, std::min(size.width(), size.height()) * 0.09);
}

QSize BusyIndicator::sizeHint() const
{
    return {32, 32};
}

QSize BusyIndicator::minimumSizeHint() const
{
    return {16, 16};
}

void BusyIndicator::start()
{
    m_animating = true;
    syncTimer();
}

void BusyIndicator::stop()
{
    m_animating = false;
    syncTimer();
}

void BusyIndicator::advance()
{
    m_frame = (m_frame + 1) % kDots;
    update();
}

void BusyIndicator::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    syncTimer();
}

void BusyIndicator::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    syncTimer();
}

// A hidden indicator costs no timer ticks; it resumes where it was when shown.
void BusyIndicator::syncTimer()
{
    const bool run = m_animating && isVisible();
    if (run && !m_timer.isActive())
        m_timer.start();
    else if (!run && m_timer.isActive())
        m_timer.stop();
}

void BusyIndicator::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QSizeF area(size());
    const double radius = dotRadius(area);
    for (int behind = kDots - 1; behind >= 0; --behind) {
        // The head is opaque and full size; the trail fades and shrinks, and a
        // stopped indicator keeps its last picture.
        const double weight = 1.0 - static_cast<double>(behind) / kDots;
        QColor dot = m_color;
        dot.setAlphaF(static_cast<float>(0.12 + 0.88 * weight * weight));
        p.setBrush(dot);
        const double r = radius * (0.55 + 0.45 * weight);
        p.drawEllipse(dotCentre(area, m_frame - behind), r, r);
    }
}

} // namespace pordane::widgets
