// The group tree page and the group picker on a project of 2,000 groups nested up to 6 deep: the
// page's rebuild on GroupInfoChanged, the picker's fill, and a click on a group of 10,000
// keywords; each beside the raw SQLite work it cannot avoid.
#include <memory>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QHash>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include "app/collect/FMoveToGroup.h"
#include "app/collect/GroupTree.h"
#include "app/collect/ucGroups.h"
#include "app/keywords/DBaserKWStore.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/ucKW.h"
#include "bench/support/BenchKeywords.h"
#include "bench/support/BenchWidgetMain.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlStatement.h"
#include "engine/platform/SqlTransaction.h"

namespace {

constexpr int kGroups = 2000;
constexpr int kRoots = 5;
constexpr int kBranching = 4; // with 5 roots: levels of 5, 20, 80, 320, 1280, then 295 at depth 6
constexpr int kBigGroupKeywords = 10000;
constexpr int kSmallGroupKeywords = 10;

// No boxes; a dialog is shown, laid out and closed at once.
class QuietServices final : public KWServices {
public:
    void Write(std::int32_t, const QString&, int, const QString&) override {}
    int ShowMsg(const QString&, int, const QString&) override { return Cancel; }
    QString AskInput(const QString&, const QString&, const QString&) override { return {}; }
    int ExecDialog(QDialog& dialog) override
    {
        dialog.show();
        QApplication::processEvents();
        dialog.reject();
        return dialog.result();
    }
    bool ShowSingleTimeMsg(QWidget*, const QString&) override { return true; }
    QString SaveFileName(QWidget*, const QString&) override { return {}; }
    QString TempFileName(const QString& prefix, const QString&) override { return prefix; }
    void WriteFile(const QString&, const QString&) override {}
    void OpenInBrowser(const QString&, const QString&) override {}
    void SetClipboardText(const QString&) override {}
    bool ReadString(const QString&, const QString&, QString&) override { return false; }
    void WriteString(const QString&, const QString&, const QString&) override {}
    bool ReadLong(const QString&, const QString&, std::int32_t&) override { return false; }
    void WriteLong(const QString&, const QString&, std::int32_t) override {}
};

struct Project {
    QTemporaryDir home;
    zentrel::CLogPtr log = std::make_shared<zentrel::CLog>();
    zentrel::DBaser db;
    std::unique_ptr<DBaserKWStore> store;
    QuietServices services;
    std::vector<int> groupIds;
    int bigGroup = 0;
    int smallGroup = 0;

    Project()
    {
        qputenv("QUINTARA_HOME", home.path().toUtf8());
        log->Open(home.filePath(QStringLiteral("full.log")),
                  home.filePath(QStringLiteral("short.log")));
        db.Init(log);
        db.OpenCacheDB(home.filePath(QStringLiteral("Cache.vxc")));
        db.OpenProjectDB(home.filePath(QStringLiteral("Project.vxp")));
        const zentrel::SqlDatabase& project = *db.ProjectDB();
        zentrel::SqlTransaction transaction(project.connection());
        for (int i = 0; i < kGroups; ++i) {
            const QVariant parent =
                i < kRoots ? QVariant() : QVariant(groupIds[(i - kRoots) / kBranching]);
            groupIds.push_back(static_cast<int>(project.addRow(
                QStringLiteral("Group"), {QStringLiteral("Name"), QStringLiteral("ParentGroup")},
                {QStringLiteral("group %1").arg(i), parent})));
        }
        // The big group is a leaf at depth 6, the small one a leaf at depth 5.
        bigGroup = groupIds[kGroups - 1];
        smallGroup = groupIds[1000];
        const QStringList words = benchsupport::makeVocabulary(12);
        for (int i = 0; i < kBigGroupKeywords + kSmallGroupKeywords; ++i) {
            const QString kw = benchsupport::makeKeyword(words, i);
            const qint64 id = project.addRow(
                QStringLiteral("Keyword"),
                {QStringLiteral("KW"), QStringLiteral("Normalized"), QStringLiteral("Relevancy"),
                 QStringLiteral("Searches")},
                {kw, zentrel::MParser::NormalizeKW(kw), 1 + i % 5, (i * 7919) % 90000});
            project.addRow(QStringLiteral("KWGroup"),
                           {QStringLiteral("fkKW"), QStringLiteral("fkGroup")},
                           {id, i < kBigGroupKeywords ? bigGroup : smallGroup});
        }
        transaction.commit();
        store = std::make_unique<DBaserKWStore>(&db);
    }

    std::unique_ptr<ucGroups> page()
    {
        auto groups = std::make_unique<ucGroups>();
        groups->resize(1000, 700);
        groups->init(&db, store.get(), &services, nullptr, nullptr);
        return groups;
    }
};

Project& project()
{
    static Project instance;
    return instance;
}

// The least work with the rebuild's effect: one query of the groups, a tree of plain items.
void BM_GroupTreeBaseline(benchmark::State& state)
{
    Project& p = project();
    for (auto _ : state) {
        QTreeWidget tree;
        QHash<int, QTreeWidgetItem*> items;
        zentrel::SqlStatement rows =
            p.db.ProjectDB()->query(QStringLiteral("SELECT pkGroup, Name, ParentGroup FROM %1")
                                        .arg(p.db.ProjectDB()->qualified(QStringLiteral("Group"))));
        while (rows.next()) {
            QTreeWidgetItem* parent = rows.isNull(2) ? nullptr : items.value(rows.int32(2));
            auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(&tree);
            item->setText(0, rows.text(1));
            items.insert(rows.int32(0), item);
        }
        benchmark::DoNotOptimize(items.size());
    }
}
BENCHMARK(BM_GroupTreeBaseline)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_GroupPageRebuild(benchmark::State& state)
{
    Project& p = project();
    auto page = p.page();
    page->show();
    for (auto _ : state) {
        emit p.db.GroupInfoChanged();
        QApplication::processEvents();
        benchmark::DoNotOptimize(page->tv()->topLevelItemCount());
    }
    state.counters["nodes"] = GroupTree::count(*page->tv());
}
BENCHMARK(BM_GroupPageRebuild)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PickerFill(benchmark::State& state)
{
    Project& p = project();
    int shown = 0;
    for (auto _ : state) {
        FMoveToGroup picker;
        picker.init(&p.services, &p.db, nullptr);
        int picked = 0;
        picker.ShowPicker(QStringLiteral("Add To Group"), QStringLiteral("Group:"), false, picked,
                          false, 0);
        shown = GroupTree::count(*picker.tv());
    }
    state.counters["nodes"] = shown;
}
BENCHMARK(BM_PickerFill)->Unit(benchmark::kMillisecond)->Iterations(10);

// The least work with the click's effect: the group's keyword rows read.
void BM_GroupKeywordsBaseline(benchmark::State& state)
{
    Project& p = project();
    const zentrel::SqlDatabase& db = *p.db.ProjectDB();
    const QString sql =
        QStringLiteral("SELECT k.pkKeyword, k.KW, k.Searches, k.Relevancy FROM %1 AS k "
                       "INNER JOIN %2 AS g ON g.fkKW = k.pkKeyword WHERE g.fkGroup = ?")
            .arg(db.qualified(QStringLiteral("Keyword")), db.qualified(QStringLiteral("KWGroup")));
    for (auto _ : state) {
        std::vector<KWRecord> records;
        zentrel::SqlStatement rows = db.query(sql, {p.bigGroup});
        while (rows.next())
            records.push_back({rows.int32(0), rows.text(1), rows.isNull(2) ? -1 : rows.int32(2),
                               rows.isNull(3) ? -1 : rows.int32(3)});
        benchmark::DoNotOptimize(records.size());
    }
}
BENCHMARK(BM_GroupKeywordsBaseline)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ClickGroupOf10000(benchmark::State& state)
{
    Project& p = project();
    auto page = p.page();
    page->show();
    QApplication::processEvents();
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        GroupTree::select(*page->tv(),
                          GroupTree::find(*page->tv(), GroupTree::keyOf(p.smallGroup)));
        QApplication::processEvents();
        state.ResumeTiming();
        GroupTree::select(*page->tv(), GroupTree::find(*page->tv(), GroupTree::keyOf(p.bigGroup)));
        page->KWs()->lv()->viewport()->repaint();
        QApplication::processEvents();
        rows = page->KWs()->model()->rowCount();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_ClickGroupOf10000)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::runWidgetBenchmarks(argc, argv);
}
