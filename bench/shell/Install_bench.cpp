// "/install" of a SetupKWs.txt of N lines (count, tab, keyword; CR LF ends; N from
// --keywords=N or QUINTARA_BENCH_KEYWORDS, 1,000,000 by default) into a fresh cache: the whole
// switch as the program runs it, the store of the rows alone, the keyword index build alone,
// and the fastest plain SQLite bulk insert of the same rows as the baseline.
#include <benchmark/benchmark.h>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/shell/CacheSeeder.h"
#include "app/shell/MMain.h"
#include "app/shell/ProgramSettings.h"
#include "engine/database/CacheIndex.h"
#include "engine/database/MParser.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlFunctions.h"
#include "engine/platform/SqlStatement.h"

#include "bench/support/BenchPairs.h"
#include "bench/support/BenchSize.h"

namespace {

int kLines = 1000000;
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

namespace {

QString freshCache(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("bench.vxc");
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + suffix);
    QFile::copy(QDir(zentrel::Folders::binaryFolder()).filePath("Cache.tdb"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

// The rows of the setup text as the cache stores them, in key order, their keywords one after
// the other in one text, so that the inserts read memory from front to back.
struct SortedRows {
    std::string text;
    struct Row {
        size_t offset;
        int length;
        qint64 count;
    };
    std::vector<Row> rows;
};

SortedRows sortedRows()
{
    std::vector<std::pair<QByteArray, qint64>> parsed;
    for (const QByteArray& line : setupText().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        if (fields.size() < 2)
            continue;
        parsed.emplace_back(
            zentrel::MParser::NormalizeKW(QString::fromUtf8(fields[1]).toLower()).toUtf8(),
            fields[0].toLongLong());
    }
    const auto view = [](const QByteArray& b) {
        return std::string_view(b.constData(), static_cast<size_t>(b.size()));
    };
    std::stable_sort(parsed.begin(), parsed.end(), [&](const auto& a, const auto& b) {
        return zentrel::SqlFunctions::compareNoCase(view(a.first), view(b.first)) < 0;
    });
    SortedRows sorted;
    for (const auto& [kw, count] : parsed) {
        sorted.rows.push_back({sorted.text.size(), static_cast<int>(kw.size()), count});
        sorted.text += view(kw);
    }
    return sorted;
}

} // namespace

// The floor: prepared inserts of the rows in key order through the C API, one transaction, a
// page cache that holds the whole table.
static void BM_BulkInsertBaseline(benchmark::State& state)
{
    QTemporaryDir dir;
    const SortedRows sorted = sortedRows();
    for (auto _ : state) {
        state.PauseTiming();
        const QString cache = freshCache(dir);
        state.ResumeTiming();
        auto connection = zentrel::SqlConnection::open(cache);
        sqlite3* db = connection->handle();
        sqlite3_exec(db, "PRAGMA cache_size = -262144; BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO Cache (KW, Count, dte) VALUES (?1, ?2, ?3)", -1,
                           &insert, nullptr);
        for (const SortedRows::Row& row : sorted.rows) {
            sqlite3_bind_text(insert, 1, sorted.text.data() + row.offset, row.length,
                              SQLITE_STATIC);
            sqlite3_bind_int64(insert, 2, row.count);
            sqlite3_bind_double(insert, 3, 46000.5);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_BulkInsertBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

// CacheSeeder::SeedCache alone: read, parse, sort and store the rows (no index).
static void BM_SeedCache(benchmark::State& state)
{
    QTemporaryDir home;
    qputenv("QUINTARA_HOME", home.path().toUtf8());
    const QByteArray text = setupText();
    for (auto _ : state) {
        state.PauseTiming();
        const QString cache = freshCache(home);
        QFile setup(CacheSeeder::setupFile());
        setup.open(QIODevice::WriteOnly | QIODevice::Truncate);
        setup.write(text);
        setup.flush();
        ::fsync(setup.handle()); // its pages written before the timing, as the baseline's rows
        setup.close();
        state.ResumeTiming();
        const CacheSeeder::Result result = CacheSeeder::SeedCache(cache, CacheSeeder::setupFile());
        if (result.stored != kLines) {
            state.SkipWithError("not every row stored");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_SeedCache)->Unit(benchmark::kMillisecond)->Iterations(3);

namespace {

// A fresh cache holding the setup text's rows, stored by the program, without the index.
QString seededCache(const QTemporaryDir& home)
{
    const QString cache = freshCache(home);
    {
        QFile setup(CacheSeeder::setupFile());
        setup.open(QIODevice::WriteOnly | QIODevice::Truncate);
        setup.write(setupText());
    }
    CacheSeeder::SeedCache(cache, CacheSeeder::setupFile());
    return cache;
}

void dropKeywordIndex(const QString& cache)
{
    auto connection = zentrel::SqlConnection::open(":memory:");
    connection->attach(cache, "cache");
    zentrel::CacheIndex::drop(zentrel::SqlDatabase(connection, "cache", cache));
}

// Times build on a cache of the setup text's rows, the index taken away before each time.
void timeIndexBuild(benchmark::State& state, const std::function<void(const QString&)>& build)
{
    QTemporaryDir home;
    qputenv("QUINTARA_HOME", home.path().toUtf8());
    const QString cache = seededCache(home);
    for (auto _ : state) {
        state.PauseTiming();
        dropKeywordIndex(cache);
        state.ResumeTiming();
        build(cache);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

} // namespace

// The floor for the index: the same full-text table of trigrams filled from the stored rows
// through the C API in one transaction, with the same page cache (no triggers, no generation).
static void BM_KeywordIndexBaseline(benchmark::State& state)
{
    timeIndexBuild(state, [](const QString& cache) {
        auto connection = zentrel::SqlConnection::open(cache);
        sqlite3_exec(connection->handle(),
                     "PRAGMA cache_size = -262144; BEGIN; "
                     "CREATE VIRTUAL TABLE CacheText USING fts5(KW, tokenize = 'trigram'); "
                     "INSERT INTO CacheText (KW) SELECT KW FROM Cache WHERE length(KW) >= 3; "
                     "COMMIT",
                     nullptr, nullptr, nullptr);
    });
}
BENCHMARK(BM_KeywordIndexBaseline)->Unit(benchmark::kMillisecond)->Iterations(2);

// The cache's keyword index built over the stored rows, on its own.
static void BM_BuildKeywordIndex(benchmark::State& state)
{
    timeIndexBuild(state, [](const QString& cache) { CacheSeeder::BuildIndex(cache, nullptr); });
}
BENCHMARK(BM_BuildKeywordIndex)->Unit(benchmark::kMillisecond)->Iterations(2);

static void BM_InstallSwitch(benchmark::State& state)
{
    QTemporaryDir home;
    qputenv("QUINTARA_HOME", home.path().toUtf8());
    const QByteArray text = setupText();
    const QStringList arguments{QStringLiteral("quintara-keywords"), QStringLiteral("/install")};
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(ProgramSettings::defaultCacheFile());
        {
            QFile setup(CacheSeeder::setupFile());
            if (!setup.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                setup.write(text) != text.size()) {
                state.SkipWithError("SetupKWs.txt not written");
                break;
            }
        }
        state.ResumeTiming();
        MMain::Main(arguments, {});
        state.PauseTiming();
        const qint64 rows = cacheRows(ProgramSettings::defaultCacheFile());
        if (QFile::exists(CacheSeeder::setupFile()) || rows < kLines) {
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
BENCHMARK(BM_InstallSwitch)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    kLines = benchsupport::projectSize(argc, argv, kLines);
    benchmark::Initialize(&argc, argv);
    benchsupport::PairReporter reporter({{"BM_SeedCache", "BM_BulkInsertBaseline"},
                                         {"BM_BuildKeywordIndex", "BM_KeywordIndexBaseline"},
                                         {"BM_InstallSwitch", "BM_BulkInsertBaseline"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printPairs(kLines);
    benchmark::Shutdown();
    return 0;
}
