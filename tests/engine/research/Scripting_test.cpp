#include "engine/research/Scripting.h"

#include <chrono>

#include <QElapsedTimer>
#include <QSignalSpy>

#include <gtest/gtest.h>
#include <httplib.h>

#include "engine/database/DBaser.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/ResearchHosts.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;
using namespace std::chrono_literals;

namespace {

// The search engine and the suggestion service on one loopback server. Result pages list
// nothing and suggestion pages suggest nothing, so every job ends after its first download.
class ResearchServer {
public:
    ResearchServer()
    {
        m_server.handle("/search", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html><div>nothing</div> </div></html>", "text/html");
        });
        m_server.handle(ResearchHosts::suggestPath().toStdString(),
                        [](const httplib::Request&, httplib::Response& response) {
                            response.set_content("No suggestions for <b>x</b>", "text/html");
                        });
        m_server.gate("/gate");
    }

    QString host() const { return m_server.host(); }
    QString url(const QString& path) const { return m_server.url(path); }
    // Requests waiting at the gate.
    int held() const { return m_server.held(); }
    void openGate() { m_server.openGate(); }

private:
    FixtureServer m_server;
};

// Kept with relevancy 5, they make "widget" a lead word.
const QStringList kWidgetKeywords = {QStringLiteral("widget parts"), QStringLiteral("widget box"),
                                     QStringLiteral("widget store")};

CKeyedCollection listOf(const QStringList& values)
{
    CKeyedCollection collection;
    for (const QString& value : values)
        collection.Add(value);
    return collection;
}

class ScriptingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("QUINTARA_ONLINE", "1");
        qputenv("QUINTARA_SEARCH_HOST", m_server.host().toUtf8());
        qputenv("QUINTARA_SUGGEST_HOST", m_server.host().toUtf8());
        m_log->Open(m_home.file(QStringLiteral("full.log")),
                    m_home.file(QStringLiteral("short.log")));
        m_threadsBefore = testsupport::steadyThreadCount();
        m_scripting.Init(m_log);
        m_started =
            std::make_unique<QSignalSpy>(m_scripting.Downloader(), &CDownloader::StartDownload);
    }

    void TearDown() override
    {
        EXPECT_TRUE(m_scripting.Shutdown());
        m_server.openGate();
        qunsetenv("QUINTARA_SEARCH_HOST");
        qunsetenv("QUINTARA_SUGGEST_HOST");
        qunsetenv("QUINTARA_ONLINE");
    }

    void openProject()
    {
        db().OpenCacheDB(m_home.file(QStringLiteral("Default Cache.vxc")));
        db().OpenProjectDB(m_home.file(QStringLiteral("First Project.vxp")));
    }

    DBaser& db() { return *m_scripting.DBaser(); }

    void addCandidates(const QStringList& keywords)
    {
        CDataNode operation;
        db().AddKWs(listOf(keywords), operation);
    }

    // Ranks the keywords without giving the lookup a turn.
    void rank(const QStringList& keywords, int relevancy)
    {
        const bool paused = m_scripting.AutoResearchPaused();
        m_scripting.setAutoResearchPaused(true);
        const KeywordTable table = db().getKWs(kwk_raw);
        CKeyedCollection ids;
        for (int i = 0; i < table.count(); ++i)
            if (keywords.contains(table.texts.at(i)))
                ids.Add(table.ids.at(i));
        db().SetRelevancy(ids, relevancy);
        m_scripting.setAutoResearchPaused(paused);
    }

    void storeCounts(const QList<std::pair<QString, int>>& counts)
    {
        CDataNode node;
        for (const auto& [keyword, count] : counts)
            node.Attributes().Add(keyword, count);
        db().AddOvertured(node, QString());
    }

    // URLs of the downloads started so far, after waiting for at least `count` of them.
    QStringList startedUrls(int count = 0, std::chrono::milliseconds deadline = 10s)
    {
        testsupport::waitUntil([&] { return m_started->count() >= count; }, deadline);
        QStringList urls;
        for (const QList<QVariant>& arguments : *m_started)
            urls << arguments.at(1).toString();
        return urls;
    }

    // Lets pending jobs run for a moment, for checks that nothing was started.
    QStringList urlsAfterAWhile() { return startedUrls(1000, 500ms); }

    void tickLeadWords(int times)
    {
        for (int i = 0; i < times; ++i)
            m_scripting.moLeadWordsTimer_Timer();
    }

    testsupport::TempHome m_home;
    ResearchServer m_server;
    CLogPtr m_log = std::make_shared<CLog>();
    Scripting m_scripting;
    std::unique_ptr<QSignalSpy> m_started;
    int m_threadsBefore = 0;
};

TEST_F(ScriptingTest, InitBuildsTheEngineAndFinalizeIsHarmlessTwice)
{
    EXPECT_NE(m_scripting.Downloader(), nullptr);
    EXPECT_NE(m_scripting.SEContacter(), nullptr);
    EXPECT_NE(m_scripting.DBaser(), nullptr);
    EXPECT_FALSE(m_scripting.AutoResearchPaused());
    EXPECT_EQ(m_scripting.SearchesCountInterval(), 20);
    EXPECT_TRUE(testsupport::threadsSettleAt(m_threadsBefore + 4)) << "three timers and the poll";

    m_scripting.Finalize();
    EXPECT_NO_THROW(m_scripting.Finalize());
    EXPECT_TRUE(testsupport::threadsSettleAt(m_threadsBefore)) << "the timers' threads have ended";
    EXPECT_NE(m_scripting.Downloader(), nullptr);
}

TEST_F(ScriptingTest, SearchesCountIntervalIsClamped)
{
    const std::pair<int, int> cases[] = {{14, 15}, {15, 15}, {40, 40}, {65, 65},
                                         {66, 65}, {0, 15},  {-7, 15}, {1000, 65}};
    for (const auto& [seconds, readBack] : cases) {
        m_scripting.setSearchesCountInterval(seconds);
        EXPECT_EQ(m_scripting.SearchesCountInterval(), readBack) << seconds;
    }
}

TEST_F(ScriptingTest, ComponentIsCreatedByItsProgId)
{
    const std::unique_ptr<QObject> object = CThreadLauncher().CreateObject("Zentrel.Scripting");
    EXPECT_NE(qobject_cast<Scripting*>(object.get()), nullptr);
}

TEST_F(ScriptingTest, SearchCountTickCountsTheFirstKeywordEvenWhilePaused)
{
    m_scripting.moOvertureTimer_Timer(); // no project: nothing
    openProject();
    addCandidates({QStringLiteral("blue")});
    m_scripting.setAutoResearchPaused(true);
    m_scripting.moOvertureTimer_Timer();
    const QStringList urls = startedUrls(1);
    ASSERT_EQ(urls.size(), 1);
    EXPECT_TRUE(ResearchHosts::IsSuggestURL(urls.at(0))) << urls.at(0).toStdString();
    EXPECT_TRUE(urls.at(0).contains(QStringLiteral("term=blue")));
    // The job's entries go once its worker has ended.
    EXPECT_TRUE(
        testsupport::waitUntil([&] { return m_scripting.SEContacter()->RunningJobs() == 0; }));
}

TEST_F(ScriptingTest, RankingAboveTwoStartsALookupAtOnce)
{
    openProject();
    addCandidates({QStringLiteral("red shoes")});
    rank({QStringLiteral("red shoes")}, 2);
    m_scripting.moLookupTimer_Timer(); // nothing ranked above 2
    EXPECT_TRUE(urlsAfterAWhile().isEmpty());

    const KeywordTable kept = db().getKWs(kwk_kws);
    ASSERT_EQ(kept.count(), 1);
    CKeyedCollection ids;
    ids.Add(kept.ids.at(0));
    db().SetRelevancy(ids, 3);
    const QStringList urls = startedUrls(1);
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls.at(0), m_server.url(QStringLiteral("/search?as_q=red+shoes&num=10")));
}

TEST_F(ScriptingTest, LookupWaitsWhilePausedBusyOrFlooded)
{
    openProject();
    addCandidates({QStringLiteral("red shoes")});
    rank({QStringLiteral("red shoes")}, 4);

    m_scripting.setAutoResearchPaused(true);
    m_scripting.moLookupTimer_Timer();
    EXPECT_TRUE(urlsAfterAWhile().isEmpty());
    m_scripting.setAutoResearchPaused(false);

    // Three downloads running.
    for (int i = 0; i < Scripting::kMaxDownloadsForLookup; ++i)
        m_scripting.Downloader()->Download(m_server.url(QStringLiteral("/gate?%1").arg(i)));
    m_scripting.moLookupTimer_Timer();
    EXPECT_EQ(urlsAfterAWhile().size(), Scripting::kMaxDownloadsForLookup);
    m_scripting.Downloader()->CancelAll();

    // More than 200 candidates waiting.
    QStringList candidates;
    for (int i = 0; i <= Scripting::kMaxWaitingCandidates; ++i)
        candidates << QStringLiteral("candidate %1").arg(i);
    addCandidates(candidates);
    m_started->clear();
    m_scripting.moLookupTimer_Timer();
    EXPECT_TRUE(urlsAfterAWhile().isEmpty());

    // With 200 the lookup goes on.
    const KeywordTable raw = db().getKWs(kwk_raw);
    CKeyedCollection one;
    one.Add(raw.ids.at(0));
    db().DeleteKWs(one);
    m_scripting.moLookupTimer_Timer();
    EXPECT_EQ(startedUrls(1).size(), 1);
}

TEST_F(ScriptingTest, LeadWordsRunOnTheFifthTickAndPausingHoldsTheCounter)
{
    openProject();
    addCandidates({QStringLiteral("widget parts"), QStringLiteral("blue widget sale"),
                   QStringLiteral("cheap blue widget")});
    rank({QStringLiteral("widget parts"), QStringLiteral("blue widget sale"),
          QStringLiteral("cheap blue widget")},
         5);

    tickLeadWords(3);
    EXPECT_EQ(m_scripting.leadWordsTicks(), 3);
    m_scripting.setAutoResearchPaused(true);
    tickLeadWords(4);
    EXPECT_EQ(m_scripting.leadWordsTicks(), 3);
    m_scripting.setAutoResearchPaused(false);
    tickLeadWords(1);
    EXPECT_TRUE(urlsAfterAWhile().isEmpty());
    tickLeadWords(1); // the fifth: "widget" was never counted, so it is counted now
    const QStringList urls = startedUrls(1);
    ASSERT_EQ(urls.size(), 1);
    EXPECT_TRUE(urls.at(0).contains(QStringLiteral("term=widget")));
    EXPECT_EQ(m_scripting.leadWordsTicks(), 0);
}

TEST_F(ScriptingTest, LeadWordsPassThatCannotBeSetUpIsTriedAtTheNextTick)
{
    // No project open: the pass fails and the counter stays.
    tickLeadWords(Scripting::kLeadWordsTicksPerPass);
    EXPECT_GE(m_scripting.leadWordsTicks(), Scripting::kLeadWordsTicksPerPass);
    openProject();
    addCandidates(kWidgetKeywords);
    rank(kWidgetKeywords, 5);
    tickLeadWords(1);
    EXPECT_EQ(m_scripting.leadWordsTicks(), 0);
}

TEST_F(ScriptingTest, LeadWordImportsCacheKeywordsOncePerRun)
{
    openProject();
    addCandidates(kWidgetKeywords);
    rank(kWidgetKeywords, 5);
    storeCounts({{QStringLiteral("widget"), 900},
                 {QStringLiteral("cheap widget"), 50},
                 {QStringLiteral("tools widget"), 20}});
    const int before = db().GetCount(123);
    tickLeadWords(Scripting::kLeadWordsTicksPerPass);
    EXPECT_EQ(db().GetCount(123), before + 2);
    EXPECT_TRUE(urlsAfterAWhile().isEmpty()); // the word has a count: nothing to count

    storeCounts({{QStringLiteral("widget sale"), 70}});
    tickLeadWords(Scripting::kLeadWordsTicksPerPass);
    EXPECT_EQ(db().GetCount(123), before + 2); // never imported again while the engine runs
}

TEST_F(ScriptingTest, LeadWordsPassStopsAfterMoreThanTwoHundredImports)
{
    openProject();
    const QStringList kept = {QStringLiteral("alpha one"),   QStringLiteral("alpha two"),
                              QStringLiteral("alpha three"), QStringLiteral("bravo four"),
                              QStringLiteral("bravo five"),  QStringLiteral("bravo six")};
    addCandidates(kept);
    rank(kept, 5);
    QList<std::pair<QString, int>> counts = {{QStringLiteral("alpha"), 10},
                                             {QStringLiteral("bravo"), 10}};
    for (int i = 0; i <= Scripting::kMaxImportedPerPass; ++i) {
        counts.append({QStringLiteral("alpha w%1").arg(i), 5});
        counts.append({QStringLiteral("bravo w%1").arg(i), 5});
    }
    storeCounts(counts);
    tickLeadWords(Scripting::kLeadWordsTicksPerPass);
    const KeywordTable raw = db().getKWs(kwk_raw);
    int alpha = 0;
    int bravo = 0;
    for (const QString& text : raw.texts) {
        alpha += text.contains(QStringLiteral("alpha")) ? 1 : 0;
        bravo += text.contains(QStringLiteral("bravo")) ? 1 : 0;
    }
    EXPECT_EQ(alpha + bravo, Scripting::kMaxImportedPerPass + 1);
    EXPECT_TRUE(alpha == 0 || bravo == 0) << alpha << " " << bravo;
}

} // namespace

TEST_F(ScriptingTest, ShutdownEndsHeldDownloadsAtOnceAndRefusesNewOnes)
{
    QStringList cookies;
    for (int i = 0; i < 5; ++i)
        cookies << m_scripting.Downloader()->Download(
            m_server.url(QStringLiteral("/gate?%1").arg(i)));
    ASSERT_TRUE(testsupport::waitUntil([&] { return m_server.held() == 5; }));
    QSignalSpy completes(m_scripting.Downloader(), &CDownloader::Complete);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(m_scripting.Shutdown());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(m_scripting.RunningThreads(), 0);
    EXPECT_TRUE(testsupport::threadsSettleAt(m_threadsBefore));
    EXPECT_EQ(completes.count(), 5) << "the given-up downloads still report their end";
    EXPECT_THROW(m_scripting.Downloader()->Download(m_server.url(QStringLiteral("/search"))),
                 ZError);
    EXPECT_THROW(m_scripting.SEContacter()->RunOverture(QStringLiteral("late"), {}), ZError);
}
