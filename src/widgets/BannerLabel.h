// The start page's banner: a word in large bold type over a faded mirror image.
#pragma once

#include <QWidget>

namespace pordane::widgets {

class BannerLabel : public QWidget {
    Q_OBJECT
public:
    explicit BannerLabel(const QString& text, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    // Pixel size of the banner type.
    int textPixelSize() const { return m_pixelSize; }
    void setTextPixelSize(int px);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont bannerFont() const;

    QString m_text;
    int m_pixelSize = 44;
};

} // namespace pordane::widgets
