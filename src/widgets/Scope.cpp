// Strip chart: background and horizontal grid cached per size and pixel ratio;
// a paint adds the vertical grid (it scrolls with the samples) and the trace.
#include "widgets/Scope.h"

#include "widgets/PixelRatio.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace pordane::widgets {

namespace {

constexpr double kInset = 4.5;
constexpr int kHorizontalBands = 4;

const QColor kBackground(0x0a, 0x12, 0x0e);
const QColor kFrame(0x2f, 0x4b, 0x3b);
const QColor kGrid(0x1c, 0x33, 0x26);

} // namespace

Scope::Scope(QWidget* parent)
    : QWidget(parent)
{
    m_stepTimer.setInterval(kDefaultStepInterval);
    connect(&m_stepTimer, &QTimer::timeout, this, &Scope::step);
}

std::vector<int> Scope::samples() const
{
    return {m_samples.begin(), m_samples.end()};
}

void Scope::setCapacity(int capacity)
{
    m_capacity = std::max(2, capacity);
    while (static_cast<int>(m_samples.size()) > m_capacity)
        m_samples.pop_front();
    update();
}

void Scope::setActive(bool active)
{
    m_active = active;
    if (active)
        m_stepTimer.start();
    else
        m_stepTimer.stop();
}

void Scope::setStepInterval(int milliseconds)
{
    m_stepTimer.setInterval(std::max(1, milliseconds));
}

int Scope::limited(int value)
{
    return std::clamp(value, kMinimum, kMaximum);
}

QRectF Scope::plotArea(QSizeF size)
{
    return {QPointF(kInset, kInset),
            QPointF(std::max(kInset, size.width() - kInset), std::max(kInset, size.height() - kInset))};
}

QPointF Scope::samplePoint(QSizeF size, int capacity, int age, int value)
{
    const QRectF area = plotArea(size);
    const double dx = area.width() / std::max(1, capacity - 1);
    const double level = static_cast<double>(limited(value) - kMinimum) / (kMaximum - kMinimum);
    return {area.right() - age * dx, area.bottom() - level * area.height()};
}

QPoint Scope::newestSamplePixel(QSize size, int value)
{
    const QPointF at = samplePoint(QSizeF(size), kDefaultCapacity, 0, value);
    return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
}

QColor Scope::traceColor()
{
    return {0x4c, 0xf0, 0x5c};
}

QSize Scope::sizeHint() const
{
    return {300, 120};
}

QSize Scope::minimumSizeHint() const
{
    return {60, 30};
}

void Scope::addSample(int value)
{
    m_samples.push_back(limited(value));
    while (static_cast<int>(m_samples.size()) > m_capacity)
        m_samples.pop_front();
    ++m_added;
    update();
}

void Scope::clear()
{
    if (m_samples.empty() && m_added == 0)
        return;
    m_samples.clear();
    m_added = 0;
    update();
}

void Scope::step()
{
    if (m_active)
        addSample(kMinimum);
}

const QPixmap& Scope::backgroundPixmap(QSize size, qreal dpr)
{
    if (m_background.isNull() || m_backgroundSize != size || m_backgroundDpr != dpr) {
        m_background = QPixmap(QSize(static_cast<int>(std::ceil(size.width() * dpr)),
                                     static_cast<int>(std::ceil(size.height() * dpr))));
        m_background.setDevicePixelRatio(dpr);
        m_background.fill(kBackground);
        QPainter p(&m_background);
        const QRectF area = plotArea(QSizeF(size));
        p.setPen(QPen(kGrid, 1.0));
        for (int band = 0; band <= kHorizontalBands; ++band) {
            const double y = area.top() + area.height() * band / kHorizontalBands;
            p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        }
        p.setPen(QPen(kFrame, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0));
        m_backgroundSize = size;
        m_backgroundDpr = dpr;
    }
    return m_background;
}

void Scope::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    const qreal dpr = targetPixelRatio(p, *this);
    p.drawPixmap(0, 0, backgroundPixmap(size(), dpr));

    const QSizeF area(size());
    const QRectF plot = plotArea(area);
    p.setClipRect(plot.adjusted(-kInset + 1.0, -kInset + 1.0, kInset - 1.0, kInset - 1.0));

    p.setPen(QPen(kGrid, 1.0));
    for (long long age = m_added % kGridSamples; age < m_capacity; age += kGridSamples) {
        const double x = samplePoint(area, m_capacity, static_cast<int>(age), kMinimum).x();
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }

    if (m_samples.empty())
        return;
    const int count = static_cast<int>(m_samples.size());
    QPolygonF trace;
    trace.reserve(count + 2);
    for (int i = 0; i < count; ++i)
        trace << samplePoint(area, m_capacity, count - 1 - i, m_samples[static_cast<size_t>(i)]);

    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF fill = trace;
    fill << QPointF(trace.last().x(), plot.bottom()) << QPointF(trace.first().x(), plot.bottom());
    QLinearGradient shade(0, plot.top(), 0, plot.bottom());
    QColor top = traceColor();
    top.setAlpha(70);
    QColor bottom = traceColor();
    bottom.setAlpha(10);
    shade.setColorAt(0.0, top);
    shade.setColorAt(1.0, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPolygon(fill);

    QPen pen(traceColor(), 2.0);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (count == 1)
        p.drawPoint(trace.first());
    else
        p.drawPolyline(trace);
}

} // namespace pordane::widgets
