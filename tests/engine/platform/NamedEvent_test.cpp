#include "engine/platform/NamedEvent.h"

#include <atomic>
#include <thread>
#include <vector>

#include <QElapsedTimer>
#include <QUuid>
#include <gtest/gtest.h>

using zentrel::NamedEvent;
using zentrel::NamedEventRegistry;
using namespace std::chrono_literals;

namespace {
QString freshName()
{
    return QUuid::createUuid().toString();
}
} // namespace

TEST(NamedEvent, ACreatedEventIsManualResetAndStartsNotSignalled)
{
    NamedEvent event = NamedEvent::create(freshName());
    ASSERT_TRUE(event.isOpen());
    EXPECT_FALSE(event.isSet());
    EXPECT_FALSE(event.wait(0ms));
    EXPECT_TRUE(event.set());
    // Manual reset: every wait sees it until it is reset.
    EXPECT_TRUE(event.wait(0ms));
    EXPECT_TRUE(event.wait(10ms));
    EXPECT_TRUE(event.isSet());
    EXPECT_TRUE(event.reset());
    EXPECT_FALSE(event.isSet());
}

TEST(NamedEvent, CreateOpensAnExistingEventWithoutChangingIt)
{
    const QString name = freshName();
    NamedEvent first = NamedEvent::create(name);
    first.set();
    const NamedEvent second = NamedEvent::create(name);
    EXPECT_TRUE(second.isSet());
    first.reset();
    EXPECT_FALSE(second.isSet());
}

TEST(NamedEvent, OpenFindsOnlyANameThatAHandleHolds)
{
    const QString name = freshName();
    EXPECT_FALSE(NamedEvent::open(name).isOpen());

    NamedEvent creator = NamedEvent::create(name);
    NamedEvent opened = NamedEvent::open(name);
    ASSERT_TRUE(opened.isOpen());
    opened.set();
    EXPECT_TRUE(creator.isSet());

    // The event lives on while any handle holds it, whoever created it.
    creator.close();
    EXPECT_FALSE(creator.isOpen());
    EXPECT_TRUE(NamedEvent::open(name).isSet());

    opened.close();
    EXPECT_FALSE(NamedEvent::open(name).isOpen());
    // A new event under the old name starts afresh.
    EXPECT_FALSE(NamedEvent::create(name).isSet());
}

TEST(NamedEvent, TheLastHandleTakesTheNameOut)
{
    const int before = NamedEventRegistry::instance().size();
    {
        const NamedEvent a = NamedEvent::create(freshName());
        const NamedEvent b = NamedEvent::create(freshName());
        EXPECT_EQ(NamedEventRegistry::instance().size(), before + 2);
    }
    EXPECT_EQ(NamedEventRegistry::instance().size(), before);
}

TEST(NamedEvent, AClosedHandleFails)
{
    NamedEvent event = NamedEvent::create(freshName());
    event.close();
    EXPECT_FALSE(event.set());
    EXPECT_FALSE(event.reset());
    EXPECT_FALSE(event.isSet());
    EXPECT_FALSE(event.wait(1ms));
    NamedEvent never;
    EXPECT_FALSE(never.set());

    NamedEvent moved = NamedEvent::create(freshName());
    const NamedEvent target = std::move(moved);
    EXPECT_TRUE(target.isOpen());
    EXPECT_FALSE(moved.isOpen()); // NOLINT(bugprone-use-after-move)
}

TEST(NamedEvent, AWaitRunsOutAfterItsTimeout)
{
    const NamedEvent event = NamedEvent::create(freshName());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(event.wait(50ms));
    EXPECT_GE(clock.elapsed(), 49);
}

TEST(NamedEvent, ASetFromAnotherThreadWakesAWaiterPromptly)
{
    const QString name = freshName();
    const NamedEvent event = NamedEvent::create(name);
    std::atomic<bool> woken = false;
    QElapsedTimer clock;
    clock.start();
    std::thread waiter(
        [&] { woken = NamedEvent::open(name).wait(std::chrono::milliseconds::max()); });
    std::this_thread::sleep_for(20ms);
    NamedEvent::open(name).set();
    waiter.join();
    EXPECT_TRUE(woken);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(NamedEvent, ManyThreadsCreatingOpeningAndClosingOneName)
{
    const QString name = freshName();
    const int before = NamedEventRegistry::instance().size();
    std::vector<std::thread> threads;
    std::atomic<int> failures = 0;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                NamedEvent created = NamedEvent::create(name);
                NamedEvent opened = NamedEvent::open(name);
                if (!opened.isOpen())
                    ++failures;
                opened.set();
                created.reset();
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(NamedEventRegistry::instance().size(), before);
}
