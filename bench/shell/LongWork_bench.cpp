// The user-interface thread during the program's long database work at a large size: the main
// window's first open of a project of N keywords (--keywords=N or QUINTARA_BENCH_KEYWORDS,
// 1,000,000 by default) and a cache of N rows, as they are and as older or changed files,
// Refresh Searches Counts on them, and the refresh after another connection wrote. Each prints
// the longest stretch in which the thread did not come back to its event loop (a 1 ms timer)
// beside the wall time, and a raw-SQLite baseline of the same work on the same files; the load
// average is printed before and after.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <sqlite3.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include "app/ProgramWiring.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/MsgService.h"
#include "app/shell/ProgramSettings.h"
#include "engine/database/CountsRefresh.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlTransaction.h"
#include "engine/research/Scripting.h"

#include "bench/support/BenchKeywords.h"
#include "bench/support/BenchLoad.h"
#include "bench/support/BenchPairs.h"
#include "bench/support/BenchSize.h"
#include "bench/support/StallMeter.h"

using namespace zentrel;

namespace {

int g_keywords = 1000000;
constexpr int kCandidates = 150;

QString keyword(int i)
{
    static const QStringList words = benchsupport::makeVocabulary(17);
    return benchsupport::makeKeyword(words, i);
}

// Today as the cache stores dates (days since 30 December 1899), so no count is stale.
double today()
{
    return static_cast<double>(QDate(1899, 12, 30).daysTo(QDate::currentDate())) + 0.5;
}

// The seed files, made once through the engine: a cache of the counts of keywords N / 10 to
// N / 10 + N - 1 (dated today), a project of keywords 0 to N - 1 (150 candidates, the rest kept
// at relevancies 1 to 5 but every tenth banned), all counts copied.
class Seed {
public:
    static Seed& instance()
    {
        static Seed seed;
        return seed;
    }
    QString cache() const { return m_dir.filePath("seed.vxc"); }
    QString project() const { return m_dir.filePath("seed.vxp"); }

private:
    Seed()
    {
        DBaser db;
        db.OpenCacheDB(cache());
        db.OpenProjectDB(project());
        const SqlDatabase& cacheDb = *db.CacheDB();
        {
            SqlTransaction transaction(cacheDb.connection());
            auto insert =
                cacheDb.query("INSERT INTO cache.Cache (KW, Count, dte) VALUES (?1, ?2, ?3)");
            for (int i = g_keywords / 10; i < g_keywords / 10 + g_keywords; ++i) {
                insert.bind(1, MParser::NormalizeKW(keyword(i))).bind(2, 1 + (i * 7919LL) % 90000);
                insert.bind(3, today()).execute();
            }
            transaction.commit();
        }
        CKeyedCollection kws;
        for (int i = 0; i < g_keywords; ++i)
            kws.Add(keyword(i));
        CDataNode operation;
        db.AddKWs(kws, operation);
        db.ProjectDB()->execute(
            "UPDATE Keyword SET Relevancy = CASE WHEN pkKeyword <= ?1 THEN NULL "
            "WHEN pkKeyword % 10 = 0 THEN 0 ELSE 1 + pkKeyword % 5 END",
            {kCandidates});
        CountsRefresh::refresh(*db.ProjectDB()); // remembered in the project file
        db.Finalize();
    }
    QTemporaryDir m_dir;
};

// What the files of a run are made into before the window opens them.
enum class Files { AsTheyAre, OlderCache, OlderProject, ChangedCache };

void execute(sqlite3* handle, const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(handle, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, message ? message : "?");
        sqlite3_free(message);
    }
}

// Runs the statements on the file through raw SQLite.
void onFile(const QString& file, std::initializer_list<const char*> statements)
{
    sqlite3* handle = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &handle);
    for (const char* sql : statements)
        execute(handle, sql);
    sqlite3_close(handle);
}

void removeFile(const QString& file)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1String(suffix));
}

// The run's copies of the seed files, named by the settings.
struct RunFiles {
    QString cache = QDir(ProgramSettings::projectFolder()).filePath("Bench Cache.vxc");
    QString project = QDir(ProgramSettings::projectFolder()).filePath("Bench.vxp");

    explicit RunFiles(Files kind)
    {
        Seed& seed = Seed::instance();
        removeFile(cache);
        removeFile(project);
        QFile::copy(seed.cache(), cache);
        QFile::copy(seed.project(), project);
        switch (kind) {
        case Files::AsTheyAre:
            break;
        case Files::OlderCache: // written before the keyword index and the stored key form
            onFile(cache,
                   {"DROP TRIGGER IF EXISTS CacheTextAdd", "DROP TRIGGER IF EXISTS CacheTextRemove",
                    "DROP TRIGGER IF EXISTS CacheTextRename",
                    "DROP TRIGGER IF EXISTS CacheCountChange", "DROP TABLE IF EXISTS CacheText",
                    "DROP TABLE IF EXISTS CacheGeneration", "PRAGMA user_version = 0", "VACUUM"});
            break;
        case Files::OlderProject: // written before the keyword indexes and the stored key form
            onFile(project,
                   {"DROP INDEX IF EXISTS KeywordRankOrder",
                    "DROP INDEX IF EXISTS KeywordCandidateOrder",
                    "DROP INDEX IF EXISTS KeywordToCount", "DROP INDEX IF EXISTS KeywordToLookUp",
                    "DROP INDEX IF EXISTS KeywordText", "DROP TRIGGER IF EXISTS KeywordCountAdd",
                    "DROP TRIGGER IF EXISTS KeywordCountRemove",
                    "DROP TRIGGER IF EXISTS KeywordCountRank", "DROP TABLE IF EXISTS KeywordCount",
                    "PRAGMA user_version = 0", "VACUUM"});
            break;
        case Files::ChangedCache: // another project's research wrote to the cache meanwhile
            onFile(cache, {"UPDATE CacheGeneration SET Generation = Generation + 1"});
            break;
        }
        ProgramSettings::setCache(cache);
        ProgramSettings::setProject(project);
    }
};

std::shared_ptr<CLog> openLog(const QString& home)
{
    auto log = std::make_shared<CLog>();
    log->Open(QDir(home).filePath("QuintaraKeywords.log"), QDir(home).filePath("short.log"));
    return log;
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void waitExposed(QWidget& window)
{
    QElapsedTimer timer;
    timer.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && timer.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
}

QString g_home;

// A window wired, loaded on the run's files, shown and exposed.
std::unique_ptr<FMain> openWindow(ProgramWiring& wiring)
{
    auto window = std::make_unique<FMain>();
    wiring.wire(*window);
    window->setLog(openLog(g_home));
    window->Form_Load();
    window->show();
    waitExposed(*window);
    return window;
}

// The counters of a run, once the meter had its turn after the last stretch; then the window
// goes.
void endRun(benchmark::State& state, const benchsupport::StallMeter& meter, const MsgScript& script,
            std::unique_ptr<FMain>& window)
{
    settle(20);
    state.counters["longest_busy_ms"] = meter.longest();
    state.counters["boxes"] = static_cast<double>(script.shown().size());
    window->close();
    window.reset();
}

// The window's first open of the files: Form_Load, shown, exposed.
void BM_FirstOpen(benchmark::State& state)
{
    const auto kind = static_cast<Files>(state.range(0));
    ProgramWiring wiring;
    for (auto _ : state) {
        state.PauseTiming();
        const RunFiles files(kind);
        MsgScript script;
        auto window = std::make_unique<FMain>();
        wiring.wire(*window);
        window->setLog(openLog(g_home));
        benchsupport::StallMeter meter;
        state.ResumeTiming();
        window->Form_Load();
        window->show();
        waitExposed(*window);
        state.PauseTiming();
        endRun(state, meter, script, window);
        state.ResumeTiming();
    }
}

// Refresh Searches Counts on the open window, answered OK: the recount and the pages' refresh.
void BM_RefreshSearchesCounts(benchmark::State& state)
{
    ProgramWiring wiring;
    for (auto _ : state) {
        state.PauseTiming();
        const RunFiles files(Files::AsTheyAre);
        MsgScript script;
        auto window = openWindow(wiring);
        script.answer(MsgService::OK);
        benchsupport::StallMeter meter;
        QElapsedTimer clock;
        clock.start();
        // Each step's start, to see where the time goes.
        QObject::connect(window->scripting()->DBaser(), &DBaser::WorkStep, window.get(),
                         [&clock](const QString& step) {
                             std::fprintf(stderr, "%7.2f s %s\n",
                                          static_cast<double>(clock.elapsed()) / 1000,
                                          qPrintable(step));
                         });
        state.ResumeTiming();
        window->menuItem("mnuRefreshSearchesCounts")->trigger();
        state.PauseTiming();
        endRun(state, meter, script, window);
        state.ResumeTiming();
    }
}

// The research tick's refresh after another connection (another project's research) stored a
// count in the cache while the window was open: the copy of every count, with the tick's pick.
void BM_RefreshAfterOtherWrite(benchmark::State& state)
{
    ProgramWiring wiring;
    for (auto _ : state) {
        state.PauseTiming();
        const RunFiles files(Files::AsTheyAre);
        MsgScript script;
        auto window = openWindow(wiring);
        onFile(files.cache, {"INSERT OR REPLACE INTO Cache (KW, Count, dte) VALUES ('zz other "
                             "project', 1, 1)"});
        benchsupport::StallMeter meter;
        bool done = false;
        state.ResumeTiming();
        QTimer::singleShot(0, window.get(), [&] {
            window->scripting()->DBaser()->get1stNotOvertured();
            done = true;
        });
        while (!done)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        state.PauseTiming();
        endRun(state, meter, script, window);
        state.ResumeTiming();
    }
}

// Raw SQLite on a copy made the same way: the index builds of an older cache and an older
// project, and the least reading a copy of every count needs (each keyword's key and copies
// and each cache row once, as the database benchmark's baseline), which the recount also does
// after clearing the copies.
void BM_RawBaseline(benchmark::State& state)
{
    const int what = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const RunFiles files(what == 0   ? Files::OlderCache
                             : what == 1 ? Files::OlderProject
                                         : Files::AsTheyAre);
        sqlite3* handle = nullptr;
        sqlite3_open(":memory:", &handle);
        execute(handle, ("ATTACH '" + files.cache.toStdString() + "' AS cache").c_str());
        execute(handle, ("ATTACH '" + files.project.toStdString() + "' AS project").c_str());
        execute(handle, "PRAGMA cache.journal_mode = WAL");
        execute(handle, "PRAGMA project.journal_mode = WAL");
        state.ResumeTiming();
        if (what == 0) {
            execute(handle, "BEGIN");
            execute(handle,
                    "CREATE VIRTUAL TABLE cache.CacheText USING fts5(KW, tokenize = 'trigram')");
            execute(handle, "INSERT INTO cache.CacheText (KW) SELECT KW FROM cache.Cache WHERE "
                            "length(KW) >= 3");
            execute(handle, "COMMIT");
        } else if (what == 1) {
            execute(handle, "BEGIN");
            for (const char* sql :
                 {"CREATE INDEX project.KeywordRankOrder ON Keyword (Relevancy DESC, Searches "
                  "DESC, pkKeyword, KW) WHERE Relevancy IS NOT NULL",
                  "CREATE INDEX project.KeywordCandidateOrder ON Keyword (Searches DESC, "
                  "length(KW), pkKeyword, KW, Relevancy) WHERE Relevancy IS NULL",
                  "CREATE INDEX project.KeywordToCount ON Keyword (Relevancy DESC, length(KW)) "
                  "WHERE Searches IS NULL",
                  "CREATE INDEX project.KeywordToLookUp ON Keyword (Relevancy DESC, length(KW)) "
                  "WHERE Relevancy > 2",
                  "CREATE INDEX project.KeywordText ON Keyword (KW)"})
                execute(handle, sql);
            execute(handle, "COMMIT");
        } else {
            qint64 sum = 0;
            for (const char* sql : {"SELECT Normalized, Searches, CacheDate FROM project.Keyword",
                                    "SELECT KW, Count, dte FROM cache.Cache"}) {
                sqlite3_stmt* statement = nullptr;
                sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
                while (sqlite3_step(statement) == SQLITE_ROW) {
                    sum += sqlite3_column_bytes(statement, 0) + sqlite3_column_int64(statement, 1) +
                           static_cast<qint64>(sqlite3_column_double(statement, 2));
                }
                sqlite3_finalize(statement);
            }
            benchmark::DoNotOptimize(sum);
        }
        state.PauseTiming();
        sqlite3_close(handle);
        state.ResumeTiming();
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    g_keywords = benchsupport::projectSize(argc, argv, g_keywords);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir home;
    g_home = home.path();
    qputenv("QUINTARA_HOME", home.path().toUtf8());
    QDir().mkpath(ProgramSettings::projectFolder());
    const std::pair<const char*, Files> opens[] = {
        {"BM_FirstOpen/AsTheyAre", Files::AsTheyAre},
        {"BM_FirstOpen/OlderCache", Files::OlderCache},
        {"BM_FirstOpen/OlderProject", Files::OlderProject},
        {"BM_FirstOpen/ChangedCache", Files::ChangedCache}};
    for (const auto& [name, kind] : opens) {
        benchmark::RegisterBenchmark(name, BM_FirstOpen)
            ->Arg(static_cast<int>(kind))
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    benchmark::RegisterBenchmark("BM_RefreshSearchesCounts", BM_RefreshSearchesCounts)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("BM_RefreshAfterOtherWrite", BM_RefreshAfterOtherWrite)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    for (const char* name : {"BM_RawBaseline/CacheIndex", "BM_RawBaseline/ProjectIndexes",
                             "BM_RawBaseline/CountsRead"}) {
        static int what = 0;
        benchmark::RegisterBenchmark(name, BM_RawBaseline)
            ->Arg(what++)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    std::printf("Project of %d keywords, cache of %d rows; seeding... (load %s)\n", g_keywords,
                g_keywords, benchsupport::loadAverage().c_str());
    std::fflush(stdout);
    Seed::instance();
    benchsupport::PairReporter reporter(
        {{"BM_FirstOpen/OlderCache/1", "BM_RawBaseline/CacheIndex/0"},
         {"BM_FirstOpen/OlderProject/2", "BM_RawBaseline/ProjectIndexes/1"},
         {"BM_FirstOpen/ChangedCache/3", "BM_RawBaseline/CountsRead/2"},
         {"BM_RefreshSearchesCounts", "BM_RawBaseline/CountsRead/2"},
         {"BM_RefreshAfterOtherWrite", "BM_RawBaseline/CountsRead/2"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printPairs(g_keywords);
    std::printf("load %s\n", benchsupport::loadAverage().c_str());
    benchmark::Shutdown();
    return 0;
}
