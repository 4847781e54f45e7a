#include "engine/database/CountsRefresh.h"

#include <sqlite3.h>

#include <functional>
#include <utility>

#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlTransaction.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

// The refresh copies what changed since the last one. A copy changed behind the engine's back
// on its own connection shows whether a refresh copied everything: only a refresh of
// everything puts it right.
class CountsRefreshTest : public DBaserFixture {
protected:
    void SetUp() override
    {
        openMaster();
        addKeywords({"blue widget", "red widget"});
        store("blue widget", 10);
        store("red widget", 20);
    }

    void store(const QString& name, int count)
    {
        CDataNode counts;
        counts.Attributes().Add(name, count);
        db->AddOvertured(counts, {});
    }

    void tamper(const QString& kw) const
    {
        db->ProjectDB()->execute("UPDATE Keyword SET Searches = 999 WHERE KW = ?1", {kw});
    }

    // The same with the connection's triggers off, so that the project file's record of the
    // copies survives it: only a copy of everything puts it right.
    void tamperUnseen(const QString& kw) const
    {
        sqlite3* handle = db->ProjectDB()->connection().handle();
        sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        tamper(kw);
        sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, nullptr);
    }

    int searches(const QString& kw) const
    {
        return projectScalar("SELECT Searches FROM Keyword WHERE KW = ?1", {kw}).toInt();
    }
};

TEST_F(CountsRefreshTest, NothingChangedCopiesNothing)
{
    tamper("red widget");
    db->get1stNotOvertured();
    EXPECT_EQ(searches("red widget"), 999);
}

TEST_F(CountsRefreshTest, OnlyTheKeysStoredOrAddedAreCopied)
{
    tamper("red widget");
    store("blue widget", 11);
    EXPECT_EQ(searches("blue widget"), 11);
    store("green widget", 30);
    addKeywords({"widget green"});
    EXPECT_EQ(searches("widget green"), 30) << "a new keyword takes the count it finds";
    EXPECT_EQ(searches("red widget"), 999);
}

TEST_F(CountsRefreshTest, AWorkersStoresAreCopiedByTheMastersPoll)
{
    DBaser worker;
    worker.AttachByObjects(log, db->ProjectDB(), db->CacheDB(), db->NewKWsEventName(),
                           db->NewOvertureCountsEventName());
    CDataNode operation;
    worker.AddKWs(words({"green widget"}), operation);
    db->CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES ('green widget', 5, 1)");
    EXPECT_TRUE(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'green widget'").isNull());
    db->moEventTimer_Timer();
    EXPECT_EQ(searches("green widget"), 5);
    worker.Finalize();
}

// What research does between two ticks, on the master and on a worker sharing its connection,
// never costs a copy of every count.
TEST_F(CountsRefreshTest, ResearchNeverCopiesEverything)
{
    DBaser worker;
    worker.AttachByObjects(log, db->ProjectDB(), db->CacheDB(), db->NewKWsEventName(),
                           db->NewOvertureCountsEventName());
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"search-count tick", [&] { db->get1stNotOvertured(); }},
        {"lookup tick", [&] { db->get1stForLookup(); }},
        {"counts stored by a worker",
         [&] {
             CDataNode counts;
             counts.Attributes().Add("blue widget", 12);
             worker.AddOvertured(counts, {});
         }},
        {"keywords added by a worker",
         [&] {
             CDataNode operation;
             worker.AddKWs(words({"green widget", "widget yellow"}), operation);
         }},
        {"the master's poll", [&] { db->moEventTimer_Timer(); }},
        {"a keyword added on the master", [&] { addKeywords({"purple widget"}); }},
        {"a lookup date", [&] { worker.UpdateLookupDate("blue widget"); }},
        {"a lead-word import", [&] { db->ImportFromCacheForWord("widget"); }},
        {"a keyword kept", [&] { db->SetRelevancy(words({"blue widget"}), 3); }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        tamper("red widget");
        step();
        db->get1stNotOvertured();
        EXPECT_EQ(searches("red widget"), 999);
    }
    worker.Finalize();
}

TEST_F(CountsRefreshTest, MarksOfAWriteTakenBackGoWithIt)
{
    {
        SqlTransaction transaction(db->CacheDB()->connection());
        db->CacheDB()->execute("UPDATE Cache SET Count = 12 WHERE KW = 'blue widget'");
        CountsRefresh::markKeys(*db->CacheDB(), {"blue widget"});
    }
    tamper("blue widget");
    db->get1stNotOvertured();
    EXPECT_EQ(searches("blue widget"), 999);
}

TEST_F(CountsRefreshTest, AnotherConnectionsWriteCopiesEverything)
{
    tamper("red widget");
    {
        auto other = SqlConnection::open(cacheFile);
        other->exec("UPDATE Cache SET Count = 13 WHERE KW = 'blue widget'");
    }
    db->get1stNotOvertured();
    EXPECT_EQ(searches("blue widget"), 13);
    EXPECT_EQ(searches("red widget"), 20);
}

TEST_F(CountsRefreshTest, ReopeningFilesThatDidNotChangeCopiesNothing)
{
    tamperUnseen("red widget");
    db->OpenCacheDB(cacheFile);
    db->OpenProjectDB(projectFile);
    db->get1stNotOvertured();
    EXPECT_EQ(searches("red widget"), 999);
}

TEST_F(CountsRefreshTest, AnotherCacheOrOneChangedMeanwhileCopiesEverything)
{
    const QString otherCache = home.file("Other.vxc");
    db->OpenCacheDB(otherCache);
    store("red widget", 5);
    EXPECT_EQ(searches("red widget"), 5);
    tamper("red widget");
    db->OpenCacheDB(cacheFile);
    db->get1stNotOvertured();
    EXPECT_EQ(searches("red widget"), 20) << "back on the first cache";

    db->OpenCacheDB(otherCache);
    db->get1stNotOvertured();
    tamper("red widget");
    SqlConnection::open(cacheFile)->exec("UPDATE Cache SET Count = 21 WHERE KW = 'red widget'");
    db->OpenCacheDB(cacheFile);
    db->get1stNotOvertured();
    EXPECT_EQ(searches("red widget"), 21) << "the cache changed while another was attached";
}

// Research in another project on the same cache changes counts this project holds: they are
// copied when the project opens, so that its first research tick has nothing to catch up on.
TEST_F(CountsRefreshTest, ACacheChangedMeanwhileIsCopiedAtTheOpenNotAtTheFirstTick)
{
    db->OpenProjectDB(home.file("Other.vxp"));
    store("red widget", 21);
    db->OpenProjectDB(projectFile);
    EXPECT_EQ(searches("red widget"), 21);
    tamper("red widget");
    db->get1stNotOvertured();
    EXPECT_EQ(searches("red widget"), 999);
}

TEST_F(CountsRefreshTest, KeywordsAddedWhileTheProjectWasClosedAreCopied)
{
    db->OpenProjectDB(home.file("Other.vxp"));
    SqlConnection::open(projectFile)
        ->exec("INSERT INTO Keyword (KW, Normalized) VALUES ('widget blue', 'blue widget x')");
    db->CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES ('blue widget x', 4, 1)");
    db->OpenProjectDB(projectFile);
    db->get1stNotOvertured();
    EXPECT_EQ(searches("widget blue"), 4);
}

TEST_F(CountsRefreshTest, RecountsAndNewIdentitiesCopyEverything)
{
    for (const auto& change : std::vector<std::function<void()>>{
             [&] { db->RecalcOverTimes(); }, [&] { db->NormalizeAllDBkws(); }}) {
        tamper("red widget");
        change();
        db->OpenCacheDB(cacheFile);
        db->get1stNotOvertured();
        EXPECT_EQ(searches("red widget"), 20);
    }
}

} // namespace
