#include <atomic>
#include <thread>
#include <vector>

#include <QSignalSpy>
#include <QThread>

#include "engine/database/IDBaserOwner.h"
#include "engine/database/MParser.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

struct CountingOwner : IDBaserOwner {
    void moLookupTimer_Timer() override { ++turns; }
    std::atomic<int> turns{0};
};

class DBaserEvents : public DBaserFixture {
protected:
    void SetUp() override
    {
        db->SetOwner(log, &owner);
        db->InitMaster();
        openBoth();
        QObject::connect(db.get(), &DBaser::NewKws, &context, [this] { raised << "NewKws"; });
        QObject::connect(db.get(), &DBaser::NewOvertureCounts, &context,
                         [this] { raised << "NewOvertureCounts"; });
    }

    std::unique_ptr<DBaser> makeWorker() const
    {
        auto worker = std::make_unique<DBaser>();
        worker->Init(log);
        worker->AttachByObjects(log, db->ProjectDB(), db->CacheDB(), db->NewKWsEventName(),
                                db->NewOvertureCountsEventName());
        return worker;
    }

    CountingOwner owner;
    QObject context;
    QStringList raised;
};

TEST_F(DBaserEvents, EachMasterGetsItsOwnEventNames)
{
    DBaser other;
    other.InitMaster();
    EXPECT_FALSE(db->NewKWsEventName().isEmpty());
    EXPECT_NE(db->NewKWsEventName(), db->NewOvertureCountsEventName());
    EXPECT_NE(other.NewKWsEventName(), db->NewKWsEventName());
}

TEST_F(DBaserEvents, AWorkersKeywordsShowUpAtTheNextPollOnce)
{
    CDataNode counts;
    counts.Attributes().Add("blue widget", 9);
    db->AddOvertured(counts, {});
    raised.clear();

    auto worker = makeWorker();
    CDataNode operation;
    worker->AddKWs(words({"blue widget"}), operation);
    worker->AddKWs(words({"red widget"}), operation);
    EXPECT_TRUE(raised.isEmpty()) << "a worker never raises";
    EXPECT_TRUE(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'blue widget'").isNull());

    db->moEventTimer_Timer();
    EXPECT_EQ(raised, QStringList({"NewKws"}));
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'blue widget'").toInt(), 9)
        << "the poll refreshes the counts first";
    db->moEventTimer_Timer();
    EXPECT_EQ(raised, QStringList({"NewKws"})) << "no worker activity: nothing raised";
}

TEST_F(DBaserEvents, TheMastersTimerPollsWithinTenSeconds)
{
    auto worker = makeWorker();
    CDataNode operation;
    worker->AddKWs(words({"blue widget"}), operation);
    QSignalSpy spy(db.get(), &DBaser::NewKws);
    ASSERT_TRUE(spy.wait(15000));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(raised, QStringList({"NewKws"}));
}

TEST_F(DBaserEvents, BothEventsInOnePeriodRaiseNewKwsFirstOnceEach)
{
    auto worker = makeWorker();
    CDataNode counts;
    counts.Attributes().Add("blue widget", 3);
    worker->AddOvertured(counts, {});
    CDataNode operation;
    worker->AddKWs(words({"blue widget"}), operation);
    worker->AddOvertured(counts, {});
    db->moEventTimer_Timer();
    EXPECT_EQ(raised, QStringList({"NewKws", "NewOvertureCounts"}));
}

TEST_F(DBaserEvents, RankingWorkersGiveNoTurnAndSetNoEvent)
{
    auto worker = makeWorker();
    CAttributes params;
    params.Add("CS_SET_RANK", true);
    params.Add("CS_SET_RANK_TO", 5);
    CDataNode operation;
    worker->AddKWsEx(words({"blue widget"}), operation, &params);
    worker->SetRelevancy(items({1}), 5);
    db->moEventTimer_Timer();
    EXPECT_TRUE(raised.isEmpty());
    EXPECT_EQ(owner.turns.load(), 0);
}

TEST_F(DBaserEvents, AFailingRefreshKeepsTheEventForTheNextPoll)
{
    auto worker = makeWorker();
    CDataNode operation;
    worker->AddKWs(words({"blue widget"}), operation);
    db->CacheDB()->connection().exec("ALTER TABLE cache.Cache RENAME TO Moved");
    db->moEventTimer_Timer();
    EXPECT_TRUE(raised.isEmpty());
    EXPECT_TRUE(logged(4, 1, "DBaser.moEventTimer_Timer"));
    db->CacheDB()->connection().exec("ALTER TABLE cache.Moved RENAME TO Cache");
    db->moEventTimer_Timer();
    EXPECT_EQ(raised, QStringList({"NewKws"}));
}

TEST_F(DBaserEvents, AfterFinalizeThePollRaisesNothing)
{
    auto worker = makeWorker();
    db->Finalize();
    CDataNode operation;
    worker->AddKWs(words({"blue widget"}), operation);
    db->moEventTimer_Timer();
    EXPECT_TRUE(raised.isEmpty());
    EXPECT_EQ(worker->GetCount(123), 1) << "a master's Finalize leaves the workers' databases";
}

TEST_F(DBaserEvents, AMasterCalledFromAnotherThreadRaisesOnItsOwnThread)
{
    QThread* raisedOn = nullptr;
    QObject::connect(db.get(), &DBaser::NewKws, &context,
                     [&] { raisedOn = QThread::currentThread(); });
    std::thread caller([&] {
        CDataNode operation;
        db->AddKWs(words({"blue widget"}), operation);
    });
    caller.join();
    ASSERT_TRUE(testsupport::waitUntil([&] { return raisedOn != nullptr; }));
    EXPECT_EQ(raisedOn, QThread::currentThread());
}

TEST_F(DBaserEvents, WorkersOnTheirOwnThreadsAndTheMasterStoreEveryKeywordOnce)
{
    constexpr int kWorkers = 4;
    constexpr int kBatches = 15;
    constexpr int kBatch = 20;
    std::atomic<int> failures{0};
    std::atomic<int> running{kWorkers};
    std::vector<std::thread> threads;
    for (int w = 0; w < kWorkers; ++w) {
        threads.emplace_back([&, w] {
            try {
                auto worker = makeWorker();
                CDataNode operation;
                operation.Attributes().Add("Description", QString("worker %1").arg(w));
                for (int b = 0; b < kBatches; ++b) {
                    QStringList batch;
                    for (int i = 0; i < kBatch; ++i) // every worker adds the same keywords
                        batch << QString("shared keyword %1").arg(b * kBatch + i);
                    batch << QString("own keyword w%1 b%2").arg(w).arg(b);
                    worker->AddKWs(words(batch), operation);
                    CDataNode counts;
                    counts.Attributes().Add(
                        MParser::NormalizeKW(QString("shared keyword %1").arg(b)), w);
                    worker->AddOvertured(counts, {});
                }
                worker->Finalize();
            } catch (const ZError& e) {
                ++failures;
                ADD_FAILURE() << e.description().toStdString();
            }
            --running;
        });
    }
    int masterCalls = 0;
    CDataNode operation;
    CAttributes rank;
    rank.Add("CS_SET_RANK", true);
    rank.Add("CS_SET_RANK_TO", 3);
    while (running.load() > 0 || masterCalls < 10) {
        const QStringList batch = {QString("master keyword %1").arg(masterCalls),
                                   QString("shared keyword %1").arg(masterCalls)};
        db->AddKWs(words(batch), operation);
        CDataNode ranked;
        db->AddKWsEx(words({QString("ranked keyword %1").arg(masterCalls)}), ranked, &rank);
        db->SetRelevancy(items({projectScalar("SELECT max(pkKeyword) FROM Keyword")}), 4);
        ++masterCalls;
        QCoreApplication::processEvents();
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(raised.count("NewKws"), masterCalls) << "the master's own additions, at once";
    EXPECT_EQ(raised.count("NewOvertureCounts"), 0);
    EXPECT_EQ(owner.turns.load(), 2 * masterCalls);

    const int shared = std::max(kBatches * kBatch, masterCalls);
    const int expected = shared + kWorkers * kBatches + 2 * masterCalls;
    EXPECT_EQ(keywordCount(), expected);
    EXPECT_EQ(projectScalar("SELECT count(DISTINCT Normalized) FROM Keyword").toInt(), expected);
    EXPECT_EQ(projectScalar("SELECT count(*) FROM Operation").toInt(), kWorkers + 1 + masterCalls);
    EXPECT_EQ(projectScalar("SELECT count(*) FROM KeywordOperation").toInt(),
              kWorkers * (kBatches * kBatch + kBatches) + 3 * masterCalls);
    EXPECT_EQ(db->CacheSize(), kBatches);

    raised.clear();
    db->moEventTimer_Timer();
    EXPECT_EQ(raised, QStringList({"NewKws", "NewOvertureCounts"}));
    EXPECT_EQ(projectScalar("SELECT count(*) FROM Keyword WHERE Searches IS NOT NULL").toInt(),
              kBatches);
}

} // namespace
