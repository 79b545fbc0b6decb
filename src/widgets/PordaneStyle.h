// The visual style "Pordane Clásico": Fusion shapes with a classic grey
// palette, navy selection and the window font Tahoma 8 pt.
#pragma once

#include <QFont>
#include <QProxyStyle>

namespace pordane::widgets {

class PordaneStyle : public QProxyStyle {
    Q_OBJECT
public:
    PordaneStyle();

    static QString styleName();
    QPalette standardPalette() const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

// Tahoma 8 pt; where Tahoma is missing, a sans font of similar metrics.
// Registers the Tahoma files shipped by Wine's font package on first use.
QFont pordaneFont();

// Moves a window without an owner to the centre of the primary screen.
void centreOnScreen(QWidget& window);

// Applies the style, its palette and font to the whole application.
void applyPordaneStyle();

} // namespace pordane::widgets
