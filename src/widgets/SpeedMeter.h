// Round gauge of the speed page: the live transfer speed in Mbps on a 0 to 50 dial
// with a needle, the value in figures ("00") and the slow band 0 to 10 marked.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QWidget>

namespace pordane::widgets {

class SpeedMeter : public QWidget
{
    Q_OBJECT

public:
    static constexpr double kMinimum = 0.0;
    static constexpr double kMaximum = 50.0;
    static constexpr double kSectionFrom = 0.0;
    static constexpr double kSectionTo = 10.0;
    // Angles in degrees, counter-clockwise from three o'clock (QPainter's arc
    // convention); the scale runs clockwise from bottom left to bottom right.
    static constexpr double kStartAngle = 225.0;
    static constexpr double kEndAngle = -45.0;

    // Where the dial sits in a widget of a given size, in logical pixels.
    struct Dial
    {
        QPointF centre;
        double radius = 0.0;
        double needleLength = 0.0;
        double bandRadius = 0.0; // centre line of the scale band and its coloured section
    };

    explicit SpeedMeter(QWidget* parent = nullptr);

    double value() const { return m_value; }

    // The needle's angle for a value: kStartAngle at or below kMinimum,
    // kEndAngle at or above kMaximum, linear in between.
    static double needleAngle(double value);
    // The figures under the needle: at least two digits, rounded half away
    // from zero ("00" for 0.4, "07" for 6.5, "80" for 80).
    static QString valueText(double value);
    static Dial dialGeometry(QSizeF size);
    static QPointF needleTip(QSizeF size, double value);
    static QString unitText() { return QStringLiteral("Mbps"); }
    static QColor needleColor();
    static QColor sectionColor();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // NaN counts as 0; any other value is kept as given and only its drawing
    // is pinned to the ends of the scale.
    void setValue(double value);

signals:
    void valueChanged(double value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPixmap& dialPixmap(QSize size, qreal dpr);

    double m_value = 0.0;
    QPixmap m_dial;
    QSize m_dialSize;
    qreal m_dialDpr = 0.0;
};

} // namespace pordane::widgets
