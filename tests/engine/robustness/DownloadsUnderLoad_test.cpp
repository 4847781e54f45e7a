#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>
#include <httplib.h>

#include "engine/platform/CLog.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/research/CDLoadWorker.h"
#include "engine/research/CDownloader.h"
#include "engine/research/CGP.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;
using namespace std::chrono_literals;

namespace {
constexpr std::size_t kMiB = 1024 * 1024;
constexpr int kLinks = 10000;
// AddressSanitizer keeps freed memory in quarantine, so resident figures grow under it.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kMemorySlack = 4;
#else
constexpr std::size_t kMemorySlack = 1;
#endif

// The resident memory of this process in bytes.
std::size_t residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toULongLong() * 1024;
    }
    return 0;
}

int threadCount()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

// The highest memory and thread figures seen while waiting.
struct Peaks {
    std::size_t rss = 0;
    int threads = 0;
    void sample()
    {
        rss = std::max(rss, residentBytes());
        threads = std::max(threads, threadCount());
    }
};

// A loopback server with a 50 MB page, a page that never ends and a result page with many
// links to small pages.
class LoadServer {
public:
    LoadServer()
    {
        m_server.Get("/fifty", [](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(
                50 * 1000 * 1000, "text/html",
                [](std::size_t, std::size_t length, httplib::DataSink& sink) {
                    const std::string chunk(std::min<std::size_t>(length, 65536), 'f');
                    return sink.write(chunk.data(), chunk.size());
                });
        });
        // Text that hardly compresses, and text that compresses a thousandfold (the server
        // compresses for a client that accepts gzip).
        m_server.Get("/endless", [this](const httplib::Request&, httplib::Response& response) {
            endless(response, noise());
        });
        m_server.Get("/endless-compressible",
                     [this](const httplib::Request&, httplib::Response& response) {
                         endless(response, std::string(65536, 'e'));
                     });
        m_server.Get("/results", [this](const httplib::Request&, httplib::Response& response) {
            std::string page = "<html><body><div> ";
            for (int i = 0; i < kLinks; ++i)
                page += "<div class=g><a href=\"" + url("/found/" + std::to_string(i)) +
                        "\">Found <B>page</B> " + std::to_string(i) + "</a></div>";
            page += "</div> </div></body></html>";
            response.set_content(page, "text/html");
        });
        m_server.Get(R"(/found/(\d+))",
                     [](const httplib::Request& request, httplib::Response& response) {
                         response.set_content("<html><meta name=\"keywords\" content=\"page " +
                                                  request.matches[1].str() + "\"></html>",
                                              "text/html");
                     });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(1ms);
    }
    ~LoadServer()
    {
        m_stopping = true;
        m_server.stop();
        m_thread.join();
    }
    LoadServer(const LoadServer&) = delete;
    LoadServer& operator=(const LoadServer&) = delete;

    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    QString qurl(const std::string& path) const { return QString::fromStdString(url(path)); }
    int endlessEnded() const { return m_endlessEnded; }
    // Bytes handed to the sender before compression.
    std::size_t endlessSent() const { return m_endlessSent; }

private:
    static std::string noise()
    {
        std::string text(65536, ' ');
        std::uint32_t state = 12345;
        for (char& c : text) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>('a' + (state >> 16) % 26);
        }
        return text;
    }
    void endless(httplib::Response& response, std::string chunk)
    {
        response.set_chunked_content_provider(
            "text/html", [this, chunk](std::size_t, httplib::DataSink& sink) {
                if (m_stopping || !sink.write(chunk.data(), chunk.size())) {
                    ++m_endlessEnded;
                    return false;
                }
                m_endlessSent += chunk.size();
                return true;
            });
    }

    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::atomic<bool> m_stopping = false;
    std::atomic<int> m_endlessEnded = 0;
    std::atomic<std::size_t> m_endlessSent = 0;
};

struct Result {
    QString page;
    bool success = false;
    QString description;
};

class DownloadsUnderLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("QUINTARA_ONLINE", "1");
        m_downloader = CDownloader::create();
        auto log = std::make_shared<CLog>();
        log->Open(m_home.file(QStringLiteral("full.log")),
                  m_home.file(QStringLiteral("short.log")));
        m_downloader->Init(log);
        QObject::connect(m_downloader.get(), &CDownloader::Complete, m_downloader.get(),
                         [this](const QString& cookie, const QString& page, bool success,
                                std::int32_t, const QString& description) {
                             m_results.insert(cookie, {page, success, description});
                         });
        m_baseThreads = threadCount();
        m_baseRss = residentBytes();
    }
    void TearDown() override
    {
        m_server.reset();
        EXPECT_TRUE(
            testsupport::waitUntil([&] { return m_downloader->RunningWorkers() == 0; }, 30s));
        m_downloader.reset();
        qunsetenv("QUINTARA_ONLINE");
    }

    bool waitAll(const QStringList& cookies, std::chrono::milliseconds deadline)
    {
        return testsupport::waitUntil(
            [&] {
                m_peaks.sample();
                return std::all_of(cookies.begin(), cookies.end(),
                                   [&](const QString& c) { return m_results.contains(c); });
            },
            deadline);
    }

    void report(const char* what) const
    {
        std::printf("[figures] %s: peak resident growth %.1f MiB, peak threads %d (%d before)\n",
                    what,
                    static_cast<double>(m_peaks.rss - std::min(m_peaks.rss, m_baseRss)) / kMiB,
                    m_peaks.threads, m_baseThreads);
    }

    testsupport::TempHome m_home;
    std::unique_ptr<LoadServer> m_server = std::make_unique<LoadServer>();
    CDownloaderPtr m_downloader;
    QHash<QString, Result> m_results;
    Peaks m_peaks;
    int m_baseThreads = 0;
    std::size_t m_baseRss = 0;
};

const QString kTooLarge = QStringLiteral("The page is larger than 16777216 bytes. ");
} // namespace

// A 50 MB page and pages that never end (one of them compressed a thousandfold) all stop at the
// cap, as failures with a clear description, holding no more than about the cap in memory; the
// endless senders are cut off.
TEST_F(DownloadsUnderLoad, BodiesAboveTheCapEndAsFailuresInBoundedMemory)
{
    const QString fifty = m_downloader->Download(m_server->qurl("/fifty"));
    const QString endless = m_downloader->Download(m_server->qurl("/endless"));
    const QString compressible = m_downloader->Download(m_server->qurl("/endless-compressible"));
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitAll({fifty, endless, compressible}, 120s));
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    report("50 MB and two endless bodies");
    std::printf("[figures] ended after %.1f s; endless senders handed over %.1f MiB\n", seconds,
                static_cast<double>(m_server->endlessSent()) / kMiB);
    for (const QString& cookie : {fifty, endless, compressible}) {
        EXPECT_FALSE(m_results.value(cookie).success);
        EXPECT_EQ(m_results.value(cookie).description, kTooLarge)
            << "at the cap, not at the time limit";
    }
    EXPECT_TRUE(testsupport::waitUntil([&] { return m_server->endlessEnded() == 2; }, 30s))
        << "an endless body is still being sent";
    // Three downloads of at most the cap each, with room for the buffers around them.
    EXPECT_LT(m_peaks.rss - std::min(m_peaks.rss, m_baseRss), 200 * kMiB * kMemorySlack);
    EXPECT_EQ(m_downloader->ActiveCount(), 0);
}

// A result page with 10,000 links is parsed and every found page is fetched: the downloads beyond
// the worker limit wait in the queue (counted as running), the threads stay bounded and every
// page arrives once.
TEST_F(DownloadsUnderLoad, TenThousandFoundPagesRunQueuedOnBoundedThreads)
{
    const QString results = m_downloader->Download(m_server->qurl("/results"));
    ASSERT_TRUE(waitAll({results}, 30s));
    ASSERT_TRUE(m_results.value(results).success)
        << m_results.value(results).description.toStdString();
    const QStringList found = CGP::FoundURLs(m_results.value(results).page);
    ASSERT_EQ(found.size(), kLinks);

    QStringList cookies;
    for (const QString& url : found)
        cookies << m_downloader->Download(url, 2048);
    EXPECT_EQ(m_downloader->ActiveCount(), kLinks);
    ASSERT_TRUE(waitAll(cookies, 600s));
    report("10,000 found pages");
    int succeeded = 0;
    for (const QString& cookie : cookies)
        succeeded += m_results.value(cookie).success ? 1 : 0;
    EXPECT_EQ(succeeded, kLinks);
    EXPECT_EQ(m_downloader->ActiveCount(), 0);
    // A handful of threads per running worker (its own, Qt Network's, ending ones not yet joined
    // on a loaded machine), never one per queued download.
    EXPECT_LE(m_peaks.threads, m_baseThreads + 4 * CDownloader::kMaxRunningWorkers + 16);
    EXPECT_LT(m_peaks.rss - std::min(m_peaks.rss, m_baseRss), 256 * kMiB * kMemorySlack);
}
