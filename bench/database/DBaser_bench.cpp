// The keyword database at a project size taken from the command line (--keywords=N) or the
// environment (QUINTARA_BENCH_KEYWORDS), 100,000 by default: a project of N keywords and a
// cache of N rows. Every program operation runs beside a raw-SQLite baseline of the same work
// on the same files; the pairs and their ratios are printed last.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "engine/database/CacheImportQuery.h"
#include "engine/database/CountStore.h"
#include "engine/database/CountsRefresh.h"
#include "engine/database/DBaser.h"
#include "engine/database/LargeWriteCache.h"
#include "engine/database/MParser.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/SqlTransaction.h"

#include "bench/support/BenchKeywords.h"
#include "bench/support/BenchPairs.h"
#include "bench/support/BenchSize.h"

using namespace zentrel;

namespace {

int g_keywords = 100000;
constexpr int kGrouped = 1000;
constexpr int kChangedCounts = 1000;

int newKeywords()
{
    return std::max(1000, g_keywords / 10);
}

const QStringList& vocabulary()
{
    static const QStringList words = benchsupport::makeVocabulary(7);
    return words;
}

QString keyword(int i)
{
    return benchsupport::makeKeyword(vocabulary(), i);
}

CKeyedCollection keywords(int first, int count)
{
    CKeyedCollection list;
    for (int i = first; i < first + count; ++i)
        list.Add(keyword(i));
    return list;
}

// The seed files, made once: keywords 0 to N - 1 in the project (40 % candidates, 50 % kept at
// relevancies 1 to 5, 10 % banned, the first kept ones in a group), and the counts of
// keywords N / 10 to N / 10 + N - 1 in the cache, so that a tenth of the project has no count
// and a tenth of the cache is not in the project. Each benchmark works on its own copy.
class Seed {
public:
    static Seed& instance()
    {
        static Seed seed;
        return seed;
    }
    QString cache() const { return m_dir.filePath("seed.vxc"); }
    QString project() const { return m_dir.filePath("seed.vxp"); }
    QString folder() const { return m_dir.path(); }

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
                insert.bind(1, MParser::NormalizeKW(keyword(i))).bind(2, 1 + i % 9000);
                insert.bind(3, 45000.5).execute();
            }
            transaction.commit();
        }
        CDataNode operation;
        operation.Attributes().Add("Description", "Seed");
        db.AddKWs(keywords(0, g_keywords), operation);
        db.ProjectDB()->execute(
            "UPDATE Keyword SET Relevancy = CASE WHEN pkKeyword % 10 < 4 THEN NULL WHEN "
            "pkKeyword % 10 = 9 THEN 0 ELSE 1 + pkKeyword % 5 END");
        const int group = db.AddGroup("kept");
        db.ProjectDB()->execute(
            "INSERT INTO KWGroup (fkKW, fkGroup) SELECT pkKeyword, ?1 FROM Keyword WHERE "
            "Relevancy > 0 ORDER BY pkKeyword LIMIT ?2",
            {group, kGrouped});
        CountsRefresh::refreshAll(*db.ProjectDB());
        CountsRefresh::refresh(*db.ProjectDB());
    }
    QTemporaryDir m_dir;
};

// A master and a worker on fresh copies of the seed files.
struct Databases {
    Databases()
    {
        Seed& seed = Seed::instance();
        static int copies = 0;
        const QString name = QString("copy%1").arg(++copies);
        cacheFile = QDir(seed.folder()).filePath(name + ".vxc");
        projectFile = QDir(seed.folder()).filePath(name + ".vxp");
        QFile::copy(seed.cache(), cacheFile);
        QFile::copy(seed.project(), projectFile);
        master.InitMaster();
        master.OpenCacheDB(cacheFile);
        master.OpenProjectDB(projectFile);
        worker.AttachByObjects(nullptr, master.ProjectDB(), master.CacheDB(),
                               master.NewKWsEventName(), master.NewOvertureCountsEventName());
        master.get1stNotOvertured(); // the refresh of everything after the open
    }
    ~Databases()
    {
        worker.Finalize();
        master.Finalize();
        for (const QString& file : {cacheFile, projectFile}) {
            for (const char* suffix : {"", "-wal", "-shm"})
                QFile::remove(file + suffix);
        }
    }
    const SqlDatabase& project() const { return *master.ProjectDB(); }
    void dropKeywordsAbove(qint64 id) const
    {
        project().execute("DELETE FROM Keyword WHERE pkKeyword > ?1", {id});
    }
    qint64 lastId() const
    {
        return project().scalar("SELECT max(pkKeyword) FROM Keyword").toLongLong();
    }

    QString cacheFile;
    QString projectFile;
    DBaser master;
    DBaser worker;
};

// ---- Storing keywords ------------------------------------------------------------------------

// With the page cache the program gives a large write.
void storeRaw(const SqlDatabase& db, const QStringList& texts, const QString& operation)
{
    const QVariant cacheSize = db.scalar("PRAGMA project.cache_size");
    const bool large = texts.size() >= LargeWriteCache::kLargeWrite;
    if (large)
        db.execute(QString("PRAGMA project.cache_size = %1").arg(-LargeWriteCache::kCacheKiB));
    SqlTransaction transaction(db.connection());
    db.execute("INSERT INTO Operation (pkOperation) VALUES (?1)", {operation});
    auto insert = db.query("INSERT INTO Keyword (KW, Normalized) VALUES (?1, ?2)");
    auto link = db.query("INSERT INTO KeywordOperation (fkKeyword, fkOperation) VALUES (?1, ?2)");
    for (const QString& kw : texts) {
        insert.bind(1, kw).bind(2, MParser::NormalizeKW(kw));
        insert.execute();
        link.bind(1, db.connection().lastInsertRowId()).bind(2, operation);
        link.execute();
    }
    transaction.commit();
    if (large)
        db.execute(QString("PRAGMA project.cache_size = %1").arg(cacheSize.toLongLong()));
}

// The least SQLite work with the store's effect: prepared inserts of each keyword (text and
// identity) and of its link, one transaction, no refresh.
void BM_StoreBaseline(benchmark::State& state)
{
    Databases dbs;
    const qint64 base = dbs.lastId();
    QStringList texts;
    for (int i = g_keywords; i < g_keywords + static_cast<int>(state.range(0)); ++i)
        texts << keyword(i);
    for (auto _ : state) {
        storeRaw(dbs.project(), texts, "{BASELINE}");
        state.PauseTiming();
        dbs.dropKeywordsAbove(base);
        dbs.project().execute("DELETE FROM Operation WHERE pkOperation = '{BASELINE}'");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// AddKWs of new keywords on a worker (the store alone), or of one keyword on the master (with
// the counts refresh and NewKws).
void BM_AddKWsNew(benchmark::State& state)
{
    Databases dbs;
    const qint64 base = dbs.lastId();
    const int count = static_cast<int>(state.range(0));
    const CKeyedCollection list = keywords(g_keywords, count);
    DBaser& db = count == 1 ? dbs.master : dbs.worker;
    for (auto _ : state) {
        CDataNode operation;
        db.AddKWs(list, operation);
        state.PauseTiming();
        dbs.dropKeywordsAbove(base);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_AddKWsFound(benchmark::State& state)
{
    Databases dbs;
    const CKeyedCollection list = keywords(0, newKeywords());
    for (auto _ : state) {
        CDataNode operation;
        dbs.worker.AddKWs(list, operation);
    }
    state.SetItemsProcessed(state.iterations() * newKeywords());
}

// ---- Counts ----------------------------------------------------------------------------------

std::vector<std::pair<QString, QVariant>> changedCounts(int round)
{
    std::vector<std::pair<QString, QVariant>> counts;
    for (int i = 0; i < kChangedCounts; ++i) {
        const int k = (round * kChangedCounts + i * 97) % g_keywords;
        counts.emplace_back(MParser::NormalizeKW(keyword(k)), 10000 + round);
    }
    return counts;
}

// The counts refresh after 1,000 counts were stored.
void BM_CountsRefreshAfterStore(benchmark::State& state)
{
    Databases dbs;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            SqlTransaction transaction(dbs.master.CacheDB()->connection());
            CountStore::storeCounts(*dbs.master.CacheDB(), changedCounts(++round));
            transaction.commit();
        }
        state.ResumeTiming();
        CountsRefresh::refresh(dbs.project());
    }
}

// The same copies as plain keyed updates of the 1,000 keywords with known values.
void BM_CountsCopyBaseline(benchmark::State& state)
{
    Databases dbs;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const auto counts = changedCounts(++round);
        state.ResumeTiming();
        SqlTransaction transaction(dbs.project().connection());
        auto update = dbs.project().query(
            "UPDATE Keyword SET Searches = ?1, CacheDate = ?2 WHERE Normalized = ?3");
        for (const auto& [key, count] : counts) {
            update.bind(1, count).bind(2, 45001.0).bind(3, key);
            update.execute();
        }
        transaction.commit();
    }
}

void BM_CountsRefreshNothingChanged(benchmark::State& state)
{
    Databases dbs;
    for (auto _ : state)
        CountsRefresh::refresh(dbs.project());
}

// The least reading any copy of every count needs: each keyword's key and copies and each cache
// row once, through raw SQLite, without pairing them.
void BM_CountsReadBaseline(benchmark::State& state)
{
    Databases dbs;
    sqlite3* handle = dbs.project().connection().handle();
    for (auto _ : state) {
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
}

void BM_CountsRefreshEverything(benchmark::State& state)
{
    Databases dbs;
    for (auto _ : state)
        CountsRefresh::refreshAll(dbs.project());
}

// A search-count job's store: 10 counts on a worker (store, refresh, event).
void BM_AddOvertured(benchmark::State& state)
{
    Databases dbs;
    int round = 0;
    for (auto _ : state) {
        CDataNode counts;
        for (int i = 0; i < 10; ++i)
            counts.Attributes().Add(MParser::NormalizeKW(keyword((round * 10 + i) % g_keywords)),
                                    round);
        ++round;
        dbs.worker.AddOvertured(counts, {});
    }
}

// ---- Point operations: one row by its key is the floor ---------------------------------------

void BM_PointReadBaseline(benchmark::State& state)
{
    Databases dbs;
    int id = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dbs.project().scalar("SELECT KW FROM Keyword WHERE pkKeyword = ?1",
                                                      {1 + (id++ * 7919) % g_keywords}));
    }
}

void BM_PointWriteBaseline(benchmark::State& state)
{
    Databases dbs;
    int id = 0;
    for (auto _ : state) {
        dbs.project().execute("UPDATE Keyword SET LookupDate = ?1 WHERE pkKeyword = ?2",
                              {SqlDate::now(), 1 + (id++ * 7919) % g_keywords});
    }
}

void BM_GetCount(benchmark::State& state)
{
    Databases dbs;
    const int code = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(dbs.master.GetCount(code));
}

void BM_GetCappedListing(benchmark::State& state)
{
    Databases dbs;
    const auto kind = static_cast<enKWKind>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(dbs.master.getKWs(kind).count());
}

void BM_Get1stNotOvertured(benchmark::State& state)
{
    Databases dbs;
    for (auto _ : state)
        benchmark::DoNotOptimize(dbs.master.get1stNotOvertured());
}

void BM_Get1stForLookup(benchmark::State& state)
{
    Databases dbs;
    for (auto _ : state)
        benchmark::DoNotOptimize(dbs.master.get1stForLookup());
}

void BM_UpdateLookupDate(benchmark::State& state)
{
    Databases dbs;
    int i = 0;
    for (auto _ : state)
        dbs.worker.UpdateLookupDate(keyword((i++ * 7919) % g_keywords));
}

// ---- Listings --------------------------------------------------------------------------------

// Every keyword of a kind, in the listing's order, by the listing's own statement read straight
// into the table: the rows alone, no option parsing, no error handling.
void BM_ListBaseline(benchmark::State& state)
{
    Databases dbs;
    const char* listings[] = {
        "WHERE Relevancy IS NULL ORDER BY Searches DESC, length(KW), pkKeyword",
        "WHERE Relevancy IS NOT NULL AND Relevancy > 0 ORDER BY Relevancy DESC, Searches DESC, "
        "pkKeyword",
        "WHERE Relevancy = 0 ORDER BY Searches DESC, pkKeyword"};
    const QString sql = QString("SELECT pkKeyword, KW, Searches, Relevancy FROM project.Keyword %1")
                            .arg(listings[state.range(0)]);
    for (auto _ : state) {
        KeywordTable table;
        auto rows = dbs.project().query(sql);
        while (rows.next()) {
            table.append(rows.int32(0), rows.text(1), rows.isNull(2) ? -1 : rows.int32(2),
                         rows.isNull(3) ? -1 : rows.int32(3));
        }
        benchmark::DoNotOptimize(table.count());
    }
}

void BM_GetAllKeywords(benchmark::State& state)
{
    Databases dbs;
    CAttributes all;
    all.Add("CS_GET_ALL_KEYWORDS", true);
    for (auto _ : state) {
        const KeywordTable table = dbs.master.getKWsEx(static_cast<enKWKind>(state.range(0)), &all);
        benchmark::DoNotOptimize(table.count());
    }
}

// ---- Lead words ------------------------------------------------------------------------------

void BM_GetMostPopularWords(benchmark::State& state)
{
    Databases dbs;
    for (auto _ : state)
        benchmark::DoNotOptimize(dbs.worker.GetMostPopularWords().size());
}

QString importWord()
{
    return vocabulary()[77];
}

void BM_ImportFromCacheForWord(benchmark::State& state)
{
    Databases dbs;
    int imported = 0;
    for (auto _ : state)
        imported = dbs.worker.ImportFromCacheForWord(importWord());
    state.counters["imported"] = imported;
}

// The cached keywords holding the word, read from the cache's full-text index alone (no join,
// no whole-word test, no store): what an import cannot do with less.
void BM_ImportBaseline(benchmark::State& state)
{
    Databases dbs;
    const QString match = "\"" + importWord() + "\"";
    int found = 0;
    for (auto _ : state) {
        found = 0;
        auto rows = dbs.master.CacheDB()->query(
            "SELECT KW FROM cache.CacheText WHERE CacheText MATCH ?1", {match});
        while (rows.next())
            ++found;
    }
    state.counters["found"] = found;
}

// The cache import dialog's query for one word of a keyword's first vocabulary (held by one
// cached keyword in 5,000) and for two words.
void BM_CacheImportQuery(benchmark::State& state)
{
    Databases dbs;
    const QStringList words =
        state.range(0) == 1
            ? QStringList{importWord()}
            : QStringList{importWord(), vocabulary()[2 * benchsupport::kVocabulary + 539]};
    size_t found = 0;
    for (auto _ : state)
        found = CacheImportQuery::Run(dbs.project(), words, false).size();
    state.counters["found"] = static_cast<double>(found);
}

void registerAll()
{
    using benchmark::kMillisecond;
    const int store = newKeywords();
    benchmark::RegisterBenchmark("BM_StoreBaseline", BM_StoreBaseline)
        ->Arg(store)
        ->Arg(1)
        ->Unit(kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_AddKWsNew", BM_AddKWsNew)
        ->Arg(store)
        ->Arg(1)
        ->Unit(kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_AddKWsFound", BM_AddKWsFound)
        ->Unit(kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_CountsCopyBaseline", BM_CountsCopyBaseline)
        ->Unit(kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_CountsRefreshAfterStore", BM_CountsRefreshAfterStore)
        ->Unit(kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_CountsRefreshNothingChanged", BM_CountsRefreshNothingChanged)
        ->Unit(kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("BM_CountsReadBaseline", BM_CountsReadBaseline)
        ->Unit(kMillisecond)
        ->Iterations(2);
    benchmark::RegisterBenchmark("BM_CountsRefreshEverything", BM_CountsRefreshEverything)
        ->Unit(kMillisecond)
        ->Iterations(2);
    benchmark::RegisterBenchmark("BM_AddOvertured", BM_AddOvertured)
        ->Unit(kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("BM_PointReadBaseline", BM_PointReadBaseline)
        ->Unit(kMillisecond)
        ->Iterations(100);
    benchmark::RegisterBenchmark("BM_PointWriteBaseline", BM_PointWriteBaseline)
        ->Unit(kMillisecond)
        ->Iterations(100);
    auto* counts = benchmark::RegisterBenchmark("BM_GetCount", BM_GetCount);
    for (int code : {123, 433, 434, 511, 542})
        counts->Arg(code);
    counts->Unit(kMillisecond)->Iterations(20);
    benchmark::RegisterBenchmark("BM_GetCappedListing", BM_GetCappedListing)
        ->Arg(kwk_raw)
        ->Arg(kwk_kws)
        ->Arg(kwk_banned)
        ->Unit(kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("BM_Get1stNotOvertured", BM_Get1stNotOvertured)
        ->Unit(kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("BM_Get1stForLookup", BM_Get1stForLookup)
        ->Unit(kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("BM_UpdateLookupDate", BM_UpdateLookupDate)
        ->Unit(kMillisecond)
        ->Iterations(100);
    benchmark::RegisterBenchmark("BM_ListBaseline", BM_ListBaseline)
        ->Arg(kwk_raw)
        ->Arg(kwk_kws)
        ->Arg(kwk_banned)
        ->Unit(kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_GetAllKeywords", BM_GetAllKeywords)
        ->Arg(kwk_raw)
        ->Arg(kwk_kws)
        ->Arg(kwk_banned)
        ->Unit(kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_GetMostPopularWords", BM_GetMostPopularWords)
        ->Unit(kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_ImportBaseline", BM_ImportBaseline)
        ->Unit(kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_ImportFromCacheForWord", BM_ImportFromCacheForWord)
        ->Unit(kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_CacheImportQuery", BM_CacheImportQuery)
        ->Arg(1)
        ->Arg(2)
        ->Unit(kMillisecond)
        ->Iterations(5);
}

std::vector<std::pair<std::string, std::string>> pairs()
{
    const std::string store = std::to_string(newKeywords());
    std::vector<std::pair<std::string, std::string>> list = {
        {"BM_AddKWsNew/" + store, "BM_StoreBaseline/" + store},
        {"BM_AddKWsNew/1", "BM_StoreBaseline/1"},
        {"BM_CountsRefreshAfterStore", "BM_CountsCopyBaseline"},
        {"BM_CountsRefreshNothingChanged", "BM_PointReadBaseline"},
        {"BM_CountsRefreshEverything", "BM_CountsReadBaseline"},
        {"BM_AddOvertured", "BM_PointWriteBaseline"},
    };
    for (const char* code : {"123", "433", "434", "511", "542"})
        list.emplace_back(std::string("BM_GetCount/") + code, "BM_PointReadBaseline");
    for (int kind : {kwk_raw, kwk_kws, kwk_banned}) {
        list.emplace_back("BM_GetCappedListing/" + std::to_string(kind), "BM_PointReadBaseline");
        list.emplace_back("BM_GetAllKeywords/" + std::to_string(kind),
                          "BM_ListBaseline/" + std::to_string(kind));
    }
    list.emplace_back("BM_Get1stNotOvertured", "BM_PointReadBaseline");
    list.emplace_back("BM_Get1stForLookup", "BM_PointReadBaseline");
    list.emplace_back("BM_UpdateLookupDate", "BM_PointWriteBaseline");
    list.emplace_back("BM_ImportFromCacheForWord", "BM_ImportBaseline");
    list.emplace_back("BM_CacheImportQuery/1", "BM_ImportBaseline");
    list.emplace_back("BM_CacheImportQuery/2", "BM_ImportBaseline");
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    g_keywords = benchsupport::projectSize(argc, argv, g_keywords);
    benchmark::Initialize(&argc, argv);
    registerAll();
    std::printf("Project of %d keywords, cache of %d rows; seeding...\n", g_keywords, g_keywords);
    std::fflush(stdout);
    Seed::instance();
    benchsupport::PairReporter reporter(pairs());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printPairs(g_keywords);
    benchmark::Shutdown();
    return 0;
}
