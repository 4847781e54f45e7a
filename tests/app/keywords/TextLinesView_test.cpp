#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QScrollBar>
#include <QStringList>
#include <QTest>

#include "app/keywords/TextLinesView.h"

namespace {

QStringList linesOf(const TextLinesView& view)
{
    QStringList lines;
    for (qsizetype i = 0; i < view.lineCount(); ++i)
        lines << view.line(i);
    return lines;
}

QString numberedLines(int count, const QString& tail = {})
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("keyword %1%2\r\n").arg(i).arg(i == count / 2 ? tail : QString());
    return text;
}

void clickLine(TextLinesView& view, qsizetype index, Qt::KeyboardModifiers modifiers = {})
{
    const int height = view.fontMetrics().lineSpacing();
    const auto row = static_cast<int>(index - view.firstVisibleLine());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers,
                      QPoint(10, row * height + height / 2));
}

TEST(TextLinesView, SplitsTheTextAtLineBreaks)
{
    struct Case {
        const char* text;
        QStringList lines;
    };
    const Case cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\r\n", {"one"}},
        {"one\r\ntwo", {"one", "two"}},
        {"one\n\ntwo\n", {"one", "", "two"}},
        {"\r\n", {""}},
        {"a\rb\r\n", {"a\rb"}},
    };
    TextLinesView view;
    for (const Case& c : cases) {
        view.setText(QString::fromLatin1(c.text));
        EXPECT_EQ(linesOf(view), c.lines) << c.text;
        EXPECT_EQ(view.text(), QString::fromLatin1(c.text));
    }
    EXPECT_TRUE(view.line(-1).isNull());
    EXPECT_TRUE(view.line(view.lineCount()).isNull());
}

TEST(TextLinesView, CopiesTheSelectedLinesAsTheyStand)
{
    TextLinesView view;
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setText(QStringLiteral("alpha\r\nbeta\r\ngamma\r\ndelta"));
    EXPECT_FALSE(view.hasSelection());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before")); // nothing selected

    clickLine(view, 1);
    clickLine(view, 2, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QStringLiteral("beta\r\ngamma\r\n"));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("beta\r\ngamma\r\n"));

    clickLine(view, 3); // a plain click starts a new selection; the last line has no break
    EXPECT_EQ(view.selectedText(), QStringLiteral("delta"));
    clickLine(view, 10); // below the last line: the last line
    EXPECT_EQ(view.selectedText(), QStringLiteral("delta"));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view.selectedText(), view.text());

    view.setText(QStringLiteral("new"));
    EXPECT_FALSE(view.hasSelection());
}

TEST(TextLinesView, PaintsTheSelectedLineHighlighted)
{
    TextLinesView view;
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setText(numberedLines(20));
    clickLine(view, 1);
    const QImage image = view.viewport()->grab().toImage();
    const int height = view.fontMetrics().lineSpacing();
    const QColor highlight = view.palette().color(QPalette::Highlight);
    EXPECT_EQ(image.pixelColor(image.width() - 2, height + height / 2), highlight);
    EXPECT_NE(image.pixelColor(image.width() - 2, height / 2), highlight);
}

TEST(TextLinesView, KeysAndScrollBarsReachEveryLine)
{
    TextLinesView view;
    view.resize(200, 150);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setText(numberedLines(100000, QString(300, QLatin1Char('x'))));
    ASSERT_EQ(view.lineCount(), 100000);
    const int page = view.verticalScrollBar()->pageStep();
    ASSERT_GT(page, 0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 100000 - page);

    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(view.firstVisibleLine(), 100000 - page);
    QTest::keyClick(&view, Qt::Key_PageUp);
    EXPECT_EQ(view.firstVisibleLine(), 100000 - 2 * page);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.firstVisibleLine(), 100000 - 2 * page + 1);
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(view.firstVisibleLine(), 0);

    // the long line in the middle is reachable sideways
    const int longWidth =
        view.fontMetrics().horizontalAdvance(view.line(50000)) - view.viewport()->width();
    EXPECT_GE(view.horizontalScrollBar()->maximum(), longWidth);
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_GT(view.horizontalScrollBar()->value(), 0);

    // a selection dragged below the view scrolls it along
    clickLine(view, 0);
    const int height = view.fontMetrics().lineSpacing();
    QMouseEvent drag(QEvent::MouseMove, QPointF(10, view.viewport()->height() + height),
                     view.viewport()->mapToGlobal(QPointF(10, view.viewport()->height() + height)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drag);
    EXPECT_GT(view.firstVisibleLine(), 0);
    EXPECT_TRUE(view.selectedText().startsWith(QStringLiteral("keyword 0\r\nkeyword 1\r\n")));
}

} // namespace
