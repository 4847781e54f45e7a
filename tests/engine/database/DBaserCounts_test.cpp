#include <QSignalSpy>

#include "engine/platform/SqlDate.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

class DBaserCounts : public DBaserFixture {
protected:
    void SetUp() override
    {
        db->InitMaster();
        openBoth();
    }

    void add(const QStringList& keywords)
    {
        CDataNode operation;
        db->AddKWs(words(keywords), operation);
    }

    void store(const QString& name, const QVariant& count)
    {
        CDataNode counts;
        counts.Attributes().Add(name, count);
        db->AddOvertured(counts, {});
    }

    void ageCount(const QString& kw, double days)
    {
        db->CacheDB()->execute("UPDATE Cache SET dte = ?1 WHERE KW = ?2",
                               {SqlDate::now() - days, kw});
    }

    void rank(const QString& kw, int relevancy)
    {
        db->SetRelevancy(
            items({projectScalar("SELECT pkKeyword FROM Keyword WHERE KW = ?1", {kw})}), relevancy);
    }
};

TEST_F(DBaserCounts, ARecordWithoutCountsChangesNothingAndRaisesNothing)
{
    QSignalSpy spy(db.get(), &DBaser::NewOvertureCounts);
    CDataNode empty;
    db->AddOvertured(empty, "blue");
    EXPECT_EQ(db->CacheSize(), 0);
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(DBaserCounts, ACountReplacesTheOldOneAndKeepsTheStoredSpelling)
{
    QSignalSpy spy(db.get(), &DBaser::NewOvertureCounts);
    store("blue widget", 10);
    ageCount("blue widget", 5);
    store("BLUE widget", 20);
    EXPECT_EQ(spy.count(), 2);
    auto row = db->CacheDB()->query("SELECT KW, Count, dte FROM Cache");
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.text(0), "blue widget");
    EXPECT_EQ(row.int32(1), 20);
    EXPECT_GT(row.real(2), SqlDate::now() - 0.01);
    EXPECT_FALSE(row.next());
}

TEST_F(DBaserCounts, ACountIsStoredUnderTheIdentityOfTheTextAReaderSees)
{
    add({"blue widget"});
    store(QStringLiteral("blue \u200B\twidget\u202E"), 10);
    store(QStringLiteral("\u200B\u2066"), 5);
    EXPECT_EQ(db->CacheSize(), 1);
    EXPECT_EQ(db->CacheDB()->scalar("SELECT KW FROM Cache").toString(), "blue widget");
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword").toInt(), 10);
}

TEST_F(DBaserCounts, NamesOf256CharactersAreSkipped)
{
    CDataNode counts;
    counts.Attributes().Add(QString(256, 'a'), 1);
    counts.Attributes().Add(QString(255, 'b'), 2);
    db->AddOvertured(counts, {});
    EXPECT_EQ(db->CacheSize(), 1);
    EXPECT_EQ(db->CacheDB()->scalar("SELECT length(KW) FROM Cache").toInt(), 255);
}

TEST_F(DBaserCounts, ACountThatIsNoNumberIsRefused)
{
    EXPECT_THROW(store("blue widget", "many"), ZError);
    EXPECT_TRUE(logged(4, 3091, "DBaser.AddOvertured")) << "SQLITE_CONSTRAINT_DATATYPE";
    EXPECT_EQ(db->CacheSize(), 0);
    store("blue widget", "42");
    EXPECT_EQ(db->CacheDB()->scalar("SELECT Count FROM Cache").toInt(), 42);
}

TEST_F(DBaserCounts, OverDateIsTheZeroDateUnlessTheIdentityWasCounted)
{
    EXPECT_EQ(db->OverDate("blue widget"), SqlDate::zeroDate());
    EXPECT_EQ(SqlDate::zeroDate(), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    store("blue widget", 10);
    const QDateTime stored = db->OverDate("blue widget");
    EXPECT_LT(std::abs(stored.secsTo(QDateTime::currentDateTime())), 5);
    EXPECT_EQ(db->OverDate("Widget~Blue"), stored);
    EXPECT_EQ(db->OverDate("widget  -blue"), stored);
}

TEST_F(DBaserCounts, RecalcDeletesStaleCountsOfTheProjectsUnbannedKeywords)
{
    add({"stale one", "fresh one", "banned stale", "other"});
    rank("banned stale", 0);
    for (const char* kw : {"one stale", "fresh one", "banned stale", "unrelated"})
        store(kw, 7);
    ageCount("one stale", 61);
    ageCount("fresh one", 59);
    ageCount("banned stale", 90);
    ageCount("unrelated", 90);
    db->RecalcOverTimes();
    auto rows = db->CacheDB()->query("SELECT KW FROM Cache ORDER BY KW");
    QStringList kept;
    while (rows.next())
        kept << rows.text(0);
    EXPECT_EQ(kept, QStringList({"banned stale", "fresh one", "unrelated"}));
    EXPECT_TRUE(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'stale one'").isNull());
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'fresh one'").toInt(), 7);
}

// The copies end as after clearing every copy and copying every count, and only the copies
// that change are written.
TEST_F(DBaserCounts, RecalcWritesOnlyTheCopiesThatChange)
{
    add({"kept one", "changed one", "gone one", "never counted"});
    for (const char* kw : {"kept one", "changed one", "gone one"})
        store(kw, 7);
    db->ProjectDB()->execute("UPDATE Keyword SET Searches = 5 WHERE KW = 'changed one'");
    db->CacheDB()->execute("DELETE FROM cache.Cache WHERE KW = 'gone one'");
    db->ProjectDB()->execute("CREATE TEMP TABLE Written (KW TEXT)");
    db->ProjectDB()->execute("CREATE TEMP TRIGGER CountWrites AFTER UPDATE OF Searches, CacheDate "
                             "ON project.Keyword BEGIN INSERT INTO Written VALUES (new.KW); END");
    db->RecalcOverTimes();
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'kept one'").toInt(), 7);
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'changed one'").toInt(), 7);
    EXPECT_TRUE(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'gone one'").isNull());
    EXPECT_TRUE(projectScalar("SELECT CacheDate FROM Keyword WHERE KW = 'gone one'").isNull());
    EXPECT_TRUE(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'never counted'").isNull());
    auto rows = db->ProjectDB()->query("SELECT DISTINCT KW FROM temp.Written ORDER BY KW");
    QStringList written;
    while (rows.next())
        written << rows.text(0);
    EXPECT_EQ(written, QStringList({"changed one", "gone one"}));
}

TEST_F(DBaserCounts, TheNextKeywordToCountIsTheBestRankedThenTheShortest)
{
    EXPECT_EQ(db->get1stNotOvertured(), QString());
    add({"long candidate words", "short one", "banned", "ranked five words"});
    rank("banned", 0);
    EXPECT_EQ(db->get1stNotOvertured(), "short one");
    rank("ranked five words", 5);
    EXPECT_EQ(db->get1stNotOvertured(), "ranked five words");
    store("five ranked words", 3);
    store("one short", 3);
    EXPECT_EQ(db->get1stNotOvertured(), "long candidate words");
    store("candidate long words", 3);
    EXPECT_EQ(db->get1stNotOvertured(), QString()) << "a banned keyword is never counted";
}

TEST_F(DBaserCounts, TheNextLookupSkipsRecentLookupsAndLowRanks)
{
    add({"looked up", "not yet looked", "may be"});
    rank("looked up", 5);
    rank("not yet looked", 4);
    rank("may be", 2);
    db->UpdateLookupDate("LOOKED UP");
    db->ProjectDB()->execute("UPDATE Keyword SET LookupDate = ?1 WHERE KW = 'looked up'",
                             {SqlDate::now() - 10});
    EXPECT_EQ(db->get1stForLookup(), "not yet looked");
    db->UpdateLookupDate("not yet looked");
    EXPECT_EQ(db->get1stForLookup(), QString());
    db->ProjectDB()->execute("UPDATE Keyword SET LookupDate = ?1 WHERE KW = 'looked up'",
                             {SqlDate::now() - 31});
    EXPECT_EQ(db->get1stForLookup(), "looked up");
    db->UpdateLookupDate("not in project");
    EXPECT_EQ(projectScalar("SELECT count(*) FROM Keyword WHERE LookupDate IS NOT NULL").toInt(),
              2);
}

} // namespace
