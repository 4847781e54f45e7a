#include <atomic>
#include <chrono>
#include <thread>

#include <QApplication>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "app/shell/DatabaseWork.h"
#include "engine/database/DBaser.h"
#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

using namespace std::chrono_literals;

namespace {

// Waits on the working thread until the condition holds or the deadline passes.
bool waitFor(const std::atomic<bool>& condition, std::chrono::milliseconds deadline = 10s)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(2ms);
    return condition;
}

QProgressDialog* shownProgress()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QProgressDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

class DatabaseWorkTest : public ::testing::Test {
protected:
    DatabaseWorkTest() { m_window.show(); }
    QWidget m_window;
    zentrel::DBaser m_db;
};

TEST_F(DatabaseWorkTest, TheUserInterfaceThreadRunsItsEventsWhileTheWorkRuns)
{
    std::atomic<bool> ticked = false;
    bool ran = false;
    DatabaseWork::run(&m_window, m_db, [&] {
        QMetaObject::invokeMethod(
            &m_window, [&] { ticked = true; }, Qt::QueuedConnection);
        ran = waitFor(ticked);
    });
    EXPECT_TRUE(ran) << "a timer of the user-interface thread fired during the work";
}

TEST_F(DatabaseWorkTest, ALongStepIsNamedInAProgressDialog)
{
    const QString step = QStringLiteral("Building the keyword index of the keywords database...");
    std::atomic<bool> named = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (const QProgressDialog* dialog = shownProgress(); dialog && dialog->labelText() == step)
            named = true;
    });
    poll.start(10);
    bool seen = false;
    DatabaseWork::run(&m_window, m_db, [&] {
        emit m_db.WorkStep(step);
        seen = waitFor(named);
    });
    EXPECT_TRUE(seen);
    EXPECT_EQ(shownProgress(), nullptr) << "gone once the work is done";
}

TEST_F(DatabaseWorkTest, AShortWorkShowsNoDialog)
{
    bool shown = true;
    DatabaseWork::run(&m_window, m_db, [&] { shown = false; });
    QApplication::processEvents();
    EXPECT_FALSE(shown);
    EXPECT_EQ(shownProgress(), nullptr);
}

TEST_F(DatabaseWorkTest, AnErrorReachesTheCaller)
{
    EXPECT_THROW(DatabaseWork::run(&m_window, m_db,
                                   [] { throw zentrel::ZError(0x800A0035u, "File not found"); }),
                 zentrel::ZError);
}

TEST_F(DatabaseWorkTest, ACloseAskedForDuringTheWorkComesAfterIt)
{
    std::atomic<bool> closed = false;
    bool shownAfterClose = false;
    DatabaseWork::run(&m_window, m_db, [&] {
        QMetaObject::invokeMethod(
            &m_window,
            [&] {
                m_window.close();
                shownAfterClose = m_window.isVisible();
                closed = true;
            },
            Qt::QueuedConnection);
        waitFor(closed);
    });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(shownAfterClose);
    EXPECT_TRUE(testsupport::waitUntil([&] { return !m_window.isVisible(); }));
}

} // namespace
