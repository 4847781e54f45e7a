// "/install" of a SetupKWs.txt of 1,000,000 lines (count, tab, keyword; CR LF ends) into a
// fresh default cache: the whole switch as the program runs it.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/shell/MInstall.h"
#include "app/shell/MMain.h"
#include "app/shell/MSettings.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlStatement.h"

namespace {

constexpr int kLines = 1000000;
constexpr int kVocabulary = 5000;

QList<QByteArray> makeVocabulary()
{
    QList<QByteArray> words;
    unsigned state = 13;
    while (words.size() < 3 * kVocabulary) {
        state = state * 1103515245u + 12345u;
        const int length = 4 + static_cast<int>((state >> 16) % 5);
        QByteArray word;
        for (int c = 0; c < length; ++c) {
            state = state * 1103515245u + 12345u;
            word += static_cast<char>('a' + static_cast<int>((state >> 16) % 26));
        }
        words << word + QByteArray::number(words.size());
    }
    return words;
}

// Three pseudo-words per line, every keyword distinct, some in capitals.
QByteArray setupText()
{
    const QList<QByteArray> v = makeVocabulary();
    QByteArray text;
    text.reserve(kLines * 36);
    for (int i = 0; i < kLines; ++i) {
        QByteArray first = v[i % kVocabulary];
        if (i % 10 == 0)
            first = first.toUpper();
        text.append(QByteArray::number((i * 7919LL) % 90000));
        text.append('\t').append(first).append(' ');
        text.append(v[kVocabulary + (i / kVocabulary) % kVocabulary]).append(' ');
        text.append(v[2 * kVocabulary + (i * 7) % kVocabulary]).append("\r\n");
    }
    return text;
}

qint64 cacheRows(const QString& cacheFile)
{
    auto connection = zentrel::SqlConnection::open(cacheFile);
    auto count = connection->prepare("SELECT count(*) FROM Cache");
    return count.next() ? count.int64(0) : -1;
}

} // namespace

static void BM_InstallSwitch(benchmark::State& state)
{
    QTemporaryDir home;
    qputenv("QUINTARA_HOME", home.path().toUtf8());
    const QByteArray text = setupText();
    const QStringList arguments{QStringLiteral("quintara-keywords"), QStringLiteral("/install")};
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(MSettings::defaultCacheFile());
        {
            QFile setup(MInstall::setupFile());
            if (!setup.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                setup.write(text) != text.size()) {
                state.SkipWithError("SetupKWs.txt not written");
                break;
            }
        }
        state.ResumeTiming();
        MMain::Main(arguments);
        state.PauseTiming();
        const qint64 rows = cacheRows(MSettings::defaultCacheFile());
        if (QFile::exists(MInstall::setupFile()) || rows < kLines) {
            state.SkipWithError(QStringLiteral("setup file kept or %1 rows stored")
                                    .arg(rows)
                                    .toStdString()
                                    .c_str());
            break;
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_InstallSwitch)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
