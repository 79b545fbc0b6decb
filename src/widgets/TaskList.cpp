// Task-list painting: lines top to bottom, icon centred on the text height.
#include "widgets/TaskList.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <stdexcept>

namespace pordane::widgets {

namespace {
constexpr int TopMargin = 4;
constexpr int IconTextGap = 4;
} // namespace

TaskList::TaskList(const ImageList& images, QWidget* parent) : QWidget(parent), m_images(images)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TaskList::setLines(const QStringList& lines)
{
    m_lines.clear();
    m_lines.reserve(static_cast<size_t>(lines.size()));
    for (const QString& t : lines)
        m_lines.push_back(Line{t, DefaultImage, false});
    updateGeometry();
    update();
}

const TaskList::Line& TaskList::at(int index) const
{
    if (index < 0 || index >= count())
        throw std::out_of_range("TaskList: línea fuera de rango");
    return m_lines[static_cast<size_t>(index)];
}

TaskList::Line& TaskList::at(int index)
{
    return const_cast<Line&>(static_cast<const TaskList*>(this)->at(index));
}

QString TaskList::text(int index) const
{
    return at(index).text;
}

void TaskList::setLine(int index, int image, bool bold)
{
    if (image < 0 || image >= m_images.count())
        throw std::out_of_range("TaskList: imagen fuera de rango");
    Line& line = at(index);
    line.image = image;
    line.bold = bold;
    update();
}

int TaskList::image(int index) const
{
    return at(index).image;
}

bool TaskList::bold(int index) const
{
    return at(index).bold;
}

void TaskList::setLineSpacing(int pixels)
{
    m_lineSpacing = std::max(0, pixels);
    updateGeometry();
    update();
}

void TaskList::setImageOffset(int pixels)
{
    m_imageOffset = std::max(0, pixels);
    update();
}

int TaskList::textHeight() const
{
    QFont b = font();
    b.setBold(true);
    // Bold and regular lines share one pitch so marking a line never moves the others.
    return std::max({fontMetrics().height(), QFontMetrics(b).height(), m_images.size()});
}

int TaskList::lineTop(int index) const
{
    return TopMargin + index * (textHeight() + m_lineSpacing);
}

QSize TaskList::sizeHint() const
{
    return {200, lineTop(count()) + TopMargin};
}

void TaskList::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.setClipRect(event->rect());
    const int h = textHeight();
    const int iconSize = m_images.size();
    const int textX = m_imageOffset + iconSize + IconTextGap;
    for (int i = 0; i < count(); ++i) {
        const Line& line = m_lines[static_cast<size_t>(i)];
        const int top = lineTop(i);
        m_images.draw(p, m_imageOffset, top + (h - iconSize) / 2, line.image);
        QFont f = font();
        f.setBold(line.bold);
        p.setFont(f);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(QRect(textX, top, width() - textX, h), Qt::AlignVCenter | Qt::AlignLeft, line.text);
    }
}

} // namespace pordane::widgets
