#include "engine/database/CTimer.h"

#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

using zentrel::CTimer;
using namespace std::chrono_literals;

namespace {

// The times (ms since start) at which a timer raised Timer, and on which thread.
class TickLog {
public:
    TickLog(CTimer& timer, const QElapsedTimer& clock)
    {
        QObject::connect(&timer, &CTimer::Timer, &m_context, [this, &clock] {
            m_times.push_back(clock.elapsed());
            m_offThread |= QThread::currentThread() != m_context.thread();
        });
    }
    int count() const { return static_cast<int>(m_times.size()); }
    qint64 at(int i) const { return m_times.at(static_cast<size_t>(i)); }
    bool offThread() const { return m_offThread; }
    bool waitFor(int ticks, std::chrono::milliseconds deadline = 5s) const
    {
        return testsupport::waitUntil([&] { return count() >= ticks; }, deadline);
    }

private:
    QObject m_context;
    std::vector<qint64> m_times;
    bool m_offThread = false;
};

// One period: the whole seconds plus the helper's pauses and the post.
constexpr qint64 kEarly = 150;
constexpr qint64 kLate = 450;

class CTimerTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(helpersSettleAt(0)); }

    // Helper threads running now: the threads beyond those the test began with.
    int helpers() const { return testsupport::threadCount() - m_baseline; }
    bool helpersSettleAt(int count) const
    {
        return testsupport::waitUntil([&] { return helpers() == count; }, 5s);
    }

private:
    const int m_baseline = testsupport::threadCount();
};

} // namespace

TEST_F(CTimerTest, StartsDisabledWithoutAnInterval)
{
    const CTimer timer;
    EXPECT_EQ(timer.Interval(), 0);
    EXPECT_FALSE(timer.Enabled());
}

TEST_F(CTimerTest, EnablingWithoutAnIntervalIsAnInvalidArgument)
{
    for (const int interval : {0, -1}) {
        CTimer timer;
        timer.setInterval(interval);
        try {
            timer.setEnabled(true);
            ADD_FAILURE() << "no error for " << interval;
        } catch (const zentrel::ZError& error) {
            EXPECT_EQ(error.number(), zentrel::kInvalidArgument);
            EXPECT_TRUE(error.description().isEmpty());
        }
        EXPECT_FALSE(timer.Enabled());
        EXPECT_EQ(helpers(), 0);
    }
}

TEST_F(CTimerTest, EnabledTwiceStartsOneHelperAndDisablingADisabledTimerDoesNothing)
{
    CTimer timer;
    timer.setEnabled(false);
    EXPECT_EQ(helpers(), 0);
    timer.setInterval(1000);
    timer.setEnabled(true);
    timer.setEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(helpers(), 1);
    timer.setEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_TRUE(helpersSettleAt(0));
}

TEST_F(CTimerTest, SubSecondIntervalsTickBackToBackOnTheOwnersThread)
{
    for (const int interval : {1, 500}) {
        SCOPED_TRACE(interval);
        QElapsedTimer clock;
        clock.start();
        CTimer timer;
        TickLog ticks(timer, clock);
        timer.setInterval(interval);
        timer.setEnabled(true);
        ASSERT_TRUE(ticks.waitFor(5, 2s));
        EXPECT_LT(ticks.at(4), 1000);
        EXPECT_FALSE(ticks.offThread());
    }
}

TEST_F(CTimerTest, PeriodsOfOneAndAHalfAndTwoAndAHalfSecondsAreBothTwoSeconds)
{
    QElapsedTimer clock;
    clock.start();
    CTimer shorter;
    CTimer longer;
    TickLog shorterTicks(shorter, clock);
    TickLog longerTicks(longer, clock);
    shorter.setInterval(1500);
    longer.setInterval(2500);
    const qint64 started = clock.elapsed();
    shorter.setEnabled(true);
    longer.setEnabled(true);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return shorterTicks.count() >= 2 && longerTicks.count() >= 2; }, 6s));
    for (const TickLog* ticks : {&shorterTicks, &longerTicks}) {
        EXPECT_GE(ticks->at(0) - started, 2000 - kEarly);
        EXPECT_LE(ticks->at(0) - started, 2000 + kLate);
        // No catching up: each period starts after the previous tick.
        EXPECT_GE(ticks->at(1) - ticks->at(0), 2000 - kEarly);
        EXPECT_LE(ticks->at(1) - ticks->at(0), 2000 + kLate);
    }
}

TEST_F(CTimerTest, AnIntervalBelowOneWhileEnabledIsStoredAndTheOldPeriodKept)
{
    QElapsedTimer clock;
    clock.start();
    CTimer timer;
    TickLog ticks(timer, clock);
    timer.setInterval(1);
    timer.setEnabled(true);
    ASSERT_TRUE(ticks.waitFor(1));
    timer.setInterval(0);
    EXPECT_EQ(timer.Interval(), 0);
    EXPECT_TRUE(timer.Enabled());
    const int before = ticks.count();
    EXPECT_TRUE(ticks.waitFor(before + 5, 2s));
    EXPECT_EQ(helpers(), 1);
}

TEST_F(CTimerTest, ANewIntervalRestartsWithTheFirstTickOneNewPeriodLater)
{
    QElapsedTimer clock;
    clock.start();
    CTimer timer;
    TickLog ticks(timer, clock);
    timer.setInterval(1);
    timer.setEnabled(true);
    ASSERT_TRUE(ticks.waitFor(3));
    timer.setInterval(1500);
    const qint64 changed = clock.elapsed();
    const int before = ticks.count();
    EXPECT_EQ(timer.Interval(), 1500);
    EXPECT_TRUE(timer.Enabled());
    // The old helper ends; only the new one is left.
    EXPECT_TRUE(helpersSettleAt(1));
    const auto tickAfter = [&](qint64 delay) {
        for (int i = before; i < ticks.count(); ++i)
            if (ticks.at(i) - changed >= delay)
                return i;
        return -1;
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return tickAfter(100) >= 0; }, 4s));
    // Only a tick already on its way at the change may come before the new period.
    const int first = tickAfter(100);
    EXPECT_LE(first - before, 1);
    EXPECT_GE(ticks.at(first) - changed, 2000 - kEarly);
    EXPECT_LE(ticks.at(first) - changed, 2000 + kLate);
}

TEST_F(CTimerTest, RestartsNeverLeaveASecondHelperTicking)
{
    CTimer timer;
    timer.setInterval(1);
    timer.setEnabled(true);
    for (int i = 0; i < 50; ++i) {
        timer.setInterval(1);
        QCoreApplication::processEvents();
        QThread::usleep(static_cast<unsigned long>(i * 150));
    }
    EXPECT_TRUE(helpersSettleAt(1));
    // Stays at one: no helper of an earlier start picked up the current event.
    QThread::msleep(50);
    EXPECT_EQ(helpers(), 1);
}

TEST_F(CTimerTest, ReleasingAnEnabledTimerLeavesNoThreadBehind)
{
    for (const int interval : {1, 10000}) {
        auto timer = std::make_unique<CTimer>();
        timer->setInterval(interval);
        timer->setEnabled(true);
        QThread::msleep(20);
        timer.reset();
        EXPECT_TRUE(helpersSettleAt(0)) << interval;
    }
}
