#include "engine/database/CountsCopy.h"

#include <sqlite3.h>

#include <optional>

#include "engine/platform/SqlTransaction.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

struct Row {
    const char* key;
    // The keyword's copies before (nullopt: no keyword of that key).
    std::optional<QVariant> searches;
    QVariant cacheDate;
    // The cache's row (nullopt: no row of that key).
    std::optional<QVariant> count;
    QVariant dte;
    // The copies after, and whether the keyword is written.
    QVariant searchesAfter;
    QVariant cacheDateAfter;
    bool written;
};

const QVariant none;

// Keys chosen so that the two sides interleave: keys held by one side only sit before, between
// and after the shared ones; keys differing in case, also beyond ASCII, are the same key.
const Row kRows[] = {
    {"aa", 1, 2.0, std::nullopt, none, 1, 2.0, false},
    {"ab", std::nullopt, none, 5, 3.0, none, none, false},
    {"b same", 7, 4.5, 7, 4.5, 7, 4.5, false},
    {"c count", 7, 4.5, 8, 4.5, 8, 4.5, true},
    {"d date", 7, 4.5, 7, 4.75, 7, 4.75, true},
    {"e none yet", none, none, 9, 1.0, 9, 1.0, true},
    {"f count gone", 7, 4.5, none, 4.5, none, 4.5, true},
    {"g both null", none, none, none, none, none, none, false},
    {"H Case", 1, 1.0, 2, 1.0, 2, 1.0, true},
    {"m only cache", std::nullopt, none, 3, 3.0, none, none, false},
    {"n only project", 4, 4.0, std::nullopt, none, 4, 4.0, false},
    {"\xc3\x84rger x", 1, 1.0, 6, 6.0, 6, 6.0, true},
    {"zz", std::nullopt, none, 1, 1.0, none, none, false},
};

class CountsCopyTest : public DBaserFixture {
protected:
    void SetUp() override { openBoth(); }

    const SqlDatabase& project() const { return *db->ProjectDB(); }

    // The cache spells a key in lower case where the project spells it otherwise.
    static QString cacheKey(const Row& row) { return QString::fromUtf8(row.key).toLower(); }

    void fill(bool sparse) const
    {
        for (const Row& row : kRows) {
            if (sparse)
                insertKeyword(QStringLiteral("gap ") + QString::fromUtf8(row.key), none, none);
            if (row.searches)
                insertKeyword(QString::fromUtf8(row.key), *row.searches, row.cacheDate);
            if (row.count)
                project().execute("INSERT INTO cache.Cache (KW, Count, dte) VALUES (?1, ?2, ?3)",
                                  {cacheKey(row), *row.count, row.dte});
        }
        project().execute("DELETE FROM Keyword WHERE KW LIKE 'gap %'");
    }

    void insertKeyword(const QString& key, const QVariant& searches, const QVariant& date) const
    {
        project().execute("INSERT INTO Keyword (KW, Normalized, Searches, CacheDate) VALUES (?1, "
                          "?1, ?2, ?3)",
                          {key, searches, date});
    }

    qint64 totalChanges() const { return project().scalar("SELECT total_changes()").toLongLong(); }

    QVariant searchesOf(const char* key) const
    {
        return projectScalar("SELECT Searches FROM Keyword WHERE KW = ?1", {key});
    }
};

// The copies are read on a connection of their own; a file that no other connection can open
// (moved while open) is copied just the same on the shared one.
TEST_F(CountsCopyTest, AFileNoOtherConnectionOpensIsCopiedOnTheSharedOne)
{
    fill(true);
    const QString moved = projectFile + ".moved";
    ASSERT_TRUE(QFile::rename(projectFile, moved));
    project().execute("DELETE FROM project.CountsSynced");
    const qint64 before = totalChanges();
    CountsCopy::copyAll(project());
    ASSERT_TRUE(QFile::rename(moved, projectFile));
    qint64 written = 0;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.key);
        written += row.written ? 1 : 0;
        if (row.searches) {
            EXPECT_EQ(searchesOf(row.key), row.searchesAfter);
        }
    }
    EXPECT_EQ(totalChanges() - before, written);
}

// Another connection sees neither the shared connection's uncommitted writes nor an older view
// it still holds: the copy then compares the copies as the shared connection sees them.
TEST_F(CountsCopyTest, ACopySeesTheSharedConnectionsOwnView)
{
    insertKeyword("k", 8, 1.0);
    project().execute("INSERT INTO cache.Cache (KW, Count, dte) VALUES ('k', 8, 1.0)");
    {
        SqlTransaction transaction(project().connection());
        project().execute("UPDATE Keyword SET Searches = 5");
        CountsCopy::copyAll(project());
        EXPECT_EQ(searchesOf("k").toInt(), 8) << "its own uncommitted write";
    }
    {
        // A statement still open holds the view it began with.
        auto open = project().query("SELECT Searches FROM Keyword");
        ASSERT_TRUE(open.next());
        SqlConnection::open(projectFile)->exec("UPDATE Keyword SET Searches = 3");
        EXPECT_NO_THROW(CountsCopy::copyAll(project()));
        EXPECT_EQ(searchesOf("k").toInt(), 8) << "an older view";
    }
    EXPECT_EQ(searchesOf("k").toInt(), 3);
}

TEST_F(CountsCopyTest, CopiesWhatDiffersAndWritesNothingElse)
{
    for (const bool sparse : {false, true}) {
        SCOPED_TRACE(sparse ? "ids with gaps" : "dense ids");
        project().execute("DELETE FROM Keyword");
        project().execute("DELETE FROM cache.Cache");
        fill(sparse);
        // The record of the copies goes with their first change; gone before, it adds none.
        project().execute("DELETE FROM project.CountsSynced");
        const qint64 before = totalChanges();
        CountsCopy::copyAll(project());
        qint64 written = 0;
        for (const Row& row : kRows) {
            SCOPED_TRACE(row.key);
            written += row.written ? 1 : 0;
            if (!row.searches)
                continue;
            auto copy = project().query("SELECT Searches, CacheDate FROM Keyword WHERE KW = ?1",
                                        {QString::fromUtf8(row.key)});
            ASSERT_TRUE(copy.next());
            EXPECT_EQ(copy.value(0), row.searchesAfter);
            EXPECT_EQ(copy.value(1), row.cacheDateAfter);
        }
        EXPECT_EQ(totalChanges() - before, written);
        const qint64 again = totalChanges();
        CountsCopy::copyAll(project());
        EXPECT_EQ(totalChanges(), again) << "a second copy finds nothing to write";
    }
}

TEST_F(CountsCopyTest, EmptySidesCopyNothing)
{
    CountsCopy::copyAll(project());
    insertKeyword("lonely", 3, 1.0);
    CountsCopy::copyAll(project());
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword").toInt(), 3);
    project().execute("DELETE FROM Keyword");
    project().execute("INSERT INTO cache.Cache (KW, Count, dte) VALUES ('lonely', 4, 1)");
    CountsCopy::copyAll(project());
    EXPECT_EQ(keywordCount(), 0);
}

// The sqlite3 client's own NOCASE folds ASCII letters only, so a cache it wrote holds keys
// beyond ASCII in another order than the program's collation: the copy then gives what a lookup
// of each keyword gives.
TEST_F(CountsCopyTest, ACacheInAnotherOrderIsCopiedAsByLookups)
{
    const QStringList keys = {"äa x", "äb x", "äc x", "äz x", "zz"};
    for (const QString& key : keys)
        insertKeyword(key, none, none);
    sqlite3* plain = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(cacheFile.toUtf8().constData(), &plain, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(plain,
                           "INSERT INTO Cache (KW, Count, dte) VALUES ('Äz x', 1, 1), "
                           "('äa x', 2, 1), ('äb x', 3, 1), ('äc x', 4, 1), "
                           "('zz', 5, 1)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(plain);
    const QString copies = "SELECT group_concat(KW || '=' || ifnull(Searches, '-'), ' ') FROM "
                           "(SELECT KW, Searches FROM Keyword ORDER BY pkKeyword)";
    CountsCopy::copyAll(project());
    const QString walked = projectScalar(copies).toString();
    project().execute("UPDATE Keyword SET Searches = NULL, CacheDate = NULL");
    CountsCopy::copyWhere(project(), {});
    EXPECT_EQ(walked, projectScalar(copies).toString());
    EXPECT_TRUE(walked.endsWith("zz=5"));
}

} // namespace
