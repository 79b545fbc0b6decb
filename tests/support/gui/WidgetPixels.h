// Rendering a control into an image and looking for a colour near a point,
// for the control tests (no stored screenshots).
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>

#include <cmath>
#include <cstdlib>

namespace pordane::testsupport {

// The widget painted at a device pixel ratio onto white.
inline QImage renderAt(QWidget& widget, qreal dpr = 1.0)
{
    QImage image(widget.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

inline bool similar(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

// Whether a pixel within `reach` logical pixels of a logical point has the colour.
inline bool colourNear(const QImage& image, QPointF logical, double reach, QColor colour, int tolerance = 40)
{
    const qreal dpr = image.devicePixelRatio();
    const double cx = logical.x() * dpr;
    const double cy = logical.y() * dpr;
    const double r = reach * dpr;
    for (int y = static_cast<int>(std::floor(cy - r)); y <= static_cast<int>(std::ceil(cy + r)); ++y)
        for (int x = static_cast<int>(std::floor(cx - r)); x <= static_cast<int>(std::ceil(cx + r)); ++x) {
            if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
                continue;
            if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) > r + 0.5)
                continue;
            if (similar(image.pixelColor(x, y), colour, tolerance))
                return true;
        }
    return false;
}

// Lets `ticks` intervals of a probe timer pass, so that a timer of the same
// interval that is still running would have fired meanwhile.
inline bool letIntervalsPass(int milliseconds, int ticks)
{
    QTimer probe;
    int fired = 0;
    QObject::connect(&probe, &QTimer::timeout, [&fired] { ++fired; });
    probe.start(milliseconds);
    return QTest::qWaitFor([&fired, ticks] { return fired >= ticks; }, 5000);
}

} // namespace pordane::testsupport
