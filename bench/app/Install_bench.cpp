// "/install" of a SetupKWs.txt of 1,000,000 lines into a fresh cache.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/shell/MInstall.h"
#include "engine/platform/Folders.h"

static void BM_InstallSeed(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString setup = dir.filePath("SetupKWs.txt");
    {
        QFile file(setup);
        file.open(QIODevice::WriteOnly);
        QByteArray text;
        text.reserve(lines * 32);
        for (int i = 0; i < lines; ++i)
            text +=
                QByteArray::number(i % 5000) + "\tkeyword number " + QByteArray::number(i) + "\r\n";
        file.write(text);
    }
    for (auto _ : state) {
        state.PauseTiming();
        const QString cache = dir.filePath("bench.vxc");
        QFile::remove(cache);
        QFile::copy(QDir(zentrel::Folders::binaryFolder()).filePath("Cache.tdb"), cache);
        QFile::setPermissions(cache, QFile::ReadOwner | QFile::WriteOwner);
        state.ResumeTiming();
        const MInstall::Result result = MInstall::SeedCache(cache, setup);
        benchmark::DoNotOptimize(result.stored);
    }
}
BENCHMARK(BM_InstallSeed)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
