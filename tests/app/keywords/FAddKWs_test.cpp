#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include "app/keywords/FAddKWs.h"
#include "app/shell/MMain.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/TestSupport.h"

namespace {

class FAddKWsTest : public testing::Test {
protected:
    void SetUp() override
    {
        MMain::DefaultSetRank = true;
        MMain::DefaultRank = 4;
    }
};

QStringList items(const zentrel::CKeyedCollection& kws)
{
    QStringList list;
    for (const QVariant& item : kws)
        list << item.toString();
    return list;
}

// Many times the longest text the box takes in one piece.
QString longText(int lines)
{
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("keyword number %1\r\n").arg(i);
    return text + QStringLiteral("last keyword");
}

// Counts the turns of the event loop.
class Heartbeat {
public:
    Heartbeat()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { ++m_beats; });
        m_timer.start();
    }
    int beats() const { return m_beats; }

private:
    QTimer m_timer;
    int m_beats = 0;
};

// The count is the number of keywords OK would take, and OK is there only when there is one.
TEST_F(FAddKWsTest, CountsTheKeywordsOkWouldTake)
{
    const struct {
        const char* text;
        int count;
    } cases[] = {
        {"", 0},
        {"a\r\n", 1},
        {"a\r\n\r\nb", 2},
        {"\r\n\r\n", 0},
        {" \r\n", 1},
        {"blue  widgets\r\nblue widgets\r\nBlue Widgets\r\nred", 2},
        {"one\u2028two\u2028\u2028three", 3},
        {"no\u00A0break\r\nno break", 1},
    };
    FAddKWs dialog;
    dialog.init(nullptr, QString());
    dialog.show();
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(text.toStdString());
        dialog.setText(text);
        EXPECT_EQ(dialog.statusText(), QStringLiteral("Total %1 Lines.").arg(c.count));
        EXPECT_EQ(dialog.KWs().Count(), c.count);
        EXPECT_EQ(dialog.cmdOK()->isEnabled(), c.count >= 1);
    }
}

// Shift+Enter puts a line separator inside the block: three keywords, one block.
TEST_F(FAddKWsTest, ShiftEnterLinesCountEach)
{
    FAddKWs dialog;
    dialog.init(nullptr, QString());
    dialog.show();
    QPlainTextEdit* text = dialog.txtKWs();
    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("blue"));
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(text, QStringLiteral("red"));
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(text, QStringLiteral("green"));
    ASSERT_EQ(text->blockCount(), 1);
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Total 3 Lines."));
    EXPECT_EQ(dialog.KWs().Count(), 3);
}

// Edits anywhere (new lines, joined lines, a repeated keyword, undo) keep the count equal to what
// the split takes.
TEST_F(FAddKWsTest, TheCountFollowsEveryEdit)
{
    FAddKWs dialog;
    dialog.init(nullptr, QStringLiteral("alpha\r\nbeta\r\ngamma\r\ndelta"));
    dialog.show();
    QPlainTextEdit* text = dialog.txtKWs();
    text->setFocus();
    const auto count = [&] { return dialog.statusText().section(u' ', 1, 1).toInt(); };
    const auto expectSplitCount = [&](const char* step) {
        EXPECT_EQ(count(), dialog.KWs().Count()) << step;
    };
    expectSplitCount("start");
    text->moveCursor(QTextCursor::End);
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, QStringLiteral("ALPHA"));
    expectSplitCount("a repeat in other letters");
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(text, QStringLiteral("epsilon"));
    expectSplitCount("a line separator");
    text->moveCursor(QTextCursor::Start);
    text->moveCursor(QTextCursor::EndOfBlock);
    QTest::keyClick(text, Qt::Key_Delete);
    expectSplitCount("two lines joined");
    EXPECT_EQ(count(), 5); // alphabeta, gamma, delta, alpha, epsilon
    QTextCursor all = text->textCursor();
    all.movePosition(QTextCursor::Start);
    all.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 2);
    text->setTextCursor(all);
    QTest::keyClick(text, Qt::Key_Backspace);
    expectSplitCount("lines cut");
    EXPECT_EQ(count(), 3);
    text->undo();
    expectSplitCount("undone");
    EXPECT_EQ(count(), 5);
    text->selectAll();
    QTest::keyClick(text, Qt::Key_Delete);
    EXPECT_EQ(count(), 0);
    EXPECT_FALSE(dialog.cmdOK()->isEnabled());
}

TEST_F(FAddKWsTest, KeywordsOncePerLineWithSingleBlanks)
{
    FAddKWs dialog;
    dialog.init(nullptr, QStringLiteral("blue  widgets\r\n\r\n\r\nred   gadgets\r\nblue widgets\r\n"
                                        " spaced \r\nBlue Widgets"));
    EXPECT_EQ(items(dialog.KWs()), (QStringList{"blue widgets", "red gadgets", " spaced "}));
}

TEST_F(FAddKWsTest, RankChoiceCarriesOverAfterOkOnly)
{
    {
        FAddKWs dialog;
        dialog.init(nullptr, QStringLiteral("kw"));
        dialog.show();
        EXPECT_TRUE(dialog.SetRank());
        EXPECT_EQ(dialog.SelectedRank(), 4);
        dialog.chkSetRank()->click();
        EXPECT_FALSE(dialog.SetRank());
        EXPECT_FALSE(dialog.optRank(2)->isEnabled());
        dialog.optRank(2)->setChecked(true);
        EXPECT_EQ(dialog.SelectedRank(), 2); // still reported while disabled
        dialog.cmdOK()->click();
        EXPECT_TRUE(dialog.OKPressed());
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_FALSE(MMain::DefaultSetRank);
    EXPECT_EQ(MMain::DefaultRank, 2);
    {
        FAddKWs dialog;
        dialog.init(nullptr, QStringLiteral("kw"));
        dialog.show();
        EXPECT_FALSE(dialog.chkSetRank()->isChecked());
        EXPECT_FALSE(dialog.optRank(5)->isEnabled());
        EXPECT_TRUE(dialog.optRank(2)->isChecked());
        dialog.chkSetRank()->click();
        dialog.optRank(5)->setChecked(true);
        dialog.reject();
        EXPECT_FALSE(dialog.OKPressed());
    }
    EXPECT_FALSE(MMain::DefaultSetRank);
    EXPECT_EQ(MMain::DefaultRank, 2);
}

TEST_F(FAddKWsTest, ShownAgainRestoresTheChoiceAndClosingCancels)
{
    FAddKWs dialog;
    dialog.init(nullptr, QStringLiteral("kw"));
    dialog.show();
    dialog.optRank(1)->setChecked(true);
    dialog.accept();
    dialog.setText(QStringLiteral("rejected one"));
    dialog.show();
    EXPECT_FALSE(dialog.OKPressed());
    EXPECT_TRUE(dialog.optRank(1)->isChecked());
    dialog.close();
    EXPECT_FALSE(dialog.OKPressed());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_GE(dialog.minimumWidth(), 5175 / 15);
    EXPECT_GE(dialog.minimumHeight(), 4605 / 15);
}

TEST_F(FAddKWsTest, PasteTakesTheClipboardKeywords)
{
    FAddKWs dialog;
    dialog.init(nullptr, QStringLiteral("old"));
    QApplication::clipboard()->setText(QStringLiteral("blue widgets\n2005 red widgets\n\ngadgets"));
    dialog.cmdPaste()->click();
    EXPECT_EQ(dialog.Text(), QStringLiteral("blue widgets\r\nred widgets\r\ngadgets"));
    QApplication::clipboard()->clear();
    dialog.cmdPaste()->click();
    EXPECT_EQ(dialog.Text(), QString());
}

TEST_F(FAddKWsTest, LongTextGoesInAPieceAtATimeWhileEventsAreHandled)
{
    // A no-break space comes back as a blank and a paragraph separator as a line break, whether
    // the line is in the box yet or not.
    const QString text = longText(100000) + QStringLiteral("\r\nno\u00a0break\u2029end");
    const QString expected = longText(100000) + QStringLiteral("\r\nno break\r\nend");
    FAddKWs dialog;
    const Heartbeat heartbeat;
    QList<int> beatsAtChange;
    QObject::connect(dialog.txtKWs(), &QPlainTextEdit::textChanged, &dialog,
                     [&] { beatsAtChange << heartbeat.beats(); });
    dialog.init(nullptr, text);
    dialog.show();
    EXPECT_TRUE(dialog.isLoading());
    EXPECT_EQ(dialog.Text(), expected);
    EXPECT_FALSE(dialog.cmdOK()->isEnabled());
    EXPECT_TRUE(dialog.txtKWs()->isReadOnly());

    ASSERT_TRUE(
        testsupport::waitUntil([&] { return !dialog.isLoading(); }, std::chrono::minutes(2)));
    EXPECT_EQ(dialog.Text(), expected);
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Total 100003 Lines."));
    EXPECT_TRUE(dialog.cmdOK()->isEnabled());
    EXPECT_FALSE(dialog.txtKWs()->isReadOnly());
    EXPECT_EQ(dialog.KWs().Count(), 100003);
    ASSERT_GE(beatsAtChange.size(), 2);
    EXPECT_GT(beatsAtChange.last(), beatsAtChange.first());
}

TEST_F(FAddKWsTest, NewTextWhileALongOneGoesInReplacesIt)
{
    FAddKWs dialog;
    dialog.init(nullptr, longText(100000));
    dialog.show();
    QApplication::processEvents();
    QApplication::clipboard()->setText(QStringLiteral("pasted keyword"));
    dialog.cmdPaste()->click();
    EXPECT_FALSE(dialog.isLoading());
    EXPECT_EQ(dialog.Text(), QStringLiteral("pasted keyword"));
    EXPECT_TRUE(dialog.cmdOK()->isEnabled());
    const Heartbeat heartbeat;
    testsupport::waitUntil([&] { return heartbeat.beats() >= 10; });
    EXPECT_EQ(dialog.Text(), QStringLiteral("pasted keyword"));
}

} // namespace
