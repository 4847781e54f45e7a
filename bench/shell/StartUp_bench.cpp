// Start-up to a usable main window on a project of 100,000 keywords and a cache of 1,000,000
// rows, offscreen: the main window created, loaded (engine, both databases, the six pages with
// their grids filled), shown and exposed.
#include <benchmark/benchmark.h>

#include <memory>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWindow>

#include "app/ProgramWiring.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWPageHost.h"
#include "app/keywords/ucKW.h"
#include "app/shell/FMain.h"
#include "app/shell/MMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/ProgramSettings.h"
#include "engine/database/CountsRefresh.h"
#include "engine/database/DBaser.h"
#include "engine/database/KeywordStore.h"
#include "engine/database/MParser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlTransaction.h"

#include "bench/support/BenchKeywords.h"
#include "bench/support/BenchWidgetMain.h"

using namespace zentrel;

namespace {

constexpr int kProjectKeywords = 100000;
constexpr int kCacheRows = 1000000;
constexpr int kCandidates = 40000; // relevancy NULL
constexpr int kKept = 50000;       // relevancy 1 to 5; the rest banned
constexpr int kGrouped = 1000;

const QStringList& vocabulary()
{
    static const QStringList words = benchsupport::makeVocabulary(11);
    return words;
}

QString keyword(int i)
{
    return benchsupport::makeKeyword(vocabulary(), i);
}

CKeyedCollection idRange(int first, int count)
{
    CKeyedCollection ids;
    for (int id = first; id < first + count; ++id)
        ids.Add(QVariant(id));
    return ids;
}

// The data folder with the two files the settings name, made once per run.
class Fixture {
public:
    static Fixture& instance()
    {
        static Fixture fixture;
        return fixture;
    }
    QString home() const { return m_home.path(); }

private:
    Fixture()
    {
        qputenv("QUINTARA_HOME", m_home.path().toUtf8());
        QDir().mkpath(ProgramSettings::projectFolder());
        const QString cacheFile =
            QDir(ProgramSettings::projectFolder()).filePath("Bench Cache.vxc");
        const QString projectFile = QDir(ProgramSettings::projectFolder()).filePath("Bench.vxp");
        QElapsedTimer timer;
        timer.start();
        fill(cacheFile, projectFile);
        ProgramSettings::setCache(cacheFile);
        ProgramSettings::setProject(projectFile);
        std::fprintf(stderr, "fixture made in %lld ms\n", static_cast<long long>(timer.elapsed()));
    }

    static void fill(const QString& cacheFile, const QString& projectFile)
    {
        DBaser db;
        db.OpenCacheDB(cacheFile);
        db.OpenProjectDB(projectFile);
        const SqlDatabase& cache = *db.CacheDB();
        {
            // The counts of the project's keywords and of 900,000 others.
            SqlTransaction transaction(cache.connection());
            auto insert =
                cache.query("INSERT INTO cache.Cache (KW, Count, dte) VALUES (?1, ?2, ?3)");
            for (int i = 0; i < kCacheRows; ++i) {
                insert.bind(1, MParser::NormalizeKW(keyword(i)))
                    .bind(2, (i * 7919LL) % 90000)
                    .bind(3, 45000.5);
                insert.execute();
            }
            transaction.commit();
        }
        CKeyedCollection kws;
        for (int i = 0; i < kProjectKeywords; ++i)
            kws.Add(keyword(i));
        CDataNode operation;
        operation.Attributes().Add("Description", "Seed");
        db.AddKWs(kws, operation);
        const int keptPerRank = kKept / 5;
        for (int rank = 1; rank <= 5; ++rank)
            db.SetRelevancy(idRange(kCandidates + 1 + (rank - 1) * keptPerRank, keptPerRank), rank);
        db.SetRelevancy(idRange(kCandidates + kKept + 1, kProjectKeywords - kCandidates - kKept),
                        0);
        db.AddToGroup(idRange(kCandidates + 1, kGrouped), db.AddGroup("Bench group"));
        CountsRefresh::refreshAll(*db.ProjectDB());
        db.Finalize();
    }

    QTemporaryDir m_home;
};

int gridRows(const FMain& window, int page)
{
    const auto* host = qobject_cast<KWPageHost*>(window.pageWidget(page));
    return host != nullptr ? host->kwPage()->model()->rowCount() : -1;
}

// What a usable window shows: the three keyword grids at their caps, no box shown.
bool usable(const FMain& window, const MsgScript& script, benchmark::State& state)
{
    const int raw = gridRows(window, 2);
    const int kept = gridRows(window, 3);
    const int banned = gridRows(window, 5);
    if (!script.shown().isEmpty() || raw != 32000 || kept != 32000 || banned != 1000) {
        state.SkipWithError(QStringLiteral("not usable: %1 boxes, rows %2/%3/%4")
                                .arg(script.shown().size())
                                .arg(raw)
                                .arg(kept)
                                .arg(banned)
                                .toStdString()
                                .c_str());
        return false;
    }
    return true;
}

void waitExposed(const QWidget& window)
{
    QElapsedTimer timer;
    timer.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
}

std::shared_ptr<CLog> openLog()
{
    auto log = std::make_shared<CLog>();
    log->Open(QDir(Fixture::instance().home()).filePath("QuintaraKeywords.log"),
              QDir(Fixture::instance().home()).filePath("short.log"));
    return log;
}

} // namespace

// The main window alone: created, loaded, shown, exposed, its pages filled.
static void BM_MainWindowStartUp(benchmark::State& state)
{
    Fixture::instance();
    ProgramWiring wiring;
    for (auto _ : state) {
        state.PauseTiming();
        MsgScript script;
        const auto log = openLog();
        state.ResumeTiming();
        auto window = std::make_unique<FMain>();
        wiring.wire(*window);
        window->setLog(log);
        const bool loaded = window->Form_Load();
        window->show();
        waitExposed(*window);
        state.PauseTiming();
        if (!loaded || !usable(*window, script, state))
            break;
        window->close();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MainWindowStartUp)->Unit(benchmark::kMillisecond)->Iterations(5);

// The normal start of the program: splash, components check, log, main window shown.
static void BM_NormalStart(benchmark::State& state)
{
    Fixture::instance();
    ProgramWiring wiring;
    for (auto _ : state) {
        state.PauseTiming();
        MsgScript script;
        state.ResumeTiming();
        std::unique_ptr<FMain> window = MMain::StartNormal(wiring.hooks());
        if (window)
            waitExposed(*window);
        state.PauseTiming();
        if (!window) {
            state.SkipWithError("the start ended the program");
            break;
        }
        if (!usable(*window, script, state))
            break;
        window->close();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NormalStart)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    return benchsupport::runWidgetBenchmarks(argc, argv);
}
