// The research timers' pick after many failures: a project of N candidates without counts
// (--keywords=N or QUINTARA_BENCH_KEYWORDS, 1,000,000 by default) whose first F keywords in the
// search-count order failed (a failing host). One pick is one tick's work on the user-interface
// thread, in one piece, so its time is the tick's busy stretch. While nothing changes, or only the
// timer's own results (a count stored), a pick reads on from where the last one got; the first
// pick after a change that may add a due keyword reads from the first keyword.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include "engine/database/DBaser.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/research/DueKeywords.h"
#include "engine/research/RetryOrder.h"

#include "bench/support/BenchKeywords.h"
#include "bench/support/BenchLoad.h"
#include "bench/support/BenchPairs.h"
#include "bench/support/BenchSize.h"

using namespace zentrel;

namespace {

int g_keywords = 1000000;

QString keyword(int i)
{
    static const QStringList words = benchsupport::makeVocabulary(23);
    return benchsupport::makeKeyword(words, i);
}

// The project, opened once, and the keywords in the order the search-count timer takes them.
class Project {
public:
    static Project& instance()
    {
        static Project project;
        return project;
    }
    DBaser& db() { return m_db; }
    // The first n due keywords, as the search-count tick asks for them.
    QStringList due(int n) { return m_db.NotOverturedFirst(n); }

private:
    Project()
    {
        m_db.OpenCacheDB(m_dir.filePath("retry.vxc"));
        m_db.OpenProjectDB(m_dir.filePath("retry.vxp"));
        CKeyedCollection kws;
        for (int i = 0; i < g_keywords; ++i)
            kws.Add(keyword(i));
        CDataNode operation;
        m_db.AddKWs(kws, operation);
        m_db.get1stNotOvertured();
    }
    QTemporaryDir m_dir;
    DBaser m_db;
};

// Turns in which the first `failed` due keywords failed, each once.
RetryOrder failedTurns(int failed)
{
    RetryOrder turns;
    const QStringList first = Project::instance().due(failed);
    for (const QString& kw : first) {
        turns.started(kw, kw);
        turns.ended(kw, true);
    }
    return turns;
}

// A tick's pick while nothing changed since the last one.
void BM_RetryPick(benchmark::State& state)
{
    const int failed = static_cast<int>(state.range(0));
    RetryOrder turns = failedTurns(failed);
    Project& project = Project::instance();
    const RetryOrder::Due due = DueKeywords::counts(project.db());
    QString picked = turns.pick(due);
    for (auto _ : state)
        picked = turns.pick(due);
    benchmark::DoNotOptimize(picked);
}

// The first pick after a change: every failed keyword ahead is read once.
void BM_RetryPickAfterChange(benchmark::State& state)
{
    const int failed = static_cast<int>(state.range(0));
    const RetryOrder turns = failedTurns(failed);
    const RetryOrder::Due due = DueKeywords::counts(Project::instance().db());
    QString picked;
    for (auto _ : state) {
        state.PauseTiming();
        RetryOrder fresh = turns;
        state.ResumeTiming();
        picked = fresh.pick(due);
    }
    benchmark::DoNotOptimize(picked);
}

// A tick's pick after each write (untimed), from F failures and the pick after them; the write is
// handed the turns and the keyword picked last.
template <class Write> void pickAfterWrites(benchmark::State& state, Write write)
{
    RetryOrder turns = failedTurns(static_cast<int>(state.range(0)));
    const RetryOrder::Due due = DueKeywords::counts(Project::instance().db());
    QString picked = turns.pick(due);
    for (auto _ : state) {
        state.PauseTiming();
        write(turns, picked);
        state.ResumeTiming();
        picked = turns.pick(due);
    }
    benchmark::DoNotOptimize(picked);
}

// A tick's pick after the last keyword picked was done and its count stored, as a search-count
// job stores it.
void BM_RetryPickAfterOwnResult(benchmark::State& state)
{
    pickAfterWrites(state, [](RetryOrder& turns, const QString& picked) {
        turns.started(picked, picked);
        turns.ended(picked, false);
        CDataNode counts;
        counts.Attributes().Add(picked, 100);
        Project::instance().db().AddOvertured(counts, {});
    });
}

// A tick's pick after a keyword was added, as long as the last failed one, so that it stands
// behind every failure: the pick reads on from its place, where a walk from the first keyword
// reads every failure.
void BM_RetryPickAfterAddition(benchmark::State& state)
{
    const int failed = static_cast<int>(state.range(0));
    DBaser& db = Project::instance().db();
    const auto length = static_cast<qsizetype>(
        db.NotOverturedFrom(std::nullopt, failed + 1).rows.back().key.length);
    int added = 0;
    pickAfterWrites(state, [&](RetryOrder&, const QString&) {
        CKeyedCollection kws;
        kws.Add(QStringLiteral("q%1").arg(added++).leftJustified(length, u'x'));
        CDataNode operation;
        db.AddKWs(kws, operation);
    });
}

QString textOf(sqlite3_stmt* statement)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                             sqlite3_column_bytes(statement, 0));
}

// The least work with the pick's effect while nothing changed: the two change counters read
// and one seek from the last pick's keyword through raw SQLite (the rest of its length, then the
// longer ones), stopping at the first keyword not failed (a hash set).
void BM_RetryPickBaseline(benchmark::State& state)
{
    const int failed = static_cast<int>(state.range(0));
    Project& project = Project::instance();
    const DuePage first = project.db().NotOverturedFrom(std::nullopt, failed + 1);
    QSet<QString> behind;
    for (int i = 0; i < failed; ++i)
        behind.insert(first.rows[static_cast<std::size_t>(i)].kw);
    const DueKey from = first.rows.back().key;
    sqlite3* handle = project.db().ProjectDB()->connection().handle();
    const char* const sql[] = {
        "PRAGMA project.data_version", "PRAGMA cache.data_version",
        "SELECT KW FROM project.Keyword WHERE Searches IS NULL AND (Relevancy <> 0 OR Relevancy "
        "IS NULL) AND Relevancy IS NULL AND length(KW) = ?1 AND pkKeyword >= ?2 ORDER BY "
        "pkKeyword LIMIT 16",
        "SELECT KW FROM project.Keyword WHERE Searches IS NULL AND (Relevancy <> 0 OR Relevancy "
        "IS NULL) AND Relevancy IS NULL AND length(KW) > ?1 ORDER BY length(KW), pkKeyword LIMIT "
        "16"};
    std::vector<sqlite3_stmt*> statements;
    for (const char* text : sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(handle, text, -1, &statement, nullptr);
        statements.push_back(statement);
    }
    sqlite3_bind_int64(statements[2], 1, from.length);
    sqlite3_bind_int64(statements[2], 2, from.pk);
    sqlite3_bind_int64(statements[3], 1, from.length);
    QString picked;
    qint64 versions = 0;
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) {
            sqlite3_step(statements[static_cast<std::size_t>(i)]);
            versions += sqlite3_column_int64(statements[static_cast<std::size_t>(i)], 0);
            sqlite3_reset(statements[static_cast<std::size_t>(i)]);
        }
        picked.clear();
        for (std::size_t seek = 2; seek < statements.size() && picked.isEmpty(); ++seek) {
            while (sqlite3_step(statements[seek]) == SQLITE_ROW) {
                const QString kw = textOf(statements[seek]);
                if (!behind.contains(kw)) {
                    picked = kw;
                    break;
                }
            }
            sqlite3_reset(statements[seek]);
        }
    }
    for (sqlite3_stmt* statement : statements)
        sqlite3_finalize(statement);
    benchmark::DoNotOptimize(picked);
    benchmark::DoNotOptimize(versions);
}

// The least work of the first pick after a change: the statement's first F + 1 rows read through
// raw SQLite and the first of them not failed found in a hash set.
void BM_RetryPickAfterChangeBaseline(benchmark::State& state)
{
    const int failed = static_cast<int>(state.range(0));
    Project& project = Project::instance();
    const QStringList first = project.due(failed);
    const QSet<QString> behind(first.cbegin(), first.cend());
    sqlite3* handle = project.db().ProjectDB()->connection().handle();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle,
                       "SELECT KW FROM project.Keyword WHERE Searches IS NULL AND (Relevancy <> 0 "
                       "OR Relevancy IS NULL) ORDER BY Relevancy DESC, length(KW), pkKeyword "
                       "LIMIT ?1",
                       -1, &statement, nullptr);
    QString picked;
    for (auto _ : state) {
        sqlite3_bind_int(statement, 1, failed + 1);
        picked.clear();
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const QString kw = textOf(statement);
            if (!behind.contains(kw)) {
                picked = kw;
                break;
            }
        }
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(picked);
}

// For comparison: the list walk the pick did before, each candidate searched in the list of
// failed keywords (over the same F + 1 rows, read once outside the timing).
void BM_RetryPickListWalk(benchmark::State& state)
{
    const int failed = static_cast<int>(state.range(0));
    const QStringList candidates = Project::instance().due(failed + 1);
    const QStringList behind = candidates.mid(0, failed);
    QString picked;
    for (auto _ : state) {
        picked.clear();
        for (const QString& kw : candidates) {
            if (!behind.contains(kw)) {
                picked = kw;
                break;
            }
        }
    }
    benchmark::DoNotOptimize(picked);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    g_keywords = benchsupport::projectSize(argc, argv, g_keywords);
    benchmark::Initialize(&argc, argv);
    for (const int failed : {0, 10000, 20000}) {
        benchmark::RegisterBenchmark("BM_RetryPick", BM_RetryPick)
            ->Arg(failed)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_RetryPickBaseline", BM_RetryPickBaseline)
            ->Arg(failed)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_RetryPickAfterChange", BM_RetryPickAfterChange)
            ->Arg(failed)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_RetryPickAfterChangeBaseline",
                                     BM_RetryPickAfterChangeBaseline)
            ->Arg(failed)
            ->Unit(benchmark::kMillisecond);
    }
    // Last, as the counts and keywords they store change what the other cases read.
    for (const int failed : {0, 10000, 20000}) {
        benchmark::RegisterBenchmark("BM_RetryPickAfterOwnResult", BM_RetryPickAfterOwnResult)
            ->Arg(failed)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_RetryPickAfterAddition", BM_RetryPickAfterAddition)
            ->Arg(failed)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(300);
    }
    for (const int failed : {10000, 20000}) {
        benchmark::RegisterBenchmark("BM_RetryPickListWalk", BM_RetryPickListWalk)
            ->Arg(failed)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    std::printf("Project of %d candidates; seeding... (load %s)\n", g_keywords,
                benchsupport::loadAverage().c_str());
    std::fflush(stdout);
    Project::instance();
    benchsupport::PairReporter reporter(
        {{"BM_RetryPick/0", "BM_RetryPickBaseline/0"},
         {"BM_RetryPick/10000", "BM_RetryPickBaseline/10000"},
         {"BM_RetryPick/20000", "BM_RetryPickBaseline/20000"},
         {"BM_RetryPickAfterOwnResult/0", "BM_RetryPickBaseline/0"},
         {"BM_RetryPickAfterOwnResult/10000", "BM_RetryPickBaseline/10000"},
         {"BM_RetryPickAfterOwnResult/20000", "BM_RetryPickBaseline/20000"},
         {"BM_RetryPickAfterChange/0", "BM_RetryPickAfterChangeBaseline/0"},
         {"BM_RetryPickAfterChange/10000", "BM_RetryPickAfterChangeBaseline/10000"},
         {"BM_RetryPickAfterChange/20000", "BM_RetryPickAfterChangeBaseline/20000"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printPairs(g_keywords);
    std::printf("load %s\n", benchsupport::loadAverage().c_str());
    benchmark::Shutdown();
    return 0;
}
