// The research timers' pick, checked against the pick that read every failed keyword at every
// tick, over random runs on a real project: picks, failed and done jobs, keywords added, ranked,
// renamed and deleted, counts stored and cleared, lookups dated, another connection's writes.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include <sqlite3.h>

#include <QElapsedTimer>
#include <QHash>
#include <QThread>

#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/SqlDate.h"
#include "engine/research/DueKeywords.h"
#include "engine/research/RetryOrder.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace zentrel;
using namespace dbasertest;

namespace {

// The pick as it was: the first 16 due keywords, and one more than there are keywords behind
// when all of those were behind; the first not behind, else the one behind longest ago.
class LinearTurns {
public:
    using Candidates = std::function<QStringList(int n)>;

    QString pick(const Candidates& first) const
    {
        const int most = static_cast<int>(m_failedAt.size()) + 1;
        const int n = std::min(16, most);
        const QStringList candidates = first(n);
        const QString kw = pick(candidates);
        const bool allBehind = kw.isEmpty() || m_failedAt.contains(kw);
        if (!allBehind || candidates.size() < n || n == most)
            return kw;
        return pick(first(most));
    }

    void ended(const QString& kw, bool failed)
    {
        if (failed)
            m_failedAt.insert(kw, ++m_failures);
        else
            m_failedAt.remove(kw);
    }

private:
    QString pick(const QStringList& candidates) const
    {
        const QString* earliest = nullptr;
        std::uint64_t earliestAt = 0;
        for (const QString& kw : candidates) {
            const auto failed = m_failedAt.constFind(kw);
            if (failed == m_failedAt.cend())
                return kw;
            if (!earliest || *failed < earliestAt) {
                earliest = &kw;
                earliestAt = *failed;
            }
        }
        return earliest ? *earliest : QString();
    }

    QHash<QString, std::uint64_t> m_failedAt;
    std::uint64_t m_failures = 0;
};

enum class Timer { Counts, Lookups };

RetryOrder::Due dueFor(Timer timer, DBaser& db)
{
    return timer == Timer::Counts ? DueKeywords::counts(db) : DueKeywords::lookups(db);
}

struct OracleCase {
    const char* name;
    Timer timer;
    unsigned seed;
    int keywords;
    int steps;
};

class RetryPickOracle : public DBaserFixture, public ::testing::WithParamInterface<OracleCase> {
protected:
    void SetUp() override
    {
        openBoth();
        m_random.seed(GetParam().seed);
        QStringList first;
        for (int i = 0; i < GetParam().keywords; ++i)
            first << newKeyword();
        addKeywords(first);
        for (int i = 0; i < GetParam().keywords; ++i)
            rankSome();
        for (int i = 0; i < GetParam().keywords / 4; ++i)
            dateSome();
    }

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    QString newKeyword()
    {
        static const char* const vocabulary[] = {
            "red",  "blue", "green", "widget", "gadget", "big", "small", "cheap", "fast",
            "tool", "shop", "buy",   "best",   "new",    "old", "café",  "größe"};
        QStringList parts;
        const int words = 1 + below(3);
        for (int i = 0; i < words; ++i)
            parts << vocabulary[below(std::size(vocabulary))];
        return parts.join(u' ') + QString::number(m_added++);
    }

    QVariantList ids() const
    {
        QVariantList all;
        auto rows = db->ProjectDB()->query("SELECT pkKeyword FROM Keyword ORDER BY pkKeyword");
        while (rows.next())
            all << rows.int64(0);
        return all;
    }

    QStringList texts() const { return column("SELECT KW FROM Keyword ORDER BY pkKeyword"); }

    QVariant anyId()
    {
        const QVariantList all = ids();
        return all.isEmpty() ? QVariant() : all[below(static_cast<int>(all.size()))];
    }

    QString anyText()
    {
        const QStringList all = texts();
        return all.isEmpty() ? QString() : all[below(static_cast<int>(all.size()))];
    }

    void rankSome()
    {
        const QVariant id = anyId();
        if (!id.isNull())
            db->SetRelevancy(items({id}), below(6));
    }

    // A lookup date long ago, lately, or none.
    void dateSome()
    {
        static const double ages[] = {40.0, 10.0, 1.0};
        const QVariant id = anyId();
        if (id.isNull())
            return;
        const QVariant date =
            below(4) == 0 ? QVariant() : QVariant(SqlDate::now() - ages[below(std::size(ages))]);
        db->ProjectDB()->execute("UPDATE Keyword SET LookupDate = ?1 WHERE pkKeyword = ?2",
                                 {date, id});
    }

    void storeCount(const QString& kw)
    {
        CDataNode counts;
        counts.Attributes().Add(kw, 100 + below(900));
        db->AddOvertured(counts, {});
    }

    // Counts aged past 60 days and thrown away, as Refresh Searches Counts does.
    void clearCounts()
    {
        db->CacheDB()->execute("UPDATE Cache SET dte = ?1 WHERE KW IN (SELECT KW FROM Cache "
                               "ORDER BY random() LIMIT 3)",
                               {SqlDate::now() - 61});
        db->RecalcOverTimes();
    }

    // A count written into the cache on this connection without the copies being told.
    void unannouncedCount()
    {
        const QString kw = anyText();
        if (!kw.isEmpty())
            db->CacheDB()->execute(
                "INSERT OR REPLACE INTO Cache (KW, Count, dte) VALUES (?1, 5, ?2)",
                {MParser::NormalizeKW(kw), SqlDate::now()});
    }

    // Another program's connection on the same files.
    void otherWrite()
    {
        const bool project = below(2) == 0;
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open((project ? projectFile : cacheFile).toUtf8().constData(), &other),
                  SQLITE_OK);
        sqlite3_busy_timeout(other, 5000);
        QString sql;
        if (project) {
            sql = QStringLiteral("UPDATE Keyword SET Relevancy = %1 WHERE pkKeyword = %2")
                      .arg(below(6))
                      .arg(anyId().toLongLong());
        } else {
            const QString kw = anyText().toLower().replace(u'\'', QString());
            sql = QStringLiteral("INSERT OR REPLACE INTO Cache (KW, Count, dte) VALUES ('%1', 7, "
                                 "%2)")
                      .arg(kw)
                      .arg(SqlDate::now(), 0, 'f', 6);
        }
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(other, sql.toUtf8().constData(), nullptr, nullptr, &error),
                  SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(other);
    }

    RetryOrder::Due due() { return dueFor(GetParam().timer, *db); }

    QStringList linearFirst(int n)
    {
        return GetParam().timer == Timer::Counts ? db->NotOverturedFirst(n) : db->ForLookupFirst(n);
    }

    // One pick by both; a job is started for the keyword picked.
    void pickBoth(int step)
    {
        const QString picked = m_turns.pick(due());
        const QString expected = m_linear.pick([this](int n) { return linearFirst(n); });
        ASSERT_EQ(picked, expected) << "step " << step;
        if (!picked.isEmpty() && below(2) == 0) {
            const QString cookie = QStringLiteral("job %1").arg(m_cookies++);
            m_turns.started(cookie, picked);
            m_running.push_back({cookie, picked});
        }
    }

    void endJob(bool failed)
    {
        if (m_running.empty())
            return;
        const auto job = m_running.begin() + below(static_cast<int>(m_running.size()));
        m_turns.ended(job->first, failed);
        m_linear.ended(job->second, failed);
        // A done job leaves its result behind.
        if (!failed && below(2) == 0) {
            if (GetParam().timer == Timer::Counts)
                storeCount(job->second);
            else
                db->UpdateLookupDate(job->second);
        }
        m_running.erase(job);
    }

    void step(int number)
    {
        const int kind = below(21);
        if (kind < 6)
            pickBoth(number);
        else if (kind < 10)
            endJob(true);
        else if (kind < 11)
            endJob(false);
        else if (kind < 12)
            addKeywords({newKeyword()});
        else if (kind < 13)
            rankSome();
        else if (kind < 14) {
            const QVariant id = anyId();
            if (!id.isNull())
                db->DeleteKWs(items({id}));
        } else if (kind < 15) {
            const QString kw = anyText();
            if (!kw.isEmpty())
                db->UpdateKW(kw.split(u' ').join(QStringLiteral("  ")));
        } else if (kind < 16)
            storeCount(anyText());
        else if (kind < 17)
            clearCounts();
        else if (kind < 18)
            dateSome();
        else if (kind < 19)
            db->UpdateLookupDate(anyText());
        else if (kind < 20)
            otherWrite();
        else
            unannouncedCount();
    }

    std::mt19937 m_random;
    int m_added = 0;
    int m_cookies = 0;
    RetryOrder m_turns;
    LinearTurns m_linear;
    std::vector<std::pair<QString, QString>> m_running; // cookie, keyword
};

TEST_P(RetryPickOracle, PicksWhatTheLinearPickPicks)
{
    for (int i = 0; i < GetParam().steps; ++i) {
        step(i);
        if (HasFatalFailure())
            return;
    }
    // Runs of picks and failures alone, where the position is read on from.
    for (int i = 0; i < GetParam().steps; ++i) {
        pickBoth(GetParam().steps + i);
        if (HasFatalFailure())
            return;
        endJob(true);
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, RetryPickOracle,
                         ::testing::Values(OracleCase{"CountsFew", Timer::Counts, 1, 12, 300},
                                           OracleCase{"CountsMany", Timer::Counts, 2, 80, 600},
                                           OracleCase{"CountsOther", Timer::Counts, 3, 40, 600},
                                           OracleCase{"LookupsFew", Timer::Lookups, 4, 12, 300},
                                           OracleCase{"LookupsMany", Timer::Lookups, 5, 80, 600},
                                           OracleCase{"LookupsOther", Timer::Lookups, 6, 40, 600}),
                         [](const auto& info) { return std::string(info.param.name); });

// A keyword looked up almost 30 days ago comes due by the clock alone, with nothing written.
struct ClockCase {
    const char* name;
    QStringList failed;
    QString before;
};

class RetryPickClock : public DBaserFixture, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(RetryPickClock, AKeywordComingDueIsPickedAsByTheLinearPick)
{
    openBoth();
    addKeywords({"blue", "blue sky", "blue sky hi"});
    db->ProjectDB()->execute("UPDATE Keyword SET Relevancy = 5");
    constexpr double kSecond = 1.0 / 86400;
    db->ProjectDB()->execute("UPDATE Keyword SET LookupDate = ?1 WHERE KW = 'blue'",
                             {SqlDate::now() - 30 + 1.5 * kSecond});
    RetryOrder turns;
    LinearTurns linear;
    for (const QString& kw : GetParam().failed) {
        turns.started(kw, kw);
        turns.ended(kw, true);
        linear.ended(kw, true);
    }
    const auto pickBoth = [&] {
        const QString picked = turns.pick(DueKeywords::lookups(*db));
        EXPECT_EQ(picked, linear.pick([&](int n) { return db->ForLookupFirst(n); }));
        return picked;
    };
    EXPECT_EQ(pickBoth(), GetParam().before);
    QElapsedTimer waited;
    waited.start();
    while (pickBoth() != "blue" && !HasFailure() && waited.elapsed() < 10000)
        QThread::msleep(50);
    EXPECT_EQ(pickBoth(), "blue");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RetryPickClock,
    ::testing::Values(ClockCase{"AheadOfTheFirstNotBehind", {"blue sky"}, "blue sky hi"},
                      ClockCase{"WhileAllAreBehind", {"blue sky hi", "blue sky"}, "blue sky hi"}),
    [](const auto& info) { return std::string(info.param.name); });

// The rows a pick reads: those of the order it is handed and the keywords it checks.
RetryOrder::Due counted(RetryOrder::Due due, int& rows)
{
    due.from = [from = due.from, &rows](const DueStamp& now, const std::optional<DueKey>& place,
                                        int n) {
        DuePage page = from(now, place, n);
        rows += static_cast<int>(page.rows.size());
        return page;
    };
    due.check = [check = due.check, &rows](const DueStamp& now, const QString& kw) {
        ++rows;
        return check(now, kw);
    };
    return due;
}

// "keyword 000", "keyword 001", ...: of one length, in the order they are added.
QStringList numbered(int n)
{
    QStringList keywords;
    for (int i = 0; i < n; ++i)
        keywords << QStringLiteral("keyword %1").arg(i, 3, 10, QLatin1Char('0'));
    return keywords;
}

// Picks n times, the job of every keyword picked failing.
void failPicks(RetryOrder& turns, const RetryOrder::Due& due, int n)
{
    for (int i = 0; i < n; ++i) {
        const QString kw = turns.pick(due);
        turns.started(kw, kw);
        turns.ended(kw, true);
    }
}

// A timer's own result after a done job (a count stored; a lookup dated, with the keywords its
// page gave) only takes keywords off: the next pick reads on, not past every failure again. So
// for a keyword done on its retry, while every due keyword is behind.
struct SuccessCase {
    const char* name;
    Timer timer;
    bool retried;
};

class RetryPickAfterASuccess : public DBaserFixture,
                               public ::testing::WithParamInterface<SuccessCase> {
protected:
    void storeResult(const QString& kw)
    {
        if (GetParam().timer == Timer::Counts) {
            CDataNode counts;
            counts.Attributes().Add(kw, 500);
            db->AddOvertured(counts, {});
        } else {
            addKeywords({"found on the page " + kw});
            db->UpdateLookupDate(kw);
        }
    }
};

TEST_P(RetryPickAfterASuccess, ReadsOnFromWhereTheLastPickGot)
{
    constexpr int kFailures = 200;
    openBoth();
    const QStringList keywords = numbered(kFailures + 1);
    addKeywords(keywords);
    db->ProjectDB()->execute("UPDATE Keyword SET Relevancy = 3");
    const RetryOrder::Due due = dueFor(GetParam().timer, *db);
    RetryOrder turns;
    failPicks(turns, due, GetParam().retried ? kFailures + 1 : kFailures);
    // Not behind, or the one behind longest ago.
    const QString done = turns.pick(due);
    ASSERT_EQ(done, GetParam().retried ? keywords.first() : keywords.last());
    turns.started(done, done);
    turns.ended(done, false);
    storeResult(done);
    int rows = 0;
    EXPECT_EQ(turns.pick(counted(due, rows)), keywords[GetParam().retried ? 1 : 0]);
    EXPECT_LT(rows, 20);
}

INSTANTIATE_TEST_SUITE_P(Cases, RetryPickAfterASuccess,
                         ::testing::Values(SuccessCase{"Counts", Timer::Counts, false},
                                           SuccessCase{"CountsRetried", Timer::Counts, true},
                                           SuccessCase{"Lookups", Timer::Lookups, false},
                                           SuccessCase{"LookupsRetried", Timer::Lookups, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A keyword the user added and ranked among the failures, ahead of where the pick got: the next
// pick reads on from its place.
class RetryPickAfterAWrite : public DBaserFixture, public ::testing::WithParamInterface<Timer> {};

TEST_P(RetryPickAfterAWrite, ReadsFromThePlaceWritten)
{
    constexpr int kFailures = 200;
    openBoth();
    const QStringList keywords = numbered(kFailures);
    addKeywords(keywords);
    db->ProjectDB()->execute(
        "UPDATE Keyword SET Relevancy = CASE WHEN KW < 'keyword 100' THEN 4 ELSE 3 END");
    const RetryOrder::Due due = dueFor(GetParam(), *db);
    RetryOrder turns;
    failPicks(turns, due, kFailures);
    ASSERT_EQ(turns.pick(due), keywords.first());
    addKeywords({"a later keyword"});
    db->SetRelevancy(items({projectScalar("SELECT pkKeyword FROM Keyword WHERE KW = 'a later "
                                          "keyword'")}),
                     4);
    int rows = 0;
    EXPECT_EQ(turns.pick(counted(due, rows)), "a later keyword");
    EXPECT_LT(rows, 20);
}

INSTANTIATE_TEST_SUITE_P(Timers, RetryPickAfterAWrite,
                         ::testing::Values(Timer::Counts, Timer::Lookups), [](const auto& info) {
                             return info.param == Timer::Counts ? "Counts" : "Lookups";
                         });

// A count put in the cache behind the copies' back takes its keyword off the timer for the
// pick that reads on, as for the pick that reads from the first.
TEST_F(DBaserFixture, RetryPickLeavesAKeywordCountedInTheCacheOnly)
{
    openBoth();
    addKeywords({"blue", "blue sky"});
    RetryOrder turns;
    LinearTurns linear;
    const auto pickBoth = [&] {
        const QString picked = turns.pick(DueKeywords::counts(*db));
        EXPECT_EQ(picked, linear.pick([&](int n) { return db->NotOverturedFirst(n); }));
        return picked;
    };
    for (const char* kw : {"blue", "blue sky"}) {
        EXPECT_EQ(pickBoth(), kw);
        turns.started(kw, kw);
        turns.ended(kw, true);
        linear.ended(kw, true);
    }
    EXPECT_EQ(pickBoth(), "blue");
    db->CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES ('blue', 5, ?1)",
                           {SqlDate::now()});
    EXPECT_EQ(pickBoth(), "blue sky");
}

} // namespace
