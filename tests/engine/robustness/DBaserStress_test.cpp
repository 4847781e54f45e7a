#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QStringList>

#include <gtest/gtest.h>

#include "engine/database/DBaser.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;

namespace {
constexpr int kWorkers = 8;
constexpr int kKeywordsPerWorker = 10000;
constexpr int kSharedKeywords = 1000; // the first keywords of every worker are the same ones
constexpr int kBatch = 250;

// Keyword i of a worker: the shared ones are common to every worker, the others its own.
QString keywordOf(int worker, int i)
{
    if (i < kSharedKeywords)
        return QStringLiteral("shared keyword %1").arg(i);
    return QStringLiteral("worker w%1 k%2").arg(worker).arg(i);
}

// The failures seen by every thread, for the end of the test.
class Failures {
public:
    void add(const QString& where, const ZError& error)
    {
        const std::lock_guard lock(m_mutex);
        m_texts << QStringLiteral("%1: 0x%2 %3")
                       .arg(where)
                       .arg(error.number(), 8, 16, QLatin1Char('0'))
                       .arg(error.description());
    }
    QStringList texts() const
    {
        const std::lock_guard lock(m_mutex);
        return m_texts;
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_texts;
};

// One research job's database work: its own instance on the master's databases, adding its
// keywords in batches under one operation.
void runWorker(int worker, bool byFileNames, DBaser& master, const CLogPtr& log, Failures& failures,
               QString& operationId)
{
    DBaser db;
    if (byFileNames)
        db.AttachByFileNames(log, master.ProjectDBFilename(), master.CacheDBFilename(),
                             master.NewKWsEventName(), master.NewOvertureCountsEventName());
    else
        db.AttachByObjects(log, master.ProjectDB(), master.CacheDB(), master.NewKWsEventName(),
                           master.NewOvertureCountsEventName());
    CDataNode operation;
    operation.Attributes().Add(QStringLiteral("Description"),
                               QStringLiteral("Stress worker %1").arg(worker));
    for (int first = 0; first < kKeywordsPerWorker; first += kBatch) {
        CKeyedCollection batch;
        for (int i = first; i < first + kBatch; ++i)
            batch.Add(keywordOf(worker, i));
        try {
            const CKeyedCollection rejected = db.AddKWs(batch, operation);
            if (rejected.Count() != 0)
                failures.add(QStringLiteral("worker %1").arg(worker),
                             ZError(0, QStringLiteral("rejected keywords")));
        } catch (const ZError& error) {
            failures.add(QStringLiteral("worker %1 AddKWs").arg(worker), error);
        }
    }
    operationId = operation.Value();
    db.Finalize();
}

// What the user does on the master meanwhile: list the candidates, rank some, file them into a
// group and list the kept keywords and the groups.
void masterRound(DBaser& master, int round, int group, Failures& failures)
{
    try {
        CAttributes few;
        few.Add(QStringLiteral("CS_MAX_KEYWORDS_COUNT"), 20);
        const KeywordTable raw = master.getKWsEx(kwk_raw, &few);
        CKeyedCollection ids;
        for (int i = 0; i < raw.count() && i < 10; ++i)
            ids.Add(raw.ids.at(i));
        if (ids.Count() > 0) {
            master.SetRelevancy(ids, 3 + round % 3);
            master.AddToGroup(ids, group);
        }
        master.getKWs(kwk_kws);
        master.getKWsForGroup(group, nullptr);
        master.GetCount(123);
        master.GetCount(511);
        CAttributes counts;
        counts.Add(QStringLiteral("CS_INCLUDE_KWS_COUNT"), true);
        master.GetGroups(&counts);
    } catch (const ZError& error) {
        failures.add(QStringLiteral("master round %1").arg(round), error);
    }
}
} // namespace

class DBaserStress : public ::testing::TestWithParam<bool> {};

// Eight research jobs add 10,000 keywords each from their own threads while the user ranks,
// groups and lists on the master: every keyword is stored once, every link is there, and no
// operation fails (in particular none with a locked database). Workers share the master's
// databases, or (in the second run) half of them open the files by name on connections of
// their own.
TEST_P(DBaserStress, EightWorkersAddWhileTheMasterRanksGroupsAndLists)
{
    const testsupport::TempHome home;
    const auto log = std::make_shared<CLog>();
    log->Open(home.file("full.log"), home.file("short.log"));
    DBaser master;
    master.Init(log);
    master.OpenCacheDB(home.file("Default Cache.vxc"));
    master.OpenProjectDB(home.file("First Project.vxp"));
    master.InitMaster();
    const int group = master.AddGroup(QStringLiteral("Ranked meanwhile"));

    Failures failures;
    std::vector<QString> operationIds(kWorkers);
    std::atomic<int> running = kWorkers;
    std::vector<std::thread> threads;
    for (int w = 0; w < kWorkers; ++w) {
        threads.emplace_back([&, w] {
            runWorker(w, GetParam() && w % 2 == 1, master, log, failures,
                      operationIds.at(static_cast<std::size_t>(w)));
            --running;
        });
    }
    const auto started = std::chrono::steady_clock::now();
    int rounds = 0;
    while (running > 0) {
        masterRound(master, rounds++, group, failures);
        QCoreApplication::processEvents();
    }
    for (std::thread& thread : threads)
        thread.join();
    std::printf("[figures] %d keywords from %d workers in %.1f s, %d master rounds meanwhile\n",
                kWorkers * kKeywordsPerWorker, kWorkers,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                rounds);

    EXPECT_EQ(failures.texts(), QStringList());
    EXPECT_GT(rounds, 1) << "the master worked while the workers added";
    const SqlDatabasePtr project = master.ProjectDB();
    const int expectedKeywords =
        kSharedKeywords + kWorkers * (kKeywordsPerWorker - kSharedKeywords);
    EXPECT_EQ(project->scalar(QStringLiteral("SELECT count(*) FROM Keyword")).toInt(),
              expectedKeywords);
    EXPECT_EQ(
        project->scalar(QStringLiteral("SELECT count(DISTINCT Normalized) FROM Keyword")).toInt(),
        expectedKeywords);
    EXPECT_EQ(project->scalar(QStringLiteral("SELECT count(*) FROM KeywordOperation")).toInt(),
              kWorkers * kKeywordsPerWorker);
    EXPECT_EQ(project->scalar(QStringLiteral("SELECT count(*) FROM Operation")).toInt(), kWorkers);
    for (int w = 0; w < kWorkers; ++w) {
        const QString id = operationIds.at(static_cast<std::size_t>(w));
        EXPECT_EQ(project
                      ->scalar(QStringLiteral("SELECT count(DISTINCT fkKeyword) FROM "
                                              "KeywordOperation WHERE fkOperation = ?1"),
                               {id})
                      .toInt(),
                  kKeywordsPerWorker)
            << "links of worker " << w;
    }
    EXPECT_EQ(
        project->scalar(QStringLiteral("SELECT count(*) FROM KWGroup")).toInt(),
        project->scalar(QStringLiteral("SELECT count(*) FROM Keyword WHERE Relevancy > 0")).toInt())
        << "every keyword ranked meanwhile was filed once";
    master.Finalize();
}

INSTANTIATE_TEST_SUITE_P(Attach, DBaserStress, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "HalfByFileNames" : "ByObjects");
                         });
