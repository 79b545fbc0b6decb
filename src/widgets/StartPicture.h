// The start page's picture (149 x 150): a globe with an FTP server and the
// up and down arrows of a transfer, painted at any device pixel ratio.
#pragma once

#include <QWidget>

namespace pordane::widgets {

class StartPicture : public QWidget {
    Q_OBJECT
public:
    static constexpr int Width = 149;
    static constexpr int Height = 150;

    explicit StartPicture(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {Width, Height}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pordane::widgets
