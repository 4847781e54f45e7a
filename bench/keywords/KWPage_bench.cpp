// The kept-keywords page on a project of 100,000 keywords: the first refresh at the page's
// 32,000-row cap, a refresh after ranking 10 keywords, and Export All to a file.
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/keywords/FExportParams.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/ucKW.h"
#include "app/shell/DBaserKWStore.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlTransaction.h"
#include "engine/platform/ZError.h"

namespace {

constexpr int kKeywords = 100000;

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

// A project of 100,000 kept keywords in a temporary data folder.
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
        for (int i = 0; i < kKeywords; ++i) {
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

} // namespace

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
