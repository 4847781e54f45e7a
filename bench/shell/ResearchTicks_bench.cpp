// The user-interface thread during research on a large project: the main window on a project
// of N keywords (--keywords=N or QUINTARA_BENCH_KEYWORDS, 1,000,000 by default) and a cache of
// N rows runs for 60 s (QUINTARA_BENCH_SECONDS) with its research timers, the search counts
// and result pages answered by a loopback server; a 1 ms timer on the user-interface thread
// measures the longest stretch in which the thread did not come back to its event loop.
#include <benchmark/benchmark.h>

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include "app/ProgramWiring.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/ProgramSettings.h"
#include "engine/database/CountsRefresh.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlTransaction.h"
#include "engine/research/CDownloader.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/ResearchHosts.h"
#include "engine/research/Scripting.h"

#include "bench/support/BenchKeywords.h"
#include "bench/support/BenchSize.h"
#include "bench/support/StallMeter.h"

using namespace zentrel;

namespace {

int g_keywords = 1000000;
constexpr int kCandidates = 150; // under the lookup's limit of 200 waiting candidates

QString keyword(int i)
{
    static const QStringList words = benchsupport::makeVocabulary(17);
    return benchsupport::makeKeyword(words, i);
}

// The search engine and the suggestion service on 127.0.0.1: every result page links three
// pages whose meta keywords are new, every suggestion page counts the term and two others.
class ResearchServer {
public:
    ResearchServer()
    {
        m_server.Get("/search", [this](const httplib::Request&, httplib::Response& response) {
            std::string links;
            for (int i = 0; i < 3; ++i) {
                links += "<div class=g><a href=\"http://" + host().toStdString() + "/page" +
                         std::to_string(++m_pages) + ".html\">Found</a></div>";
            }
            response.set_content("<html><body><div><p>Results</p>" + links +
                                     "</div> </div></body></html>",
                                 "text/html");
        });
        m_server.Get(R"(/page(\d+)\.html)", [](const httplib::Request& request,
                                               httplib::Response& response) {
            const std::string n = request.matches[1];
            response.set_content("<html><head><meta name=\"keywords\" content=\"found " + n +
                                     " alpha, found " + n + " beta, found " + n +
                                     " gamma\"></head></html>",
                                 "text/html");
        });
        m_server.Get(ResearchHosts::suggestPath().toStdString(),
                     [](const httplib::Request& request, httplib::Response& response) {
                         const std::string term = request.get_param_value("term");
                         response.set_content(
                             "<html><body><form><table><tr><td>1</td><td>decoy</td></tr></table>"
                             "</form><table><tr><td>Count</td><td>Term</td></tr><tr><td>4,500</"
                             "td><td>" +
                                 term + "</td></tr><tr><td>320</td><td>" + term +
                                 " sale</td></tr><tr><td>77</td><td>cheap " + term +
                                 "</td></tr></table></body></html>",
                             "text/html");
                     });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ResearchServer()
    {
        m_server.stop();
        m_thread.join();
    }
    ResearchServer(const ResearchServer&) = delete;
    ResearchServer& operator=(const ResearchServer&) = delete;

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::atomic<int> m_pages{0};
};

// The data folder with the two files the settings name: a cache of the counts of keywords
// N / 10 to N / 10 + N - 1, a project of keywords 0 to N - 1 (150 candidates, the rest kept
// at relevancies 1 to 5 but every tenth banned), all counts copied.
void fill(const QString& cacheFile, const QString& projectFile)
{
    DBaser db;
    db.OpenCacheDB(cacheFile);
    db.OpenProjectDB(projectFile);
    const SqlDatabase& cache = *db.CacheDB();
    {
        SqlTransaction transaction(cache.connection());
        auto insert = cache.query("INSERT INTO cache.Cache (KW, Count, dte) VALUES (?1, ?2, ?3)");
        for (int i = g_keywords / 10; i < g_keywords / 10 + g_keywords; ++i) {
            insert.bind(1, MParser::NormalizeKW(keyword(i))).bind(2, 1 + (i * 7919LL) % 90000);
            insert.bind(3, 45000.5).execute();
        }
        transaction.commit();
    }
    CKeyedCollection kws;
    for (int i = 0; i < g_keywords; ++i)
        kws.Add(keyword(i));
    CDataNode operation;
    db.AddKWs(kws, operation);
    db.ProjectDB()->execute("UPDATE Keyword SET Relevancy = CASE WHEN pkKeyword <= ?1 THEN NULL "
                            "WHEN pkKeyword % 10 = 0 THEN 0 ELSE 1 + pkKeyword % 5 END",
                            {kCandidates});
    CountsRefresh::refresh(*db.ProjectDB()); // remembered in the project file
    db.Finalize();
}

std::shared_ptr<CLog> openLog(const QString& home)
{
    auto log = std::make_shared<CLog>();
    log->Open(QDir(home).filePath("QuintaraKeywords.log"), QDir(home).filePath("short.log"));
    return log;
}

QCoreApplication& app()
{
    return *QCoreApplication::instance();
}

void BM_ResearchTicks(benchmark::State& state)
{
    QTemporaryDir home;
    qputenv("QUINTARA_HOME", home.path().toUtf8());
    ResearchServer server;
    qputenv("QUINTARA_SEARCH_HOST", server.host().toUtf8());
    qputenv("QUINTARA_SUGGEST_HOST", server.host().toUtf8());
    qputenv("QUINTARA_ONLINE", "1");
    QDir().mkpath(ProgramSettings::projectFolder());
    const QString cacheFile = QDir(ProgramSettings::projectFolder()).filePath("Bench Cache.vxc");
    const QString projectFile = QDir(ProgramSettings::projectFolder()).filePath("Bench.vxp");
    fill(cacheFile, projectFile);
    ProgramSettings::setCache(cacheFile);
    ProgramSettings::setProject(projectFile);
    const int seconds = qEnvironmentVariableIsSet("QUINTARA_BENCH_SECONDS")
                            ? qEnvironmentVariableIntValue("QUINTARA_BENCH_SECONDS")
                            : 60;
    ProgramWiring wiring;
    for (auto _ : state) {
        MsgScript script;
        auto window = std::make_unique<FMain>();
        wiring.wire(*window);
        window->setLog(openLog(home.path()));
        window->Form_Load();
        window->show();
        window->scripting()->setSearchesCountInterval(15);
        QElapsedTimer first;
        first.start();
        // The first tick's refresh: the open brought the copies up to date, so nothing is left.
        const QString toCount = window->scripting()->DBaser()->get1stNotOvertured();
        state.counters["first_refresh_ms"] = static_cast<double>(first.elapsed());
        const qint64 keywordsBefore = window->scripting()->DBaser()->GetCount(123);
        benchsupport::StallMeter meter;
        DBaser* dbaser = window->scripting()->DBaser();
        QObject::connect(dbaser, &DBaser::NewKws, &app(), [&] { meter.note("NewKws"); });
        QObject::connect(dbaser, &DBaser::NewOvertureCounts, &app(),
                         [&] { meter.note("NewOvertureCounts"); });
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        state.counters["longest_busy_ms"] = meter.longest();
        state.counters["stalls_over_50ms"] = meter.over(50);
        state.counters["new_candidates"] =
            static_cast<double>(window->scripting()->DBaser()->GetCount(123) - keywordsBefore);
        state.counters["boxes"] = static_cast<double>(script.shown().size());
        Q_UNUSED(toCount)
        window->close(); // shuts the engine down, its threads included
        window.reset();
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    g_keywords = benchsupport::projectSize(argc, argv, g_keywords);
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("BM_ResearchTicks", BM_ResearchTicks)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
