// Scrolling strip chart of the speed page: one channel of samples from 0 to
// 2000 (KB/s), the newest at the right edge, older ones moving left.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <vector>

namespace pordane::widgets {

class Scope : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 2000;
    static constexpr int kDefaultCapacity = 200;
    static constexpr int kDefaultStepInterval = 1000; // ms
    static constexpr int kGridSamples = 20;            // samples between vertical grid lines

    explicit Scope(QWidget* parent = nullptr);

    // The samples in the trace, oldest first, already limited to the range.
    std::vector<int> samples() const;
    int capacity() const { return m_capacity; }
    // At least 2; shrinking drops the oldest samples.
    void setCapacity(int capacity);

    bool active() const { return m_active; }
    void setActive(bool active);
    // True while the chart's own step timer runs (only while active).
    bool stepping() const { return m_stepTimer.isActive(); }
    int stepInterval() const { return m_stepTimer.interval(); }
    void setStepInterval(int milliseconds);

    static int limited(int value);
    // The area the trace is drawn in; its edges are pixel centres so a sample
    // at the edge lands on one pixel row or column.
    static QRectF plotArea(QSizeF size);
    // Where the sample of a given age (0 = newest) is drawn, with `capacity`
    // samples spanning the plot's width.
    static QPointF samplePoint(QSizeF size, int capacity, int age, int value);
    // The device pixel (column, row) at 1:1 scale under the newest sample.
    static QPoint newestSamplePixel(QSize size, int value);
    static QColor traceColor();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // Appends whether or not the chart is active: its owner decides when to feed it.
    void addSample(int value);
    void clear();
    // The chart's own step: records kMinimum while active, nothing otherwise.
    void step();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPixmap& backgroundPixmap(QSize size, qreal dpr);

    std::deque<int> m_samples;
    int m_capacity = kDefaultCapacity;
    long long m_added = 0; // samples added since the last clear, scrolls the grid
    bool m_active = false;
    // The chart's step needs no thread: a timer on the UI thread fires between
    // the same pumped turns of the message loop that a thread handing its step
    // over to the UI thread would use, and the samples are only ever touched there.
    QTimer m_stepTimer;
    QPixmap m_background;
    QSize m_backgroundSize;
    qreal m_backgroundDpr = 0.0;
};

} // namespace pordane::widgets
