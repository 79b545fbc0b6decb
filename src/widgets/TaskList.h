// Owner-drawn list of task lines (Tareas, TareasPuertos): each line shows an
// icon of ImageList1 left of its text, and is drawn bold or regular.
#pragma once

#include "widgets/ImageList.h"

#include <QStringList>
#include <QWidget>

#include <vector>

namespace pordane::widgets {

class TaskList : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultImage = 2;

    // `images` must outlive the control (the window owns both).
    TaskList(const ImageList& images, QWidget* parent = nullptr);

    // Replaces all lines; each starts with the default image, regular style.
    void setLines(const QStringList& lines);
    int count() const { return static_cast<int>(m_lines.size()); }
    QString text(int index) const;

    // Marks one line and repaints. Throws std::out_of_range outside 0..count()-1.
    void setLine(int index, int image, bool bold);
    int image(int index) const;
    bool bold(int index) const;

    int lineSpacing() const { return m_lineSpacing; }
    void setLineSpacing(int pixels);
    int imageOffset() const { return m_imageOffset; }
    void setImageOffset(int pixels);

    // Top of line `index` in widget coordinates and the height of one text line.
    int lineTop(int index) const;
    int textHeight() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Line {
        QString text;
        int image = DefaultImage;
        bool bold = false;
    };
    const Line& at(int index) const;
    Line& at(int index);

    const ImageList& m_images;
    std::vector<Line> m_lines;
    int m_lineSpacing = 7;
    int m_imageOffset = 5;
};

} // namespace pordane::widgets
