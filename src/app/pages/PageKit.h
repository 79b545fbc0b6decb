// Small builders shared by the page files: every control is placed at fixed
// design coordinates and named by its designer name.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include <initializer_list>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace pordane::app::pages {

// The page area right of the navigation strip.
inline constexpr int PageWidth = 517;
inline constexpr int PageHeight = 391;

// Light yellow of the page header strips (the designer's colour 8454143, $0080FFFF).
inline const QColor HeaderStripColour{0xff, 0xff, 0x80};

QWidget* makePage(QWidget* parent, const QString& name);
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry,
                  bool bold = false);
// A full-width coloured strip at the top of a page with a bold caption.
// The caption label is named `name` + "Caption".
QWidget* makeHeaderStrip(QWidget* page, const QString& name, const QString& caption);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry);
QProgressBar* makeGauge(QWidget* parent, const QString& name, const QRect& geometry, const QColor& chunk,
                        const QColor& background = QColor());

struct Column {
    QString caption;
    int width; // 0 hides the column
};
// Report-style list: read-only, whole-row selection, fixed columns.
QTreeWidget* makeReportList(QWidget* parent, const QString& name, std::initializer_list<Column> columns,
                            const QRect& geometry);

} // namespace pordane::app::pages
