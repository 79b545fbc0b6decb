// The pixel ratio a paint really lands at, for pixmap caches of our controls.
#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

namespace pordane::widgets {

// Under QWidget::render() the painter reports the widget as its device while
// the engine draws into the target (say a 2x image); the engine's device has
// the ratio that matters.
inline qreal targetPixelRatio(const QPainter& painter, const QWidget& widget)
{
    if (const QPaintEngine* engine = painter.paintEngine())
        if (const QPaintDevice* device = engine->paintDevice())
            return device->devicePixelRatio();
    return widget.devicePixelRatioF();
}

} // namespace pordane::widgets
