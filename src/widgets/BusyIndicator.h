// Circular busy indicator of the connectivity page: a ring of dots with a
// bright head that steps round clockwise on a timer while it runs.
#pragma once

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QTimer>
#include <QWidget>

namespace pordane::widgets {

class BusyIndicator : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kDots = 12;
    static constexpr int kDefaultInterval = 100; // ms per step

    explicit BusyIndicator(QWidget* parent = nullptr);

    // Whether start() was called without a stop() since. The timer itself
    // only runs while the indicator is also visible.
    bool animating() const { return m_animating; }
    // Which dot is the head, 0 to kDots - 1; dot 0 is at twelve o'clock.
    int frame() const { return m_frame; }
    int interval() const { return m_timer.interval(); }
    void setInterval(int milliseconds);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    // Centre and radius of a dot in a widget of the given size.
    static QPointF dotCentre(QSizeF size, int dot);
    static double dotRadius(QSizeF size);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void start();
    void stop();
    // One step of the animation: the head moves to the next dot clockwise.
    void advance();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void syncTimer();

    QTimer m_timer;
    QColor m_color{0x1f, 0x4e, 0x9c};
    int m_frame = 0;
    bool m_animating = false;
};

} // namespace pordane::widgets
