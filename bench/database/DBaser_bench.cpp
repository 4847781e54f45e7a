// The keyword database on a project of 100,000 keywords and a cache of 1,000,000 rows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "engine/database/CountsRefresh.h"
#include "engine/database/DBaser.h"
#include "engine/database/KeywordStore.h"
#include "engine/database/MParser.h"
#include "engine/platform/SqlTransaction.h"

#include "bench/support/BenchKeywords.h"

using namespace zentrel;

namespace {

constexpr int kProjectKeywords = 100000;
constexpr int kCacheRows = 1000000;
constexpr int kNewKeywords = 100000;
constexpr int kKept = 1000;

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

// The seed files, made once; each benchmark works on its own copy.
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
            for (int i = 0; i < kCacheRows; ++i) {
                insert.bind(1, MParser::NormalizeKW(keyword(i))).bind(2, i % 9000).bind(3, 45000.5);
                insert.execute();
            }
            transaction.commit();
        }
        CDataNode operation;
        operation.Attributes().Add("Description", "Seed");
        db.AddKWs(keywords(0, kProjectKeywords), operation);
        QVariantList kept;
        for (int i = 0; i < kKept; ++i)
            kept << i + 1;
        CKeyedCollection ids;
        for (const QVariant& id : kept)
            ids.Add(id);
        db.SetRelevancy(ids, 4);
        const int group = db.AddGroup("kept");
        db.AddToGroup(ids, group);
        CountsRefresh::refreshAll(*db.ProjectDB());
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
    }
    ~Databases()
    {
        worker.Finalize();
        master.Finalize();
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

double g_baselineRate = 0;
double g_storeRate = 0;

void BM_StoreBaseline(benchmark::State& state)
{
    Databases dbs;
    const qint64 base = dbs.lastId();
    const QString operation = "{BASELINE}";
    const QStringList texts = [] {
        QStringList list;
        for (int i = kProjectKeywords; i < kProjectKeywords + kNewKeywords; ++i)
            list << keyword(i);
        return list;
    }();
    for (auto _ : state) {
        const SqlDatabase& db = dbs.project();
        SqlTransaction transaction(db.connection());
        db.execute("INSERT INTO Operation (pkOperation) VALUES (?1)", {operation});
        auto insert = db.query("INSERT INTO Keyword (KW, Normalized) VALUES (?1, ?2)");
        auto link =
            db.query("INSERT INTO KeywordOperation (fkKeyword, fkOperation) VALUES (?1, ?2)");
        for (const QString& kw : texts) {
            insert.bind(1, kw).bind(2, MParser::NormalizeKW(kw));
            insert.execute();
            link.bind(1, db.connection().lastInsertRowId()).bind(2, operation);
            link.execute();
        }
        transaction.commit();
        state.PauseTiming();
        dbs.dropKeywordsAbove(base);
        db.execute("DELETE FROM Operation WHERE pkOperation = ?1", {operation});
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kNewKeywords);
}

void BM_AddKWsNew(benchmark::State& state)
{
    Databases dbs;
    const qint64 base = dbs.lastId();
    const CKeyedCollection list = keywords(kProjectKeywords, kNewKeywords);
    for (auto _ : state) {
        CDataNode operation;
        dbs.worker.AddKWs(list, operation);
        state.PauseTiming();
        dbs.dropKeywordsAbove(base);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kNewKeywords);
}

void BM_AddKWsFound(benchmark::State& state)
{
    Databases dbs;
    const CKeyedCollection list = keywords(kProjectKeywords, kNewKeywords);
    CDataNode first;
    dbs.worker.AddKWs(list, first);
    for (auto _ : state) {
        CDataNode operation;
        dbs.worker.AddKWs(list, operation);
    }
    state.SetItemsProcessed(state.iterations() * kNewKeywords);
}

void BM_CountsRefresh(benchmark::State& state)
{
    Databases dbs;
    for (auto _ : state)
        CountsRefresh::refreshAll(dbs.project());
}

void BM_CountsRefreshAfterCacheChange(benchmark::State& state)
{
    Databases dbs;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        dbs.master.CacheDB()->execute("UPDATE cache.Cache SET Count = Count + 1 WHERE KW IN "
                                      "(SELECT Normalized FROM Keyword LIMIT 1000 OFFSET ?1)",
                                      {(round++ * 1000) % kProjectKeywords});
        state.ResumeTiming();
        CountsRefresh::refreshAll(dbs.project());
    }
}

void BM_GetAllKeywords(benchmark::State& state)
{
    Databases dbs;
    CAttributes all;
    all.Add("CS_GET_ALL_KEYWORDS", true);
    for (auto _ : state) {
        const KeywordTable table = dbs.master.getKWsEx(kwk_raw, &all);
        benchmark::DoNotOptimize(table.count());
    }
}

void BM_GetCount(benchmark::State& state)
{
    Databases dbs;
    const int code = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(dbs.master.GetCount(code));
}

void BM_Get1stNotOvertured(benchmark::State& state)
{
    Databases dbs;
    dbs.project().execute("UPDATE Keyword SET Searches = NULL WHERE pkKeyword % 1000 = 7");
    for (auto _ : state)
        benchmark::DoNotOptimize(dbs.master.get1stNotOvertured());
}

void BM_AddOvertured(benchmark::State& state)
{
    Databases dbs;
    CDataNode counts;
    for (int i = 0; i < 10000; ++i)
        counts.Attributes().Add(MParser::NormalizeKW(keyword(i * 97 % kCacheRows)), i);
    for (auto _ : state)
        dbs.worker.AddOvertured(counts, {});
    state.SetItemsProcessed(state.iterations() * 10000);
}

void BM_GetMostPopularWords(benchmark::State& state)
{
    Databases dbs;
    for (auto _ : state)
        benchmark::DoNotOptimize(dbs.worker.GetMostPopularWords().size());
}

void BM_ImportFromCacheForWord(benchmark::State& state)
{
    Databases dbs;
    const QString word = vocabulary()[2 * benchsupport::kVocabulary + 77];
    int imported = 0;
    for (auto _ : state)
        imported = dbs.worker.ImportFromCacheForWord(word);
    state.counters["imported"] = imported;
}

class RateReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto items = run.counters.find("items_per_second");
            if (items == run.counters.end())
                continue;
            if (run.benchmark_name().find("BM_StoreBaseline") == 0)
                g_baselineRate = items->second.value;
            if (run.benchmark_name().find("BM_AddKWsNew") == 0)
                g_storeRate = items->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

BENCHMARK(BM_StoreBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AddKWsNew)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AddKWsFound)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CountsRefresh)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CountsRefreshAfterCacheChange)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GetAllKeywords)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GetCount)
    ->Arg(123)
    ->Arg(433)
    ->Arg(434)
    ->Arg(511)
    ->Arg(542)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Get1stNotOvertured)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AddOvertured)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GetMostPopularWords)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ImportFromCacheForWord)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Seed::instance();
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (g_baselineRate > 0 && g_storeRate > 0) {
        std::printf("AddKWs store: %.0f keywords/s, baseline: %.0f keywords/s, ratio %.2f\n",
                    g_storeRate, g_baselineRate, g_storeRate / g_baselineRate);
    }
    return 0;
}
