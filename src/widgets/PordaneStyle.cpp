// "Pordane Clásico": the program's own look, independent of the desktop theme.
#include "widgets/PordaneStyle.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QStyleFactory>

namespace pordane::widgets {

namespace {

void registerTahoma()
{
    static const bool done = [] {
        // Windows has Tahoma as a system font; on Linux, Wine's font package
        // ships a metric-compatible one outside fontconfig's search path. Only
        // the regular face is registered: Wine's bold face renders hardly
        // heavier than the regular one, so bold text is emboldened from it.
        const char* candidates[] = {"/usr/share/wine/fonts/tahoma.ttf"};
        for (const char* path : candidates) {
            const QString file = QString::fromLatin1(path);
            if (QFile::exists(file))
                QFontDatabase::addApplicationFont(file);
        }
        return true;
    }();
    (void)done;
}

} // namespace

PordaneStyle::PordaneStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
    setObjectName(styleName());
}

QString PordaneStyle::styleName()
{
    return QStringLiteral("Pordane Clásico");
}

QPalette PordaneStyle::standardPalette() const
{
    const QColor face(0xd4, 0xd0, 0xc8);
    const QColor navy(0x0a, 0x24, 0x6a);
    QPalette pal(Qt::black, face, Qt::white, QColor(0x80, 0x80, 0x80), QColor(0xa0, 0xa0, 0xa0), Qt::black,
                 Qt::white, Qt::white, face);
    pal.setColor(QPalette::Highlight, navy);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe1));
    pal.setColor(QPalette::ToolTipText, Qt::black);
    pal.setColor(QPalette::Link, navy);
    pal.setColor(QPalette::AlternateBase, QColor(0xf0, 0xee, 0xe8));
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    pal.setColor(QPalette::Disabled, QPalette::Base, face);
    return pal;
}

int PordaneStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_SmallIconSize:
    case PM_ListViewIconSize:
        return 16;
    case PM_ButtonIconSize:
        return 16;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int PordaneStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* returnData) const
{
    switch (hint) {
    case SH_ItemView_ShowDecorationSelected:
        return 1;
    case SH_UnderlineShortcut:
        return 0;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

void centreOnScreen(QWidget& window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), window.size());
        r.moveCenter(screen->availableGeometry().center());
        window.move(r.topLeft());
    }
}

QFont pordaneFont()
{
    registerTahoma();
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    return f;
}

void applyPordaneStyle()
{
    auto* style = new PordaneStyle;
    QApplication::setStyle(style); // the application takes ownership
    QApplication::setPalette(style->standardPalette());
    QApplication::setFont(pordaneFont());
}

} // namespace pordane::widgets
