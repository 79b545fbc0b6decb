// Fixed lists of small icons painted with QPainter, so they stay crisp at any
// device pixel ratio: ImageList1 (16 x 16 state icons) and ImageList2
// (32 x 32 navigation icons).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>

#include <functional>
#include <vector>

class QPainter;

namespace pordane::widgets {

class ImageList {
public:
    // Draws one icon into the given rectangle (any size, any painter scale).
    using Painter = std::function<void(QPainter&, const QRectF&)>;

    ImageList(int size, std::vector<Painter> painters);

    int count() const { return static_cast<int>(m_painters.size()); }
    int size() const { return m_size; }

    // Paints icon `index` at size() logical pixels into `target` at (x, y).
    // Throws std::out_of_range for an index outside 0..count()-1.
    void draw(QPainter& painter, int x, int y, int index) const;
    // A size() x size() logical-pixel pixmap for the given device pixel ratio.
    QPixmap pixmap(int index, qreal devicePixelRatio = 1.0) const;
    // An icon that paints itself afresh for every requested size and scale.
    QIcon icon(int index) const;

private:
    const Painter& painterAt(int index) const;

    int m_size;
    std::vector<Painter> m_painters;
};

// Six 16 x 16 icons: 0 black right arrow (running), 1 green tick (passed),
// 2 small black dot (waiting), 3 red circle with a white cross (failed
// operation), 4 yellow warning triangle (failed), 5 question mark (probing).
ImageList makeImageList1(); // indexes: views/ImageList1.h

// Four 32 x 32 navigation icons: 0 speed gauge, 1 folder with a key
// (permissions), 2 linked computers (connectivity), 3 list / settings sheet.
ImageList makeImageList2();

} // namespace pordane::widgets
