// The cache import's first query on a cache of N rows (--keywords=N, 1,000,000 by default), with
// the dialog's list filled, and a paste of 50,000 lines through the add-keywords dialog; each
// beside the raw SQLite work of the same kind on the same files.
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "app/collect/AddKWsLoop.h"
#include "app/collect/CacheKWListModel.h"
#include "app/collect/CollectOwner.h"
#include "app/collect/FImportFromCache.h"
#include "app/keywords/FAddKWs.h"
#include "app/shell/MMain.h"
#include "bench/support/BenchKeywords.h"
#include "bench/support/BenchPairs.h"
#include "bench/support/BenchSize.h"
#include "engine/database/CacheImportQuery.h"
#include "engine/database/DBaser.h"
#include "engine/database/LargeWriteCache.h"
#include "engine/database/MParser.h"
#include "engine/platform/SqlTransaction.h"

using namespace zentrel;

namespace {

int g_cacheRows = 1000000;
constexpr int kPastedLines = 50000;

QString keyword(int i)
{
    static const QStringList words = benchsupport::makeVocabulary(11);
    return benchsupport::makeKeyword(words, i);
}

// A cache of N rows and a project holding a tenth of them (candidates, kept and banned).
class Files {
public:
    static Files& instance()
    {
        static Files files;
        return files;
    }
    DBaser& db() { return m_db; }

private:
    Files()
    {
        m_db.OpenCacheDB(m_dir.filePath("bench.vxc"));
        m_db.OpenProjectDB(m_dir.filePath("bench.vxp"));
        const SqlDatabase& cache = *m_db.CacheDB();
        SqlTransaction transaction(cache.connection());
        auto insert = cache.query("INSERT INTO cache.Cache (KW, Count, dte) VALUES (?1, ?2, 0)");
        for (int i = 0; i < g_cacheRows; ++i)
            insert.bind(1, MParser::NormalizeKW(keyword(i))).bind(2, i % 9000).execute();
        auto project = m_db.ProjectDB()->query(
            "INSERT INTO Keyword (KW, Normalized, Relevancy) VALUES (?1, ?1, ?2)");
        for (int i = 0; i < g_cacheRows; i += 10)
            project.bind(1, MParser::NormalizeKW(keyword(i)))
                .bind(2, i % 30 == 0 ? QVariant() : QVariant(i % 6))
                .execute();
        transaction.commit();
    }
    QTemporaryDir m_dir;
    DBaser m_db;
};

class NoOwner final : public CollectOwner {
public:
    QWidget* Window() const override { return nullptr; }
    void RefreshTab(int) override {}
};

// The dialog with its first query run and its list filled.
void BM_CacheImportFirstQuery(benchmark::State& state, const char* filter)
{
    DBaser& db = Files::instance().db();
    size_t listed = 0;
    for (auto _ : state) {
        FImportFromCache dialog;
        dialog.init(nullptr, db.ProjectDB(), QString::fromLatin1(filter));
        listed = static_cast<size_t>(dialog.foundModel()->rowCount());
    }
    state.counters["rows"] = static_cast<double>(listed);
}

// Raw SQLite: the same scan for the word (ASCII instr, no join, no case folding), top rows read.
void BM_CacheScanBaseline(benchmark::State& state, const char* filter)
{
    DBaser& db = Files::instance().db();
    size_t listed = 0;
    for (auto _ : state) {
        std::vector<std::pair<std::string, qint64>> rows;
        auto query = db.ProjectDB()->query(
            "SELECT KW, Count FROM Cache WHERE Count > 0 AND instr(KW, ?1) > 0 ORDER BY Count "
            "DESC LIMIT 5000",
            {QString::fromLatin1(filter)});
        while (query.next())
            rows.emplace_back(query.text(0).toStdString(), query.int64(1));
        listed = rows.size();
    }
    state.counters["rows"] = static_cast<double>(listed);
}

QString pastedText()
{
    QStringList lines;
    for (int i = 0; i < kPastedLines; ++i)
        lines << QStringLiteral("pasted ") + keyword(g_cacheRows + i);
    return lines.join(QStringLiteral("\r\n"));
}

// The add dialog shown with 50,000 lines, OK pressed as soon as it is active, the keywords stored.
void BM_Paste50000(benchmark::State& state)
{
    DBaser& db = Files::instance().db();
    const QString text = pastedText();
    MMain::DefaultSetRank = false;
    NoOwner owner;
    QTimer answer;
    answer.setInterval(1);
    QObject::connect(&answer, &QTimer::timeout, &answer, [] {
        if (auto* dialog = qobject_cast<FAddKWs*>(QApplication::activeModalWidget());
            dialog != nullptr && dialog->isActiveWindow())
            dialog->accept();
    });
    answer.start();
    for (auto _ : state) {
        AddKWsLoop(owner, nullptr, db).Run(AddKWsLoop::Source::Paste, text);
        state.PauseTiming();
        db.ProjectDB()->execute("DELETE FROM Keyword WHERE KW LIKE 'pasted %'");
        state.ResumeTiming();
    }
}

// Raw SQLite: 50,000 keyword rows inserted in one transaction, with the page cache of a large
// write.
void BM_InsertBaseline(benchmark::State& state)
{
    DBaser& db = Files::instance().db();
    const QStringList lines = pastedText().split(QStringLiteral("\r\n"));
    for (auto _ : state) {
        {
            const QVariant cacheSize = db.ProjectDB()->scalar("PRAGMA project.cache_size");
            db.ProjectDB()->execute(
                QString("PRAGMA project.cache_size = %1").arg(-LargeWriteCache::kCacheKiB));
            SqlTransaction transaction(db.ProjectDB()->connection());
            auto insert = db.ProjectDB()->query(
                "INSERT INTO Keyword (KW, Normalized) VALUES (?1, ?2) ON CONFLICT DO NOTHING");
            for (const QString& line : lines)
                insert.bind(1, line).bind(2, line).execute();
            transaction.commit();
            db.ProjectDB()->execute(
                QString("PRAGMA project.cache_size = %1").arg(cacheSize.toLongLong()));
        }
        state.PauseTiming();
        db.ProjectDB()->execute("DELETE FROM Keyword WHERE KW LIKE 'pasted %'");
        state.ResumeTiming();
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    g_cacheRows = benchsupport::projectSize(argc, argv, g_cacheRows);
    benchmark::Initialize(&argc, argv);
    using benchmark::kMillisecond;
    for (const char* filter : {"ab", "e"}) {
        benchmark::RegisterBenchmark((std::string("BM_CacheImportFirstQuery/") + filter).c_str(),
                                     BM_CacheImportFirstQuery, filter)
            ->Unit(kMillisecond)
            ->Iterations(5);
        benchmark::RegisterBenchmark((std::string("BM_CacheScanBaseline/") + filter).c_str(),
                                     BM_CacheScanBaseline, filter)
            ->Unit(kMillisecond)
            ->Iterations(5);
    }
    benchmark::RegisterBenchmark("BM_Paste50000", BM_Paste50000)->Unit(kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("BM_InsertBaseline", BM_InsertBaseline)
        ->Unit(kMillisecond)
        ->Iterations(3);
    std::printf("Cache of %d rows, project of %d keywords; seeding...\n", g_cacheRows,
                g_cacheRows / 10);
    std::fflush(stdout);
    Files::instance();
    benchsupport::PairReporter reporter({
        {"BM_CacheImportFirstQuery/ab", "BM_CacheScanBaseline/ab"},
        {"BM_CacheImportFirstQuery/e", "BM_CacheScanBaseline/e"},
        {"BM_Paste50000", "BM_InsertBaseline"},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printPairs(g_cacheRows);
    benchmark::Shutdown();
    return 0;
}
