// Navigation bar: headers stay in a column; only the open group's page of
// buttons is visible, taking the space left between the headers.
#include "widgets/NavBar.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace pordane::widgets {

namespace {
constexpr int HeaderHeight = 22;
constexpr int ButtonHeight = 56;

const char* HeaderSheet =
    "QToolButton { border: 1px solid #808080; border-top-color: #ffffff; border-left-color: #ffffff;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f2ec, stop:1 #cfcabc);"
    " font-weight: bold; padding: 0px 4px; text-align: left; }"
    "QToolButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fffbe6, stop:1 #e6d9a8); }";

const char* PageSheet = "background: #6d7f94;";

const char* ButtonSheet =
    "QToolButton { color: white; border: 1px solid transparent; border-radius: 3px; background: transparent; }"
    "QToolButton:hover { border-color: #c8d4e2; background: rgba(255,255,255,40); }"
    "QToolButton:pressed { border-color: #3a4656; background: rgba(0,0,0,50); }"
    "QToolButton:focus { border-color: #e8eef6; }";
} // namespace

NavBar::NavBar(const QString& objectName, QWidget* parent) : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    setObjectName(objectName);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

int NavBar::addGroup(const QString& caption)
{
    const int index = groupCount();
    const QString prefix = objectName() + QStringLiteral("Pages") + QString::number(index);

    Group g;
    g.header = new QToolButton(this);
    g.header->setObjectName(prefix + QStringLiteral("Header"));
    g.header->setText(caption);
    g.header->setToolButtonStyle(Qt::ToolButtonTextOnly);
    g.header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    g.header->setFixedHeight(HeaderHeight);
    g.header->setStyleSheet(QString::fromLatin1(HeaderSheet));
    g.header->setFocusPolicy(Qt::NoFocus);
    connect(g.header, &QToolButton::clicked, this, [this, index] { openGroup(index); });

    g.page = new QWidget(this);
    g.page->setObjectName(prefix);
    g.page->setAttribute(Qt::WA_StyledBackground, true);
    g.page->setStyleSheet(QString::fromLatin1(PageSheet));
    auto* pageLayout = new QVBoxLayout(g.page);
    pageLayout->setContentsMargins(6, 6, 6, 6);
    pageLayout->setSpacing(2);
    pageLayout->addStretch(1);
    g.page->setVisible(false);

    m_layout->addWidget(g.header);
    m_layout->addWidget(g.page, 1);
    m_groups.push_back(g);
    return index;
}

QToolButton* NavBar::addButton(int group, const QString& caption, const QIcon& icon)
{
    Group& g = const_cast<Group&>(groupAt(group));
    auto* b = new QToolButton(g.page);
    b->setObjectName(objectName() + QStringLiteral("Pages") + QString::number(group) + QStringLiteral("Buttons")
                     + QString::number(g.buttons.size()));
    b->setText(caption);
    b->setIcon(icon);
    b->setIconSize(QSize(32, 32));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setFixedHeight(ButtonHeight);
    b->setStyleSheet(QString::fromLatin1(ButtonSheet));
    auto* pageLayout = static_cast<QVBoxLayout*>(g.page->layout());
    // Keep the trailing stretch last so buttons stack from the top.
    pageLayout->insertWidget(pageLayout->count() - 1, b);
    g.buttons.push_back(b);
    return b;
}

void NavBar::openGroup(int group)
{
    groupAt(group);
    for (int i = 0; i < groupCount(); ++i)
        m_groups[static_cast<size_t>(i)].page->setVisible(i == group);
    if (m_open != group) {
        m_open = group;
        emit groupOpened(group);
    }
}

const NavBar::Group& NavBar::groupAt(int group) const
{
    if (group < 0 || group >= groupCount())
        throw std::out_of_range("NavBar: grupo fuera de rango");
    return m_groups[static_cast<size_t>(group)];
}

QToolButton* NavBar::groupHeader(int group) const
{
    return groupAt(group).header;
}

QToolButton* NavBar::button(int group, int index) const
{
    const Group& g = groupAt(group);
    if (index < 0 || index >= static_cast<int>(g.buttons.size()))
        throw std::out_of_range("NavBar: botón fuera de rango");
    return g.buttons[static_cast<size_t>(index)];
}

int NavBar::buttonCount(int group) const
{
    return static_cast<int>(groupAt(group).buttons.size());
}

} // namespace pordane::widgets
