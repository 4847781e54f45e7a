#include "engine/platform/SqlConnection.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/SqlError.h"
#include "engine/platform/SqlTransaction.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WriteLockHolder.h"

using namespace zentrel;
using namespace std::chrono_literals;

namespace {

class SqlConnectionTest : public ::testing::Test {
protected:
    QString file(const QString& name) const { return m_dir.filePath(name); }

    SqlDatabasePtr makeFileDb(const QString& name)
    {
        auto connection = SqlConnection::open(file(name), true);
        auto db = std::make_shared<SqlDatabase>(connection, QStringLiteral("main"), file(name));
        db->execute("CREATE TABLE T (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL "
                    "COLLATE NOCASE CHECK (length(name) > 0), n INTEGER) STRICT");
        db->execute("CREATE UNIQUE INDEX TName ON T (name)");
        return db;
    }

    QTemporaryDir m_dir;
};

TEST_F(SqlConnectionTest, OpeningOrAttachingAMissingFileFailsAndCreatesNothing)
{
    try {
        SqlConnection::open(file("missing.db"));
        FAIL() << "opened a missing file";
    } catch (const SqlError& e) {
        EXPECT_EQ(e.primaryCode(), SQLITE_CANTOPEN);
    }
    auto connection = SqlConnection::open(":memory:");
    EXPECT_THROW(connection->attach(file("missing.db"), "other"), SqlError);
    EXPECT_FALSE(QFile::exists(file("missing.db")));
    EXPECT_FALSE(connection->isAttached("other"));
}

TEST_F(SqlConnectionTest, AttachingAFileThatIsNoDatabaseFails)
{
    QFile junk(file("junk.db"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    auto connection = SqlConnection::open(":memory:");
    try {
        connection->attach(file("junk.db"), "junk");
        FAIL() << "attached a file that is no database";
    } catch (const SqlError& e) {
        EXPECT_EQ(e.primaryCode(), SQLITE_NOTADB);
        EXPECT_FALSE(e.description().isEmpty());
    }
    EXPECT_FALSE(connection->isAttached("junk"));
}

TEST_F(SqlConnectionTest, ValuesRoundTripThroughBoundParameters)
{
    auto db = makeFileDb("values.db");
    db->execute("CREATE TABLE V (i INTEGER, r REAL, t TEXT, b BLOB, d REAL) STRICT");
    const QDateTime when(QDate(2024, 2, 29), QTime(18, 0));
    db->execute(
        "INSERT INTO V VALUES (?1, ?2, ?3, ?4, ?5)",
        {qint64(1) << 40, 2.5, QString("it's \"x\" ; DROP TABLE V"), QByteArray("\0\1", 2), when});
    db->execute("INSERT INTO V VALUES (?1, ?2, ?3, ?4, ?5)",
                {QVariant(), QVariant(), QVariant(), QVariant(), QDateTime()});
    auto rows = db->query("SELECT i, r, t, b, d FROM V ORDER BY rowid");
    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.int64(0), qint64(1) << 40);
    EXPECT_DOUBLE_EQ(rows.real(1), 2.5);
    EXPECT_EQ(rows.text(2), QString("it's \"x\" ; DROP TABLE V"));
    EXPECT_EQ(rows.value(3).toByteArray(), QByteArray("\0\1", 2));
    EXPECT_EQ(rows.value("D").toDouble(), SqlDate::toOle(when));
    EXPECT_EQ(SqlDate::fromOle(rows.real(4)), when);
    ASSERT_TRUE(rows.next());
    for (int c = 0; c < 5; ++c)
        EXPECT_TRUE(rows.isNull(c)) << c;
    EXPECT_FALSE(rows.next());
}

TEST_F(SqlConnectionTest, TableRulesAreEnforcedByTheDatabase)
{
    auto db = makeFileDb("rules.db");
    struct Case {
        QVariantList values;
        int code;
    };
    const std::vector<Case> cases = {
        {{QString(), 1}, SQLITE_CONSTRAINT_CHECK},                    // zero length
        {{QVariant(), 1}, SQLITE_CONSTRAINT_NOTNULL},                 // required
        {{QString("a"), QString("abc")}, SQLITE_CONSTRAINT_DATATYPE}, // not a number
    };
    for (const auto& c : cases) {
        try {
            db->execute("INSERT INTO T (name, n) VALUES (?1, ?2)", c.values);
            ADD_FAILURE() << "accepted " << c.values.value(0).toString().toStdString();
        } catch (const SqlError& e) {
            EXPECT_EQ(e.code(), c.code) << e.description().toStdString();
        }
    }
    db->execute("INSERT INTO T (name, n) VALUES ('a', '42')");
    EXPECT_EQ(db->scalar("SELECT typeof(n) FROM T").toString(), "integer");
}

TEST_F(SqlConnectionTest, UniqueTextKeysAreCaseBlindBeyondAscii)
{
    auto db = makeFileDb("nocase.db");
    db->execute("INSERT INTO T (name) VALUES (?1)", {QString::fromUtf8("äpfel straße")});
    db->execute("INSERT INTO T (name) VALUES ('Widget')");
    for (const char* same : {"ÄPFEL STRAßE", "Äpfel Straße", "WIDGET", "widget"}) {
        const QString text = QString::fromUtf8(same);
        EXPECT_THROW(db->execute("INSERT INTO T (name) VALUES (?1)", {text}), SqlError) << same;
        EXPECT_EQ(db->scalar("SELECT count(*) FROM T WHERE name = ?1", {text}).toInt(), 1) << same;
    }
    db->execute("INSERT INTO T (name) VALUES (?1)", {QString::fromUtf8("apfel strasse")});
    EXPECT_EQ(db->scalar("PRAGMA integrity_check").toString(), "ok");
}

TEST_F(SqlConnectionTest, CascadingForeignKeysAreOnAndRefuseOrphans)
{
    auto db = makeFileDb("fk.db");
    db->createTable({"Child",
                     {SqlColumnDef("fkT", "INTEGER").required().references("T", "id"),
                      SqlColumnDef("label", "TEXT")}});
    db->createIndex("ChildT", "Child", {"fkT"});
    const qint64 id = db->addRow("T", {"name"}, {QString("parent")});
    db->addRow("Child", {"fkT", "label"}, {id, QString("one")});
    db->addRow("Child", {"fkT", "label"}, {id, QString("two")});
    try {
        db->addRow("Child", {"fkT"}, {id + 100});
        ADD_FAILURE() << "orphan accepted";
    } catch (const SqlError& e) {
        EXPECT_EQ(e.code(), SQLITE_CONSTRAINT_FOREIGNKEY);
    }
    db->execute("UPDATE T SET id = 77 WHERE id = ?1", {id});
    EXPECT_EQ(db->scalar("SELECT count(*) FROM Child WHERE fkT = 77").toInt(), 2);
    db->execute("DELETE FROM T WHERE id = 77");
    EXPECT_EQ(db->scalar("SELECT count(*) FROM Child").toInt(), 0);
}

TEST_F(SqlConnectionTest, AutoNumbersAreNeverReused)
{
    auto db = makeFileDb("auto.db");
    db->addRow("T", {"name"}, {QString("a")});
    const qint64 last = db->addRow("T", {"name"}, {QString("b")});
    db->execute("DELETE FROM T WHERE id = ?1", {last});
    EXPECT_GT(db->addRow("T", {"name"}, {QString("c")}), last);
}

TEST_F(SqlConnectionTest, RowsAreAddedSoughtAndEditedByKey)
{
    auto db = makeFileDb("rows.db");
    const qint64 id = db->addRow("T", {"name", "n"}, {QString("Blue Widget"), 3});
    auto row = db->seek("T", "name", QString("BLUE widget"), {"id", "n"});
    ASSERT_TRUE(row);
    EXPECT_EQ(row->at(0).toLongLong(), id);
    EXPECT_EQ(row->at(1).toInt(), 3);
    EXPECT_EQ(db->editRows("T", {"n"}, {9}, "id", id), 1);
    EXPECT_EQ(db->seek("T", "id", id, {"n"})->at(0).toInt(), 9);
    EXPECT_FALSE(db->seek("T", "name", QString("red widget"), {"id"}));
}

TEST_F(SqlConnectionTest, SchemaQueriesAndAddedColumns)
{
    auto db = makeFileDb("schema.db");
    EXPECT_TRUE(db->hasTable("t"));
    EXPECT_FALSE(db->hasTable("Nothing"));
    EXPECT_TRUE(db->hasColumn("T", "NAME"));
    EXPECT_FALSE(db->hasColumn("T", "Extra"));
    db->addColumn("T", SqlColumnDef("Extra", "REAL"));
    EXPECT_TRUE(db->hasColumn("T", "extra"));
}

TEST_F(SqlConnectionTest, NestedTransactionsJoinTheOuterOne)
{
    auto db = makeFileDb("tx.db");
    auto& connection = db->connection();
    {
        SqlTransaction outer(connection);
        db->addRow("T", {"name"}, {QString("a")});
        {
            SqlTransaction inner(connection);
            db->addRow("T", {"name"}, {QString("b")});
            inner.commit();
        }
        EXPECT_EQ(connection.transactionDepth(), 1);
        // not committed: the outer rollback takes the inner work back too
    }
    EXPECT_EQ(db->scalar("SELECT count(*) FROM T").toInt(), 0);
    {
        SqlTransaction outer(connection);
        db->addRow("T", {"name"}, {QString("a")});
        try {
            SqlTransaction inner(connection);
            db->addRow("T", {"name"}, {QString("A")}); // duplicate key
            inner.commit();
        } catch (const SqlError&) {
        }
        EXPECT_THROW(outer.commit(), SqlError);
    }
    EXPECT_EQ(db->scalar("SELECT count(*) FROM T").toInt(), 0);
    {
        SqlTransaction outer(connection);
        db->addRow("T", {"name"}, {QString("kept")});
        outer.commit();
    }
    EXPECT_EQ(connection.transactionDepth(), 0);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM T").toInt(), 1);
}

TEST_F(SqlConnectionTest, AttachedFilesJoinInOneStatementAndDetachCleanly)
{
    makeFileDb("a.db")->execute("INSERT INTO T (name, n) VALUES ('x', 1)");
    makeFileDb("b.db")->execute("INSERT INTO T (name, n) VALUES ('X', 2)");
    auto connection = SqlConnection::open(":memory:");
    connection->attach(file("a.db"), "a");
    connection->attach(file("b.db"), "b");
    auto a = std::make_shared<SqlDatabase>(connection, "a", file("a.db"));
    EXPECT_EQ(a->scalar("SELECT b.T.n FROM a.T JOIN b.T ON a.T.name = b.T.name").toInt(), 2);
    a->close();
    EXPECT_FALSE(connection->isAttached("a"));
    EXPECT_THROW(a->scalar("SELECT 1"), SqlError);
    EXPECT_TRUE(connection->isAttached("b"));
}

TEST_F(SqlConnectionTest, ManyThreadsOnOneConnectionNeverSeeLockedAndLoseNoRow)
{
    auto db = makeFileDb("threads.db");
    constexpr int kThreads = 8;
    constexpr int kRows = 300;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRows; ++i) {
                try {
                    if (i % 3 == 0) {
                        SqlTransaction tx(db->connection());
                        db->addRow("T", {"name", "n"}, {QString("t%1-%2").arg(t).arg(i), t});
                        db->scalar("SELECT count(*) FROM T");
                        tx.commit();
                    } else {
                        db->addRow("T", {"name", "n"}, {QString("t%1-%2").arg(t).arg(i), t});
                        auto rows = db->query("SELECT name FROM T WHERE n = ?1", {t});
                        while (rows.next()) {
                        }
                    }
                } catch (const SqlError&) {
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM T").toInt(), kThreads * kRows);
}

TEST_F(SqlConnectionTest, TwoConnectionsOnOneFileWaitRatherThanReportLocked)
{
    makeFileDb("shared.db");
    constexpr int kThreads = 4;
    constexpr int kRows = 100;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            try {
                auto connection = SqlConnection::open(":memory:");
                connection->attach(file("shared.db"), "s");
                SqlDatabase db(connection, "s", file("shared.db"));
                for (int i = 0; i < kRows; ++i) {
                    SqlTransaction tx(connection.operator*());
                    db.addRow("T", {"name"}, {QString("c%1-%2").arg(t).arg(i)});
                    tx.commit();
                    db.scalar("SELECT count(*) FROM T");
                }
            } catch (const SqlError& e) {
                ++failures;
                ADD_FAILURE() << e.description().toStdString();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    auto check = SqlConnection::open(file("shared.db"));
    SqlDatabase db(check, "main", file("shared.db"));
    EXPECT_EQ(db.scalar("SELECT count(*) FROM T").toInt(), kThreads * kRows);
}

// What the user is told of a lock that another program holds: the file, and who holds it.
void expectHeldByAnotherProgram(const SqlError& e, const QString& file)
{
    EXPECT_EQ(e.primaryCode(), SQLITE_BUSY);
    EXPECT_TRUE(e.description().contains("'" + file + "'")) << e.description().toStdString();
    EXPECT_TRUE(e.description().contains("another program")) << e.description().toStdString();
}

// Far above the application thread's wait, far below a worker's: a window that froze for the
// worker's wait fails this.
constexpr auto kInteractiveBound = 10s;

TEST_F(SqlConnectionTest, AnotherProgramsLockFailsOnTheApplicationsThreadWithinSecondsNamingIt)
{
    makeFileDb("free.db");
    makeFileDb("held.db");
    auto connection = SqlConnection::open(":memory:");
    connection->attach(file("free.db"), "free");
    connection->attach(file("held.db"), "held");
    testsupport::WriteLockHolder holder(file("held.db"));
    ASSERT_TRUE(holder.held());
    const struct {
        const char* name;
        std::function<void()> write;
    } cases[] = {
        {"a statement run at once",
         [&] { connection->exec("INSERT INTO held.T (name) VALUES ('a')"); }},
        {"a prepared statement",
         [&] {
             connection->prepare("INSERT INTO held.T (name) VALUES (?1)").bind(1, "b").execute();
         }},
        // A transaction locks every attached file: the one held is named, not the free one.
        {"a transaction", [&] { SqlTransaction transaction(*connection); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto start = std::chrono::steady_clock::now();
        try {
            c.write();
            ADD_FAILURE() << "wrote to a file another program holds";
        } catch (const SqlError& e) {
            expectHeldByAnotherProgram(e, file("held.db"));
            EXPECT_FALSE(e.description().contains(file("free.db")));
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, kInteractiveBound);
        EXPECT_FALSE(connection->isInTransaction());
    }
    connection->exec("INSERT INTO free.T (name) VALUES ('c')");
    holder.release();
    connection->exec("INSERT INTO held.T (name) VALUES ('d')");
}

TEST_F(SqlConnectionTest, AWorkerWaitsLongerForAnotherProgramsLock)
{
    makeFileDb("held.db");
    auto connection = SqlConnection::open(file("held.db"));
    testsupport::WriteLockHolder holder(file("held.db"), 3s);
    ASSERT_TRUE(holder.held());
    std::optional<QString> failure;
    std::thread worker([&] {
        try {
            connection->exec("INSERT INTO T (name) VALUES ('late')");
        } catch (const SqlError& e) {
            failure = e.description();
        }
    });
    worker.join();
    EXPECT_FALSE(failure.has_value()) << failure.value_or(QString()).toStdString();
    EXPECT_EQ(SqlDatabase(connection, "main", file("held.db")).scalar("SELECT count(*) FROM T"), 1);
}

TEST_F(SqlConnectionTest, AWorkerWaitingForAnotherProgramGivesWayToTheApplicationsThread)
{
    makeFileDb("held.db");
    auto connection = SqlConnection::open(file("held.db"));
    testsupport::WriteLockHolder holder(file("held.db"));
    ASSERT_TRUE(holder.held());
    std::atomic<bool> started{false};
    std::optional<int> workerCode;
    std::thread worker([&] {
        started = true;
        try {
            connection->exec("INSERT INTO T (name) VALUES ('worker')");
        } catch (const SqlError& e) {
            workerCode = e.primaryCode();
        }
    });
    // The worker is inside its write once it holds the connection.
    EXPECT_TRUE(testsupport::waitUntil([&] {
        if (!started)
            return false;
        if (!connection->mutex().try_lock())
            return true;
        connection->mutex().unlock();
        return false;
    }));
    const auto start = std::chrono::steady_clock::now();
    try {
        connection->exec("INSERT INTO T (name) VALUES ('window')");
        ADD_FAILURE() << "wrote to a file another program holds";
    } catch (const SqlError& e) {
        expectHeldByAnotherProgram(e, file("held.db"));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, kInteractiveBound);
    holder.release();
    worker.join();
    EXPECT_EQ(workerCode, SQLITE_BUSY);
}

} // namespace
