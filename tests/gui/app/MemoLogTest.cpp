// The permissions log (MemoLog) as a run fills it: lines added and completed
// in place, long ones wrapping; the newest line stays in sight.
#include "app/ViewAdapters.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <string>

namespace pordane::testsupport {
namespace {

class MemoLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The size the permissions page gives it: about 15 lines of 30 characters.
        memo.setGeometry(0, 0, 240, 170);
        memo.setReadOnly(true);
        memo.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&memo));
    }

    // What a run writes per operation: the line, then its outcome.
    void operation(const std::string& text, const char* outcome = "...OK")
    {
        log.appendLine(text);
        // The run pumps the event loop while the operation goes on.
        QCoreApplication::processEvents();
        log.completeLastLine(outcome);
        QCoreApplication::processEvents();
    }

    // A line that just fits on one row of the memo, so that its outcome
    // ("...OK") wraps onto a second.
    std::string fullRow(const char* start)
    {
        const QFontMetrics fm(memo.font());
        const int room = memo.viewport()->width() - 2 * static_cast<int>(memo.document()->documentMargin()) - 4;
        QString text = QString::fromUtf8(start);
        while (fm.horizontalAdvance(text + QStringLiteral(" xx")) < room)
            text += QStringLiteral(" xx");
        return text.toStdString();
    }

    // True when the document's last line is inside the viewport.
    bool lastLineVisible()
    {
        QTextCursor end(memo.document());
        end.movePosition(QTextCursor::End);
        const QRect r = memo.cursorRect(end);
        return memo.viewport()->rect().contains(r);
    }

    QPlainTextEdit memo;
    app::LogAdapter log{memo};
};

TEST_F(MemoLog, TheNewestLineStaysInSightWhenCompletedLinesWrap)
{
    operation("Conectando a 127.0.0.11");
    for (int i = 0; i < 12; ++i) {
        operation(fullRow("Descargando archivo"));
        ASSERT_EQ(memo.document()->lastBlock().layout()->lineCount(), 2) << "the outcome wraps";
    }
    operation("[Desconexión realizada]", "");
    EXPECT_TRUE(lastLineVisible()) << "scroll " << memo.verticalScrollBar()->value() << " of "
                                   << memo.verticalScrollBar()->maximum();
    EXPECT_EQ(memo.document()->lastBlock().text().toStdString(), "[Desconexión realizada]");

    // Cleared for the next run, filled again: at the bottom again.
    log.clear();
    EXPECT_EQ(memo.verticalScrollBar()->value(), 0);
    for (int i = 0; i < 20; ++i)
        operation("Subiendo archivo " + std::to_string(i));
    EXPECT_TRUE(lastLineVisible());
}

TEST_F(MemoLog, AUserWhoScrolledBackIsBroughtToTheNewLine)
{
    for (int i = 0; i < 30; ++i)
        operation("Línea " + std::to_string(i));
    memo.verticalScrollBar()->setValue(0);
    operation("Borrando archivo test.txt", "...FALLO");
    EXPECT_TRUE(lastLineVisible());
    EXPECT_TRUE(memo.document()->lastBlock().text().endsWith(QStringLiteral("...FALLO")));
}

} // namespace
} // namespace pordane::testsupport
