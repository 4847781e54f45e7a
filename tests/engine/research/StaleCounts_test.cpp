// The record of how far the project's copies of the search counts are up to date is never
// trusted after something else changed the copies or the cache, and the search-count tick never
// picks a keyword whose count the cache already holds: it asks for one that truly lacks one.
#include <functional>

#include <gtest/gtest.h>

#include "engine/database/DBaser.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlConnection.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/ResearchHosts.h"
#include "engine/research/Scripting.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;

namespace {

class StaleCountsTest : public ::testing::Test {
public:
    StaleCountsTest()
        : m_online("QUINTARA_ONLINE", "1")
        , m_suggest("QUINTARA_SUGGEST_HOST", m_server.host().toUtf8())
    {
    }

    // Three candidates, shortest first: "red" counted, "blue" (the one whose copy falls
    // behind) and "green", which truly lacks a count.
    void SetUp() override
    {
        m_server.page(ResearchHosts::suggestPath().toStdString(), "No suggestions for <b>x</b>");
        m_log->Open(m_home.file(QStringLiteral("full.log")),
                    m_home.file(QStringLiteral("short.log")));
        m_scripting.Init(m_log);
        reopen(true);
        CKeyedCollection keywords;
        for (const char* kw : {"red", "blue", "green"})
            keywords.Add(QString::fromLatin1(kw));
        CDataNode operation;
        db().AddKWs(keywords, operation);
        store(QStringLiteral("red"), 20);
    }

    void TearDown() override { EXPECT_TRUE(m_scripting.Shutdown()); }

    // The steps of a case run through these.

    DBaser& db() { return *m_scripting.DBaser(); }
    QString cacheFile() const { return m_home.file(QStringLiteral("Default Cache.vxc")); }
    QString projectFile() const { return m_home.file(QStringLiteral("First Project.vxp")); }

    // What the program does when it starts again on the same files.
    void reopen(bool cacheToo)
    {
        if (cacheToo)
            db().OpenCacheDB(cacheFile());
        db().OpenProjectDB(projectFile());
    }

    void store(const QString& kw, int count)
    {
        CDataNode counts;
        counts.Attributes().Add(kw, count);
        db().AddOvertured(counts, {});
    }

    // Keywords whose copies differ from the cache's row.
    int copiesBehind()
    {
        return db()
            .ProjectDB()
            ->scalar(QStringLiteral(
                "SELECT count(*) FROM Keyword AS k JOIN cache.Cache AS c ON c.KW = k.Normalized "
                "WHERE k.Searches IS NOT c.Count OR k.CacheDate IS NOT c.dte"))
            .toInt();
    }

    // The suggestion requests the search-count tick sends, once there is one.
    std::vector<std::string> tickRequests()
    {
        const size_t before = m_server.targets().size();
        m_scripting.moOvertureTimer_Timer();
        testsupport::waitUntil([&] { return m_server.targets().size() > before; });
        const std::vector<std::string> targets = m_server.targets();
        return {targets.begin() + static_cast<std::ptrdiff_t>(before), targets.end()};
    }

    void waitForJobs()
    {
        testsupport::waitUntil([&] { return m_scripting.SEContacter()->RunningJobs() == 0; });
    }

protected:
    FixtureServer m_server;
    testsupport::ScopedEnv m_online;
    testsupport::ScopedEnv m_suggest;
    testsupport::TempHome m_home;
    CLogPtr m_log = std::make_shared<CLog>();
    Scripting m_scripting;
};

bool asksFor(const std::vector<std::string>& requests, const std::string& kw)
{
    if (requests.size() != 1)
        return false;
    const std::string& target = requests.front();
    const std::string term = "term=" + kw;
    const size_t at = target.find(term);
    return at != std::string::npos &&
           (at + term.size() == target.size() || target[at + term.size()] == '&');
}

// Each case leaves "blue" without a copy while the cache holds its count, in a way that the
// record of the copies must not survive.
struct StaleCase {
    const char* name;
    std::function<void(StaleCountsTest&)> stale;
    bool reopenCache; // the cache's open builds its index and triggers again when they are gone
};

class StaleRecordTest : public StaleCountsTest,
                        public ::testing::WithParamInterface<const StaleCase*> {};

const StaleCase kStaleCases[] = {
    {"AnotherProgramRecountedTheProjectAgainstAnotherCache",
     [](StaleCountsTest& t) {
         t.store(QStringLiteral("blue"), 10);
         SqlConnection::open(t.projectFile())
             ->exec(QStringLiteral(
                 "ATTACH ':memory:' AS other;"
                 "CREATE TABLE other.Cache (KW TEXT PRIMARY KEY COLLATE NOCASE, Count INTEGER, "
                 "dte REAL);"
                 "INSERT INTO other.Cache VALUES ('red', 5, 2.0);"
                 "UPDATE Keyword SET Searches = NULL, CacheDate = NULL;"
                 "UPDATE Keyword SET Searches = (SELECT Count FROM other.Cache WHERE KW = "
                 "Keyword.Normalized), CacheDate = (SELECT dte FROM other.Cache WHERE KW = "
                 "Keyword.Normalized) WHERE Normalized IN (SELECT KW FROM other.Cache);"));
     },
     true},
    {"AnotherProgramRebuiltTheKeywordTableAndClearedTheCopies",
     [](StaleCountsTest& t) {
         t.store(QStringLiteral("blue"), 10);
         // A table built again loses its triggers.
         auto other = SqlConnection::open(t.projectFile());
         const QString watch =
             QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' AND tbl_name "
                            "= 'Keyword' AND sql LIKE '%CountsSynced%'");
         auto names = other->prepare(watch);
         QStringList dropped;
         while (names.next())
             dropped << names.text(0);
         for (const QString& name : dropped)
             other->exec(QStringLiteral("DROP TRIGGER ") + SqlConnection::quoted(name));
         other->exec(QStringLiteral("UPDATE Keyword SET Searches = NULL, CacheDate = NULL"));
     },
     true},
    {"ACountWasStoredInTheCacheWhileTheCopyRan",
     [](StaleCountsTest& t) {
         // Fired by the copy of red's new count, before the record is made.
         t.db().ProjectDB()->execute(QStringLiteral(
             "CREATE TEMP TRIGGER CountDuringCopy AFTER UPDATE OF Searches ON project.Keyword "
             "WHEN new.Normalized = 'red' BEGIN INSERT INTO Cache (KW, Count, dte) VALUES "
             "('blue', 10, 45000.0); END"));
         t.store(QStringLiteral("red"), 21);
         t.db().ProjectDB()->execute(QStringLiteral("DROP TRIGGER temp.CountDuringCopy"));
     },
     true},
    {"RefreshSearchesCountsEndedAfterClearingTheCopies",
     [](StaleCountsTest& t) {
         t.store(QStringLiteral("blue"), 10);
         // What the command has written when the process dies right after its clear.
         t.db().ProjectDB()->execute(
             QStringLiteral("UPDATE project.Keyword SET Searches = NULL, CacheDate = NULL"));
     },
     true},
    {"AnotherProgramDroppedTheCachesTriggersAndStoredACount",
     [](StaleCountsTest& t) {
         SqlConnection::open(t.cacheFile())
             ->exec(QStringLiteral(
                 "DROP TRIGGER CacheTextAdd; DROP TRIGGER CacheTextRemove; DROP TRIGGER "
                 "CacheTextRename; DROP TRIGGER CacheCountChange;"
                 "INSERT INTO Cache (KW, Count, dte) VALUES ('blue', 10, 45000.0);"));
     },
     false},
};

TEST_P(StaleRecordTest, TheNextStartCopiesTheCountsAndTheTickAsksForAnUncountedKeyword)
{
    GetParam()->stale(*this);
    reopen(GetParam()->reopenCache);
    EXPECT_EQ(copiesBehind(), 0);
    EXPECT_TRUE(asksFor(tickRequests(), "green"));
    waitForJobs();
}

INSTANTIATE_TEST_SUITE_P(Cases, StaleRecordTest, ::testing::ValuesIn([] {
                             std::vector<const StaleCase*> cases;
                             for (const StaleCase& c : kStaleCases)
                                 cases.push_back(&c);
                             return cases;
                         }()),
                         [](const auto& info) { return std::string(info.param->name); });

// A count that reached the cache with nothing told of it (here a plain write on the engine's
// own connection): the tick brings the copies up to date instead of picking the keyword, and
// when the copy cannot mend it, the tick still ends and asks for another.
TEST_F(StaleCountsTest, TheTickMendsCopiesBehindTheCacheOrPassesOverThem)
{
    for (const bool mendable : {true, false}) {
        SCOPED_TRACE(mendable ? "the copy mends it" : "the copy cannot mend it");
        // Neither counted again (the last round's request counted green).
        db().CacheDB()->execute(QStringLiteral("DELETE FROM Cache WHERE KW IN ('blue', 'green')"));
        db().ProjectDB()->execute(QStringLiteral("UPDATE project.Keyword SET Searches = NULL, "
                                                 "CacheDate = NULL WHERE KW IN ('blue', 'green')"));
        if (!mendable)
            db().ProjectDB()->execute(QStringLiteral(
                "CREATE TEMP TRIGGER NoCopy BEFORE UPDATE OF Searches ON project.Keyword WHEN "
                "new.Normalized = 'blue' BEGIN SELECT RAISE(IGNORE); END"));
        db().CacheDB()->execute(
            QStringLiteral("INSERT INTO Cache (KW, Count, dte) VALUES ('blue', 10, 45000.0)"));
        EXPECT_TRUE(asksFor(tickRequests(), "green"));
        EXPECT_EQ(copiesBehind(), mendable ? 0 : 1);
        db().ProjectDB()->execute(QStringLiteral("DROP TRIGGER IF EXISTS temp.NoCopy"));
        waitForJobs();
    }
}

} // namespace
