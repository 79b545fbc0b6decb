// Entry of every GUI test binary: offscreen platform, one QApplication with
// the program's own style, GoogleTest.
#include "widgets/PordaneStyle.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pordane"));
    pordane::widgets::applyPordaneStyle();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
