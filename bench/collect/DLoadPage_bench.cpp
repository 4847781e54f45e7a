// The downloads page under a burst of 10,000 downloads, as the engine's queued research on a big
// result page makes: every download started, then every one completed (one in ten failing),
// through the page's two handlers, with the page shown and its events processed every 100 calls.
// Beside it the raw bookkeeping with no widgets, and a list of row-by-row widget items.
#include <deque>
#include <memory>
#include <vector>

#include <QApplication>
#include <QHash>
#include <QListWidget>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include "app/collect/DLoadListModel.h"
#include "app/collect/ucDLoad.h"
#include "app/shell/DrawnIcons.h"
#include "app/shell/StatusPanel.h"
#include "bench/support/BenchWidgetMain.h"

namespace {

constexpr int kDownloads = 10000;
constexpr int kEventsEvery = 100;
constexpr int kFailEvery = 10;

struct Burst {
    QStringList cookies;
    QStringList addresses;

    Burst()
    {
        for (int i = 0; i < kDownloads; ++i) {
            cookies << QStringLiteral("{%1-0000-4000-8000-000000000000}").arg(i, 8, 16, QChar('0'));
            addresses << QStringLiteral("http://site%1.example.org/folder/page%2.htm")
                             .arg(i % 500)
                             .arg(i);
        }
    }

    // The order of the completions: the oldest first, or the newest first.
    int completed(int i, bool newestFirst) const { return newestFirst ? kDownloads - 1 - i : i; }
};

const Burst& burst()
{
    static const Burst made;
    return made;
}

void pumpEvery(int i)
{
    if (i % kEventsEvery == kEventsEvery - 1)
        QApplication::processEvents();
}

// The page in a window with the two status panels it keeps.
struct ShownPage {
    QWidget window;
    StatusPanel* running = new StatusPanel(&window);
    StatusPanel* error = new StatusPanel(&window);
    ucDLoad* page = new ucDLoad(&window);

    ShownPage()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(page, 1);
        layout->addWidget(running);
        layout->addWidget(error);
        page->attach({nullptr, {}, running, error, DrawnIcons::warningPicture(), {}});
        window.resize(800, 600);
        window.show();
        QApplication::processEvents();
    }
};

void BM_DLoadPage(benchmark::State& state)
{
    const Burst& b = burst();
    const bool newestFirst = state.range(0) != 0;
    int complete = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto shown = std::make_unique<ShownPage>();
        ucDLoad& page = *shown->page;
        state.ResumeTiming();
        for (int i = 0; i < kDownloads; ++i) {
            page.moDownloader_StartDownload(b.cookies[i], b.addresses[i]);
            pumpEvery(i);
        }
        for (int i = 0; i < kDownloads; ++i) {
            const int d = b.completed(i, newestFirst);
            const bool success = d % kFailEvery != 0;
            page.moDownloader_Complete(b.cookies[d], {}, success, success ? 0 : 653,
                                       success ? QString() : QStringLiteral("Not Found"));
            pumpEvery(i);
        }
        QApplication::processEvents();
        complete = page.completeModel().count();
        state.PauseTiming();
        shown.reset();
        state.ResumeTiming();
    }
    state.counters["complete"] = complete;
}
BENCHMARK(BM_DLoadPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// The least work with the page's effect: the two maps and the two lists, no model, no widgets.
void BM_DLoadBaseline(benchmark::State& state)
{
    const Burst& b = burst();
    const bool newestFirst = state.range(0) != 0;
    for (auto _ : state) {
        QHash<QString, int> numberOfCookie;
        QHash<int, QString> cookieOfNumber;
        std::deque<DLoadRow> current;
        std::deque<QString> complete;
        for (int i = 0; i < kDownloads; ++i) {
            current.push_back({b.addresses[i], i + 1, false, {}});
            numberOfCookie.insert(b.cookies[i], i + 1);
            cookieOfNumber.insert(i + 1, b.cookies[i]);
        }
        for (int i = 0; i < kDownloads; ++i) {
            const int d = b.completed(i, newestFirst);
            const int number = numberOfCookie.take(b.cookies[d]);
            cookieOfNumber.remove(number);
            const auto row =
                std::lower_bound(current.begin(), current.end(), number,
                                 [](const DLoadRow& r, int n) { return r.number < n; });
            if (d % kFailEvery != 0)
                complete.push_back(row->address);
            current.erase(row);
        }
        benchmark::DoNotOptimize(complete.size());
    }
}
BENCHMARK(BM_DLoadBaseline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// For comparison: row-by-row widget items inserted at the top, searched from the top by their
// data and taken out, in a shown list.
void BM_ListWidgetRowByRow(benchmark::State& state)
{
    const Burst& b = burst();
    const bool newestFirst = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto current = std::make_unique<QListWidget>();
        auto complete = std::make_unique<QListWidget>();
        current->show();
        complete->show();
        QApplication::processEvents();
        state.ResumeTiming();
        for (int i = 0; i < kDownloads; ++i) {
            auto* item = new QListWidgetItem(b.addresses[i]);
            item->setData(Qt::UserRole, i + 1);
            current->insertItem(0, item);
            pumpEvery(i);
        }
        for (int i = 0; i < kDownloads; ++i) {
            const int d = b.completed(i, newestFirst);
            for (int row = 0; row < current->count(); ++row) {
                if (current->item(row)->data(Qt::UserRole).toInt() != d + 1)
                    continue;
                std::unique_ptr<QListWidgetItem> item(current->takeItem(row));
                if (d % kFailEvery != 0)
                    complete->insertItem(0, item->text());
                break;
            }
            pumpEvery(i);
        }
        QApplication::processEvents();
        state.PauseTiming();
        current.reset();
        complete.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ListWidgetRowByRow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::runWidgetBenchmarks(argc, argv);
}
