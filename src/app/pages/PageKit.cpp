// Shared page builders.
#include "app/pages/PageKit.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace pordane::app::pages {

QWidget* makePage(QWidget* parent, const QString& name)
{
    auto* page = new QWidget(parent);
    page->setObjectName(name);
    page->setFixedSize(PageWidth, PageHeight);
    return page;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry, bool bold)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QWidget* makeHeaderStrip(QWidget* page, const QString& name, const QString& caption)
{
    auto* strip = new QWidget(page);
    strip->setObjectName(name);
    strip->setGeometry(0, 0, PageWidth, 24);
    strip->setAutoFillBackground(true);
    QPalette pal = strip->palette();
    pal.setColor(QPalette::Window, HeaderStripColour);
    strip->setPalette(pal);
    auto* l = makeLabel(strip, name + QStringLiteral("Caption"), caption, QRect(8, 0, PageWidth - 16, 24), true);
    l->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    return strip;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    return b;
}

QProgressBar* makeGauge(QWidget* parent, const QString& name, const QRect& geometry, const QColor& chunk,
                        const QColor& background)
{
    auto* g = new QProgressBar(parent);
    g->setObjectName(name);
    g->setGeometry(geometry);
    g->setRange(0, 100);
    g->setValue(0);
    g->setTextVisible(true);
    g->setAlignment(Qt::AlignCenter);
    QString sheet = QStringLiteral("QProgressBar { border: 1px solid #808080; %1 }"
                                   "QProgressBar::chunk { background: %2; }")
                        .arg(background.isValid()
                                 ? QStringLiteral("background: %1; color: white;").arg(background.name())
                                 : QString(),
                             chunk.name());
    g->setStyleSheet(sheet);
    return g;
}

QTreeWidget* makeReportList(QWidget* parent, const QString& name, std::initializer_list<Column> columns,
                            const QRect& geometry)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setGeometry(geometry);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setIconSize(QSize(16, 16));
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    QStringList captions;
    for (const Column& c : columns)
        captions << c.caption;
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHeaderLabels(captions);
    int i = 0;
    for (const Column& c : columns) {
        if (c.width == 0)
            list->setColumnHidden(i, true);
        else
            list->setColumnWidth(i, c.width);
        ++i;
    }
    return list;
}

} // namespace pordane::app::pages
