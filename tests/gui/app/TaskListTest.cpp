// The task-list control on its own: marks, range checks and where it paints.
#include "widgets/TaskList.h"
#include "widgets/ImageList.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <stdexcept>

namespace pordane::testsupport {
namespace {

class TaskListTest : public ::testing::Test {
protected:
    widgets::ImageList images = widgets::makeImageList1();
    widgets::TaskList list{images};

    void SetUp() override
    {
        list.setLines({QStringLiteral("uno"), QStringLiteral("dos"), QStringLiteral("tres")});
        list.resize(220, list.sizeHint().height());
    }

    // Rows of the rendered control that hold green (the tick icon) pixels.
    std::pair<int, int> greenRows()
    {
        const QImage img = list.grab().toImage();
        int first = -1;
        int last = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < 40; ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.green() > 120 && c.red() < 120 && c.blue() < 120) {
                    if (first < 0)
                        first = y;
                    last = y;
                }
            }
        return {first, last};
    }
};

TEST_F(TaskListTest, LinesStartWithTheDefaultImageInRegularStyle)
{
    ASSERT_EQ(list.count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.image(i), widgets::TaskList::DefaultImage);
        EXPECT_EQ(list.image(i), 2);
        EXPECT_FALSE(list.bold(i));
    }
    EXPECT_EQ(list.text(1).toStdString(), "dos");
}

TEST_F(TaskListTest, MarkingALineChangesOnlyThatLine)
{
    list.setLine(1, 4, true);
    EXPECT_EQ(list.image(1), 4);
    EXPECT_TRUE(list.bold(1));
    EXPECT_EQ(list.image(0), 2);
    EXPECT_FALSE(list.bold(2));
    list.setLine(1, 2, false);
    EXPECT_EQ(list.image(1), 2);
    EXPECT_FALSE(list.bold(1));
}

TEST_F(TaskListTest, OutOfRangeLinesAndImagesThrow)
{
    EXPECT_THROW(list.setLine(3, 1, true), std::out_of_range);
    EXPECT_THROW(list.setLine(-1, 1, true), std::out_of_range);
    EXPECT_THROW((void)list.image(3), std::out_of_range);
    EXPECT_THROW((void)list.bold(-1), std::out_of_range);
    EXPECT_THROW((void)list.text(7), std::out_of_range);
    EXPECT_THROW(list.setLine(0, 6, true), std::out_of_range) << "ImageList1 has six images";
    // A refused mark leaves the line as it was.
    EXPECT_EQ(list.image(0), 2);
    EXPECT_FALSE(list.bold(0));
}

TEST_F(TaskListTest, LinesAreSevenPixelsApart)
{
    EXPECT_EQ(list.lineSpacing(), 7);
    EXPECT_EQ(list.lineTop(1) - list.lineTop(0), list.textHeight() + 7);
    EXPECT_EQ(list.lineTop(2) - list.lineTop(1), list.textHeight() + 7);
}

TEST_F(TaskListTest, IconIsPaintedLeftOfTheTextCentredOnItsLine)
{
    list.setLine(2, 1, true); // green tick on the third line
    const auto [first, last] = greenRows();
    ASSERT_GE(first, 0) << "the tick was not painted";
    const int top = list.lineTop(2);
    const int h = list.textHeight();
    EXPECT_GE(first, top);
    EXPECT_LE(last, top + h);
    // Centred: equal room above and below within a pixel or two.
    const int above = first - top;
    const int below = top + h - 1 - last;
    EXPECT_LE(std::abs(above - below), 3) << "above " << above << " below " << below;

    // Moving the mark moves the painting.
    list.setLine(2, 2, false);
    list.setLine(0, 1, true);
    const auto [first0, last0] = greenRows();
    EXPECT_GE(first0, list.lineTop(0));
    EXPECT_LE(last0, list.lineTop(0) + h);
}

} // namespace
} // namespace pordane::testsupport
