#include "engine/platform/CMessanger.h"

#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

using zentrel::CMessanger;

TEST(CMessanger, EveryPostFromManyThreadsArrivesOnceOnTheOwnersThreadInOrder)
{
    auto messanger = CMessanger::create();
    constexpr int kThreads = 8;
    constexpr int kPosts = 500;
    std::vector<std::vector<int>> arrived(kThreads);
    bool wrongThread = false;
    QObject context;
    QObject::connect(messanger.get(), &CMessanger::MsgArrived, &context,
                     [&](int msg, const QVariant& data, const QString&, const QString&) {
                         wrongThread |= QThread::currentThread() != context.thread();
                         arrived[msg].push_back(data.toInt());
                     });

    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i)
                messanger->Post(t, i);
        });
    for (auto& p : posters)
        p.join();

    ASSERT_TRUE(testsupport::waitUntil([&] {
        size_t total = 0;
        for (const auto& a : arrived)
            total += a.size();
        return total == kThreads * kPosts;
    }));
    EXPECT_FALSE(wrongThread);
    for (const auto& a : arrived) {
        ASSERT_EQ(a.size(), size_t(kPosts));
        for (int i = 0; i < kPosts; ++i)
            EXPECT_EQ(a[i], i);
    }
}

TEST(CMessanger, PostFailsOnceTheOwnerHasClosedIt)
{
    auto messanger = CMessanger::create();
    int arrived = 0;
    QObject context;
    QObject::connect(messanger.get(), &CMessanger::MsgArrived, &context,
                     [&](int, const QVariant&, const QString&, const QString&) { ++arrived; });
    messanger->Post(0, 1);
    messanger->close();
    EXPECT_THROW(messanger->Post(0, 2), zentrel::ZError);
    QCoreApplication::processEvents();
    EXPECT_EQ(arrived, 0); // queued before the close, dropped by it
}
