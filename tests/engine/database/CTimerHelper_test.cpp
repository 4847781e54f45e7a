#include "engine/database/CTimerHelper.h"

#include <QSignalSpy>
#include <QUuid>
#include <gtest/gtest.h>

#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/NamedEvent.h"
#include "tests/support/TestSupport.h"

using zentrel::CKeyedCollection;
using zentrel::CMessanger;
using zentrel::CThreadLauncher;
using zentrel::CTimerHelper;
using zentrel::NamedEvent;
using namespace std::chrono_literals;

namespace {

zentrel::CKeyedCollectionPtr startParameters(const QString& name,
                                             const zentrel::CMessangerPtr& messanger, int interval)
{
    auto data = std::make_shared<CKeyedCollection>();
    data->Add(name, QStringLiteral("CancelEventName"));
    data->AddObject(messanger, QStringLiteral("Messanger"));
    data->Add(interval, QStringLiteral("Interval"));
    return data;
}

zentrel::ThreadHandle startHelper(const zentrel::CKeyedCollectionPtr& data)
{
    return CThreadLauncher().Run(QStringLiteral("Zentrel.CTimerHelper"), QStringLiteral("Run"),
                                 data);
}

} // namespace

TEST(CTimerHelper, APeriodIsTheIntervalInWholeSecondsRoundedHalfToEven)
{
    const std::pair<int, int> table[] = {
        {25535, 26}, {65535, 66}, {20000, 20}, {10000, 10}, {2500, 2}, {1500, 2},
        {3500, 4},   {500, 0},    {499, 0},    {501, 1},    {1, 0},
    };
    for (const auto& [interval, seconds] : table)
        EXPECT_EQ(CTimerHelper::SecondsForInterval(interval), seconds) << interval;
}

TEST(CTimerHelper, SecondsToNextMark)
{
    struct Case {
        QVariant step;
        QTime now;
        int seconds;
    };
    const Case table[] = {
        {15, QTime(10, 7, 30), 450},  {15, QTime(10, 0, 0), 900},
        {1, QTime(10, 0, 0), 60},     {1, QTime(10, 0, 59), 1},
        {60, QTime(10, 59, 59), 1},   {60, QTime(10, 0, 1), 3599},
        {30, QTime(10, 30, 0), 1800}, {5, QTime(23, 4, 59), 1},
        {3, QTime(1, 58, 0), 120},    {20, QTime(1, 45, 0), 900},
        {10, QTime(1, 9, 30), 30},    {7, QTime(10, 7, 30), 0},
        {0, QTime(10, 7, 30), 0},     {QStringLiteral("x"), QTime(10, 7, 30), 0},
        {15.5, QTime(10, 7, 30), 0},
    };
    for (const Case& c : table)
        EXPECT_EQ(CTimerHelper::SecondsToNextMark(c.step, c.now), c.seconds)
            << c.step.toString().toStdString() << " at " << c.now.toString().toStdString();
}

TEST(CTimerHelper, PostsTicksCarryingTheCancelEventName)
{
    const auto messanger = CMessanger::create();
    QSignalSpy ticks(messanger.get(), &CMessanger::MsgArrived);
    const QString name = QUuid::createUuid().toString();
    NamedEvent cancel = NamedEvent::create(name);
    const zentrel::ThreadHandle helper = startHelper(startParameters(name, messanger, 1));
    ASSERT_TRUE(testsupport::waitUntil([&] { return ticks.count() >= 3; }, 5s));
    cancel.set();
    cancel.close();
    EXPECT_TRUE(helper.wait(5s));
    const QList<QVariant> tick = ticks.first();
    EXPECT_EQ(tick.at(0).toInt(), 0);
    EXPECT_EQ(tick.at(1).toString(), name);
    EXPECT_EQ(tick.at(2).toString(), QString());
    EXPECT_EQ(tick.at(3).toString(), QString());
}

TEST(CTimerHelper, EndsWhenTheCancelEventCannotBeOpened)
{
    const auto messanger = CMessanger::create();
    QSignalSpy ticks(messanger.get(), &CMessanger::MsgArrived);
    const zentrel::ThreadHandle helper =
        startHelper(startParameters(QUuid::createUuid().toString(), messanger, 1));
    EXPECT_TRUE(helper.wait(5s));
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks.count(), 0);
}

TEST(CTimerHelper, EndsWhenAPostFails)
{
    const auto messanger = CMessanger::create();
    messanger->close();
    const QString name = QUuid::createUuid().toString();
    const NamedEvent cancel = NamedEvent::create(name);
    const zentrel::ThreadHandle helper = startHelper(startParameters(name, messanger, 1));
    EXPECT_TRUE(helper.wait(5s));
    EXPECT_TRUE(cancel.isOpen());
    EXPECT_FALSE(cancel.isSet());
}

TEST(CTimerHelper, EndsOnBadParameters)
{
    const QString name = QUuid::createUuid().toString();
    const NamedEvent cancel = NamedEvent::create(name);
    auto data = std::make_shared<CKeyedCollection>();
    data->Add(name, QStringLiteral("CancelEventName"));
    const zentrel::ThreadHandle helper = startHelper(data);
    EXPECT_TRUE(helper.wait(5s));
}
