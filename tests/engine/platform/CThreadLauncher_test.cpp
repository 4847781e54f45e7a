#include "engine/platform/CThreadLauncher.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <gtest/gtest.h>

#include "engine/ComponentRegistry.h"
#include "engine/platform/NamedEvent.h"
#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

using zentrel::CKeyedCollection;
using zentrel::CKeyedCollectionPtr;
using zentrel::CThreadLauncher;
using zentrel::NamedEvent;
using zentrel::ZError;
using namespace std::chrono_literals;

namespace {

// What the probe saw, for the test on the main thread.
struct ProbeRecord {
    std::mutex mutex;
    QThread* createdOn = nullptr;
    QThread* calledOn = nullptr;
    QThread* destroyedOn = nullptr;
    bool pumped = false;
    QString gateName;
};
ProbeRecord record;

class Probe final : public QObject {
    Q_OBJECT
public:
    Probe()
    {
        const std::lock_guard lock(record.mutex);
        record.createdOn = QThread::currentThread();
    }
    ~Probe() override
    {
        const std::lock_guard lock(record.mutex);
        record.destroyedOn = QThread::currentThread();
    }

    // Pumps its own thread's events, then waits for the gate named in the data.
    Q_INVOKABLE void Record(zentrel::CKeyedCollectionPtr data)
    {
        QEventLoop loop;
        bool fired = false;
        QTimer::singleShot(0, &loop, [&] {
            fired = true;
            loop.quit();
        });
        loop.exec();
        {
            const std::lock_guard lock(record.mutex);
            record.calledOn = QThread::currentThread();
            record.pumped = fired;
        }
        const NamedEvent gate = NamedEvent::open(data->Item(QStringLiteral("Gate")).toString());
        gate.wait(10s);
    }

    Q_INVOKABLE void Nothing(zentrel::CKeyedCollectionPtr) {}

    Q_INVOKABLE void Fail(zentrel::CKeyedCollectionPtr)
    {
        throw ZError(zentrel::kUnexpected, QStringLiteral("failed on purpose"));
    }

    // Needs the launching thread to run its events before it can return.
    Q_INVOKABLE void CallBack(zentrel::CKeyedCollectionPtr data)
    {
        auto* target = data->Item(QStringLiteral("Target")).value<QObject*>();
        QMetaObject::invokeMethod(
            target, [] {}, Qt::BlockingQueuedConnection);
    }

    Q_INVOKABLE void WithoutData() {}

    // Runs until its thread is asked to stop.
    Q_INVOKABLE void UntilStopped(zentrel::CKeyedCollectionPtr)
    {
        while (!QThread::currentThread()->isInterruptionRequested())
            QThread::msleep(5);
    }
};

const zentrel::ComponentRegistration registration{"Zentrel.Probe",
                                                  [] { return std::make_unique<Probe>(); }};

CKeyedCollectionPtr gateData(const QString& gateName)
{
    auto data = std::make_shared<CKeyedCollection>();
    data->Add(gateName, QStringLiteral("Gate"));
    return data;
}

class CThreadLauncherTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(testsupport::threadsSettleAt(m_threads)) << "no thread outlives its handle";
    }

    const int m_threads = testsupport::steadyThreadCount();
};

} // namespace

TEST_F(CThreadLauncherTest, RunReturnsAtOnceAndTheObjectLivesOnItsOwnThread)
{
    const QString gateName = QUuid::createUuid().toString();
    NamedEvent gate = NamedEvent::create(gateName);
    zentrel::ThreadHandle handle = CThreadLauncher().Run(
        QStringLiteral("zentrel.probe"), QStringLiteral("Record"), gateData(gateName));
    ASSERT_TRUE(handle);
    EXPECT_TRUE(testsupport::threadsSettleAt(m_threads + 1));

    ASSERT_TRUE(testsupport::waitUntil([] {
        const std::lock_guard lock(record.mutex);
        return record.calledOn != nullptr;
    }));
    EXPECT_FALSE(handle.isFinished());
    gate.set();
    ASSERT_TRUE(handle.wait(5s));
    handle.reset();

    const std::lock_guard lock(record.mutex);
    EXPECT_NE(record.calledOn, QThread::currentThread());
    EXPECT_EQ(record.createdOn, record.calledOn);
    EXPECT_EQ(record.destroyedOn, record.calledOn);
    EXPECT_TRUE(record.pumped);
}

TEST_F(CThreadLauncherTest, AnUnknownProgIdOrMethodIsRaisedBeforeAnyThreadRuns)
{
    struct Case {
        const char* progId;
        const char* method;
        std::uint32_t number;
        const char* named;
    };
    const Case cases[] = {
        {"Zentrel.Missing", "Run", zentrel::kInvalidClassString, "Zentrel.Missing"},
        {"Zentrel.Probe", "Missing", zentrel::kUnknownMethod, "Missing"},
        {"Zentrel.Probe", "WithoutData", zentrel::kUnknownMethod, "WithoutData"},
        {"Zentrel.Probe", "deleteLater", zentrel::kUnknownMethod, "deleteLater"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        try {
            const zentrel::ThreadHandle handle =
                CThreadLauncher().Run(QString::fromLatin1(c.progId), QString::fromLatin1(c.method),
                                      std::make_shared<CKeyedCollection>());
            ADD_FAILURE() << "no error";
        } catch (const ZError& error) {
            EXPECT_EQ(error.number(), c.number);
            EXPECT_TRUE(error.description().contains(QString::fromLatin1(c.named)));
        }
        EXPECT_TRUE(testsupport::threadsSettleAt(m_threads));
    }
}

TEST_F(CThreadLauncherTest, ManyShortRunsAreAllJoined)
{
    std::vector<zentrel::ThreadHandle> handles;
    for (int i = 0; i < 50; ++i)
        handles.push_back(CThreadLauncher().Run(QStringLiteral("Zentrel.Probe"),
                                                QStringLiteral("nothing"),
                                                std::make_shared<CKeyedCollection>()));
    for (const auto& handle : handles)
        EXPECT_TRUE(handle.wait(10s));
}

TEST_F(CThreadLauncherTest, AnErrorInTheMethodEndsOnlyItsThread)
{
    const zentrel::ThreadHandle handle =
        CThreadLauncher().Run(QStringLiteral("Zentrel.Probe"), QStringLiteral("Fail"),
                              std::make_shared<CKeyedCollection>());
    EXPECT_TRUE(handle.wait(5s));
}

TEST_F(CThreadLauncherTest, LettingGoOfTheHandleStopsTheThreadAndWaitsForIt)
{
    auto handle = std::make_unique<zentrel::ThreadHandle>(
        CThreadLauncher().Run(QStringLiteral("Zentrel.Probe"), QStringLiteral("UntilStopped"),
                              std::make_shared<CKeyedCollection>()));
    EXPECT_FALSE(handle->wait(50ms));
    handle.reset();
    EXPECT_TRUE(testsupport::threadsSettleAt(m_threads));
}

TEST_F(CThreadLauncherTest, AThreadWaitingForTheLauncherEndsOnceItsEventsRun)
{
    QObject target;
    auto callBack = std::make_shared<CKeyedCollection>();
    callBack->Add(QVariant::fromValue(&target), QStringLiteral("Target"));
    const zentrel::ThreadHandle handle = CThreadLauncher().Run(
        QStringLiteral("Zentrel.Probe"), QStringLiteral("CallBack"), callBack);
    EXPECT_FALSE(handle.wait(50ms));
    EXPECT_TRUE(testsupport::waitUntil([&] { return handle.isFinished(); }, 5s));
    EXPECT_TRUE(handle.wait(5s));
}

// With too little address space left for a thread's stack, the launch fails and says so.
static bool runWithoutAddressSpaceRaises()
{
    long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1)
        return false;
    std::fclose(statm);
    rlimit previous{};
    getrlimit(RLIMIT_AS, &previous);
    rlimit tight = previous;
    tight.rlim_cur =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + 2 * 1024 * 1024;
    auto data = std::make_shared<CKeyedCollection>();
    bool raised = false;
    setrlimit(RLIMIT_AS, &tight);
    try {
        const zentrel::ThreadHandle handle =
            CThreadLauncher().Run(QStringLiteral("Zentrel.Probe"), QStringLiteral("Nothing"), data);
    } catch (const ZError& error) {
        raised = error.number() == zentrel::kUnexpected;
    }
    setrlimit(RLIMIT_AS, &previous);
    return raised;
}

// In a fresh process, where no stack of an ended thread is kept for reuse.
TEST(CThreadLauncherDeathTest, AThreadThatCannotStartIsRaised)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(runWithoutAddressSpaceRaises() ? 0 : 1), ::testing::ExitedWithCode(0),
                "");
}

TEST_F(CThreadLauncherTest, CreateObjectMakesTheObjectOnTheCallingThread)
{
    const std::unique_ptr<QObject> object =
        CThreadLauncher().CreateObject(QStringLiteral("ZENTREL.PROBE"));
    ASSERT_NE(qobject_cast<Probe*>(object.get()), nullptr);
    EXPECT_EQ(object->thread(), QThread::currentThread());
    EXPECT_THROW(CThreadLauncher().CreateObject(QStringLiteral("Zentrel.Missing")), ZError);
}

#include "CThreadLauncher_test.moc"
