#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

#include "app/shell/CSplitter.h"
#include "app/shell/MMinMaxInfo.h"
#include "app/shell/MScreenSize.h"
#include "app/shell/StaticLine.h"

TEST(MScreenSize, WorkAreaIsTheScreensAvailableArea)
{
    int left = -1;
    int top = -1;
    int height = -1;
    int width = -1;
    MScreenSize::GetWorkArea(left, top, height, width);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(QRect(left, top, width, height), area);
}

TEST(MMinMaxInfo, MinimumSizesFromTwipsAndMaximumTheWorkArea)
{
    QWidget window;
    const int tpp = MScreenSize::TwipsPerPixelY();
    ASSERT_GT(tpp, 0);
    MMinMaxInfo::HookFMain(&window);
    EXPECT_TRUE(MMinMaxInfo::isHooked(&window));
    EXPECT_EQ(window.minimumSize(), QSize(6540 / tpp, 7065 / tpp));
    const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_EQ(window.maximumSize(), available.expandedTo(window.minimumSize()));

    window.resize(10, 10);
    EXPECT_EQ(window.size(), window.minimumSize());
    window.resize(available.width() + 500, available.height() + 500);
    EXPECT_LE(window.width(), available.width());

    MMinMaxInfo::UnhookFMain(&window);
    EXPECT_FALSE(MMinMaxInfo::isHooked(&window));
    EXPECT_EQ(window.minimumSize(), QSize(0, 0));

    QWidget dialog;
    MMinMaxInfo::HookFAddKWs(&dialog);
    EXPECT_EQ(dialog.minimumSize(), QSize(5175 / tpp, 4605 / tpp));
    MMinMaxInfo::HookFImportFromCache(&dialog); // hooking again replaces the sizes
    EXPECT_EQ(dialog.minimumSize(), QSize(9500 / tpp, 4500 / tpp));
    MMinMaxInfo::HookFMoveToGroup(&dialog);
    EXPECT_EQ(dialog.minimumSize(), QSize(4965 / tpp, 4605 / tpp));
}

TEST(MScreenSize, TwipsAtNinetySixDotsPerInch)
{
    if (qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()) != 96)
        GTEST_SKIP() << "screen is not at 96 dpi";
    EXPECT_EQ(MScreenSize::TwipsPerPixelY(), 15);
    EXPECT_EQ(MScreenSize::twipsToPixels(6540), 436);
    EXPECT_EQ(MScreenSize::twipsToPixels(7065), 471);
}

namespace {

struct SplitterFixture {
    QWidget owner;
    QSplitter* splitter = new QSplitter(&owner);
    QLabel* top = new QLabel(QStringLiteral("top"), splitter);
    QLabel* bottom = new QLabel(QStringLiteral("bottom"), splitter);
    CSplitter cs;

    SplitterFixture()
    {
        owner.resize(300, 400);
        splitter->setGeometry(0, 0, 300, 400);
        cs.init(splitter, 0, &owner);
        splitter->setSizes({200, 200});
        owner.show();
    }
};

} // namespace

TEST(CSplitter, MovesOnlyBeyondTheMinimumStep)
{
    SplitterFixture f;
    EXPECT_EQ(f.splitter->orientation(), Qt::Vertical);
    const int start = f.cs.barPosition();
    const float half = static_cast<float>(f.cs.barSize()) / 2.0f;

    f.cs.splitterMove(half + 50); // not dragging: nothing
    EXPECT_EQ(f.cs.barPosition(), start);

    f.cs.splitterDown();
    EXPECT_TRUE(f.cs.isMoving());
    f.cs.splitterMove(half + 8);
    EXPECT_EQ(f.cs.barPosition(), start);
    f.cs.splitterMove(half + 9);
    EXPECT_EQ(f.cs.barPosition(), start + 9);
    f.cs.splitterUp();
    EXPECT_FALSE(f.cs.isMoving());
}

TEST(CSplitter, HighlightsAndKeepsTheCursorWhileDragging)
{
    SplitterFixture f;
    QWidget* handle = f.splitter->handle(1);
    const QColor normal = handle->palette().color(QPalette::Window);
    f.cs.splitterUp(); // without a drag: nothing changes
    EXPECT_EQ(handle->palette().color(QPalette::Window), normal);

    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(5, 1));
    EXPECT_TRUE(f.cs.isMoving());
    EXPECT_EQ(handle->palette().color(QPalette::Window), f.cs.miSelColor);
    EXPECT_EQ(f.owner.cursor().shape(), Qt::SplitVCursor);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(5, 1));
    EXPECT_FALSE(f.cs.isMoving());
    EXPECT_EQ(handle->palette().color(QPalette::Window), normal);
    EXPECT_EQ(f.owner.cursor().shape(), Qt::ArrowCursor);
}

TEST(CSplitter, AlignKeepsTheGap)
{
    SplitterFixture f;
    f.cs.miGap = 4;
    f.cs.alignCtl(f.top, true);
    f.cs.alignCtl(f.bottom, false);
    EXPECT_EQ(f.top->contentsMargins(), QMargins(0, 0, 0, 8));
    EXPECT_EQ(f.bottom->contentsMargins(), QMargins(0, 4, 0, 0));
    f.cs.alignCtl(nullptr, true); // ignored
}

TEST(StaticLine, IsASunkenLine)
{
    StaticLine line;
    EXPECT_EQ(line.frameShape(), QFrame::HLine);
    EXPECT_EQ(line.frameShadow(), QFrame::Sunken);
}
