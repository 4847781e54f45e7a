// The kept-keywords page on a project of N kept keywords (--keywords=N or
// QUINTARA_BENCH_KEYWORDS, 100,000 by default): the first refresh at the page's 32,000-row cap,
// a refresh after ranking 10 keywords, and Export All to a file, each beside a raw-SQLite
// baseline of the same reads (and the same bytes written).
#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include "bench/support/BenchPairs.h"
#include "bench/support/BenchSize.h"

#include "app/keywords/DBaserKWStore.h"
#include "app/keywords/FExportParams.h"
#include "app/keywords/KWExportText.h"
#include "app/keywords/KWExporter.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/TextLinesView.h"
#include "app/keywords/ucKW.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlTransaction.h"
#include "engine/platform/ZError.h"

namespace {

int g_keywords = 100000;
constexpr int kGridCap = 32000;

// Accepts the export dialog as it opens and saves to a fixed file.
class BenchServices final : public KWServices {
public:
    QString target;
    void Write(std::int32_t, const QString&, int, const QString&) override {}
    int ShowMsg(const QString&, int, const QString&) override { return Cancel; }
    QString AskInput(const QString&, const QString&, const QString&) override { return {}; }
    int ExecDialog(QDialog& dialog) override
    {
        dialog.show();
        dialog.accept();
        return dialog.result();
    }
    bool ShowSingleTimeMsg(QWidget*, const QString&) override { return true; }
    QString SaveFileName(QWidget*, const QString&) override { return target; }
    QString TempFileName(const QString& prefix, const QString&) override { return prefix; }
    void WriteFile(const QString& path, const QString& text) override
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw zentrel::ZError(1, file.errorString());
        file.write(text.toUtf8());
    }
    void OpenInBrowser(const QString&, const QString&) override {}
    void SetClipboardText(const QString&) override {}
    bool ReadString(const QString&, const QString&, QString&) override { return false; }
    void WriteString(const QString&, const QString&, const QString&) override {}
    bool ReadLong(const QString&, const QString&, std::int32_t&) override { return false; }
    void WriteLong(const QString&, const QString&, std::int32_t) override {}
};

// A project of N kept keywords in a temporary data folder.
struct Project {
    QTemporaryDir home;
    zentrel::CLogPtr log = std::make_shared<zentrel::CLog>();
    zentrel::DBaser db;
    std::unique_ptr<DBaserKWStore> store;
    BenchServices services;

    Project()
    {
        qputenv("QUINTARA_HOME", home.path().toUtf8());
        log->Open(home.filePath(QStringLiteral("full.log")),
                  home.filePath(QStringLiteral("short.log")));
        db.Init(log);
        db.OpenCacheDB(home.filePath(QStringLiteral("Cache.vxc")));
        db.OpenProjectDB(home.filePath(QStringLiteral("Project.vxp")));
        zentrel::SqlTransaction transaction(db.ProjectDB()->connection());
        for (int i = 0; i < g_keywords; ++i) {
            const QString kw = QStringLiteral("keyword research word%1 tool").arg(i);
            db.ProjectDB()->addRow(
                QStringLiteral("Keyword"),
                {QStringLiteral("KW"), QStringLiteral("Normalized"), QStringLiteral("Relevancy"),
                 QStringLiteral("Searches")},
                {kw, zentrel::MParser::NormalizeKW(kw), 1 + i % 5, (i * 7919) % 90000});
        }
        transaction.commit();
        store = std::make_unique<DBaserKWStore>(&db);
        services.target = home.filePath(QStringLiteral("export.txt"));
    }

    std::unique_ptr<ucKW> page()
    {
        auto kws = std::make_unique<ucKW>();
        kws->setPageType(2);
        kws->resize(900, 600);
        return kws;
    }
};

Project& project()
{
    static Project instance;
    return instance;
}

void BM_FirstRefreshGrid(benchmark::State& state)
{
    Project& p = project();
    for (auto _ : state) {
        state.PauseTiming();
        auto page = p.page();
        state.ResumeTiming();
        page->init(p.store.get(), &p.services, nullptr); // runs the first refresh
        benchmark::DoNotOptimize(page->model()->rowCount());
        state.PauseTiming();
        page.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstRefreshGrid)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RefreshGridAfterRanking10(benchmark::State& state)
{
    Project& p = project();
    auto page = p.page();
    page->init(p.store.get(), &p.services, nullptr);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        zentrel::CKeyedCollection ids;
        for (int i = 0; i < 10; ++i)
            ids.Add(page->model()->rowAt((i * 3001 + round * 17) % page->model()->rowCount()).id);
        p.db.SetRelevancy(ids, 1 + round % 5);
        ++round;
        state.ResumeTiming();
        page->RefreshGrid();
        benchmark::DoNotOptimize(page->model()->rowCount());
    }
}
BENCHMARK(BM_RefreshGridAfterRanking10)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ExportAllToFile(benchmark::State& state)
{
    Project& p = project();
    auto page = p.page();
    page->init(p.store.get(), &p.services, nullptr);
    for (auto _ : state) {
        page->mnuExportAll_Click();
        state.PauseTiming();
        QFile file(p.services.target);
        state.counters["bytes"] = static_cast<double>(file.size());
        file.remove();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExportAllToFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// The parts of Export All: the table (every keyword fetched and sorted by score), the text,
// and, for comparison, the same text put into a plain text edit's document.
void BM_ExportAllTable(benchmark::State& state)
{
    Project& p = project();
    for (auto _ : state)
        benchmark::DoNotOptimize(KWExporter::AllTable(*p.store, KWPageType::Keywords, 0).size());
}
BENCHMARK(BM_ExportAllTable)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportAllText(benchmark::State& state)
{
    Project& p = project();
    const KWExportTable table = KWExporter::AllTable(*p.store, KWPageType::Keywords, 0);
    KWExportText::Options options;
    options.searches = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(KWExportText::build(table, options).size());
}
BENCHMARK(BM_ExportAllText)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportAllPreview(benchmark::State& state)
{
    Project& p = project();
    KWExportText::Options options;
    options.searches = true;
    const QString text =
        KWExportText::build(KWExporter::AllTable(*p.store, KWPageType::Keywords, 0), options);
    for (auto _ : state) {
        QPlainTextEdit preview;
        preview.setLineWrapMode(QPlainTextEdit::NoWrap);
        preview.setPlainText(text);
        benchmark::DoNotOptimize(preview.document()->blockCount());
    }
}
BENCHMARK(BM_ExportAllPreview)->Unit(benchmark::kMillisecond)->Iterations(3);

// The export dialog's own preview as it shows: the text built and put into the view.
void BM_ExportAllDialogPreview(benchmark::State& state)
{
    Project& p = project();
    const KWExportTable table = KWExporter::AllTable(*p.store, KWPageType::Keywords, 0);
    for (auto _ : state) {
        state.PauseTiming();
        auto dialog = std::make_unique<FExportParams>(&p.services);
        dialog->init(table, nullptr, QString());
        dialog->chkSearchs()->setChecked(true);
        state.ResumeTiming();
        dialog->activate();
        benchmark::DoNotOptimize(dialog->txtPreview()->lineCount());
        state.PauseTiming();
        dialog.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExportAllDialogPreview)->Unit(benchmark::kMillisecond)->Iterations(3);

// The page's rows read straight from the table in the page's order: the kept keywords, at most
// `limit` of them (all with a negative limit).
int readKept(const zentrel::SqlDatabase& db, int limit, QByteArray* text)
{
    auto rows = db.query(
        QStringLiteral("SELECT pkKeyword, KW, Searches, Relevancy FROM project.Keyword WHERE "
                       "Relevancy > 0 ORDER BY Relevancy DESC, Searches DESC, pkKeyword%1")
            .arg(limit < 0 ? QString() : QStringLiteral(" LIMIT %1").arg(limit)));
    int count = 0;
    while (rows.next()) {
        const QString kw = rows.text(1);
        if (text != nullptr)
            *text += '"' + kw.toUtf8() + "\"," + QByteArray::number(rows.int32(2) / 30.0, 'f', 1) +
                     "\r\n";
        ++count;
    }
    return count;
}

void BM_GridRowsBaseline(benchmark::State& state)
{
    Project& p = project();
    for (auto _ : state)
        benchmark::DoNotOptimize(readKept(*p.db.ProjectDB(), kGridCap, nullptr));
}
BENCHMARK(BM_GridRowsBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);

// Every kept keyword read and written as "keyword",searches lines to a file.
void BM_ExportBaseline(benchmark::State& state)
{
    Project& p = project();
    for (auto _ : state) {
        QByteArray text;
        readKept(*p.db.ProjectDB(), -1, &text);
        QFile file(p.services.target);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
        file.close();
        state.PauseTiming();
        file.remove();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExportBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    g_keywords = benchsupport::projectSize(argc, argv, g_keywords);
    benchmark::Initialize(&argc, argv);
    benchsupport::PairReporter reporter({{"BM_FirstRefreshGrid", "BM_GridRowsBaseline"},
                                         {"BM_RefreshGridAfterRanking10", "BM_GridRowsBaseline"},
                                         {"BM_ExportAllToFile", "BM_ExportBaseline"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printPairs(g_keywords);
    benchmark::Shutdown();
    return 0;
}
