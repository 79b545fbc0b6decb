// Banner painting: gradient-filled outline text, then the same text flipped
// below the baseline and faded out with a gradient mask.
#include "widgets/BannerLabel.h"

#include <QPainter>
#include <QPainterPath>

namespace pordane::widgets {

BannerLabel::BannerLabel(const QString& text, QWidget* parent) : QWidget(parent), m_text(text)
{
}

void BannerLabel::setText(const QString& text)
{
    m_text = text;
    updateGeometry();
    update();
}

void BannerLabel::setTextPixelSize(int px)
{
    m_pixelSize = px;
    updateGeometry();
    update();
}

QFont BannerLabel::bannerFont() const
{
    QFont f = font();
    f.setBold(true);
    f.setPixelSize(m_pixelSize);
    f.setLetterSpacing(QFont::PercentageSpacing, 104);
    return f;
}

QSize BannerLabel::sizeHint() const
{
    const QFontMetrics fm(bannerFont());
    return {fm.horizontalAdvance(m_text) + 8, fm.ascent() * 2 + 8};
}

void BannerLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QFont f = bannerFont();
    const QFontMetrics fm(f);
    const qreal baseline = 4 + fm.ascent();
    const qreal x = 4;

    QPainterPath path;
    path.addText(QPointF(x, baseline), f, m_text);

    QLinearGradient fill(0, baseline - fm.ascent(), 0, baseline);
    fill.setColorAt(0.0, QColor(0x4a, 0x6f, 0xb8));
    fill.setColorAt(0.55, QColor(0x0a, 0x24, 0x6a));
    fill.setColorAt(1.0, QColor(0x05, 0x12, 0x3a));

    // Reflection: the glyphs mirrored about the baseline, fading to nothing.
    {
        p.save();
        p.translate(0, 2 * baseline + 2);
        p.scale(1, -1);
        QLinearGradient fade(0, baseline, 0, baseline - fm.ascent() * 0.8);
        fade.setColorAt(0.0, QColor(0x0a, 0x24, 0x6a, 110));
        fade.setColorAt(1.0, QColor(0x0a, 0x24, 0x6a, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(fade);
        p.drawPath(path);
        p.restore();
    }

    p.setPen(QPen(QColor(0x02, 0x0a, 0x26), 1));
    p.setBrush(fill);
    p.drawPath(path);
}

} // namespace pordane::widgets
