// The window's icon lists, drawn in a 16- or 32-unit design grid and scaled to
// whatever rectangle and device pixel ratio they are asked for.
#include "widgets/ImageList.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <stdexcept>
#include <utility>

namespace pordane::widgets {

namespace {

// Sets up the painter so that the icon can be drawn in a `units` x `units` grid.
class GridScope {
public:
    GridScope(QPainter& p, const QRectF& r, qreal units) : m_p(p)
    {
        m_p.save();
        m_p.setRenderHint(QPainter::Antialiasing, true);
        m_p.translate(r.topLeft());
        m_p.scale(r.width() / units, r.height() / units);
    }
    ~GridScope() { m_p.restore(); }
    GridScope(const GridScope&) = delete;
    GridScope& operator=(const GridScope&) = delete;

private:
    QPainter& m_p;
};

QPen roundPen(const QColor& c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// ImageList1, 16-unit grid.

void paintArrow(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 16);
    QPainterPath path;
    path.moveTo(4, 2.5);
    path.lineTo(12.5, 8);
    path.lineTo(4, 13.5);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(path);
}

void paintTick(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 16);
    QPainterPath path;
    path.moveTo(2.5, 8.5);
    path.lineTo(6.2, 12.2);
    path.lineTo(13.5, 3.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(QColor(0, 90, 0), 3.6));
    p.drawPath(path);
    p.setPen(roundPen(QColor(40, 180, 40), 2.2));
    p.drawPath(path);
}

void paintDot(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(8, 8), 2.5, 2.5);
}

void paintCross(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 16);
    p.setPen(QPen(QColor(128, 0, 0), 1));
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setPen(roundPen(Qt::white, 2));
    p.drawLine(QPointF(5.3, 5.3), QPointF(10.7, 10.7));
    p.drawLine(QPointF(10.7, 5.3), QPointF(5.3, 10.7));
}

void paintWarning(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 16);
    QPainterPath tri;
    tri.moveTo(8, 1.2);
    tri.lineTo(15.2, 14.5);
    tri.lineTo(0.8, 14.5);
    tri.closeSubpath();
    p.setPen(roundPen(QColor(120, 90, 0), 1));
    p.setBrush(QColor(255, 210, 0));
    p.drawPath(tri);
    p.setPen(roundPen(Qt::black, 1.8));
    p.drawLine(QPointF(8, 5.5), QPointF(8, 9.8));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(8, 12.3), 1.1, 1.1);
}

void paintQuestion(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 16);
    p.setPen(QPen(QColor(0, 40, 120), 1));
    p.setBrush(QColor(60, 110, 210));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QPainterPath hook;
    hook.moveTo(5.6, 6.2);
    hook.cubicTo(5.6, 3.6, 10.6, 3.4, 10.6, 6.0);
    hook.cubicTo(10.6, 7.8, 8, 7.8, 8, 9.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(Qt::white, 1.8));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 12.2), 1.1, 1.1);
}

// ImageList2, 32-unit grid.

void paintGauge(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 32);
    p.setPen(QPen(QColor(30, 30, 30), 1.5));
    QRadialGradient face(16, 14, 16);
    face.setColorAt(0, Qt::white);
    face.setColorAt(1, QColor(200, 210, 225));
    p.setBrush(face);
    p.drawEllipse(QRectF(2, 3, 28, 28));
    // Coloured band of the dial from the left to the top.
    p.setPen(QPen(QColor(40, 170, 40), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(6, 7, 20, 20), 150 * 16, -60 * 16);
    p.setPen(QPen(QColor(230, 160, 0), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(6, 7, 20, 20), 90 * 16, -60 * 16);
    p.setPen(QPen(QColor(210, 30, 30), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(6, 7, 20, 20), 30 * 16, -60 * 16);
    p.setPen(roundPen(QColor(20, 20, 20), 2));
    p.drawLine(QPointF(16, 17), QPointF(24, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 20));
    p.drawEllipse(QPointF(16, 17), 2.2, 2.2);
}

void paintFolderKey(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 32);
    QLinearGradient body(0, 6, 0, 28);
    body.setColorAt(0, QColor(255, 226, 130));
    body.setColorAt(1, QColor(230, 170, 40));
    p.setPen(QPen(QColor(150, 100, 10), 1.2));
    p.setBrush(body);
    QPainterPath folder;
    folder.moveTo(2, 8);
    folder.lineTo(11, 8);
    folder.lineTo(13.5, 11);
    folder.lineTo(29, 11);
    folder.lineTo(29, 27);
    folder.lineTo(2, 27);
    folder.closeSubpath();
    p.drawPath(folder);
    // A key across the folder's front.
    p.setPen(QPen(QColor(70, 70, 80), 1.2));
    p.setBrush(QColor(170, 175, 190));
    p.drawEllipse(QPointF(11, 19), 4.2, 4.2);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(11, 19), 1.5, 1.5);
    p.setPen(roundPen(QColor(70, 70, 80), 2.4));
    p.drawLine(QPointF(15, 19), QPointF(26, 19));
    p.drawLine(QPointF(23, 19), QPointF(23, 23));
    p.drawLine(QPointF(26, 19), QPointF(26, 22));
}

void paintComputer(QPainter& p, qreal x, qreal y)
{
    p.setPen(QPen(QColor(40, 40, 50), 1));
    p.setBrush(QColor(215, 215, 205));
    p.drawRoundedRect(QRectF(x, y, 13, 10), 1.2, 1.2);
    p.setBrush(QColor(40, 100, 200));
    p.drawRect(QRectF(x + 1.8, y + 1.8, 9.4, 6.4));
    p.setBrush(QColor(190, 190, 180));
    p.drawRect(QRectF(x + 3, y + 10, 7, 2.2));
}

void paintLinked(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 32);
    p.setPen(roundPen(QColor(20, 140, 40), 2));
    p.drawLine(QPointF(9, 14), QPointF(9, 24));
    p.drawLine(QPointF(9, 24), QPointF(23, 24));
    p.drawLine(QPointF(23, 24), QPointF(23, 14));
    paintComputer(p, 1.5, 2);
    paintComputer(p, 17.5, 2);
    p.setPen(QPen(QColor(0, 70, 20), 1));
    p.setBrush(QColor(60, 200, 80));
    p.drawEllipse(QPointF(16, 24), 3, 3);
}

void paintSheet(QPainter& p, const QRectF& r)
{
    GridScope g(p, r, 32);
    p.setPen(QPen(QColor(80, 80, 90), 1.2));
    p.setBrush(Qt::white);
    QPainterPath sheet;
    sheet.moveTo(6, 2);
    sheet.lineTo(21, 2);
    sheet.lineTo(27, 8);
    sheet.lineTo(27, 30);
    sheet.lineTo(6, 30);
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.setBrush(QColor(220, 220, 220));
    QPainterPath fold;
    fold.moveTo(21, 2);
    fold.lineTo(21, 8);
    fold.lineTo(27, 8);
    fold.closeSubpath();
    p.drawPath(fold);
    for (int i = 0; i < 5; ++i) {
        const qreal y = 12 + i * 3.8;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 80, 170));
        p.drawRect(QRectF(9, y - 1, 2, 2));
        p.setPen(QPen(QColor(110, 110, 120), 1.2));
        p.drawLine(QPointF(13, y), QPointF(24, y));
    }
}

class ImageListIconEngine final : public QIconEngine {
public:
    explicit ImageListIconEngine(ImageList::Painter painter) : m_painter(std::move(painter)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        m_painter(*painter, QRectF(rect));
        painter->setOpacity(1.0);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // QIcon passes `size` already in device pixels; `scale` is only recorded.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        {
            QPainter p(&pm);
            paint(&p, QRect(QPoint(0, 0), pm.size()), mode, state);
        }
        pm.setDevicePixelRatio(scale);
        return pm;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new ImageListIconEngine(m_painter); }
    QString key() const override { return QStringLiteral("pordane-imagelist"); }

private:
    ImageList::Painter m_painter;
};

} // namespace

ImageList::ImageList(int size, std::vector<Painter> painters) : m_size(size), m_painters(std::move(painters)) {}

const ImageList::Painter& ImageList::painterAt(int index) const
{
    if (index < 0 || index >= count())
        throw std::out_of_range("ImageList: índice de imagen fuera de rango");
    return m_painters[static_cast<size_t>(index)];
}

void ImageList::draw(QPainter& painter, int x, int y, int index) const
{
    painterAt(index)(painter, QRectF(x, y, m_size, m_size));
}

QPixmap ImageList::pixmap(int index, qreal devicePixelRatio) const
{
    const Painter& paintIcon = painterAt(index);
    const int side = static_cast<int>(std::ceil(m_size * devicePixelRatio));
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        paintIcon(p, QRectF(0, 0, side, side));
    }
    pm.setDevicePixelRatio(devicePixelRatio);
    return pm;
}

QIcon ImageList::icon(int index) const
{
    return QIcon(new ImageListIconEngine(painterAt(index)));
}

ImageList makeImageList1()
{
    return ImageList(16, {paintArrow, paintTick, paintDot, paintCross, paintWarning, paintQuestion});
}

ImageList makeImageList2()
{
    return ImageList(32, {paintGauge, paintFolderKey, paintLinked, paintSheet});
}

} // namespace pordane::widgets
