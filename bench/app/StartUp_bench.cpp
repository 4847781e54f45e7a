// Start-up to a usable main window on a project of 100,000 keywords and a cache of 1,000,000
// rows.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/shell/FMain.h"
#include "app/shell/MSettings.h"
#include "app/shell/MsgScript.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDate.h"

namespace {

void fill(const QString& cacheFile, const QString& projectFile, int keywords, int cacheRows)
{
    {
        auto log = std::make_shared<zentrel::CLog>();
        zentrel::DBaser db;
        db.Init(log);
        db.OpenCacheDB(cacheFile);
        db.OpenProjectDB(projectFile);
        db.CloseDBs();
    }
    const double now = zentrel::SqlDate::now();
    auto cache = zentrel::SqlConnection::open(cacheFile);
    cache->beginTransaction();
    auto row = cache->prepare("INSERT INTO Cache (KW, Count, dte) VALUES (?1, ?2, ?3)");
    for (int i = 0; i < cacheRows; ++i) {
        row.reset();
        row.bind(1, QStringLiteral("cached keyword %1").arg(i)).bind(2, i % 9000).bind(3, now);
        row.execute();
    }
    cache->commitTransaction();

    auto project = zentrel::SqlConnection::open(projectFile);
    project->beginTransaction();
    auto kw = project->prepare(
        "INSERT INTO Keyword (KW, Normalized, Relevancy, Searches) VALUES (?1, ?1, ?2, ?3)");
    for (int i = 0; i < keywords; ++i) {
        kw.reset();
        const QVariant relevancy = i % 3 == 0 ? QVariant() : QVariant(i % 6);
        kw.bind(1, QStringLiteral("cached keyword %1").arg(i)).bind(2, relevancy).bind(3, i % 9000);
        kw.execute();
    }
    project->commitTransaction();
}

} // namespace

static void BM_StartUp(benchmark::State& state)
{
    QTemporaryDir home;
    qputenv("QUINTARA_HOME", home.path().toUtf8());
    QDir().mkpath(MSettings::projectFolder());
    fill(MSettings::defaultCacheFile(), MSettings::defaultProjectFile(), 100000, 1000000);
    MsgScript script;
    for (auto _ : state) {
        FMain window;
        const bool loaded = window.Form_Load();
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(loaded);
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
