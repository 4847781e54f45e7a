#include "engine/research/CDownloader.h"

#include <chrono>
#include <map>
#include <mutex>
#include <string>

#include <zlib.h>

#include <QFile>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>
#include <httplib.h>

#include "engine/EngineMessages.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/research/CDLoadWorker.h"
#include "engine/research/ResearchHosts.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;
using namespace std::chrono_literals;

namespace {

// `text` compressed in the gzip format, or in the zlib format that servers send as deflate.
std::string compressed(const std::string& text, bool gzip = true)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, gzip ? 15 + 16 : 15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// The loopback server with the pages of these tests; handlers that hold a request end when it
// stops.
class DownloadServer {
public:
    DownloadServer()
    {
        m_server.handle("/page",
                        [this](const httplib::Request& request, httplib::Response& response) {
                            record(request);
                            response.set_content("<html>page</html>", "text/html");
                        });
        m_server.handle(R"(/Mixed/(\w+))",
                        [this](const httplib::Request& request, httplib::Response& response) {
                            record(request);
                            response.set_content("mixed " + request.matches[1].str(), "text/plain");
                        });
        m_server.handle("/missing", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
        });
        m_server.handle(
            "/silent", [this](const httplib::Request&, httplib::Response&) { m_server.hold(20s); });
        m_server.gate("/gate");
        m_server.handle("/stall", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(1000, "text/plain",
                                          [this](size_t offset, size_t, httplib::DataSink& sink) {
                                              if (offset == 0) {
                                                  sink.write(std::string(100, 'x').data(), 100);
                                                  return true;
                                              }
                                              m_server.hold(20s);
                                              return false;
                                          });
        });
        // Bodies given by the test, sent as they are with the given content coding.
        m_server.handle(R"(/coded/([\w-]+))",
                        [this](const httplib::Request& request, httplib::Response& response) {
                            const std::lock_guard lock(m_mutex);
                            const auto page = m_coded.find(request.matches[1].str());
                            if (page == m_coded.end()) {
                                response.status = 404;
                                return;
                            }
                            if (!page->second.encoding.empty())
                                response.set_header("Content-Encoding", page->second.encoding);
                            // A binary type: the server compresses no such body itself.
                            response.set_content(page->second.body, "application/octet-stream");
                        });
        m_server.handle("/big", [](const httplib::Request&, httplib::Response& response) {
            const size_t size = 17 * 1024 * 1024;
            response.set_content_provider(
                size, "text/plain", [](size_t, size_t length, httplib::DataSink& sink) {
                    const std::string chunk(std::min<size_t>(length, 65536), 'b');
                    return sink.write(chunk.data(), chunk.size());
                });
        });
    }

    QString url(const QString& path) const { return m_server.url(path); }
    QString host() const { return m_server.host(); }

    void serveCoded(const std::string& name, std::string body, std::string encoding)
    {
        const std::lock_guard lock(m_mutex);
        m_coded[name] = {std::move(body), std::move(encoding)};
    }

    void openGate() { m_server.openGate(); }
    int inGate() const { return m_server.held(); }
    int maxInGate() const { return m_server.mostHeld(); }

    struct Seen {
        std::string path;
        std::string getHeader;
        std::string range;
        bool hasRange = false;
    };
    Seen last() const
    {
        const std::lock_guard lock(m_mutex);
        return m_last;
    }

private:
    void record(const httplib::Request& request)
    {
        const std::lock_guard lock(m_mutex);
        m_last = {request.path, request.get_header_value("GET"), request.get_header_value("Range"),
                  request.has_header("Range")};
    }

    mutable std::mutex m_mutex;
    Seen m_last;
    struct Coded {
        std::string body;
        std::string encoding;
    };
    std::map<std::string, Coded> m_coded;
    // Last, so that it stops before what its handlers use goes.
    FixtureServer m_server;
};

struct Result {
    QString cookie;
    QString page;
    bool success = false;
    std::int32_t number = 0;
    QString description;
    bool onOwnerThread = false;
};

class CDownloaderTest : public ::testing::Test {
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
                                std::int32_t number, const QString& description) {
                             m_results.push_back(
                                 {cookie, page, success, number, description,
                                  QThread::currentThread() == m_downloader->thread()});
                         });
    }

    void TearDown() override
    {
        m_server.reset();
        EXPECT_TRUE(
            testsupport::waitUntil([&] { return m_downloader->RunningWorkers() == 0; }, 20s));
        m_downloader.reset();
        qunsetenv("QUINTARA_ONLINE");
    }

    // Waits for the download's result and returns it.
    Result waitFor(const QString& cookie, std::chrono::milliseconds deadline = 10s)
    {
        const auto found = [&] { return count(cookie) > 0; };
        EXPECT_TRUE(testsupport::waitUntil(found, deadline)) << cookie.toStdString();
        for (const Result& result : m_results)
            if (result.cookie == cookie)
                return result;
        return {};
    }

    int count(const QString& cookie) const
    {
        return static_cast<int>(std::count_if(m_results.begin(), m_results.end(),
                                              [&](const Result& r) { return r.cookie == cookie; }));
    }

    QString logText() const
    {
        QFile file(m_home.file(QStringLiteral("full.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    testsupport::TempHome m_home;
    std::unique_ptr<DownloadServer> m_server = std::make_unique<DownloadServer>();
    CDownloaderPtr m_downloader;
    std::vector<Result> m_results;
};

ZError raisedBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ZError& error) {
        return error;
    }
    ADD_FAILURE() << "no error raised";
    return ZError(0, {});
}

TEST_F(CDownloaderTest, FetchesThePageWithTheRequestedRangeAndTheGetHeader)
{
    struct Case {
        std::int32_t sizeB;
        bool hasRange;
        std::string range;
    };
    const Case cases[] = {
        {2048, true, "bytes=0-2047"}, {1, true, "bytes=0-0"}, {0, false, ""}, {-5, false, ""}};
    int n = 0;
    for (const Case& c : cases) {
        const QString url = m_server->url(QStringLiteral("/page?n=%1").arg(++n));
        QSignalSpy started(m_downloader.get(), &CDownloader::StartDownload);
        const QString cookie = m_downloader->Download(url, c.sizeB);
        ASSERT_EQ(started.count(), 1);
        EXPECT_EQ(started.at(0).at(0).toString(), cookie);
        EXPECT_EQ(started.at(0).at(1).toString(), url);
        EXPECT_TRUE(cookie.startsWith(QLatin1Char('{')));
        const Result result = waitFor(cookie);
        EXPECT_TRUE(result.success);
        const QString whole = QStringLiteral("<html>page</html>");
        EXPECT_EQ(result.page, c.sizeB > 0 ? whole.left(c.sizeB) : whole); // the server honours it
        EXPECT_EQ(result.number, 0);
        EXPECT_EQ(result.description, QString());
        const DownloadServer::Seen seen = m_server->last();
        EXPECT_EQ(seen.getHeader, url.toStdString());
        EXPECT_EQ(seen.hasRange, c.hasRange) << c.sizeB;
        EXPECT_EQ(seen.range, c.range);
    }
}

TEST_F(CDownloaderTest, RequestKeepsTheUrlsCaseButTheSetComparesWithoutCaseAndBlanks)
{
    const QString url = m_server->url(QStringLiteral("/Mixed/CaseName"));
    const Result result =
        waitFor(m_downloader->Download(QStringLiteral("  ") + url + QStringLiteral(" ")));
    ASSERT_TRUE(result.success) << result.description.toStdString();
    EXPECT_EQ(result.page, QStringLiteral("mixed CaseName"));
    EXPECT_EQ(m_server->last().path, "/Mixed/CaseName");

    const QString other = QStringLiteral(" ") + url.toLower() + QStringLiteral("  ");
    const ZError error = raisedBy([&] { m_downloader->Download(other); });
    EXPECT_EQ(error.number(), objectError(650));
    EXPECT_EQ(error.description(), QStringLiteral("Failed to start download URL '") +
                                       url.toLower() +
                                       QStringLiteral("'. URL is already downloaded. "));
}

TEST_F(CDownloaderTest, SecondDownloadOfARunningUrlIsRefused)
{
    const QString url = m_server->url(QStringLiteral("/gate"));
    const QString first = m_downloader->Download(url);
    EXPECT_EQ(raisedBy([&] { m_downloader->Download(url.toUpper()); }).number(), objectError(650));
    m_server->openGate();
    EXPECT_TRUE(waitFor(first).success);
}

TEST_F(CDownloaderTest, SuggestionAndOvertureUrlsMayRepeat)
{
    const testsupport::ScopedEnv suggestHost("QUINTARA_SUGGEST_HOST", m_server->host().toUtf8());
    const QString suggest = QStringLiteral("http://") + m_server->host() +
                            ResearchHosts::suggestPath() + QStringLiteral("?term=x");
    const QString overture = m_server->url(QStringLiteral("/page?overture=1"));
    for (const QString& url : {suggest, overture}) {
        const QString first = m_downloader->Download(url);
        const QString second = m_downloader->Download(url); // while the first may still run
        EXPECT_NE(first, second);
        waitFor(first);
        waitFor(second);
        EXPECT_NO_THROW(m_downloader->Download(url));
    }
}

TEST_F(CDownloaderTest, NotFoundGivesTheStatusTextOnlineAndOfflineOtherwise)
{
    const QString url = m_server->url(QStringLiteral("/missing"));
    Result result = waitFor(m_downloader->Download(url));
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.page, QString());
    EXPECT_EQ(result.number, static_cast<std::int32_t>(objectError(653)));
    EXPECT_EQ(result.description, QStringLiteral("Not Found"));
    EXPECT_TRUE(logText().contains(QStringLiteral("CDLoadWorker.Run"))) << logText().toStdString();
    EXPECT_TRUE(logText().contains(QStringLiteral("Zentrel.dll " ZENTREL_VERSION)));

    // A failed URL may be fetched again.
    qputenv("QUINTARA_ONLINE", "0");
    result = waitFor(m_downloader->Download(url));
    EXPECT_EQ(result.number, static_cast<std::int32_t>(objectError(645)));
    EXPECT_EQ(result.description, QStringLiteral("Connection status is offline. "));
}

TEST_F(CDownloaderTest, RefusedConnectionFailsWithADescription)
{
    const QString url = m_server->url(QStringLiteral("/page"));
    m_server.reset();
    const Result result = waitFor(m_downloader->Download(url));
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.number, static_cast<std::int32_t>(objectError(653)));
    EXPECT_FALSE(result.description.isEmpty());
}

TEST_F(CDownloaderTest, ServerThatNeverAnswersTimesOut)
{
    m_downloader->setTimeLimit(300ms);
    const Result result = waitFor(m_downloader->Download(m_server->url(QStringLiteral("/silent"))));
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.number, static_cast<std::int32_t>(objectError(651)));
    EXPECT_EQ(result.description, QStringLiteral("Timeout exceeded. "));
}

TEST_F(CDownloaderTest, StallMidBodyEndsInTheInteractiveStateFailure)
{
    m_downloader->setTimeLimit(500ms);
    const Result result = waitFor(m_downloader->Download(m_server->url(QStringLiteral("/stall"))));
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.number, static_cast<std::int32_t>(objectError(652)));
    EXPECT_EQ(result.description, QStringLiteral("Looping in interactive state. "));
}

TEST_F(CDownloaderTest, BodyAboveTheCapFails)
{
    const Result result = waitFor(m_downloader->Download(m_server->url(QStringLiteral("/big"))));
    EXPECT_FALSE(result.success);
    EXPECT_TRUE(result.description.contains(QStringLiteral("larger than 16777216 bytes")))
        << result.description.toStdString();
}

// Compressed pages arrive inflated, up to the cap and no further.
TEST_F(CDownloaderTest, CompressedPagesArriveInflatedUpToTheCap)
{
    const std::string page = "<html>a compressed page</html>";
    const auto cap = static_cast<std::size_t>(CDLoadWorker::kMaxBodyBytes);
    const std::string atCap(cap, 'a');
    const std::string tooLarge = "The page is larger than 16777216 bytes. ";
    const std::string damaged = "The page's compressed data are damaged. ";
    struct Case {
        std::string name;
        std::string body;
        std::string encoding;
        bool success;
        std::string text; // the page, or the failure's description
    };
    const Case cases[] = {
        {"gzip", compressed(page), "gzip", true, page},
        {"x-gzip", compressed(page), "x-gzip", true, page},
        {"deflate", compressed(page, false), "deflate", true, page},
        {"identity", page, "identity", true, page},
        {"members", compressed("<html>one ") + compressed("two</html>"), "gzip", true,
         "<html>one two</html>"},
        {"damaged", page, "gzip", false, damaged},
        {"trailing-junk", compressed(page) + "junk", "gzip", false, damaged},
        {"plain-cap", atCap, "", true, atCap},
        {"gzip-cap", compressed(atCap), "gzip", true, atCap},
        {"gzip-over-cap", compressed(atCap + 'a'), "gzip", false, tooLarge},
    };
    for (const Case& c : cases)
        m_server->serveCoded(c.name, c.body, c.encoding);
    for (const Case& c : cases) {
        const Result result = waitFor(
            m_downloader->Download(m_server->url(QString::fromStdString("/coded/" + c.name))));
        EXPECT_EQ(result.success, c.success) << c.name;
        const QString text = QString::fromStdString(c.text);
        if (c.success) {
            EXPECT_EQ(result.page.size(), text.size()) << c.name;
            EXPECT_TRUE(result.page == text) << c.name;
        } else {
            EXPECT_EQ(result.number, static_cast<std::int32_t>(objectError(653))) << c.name;
            EXPECT_EQ(result.description, text) << c.name;
        }
    }
}

TEST_F(CDownloaderTest, CancelForgetsTheDownloadButItsResultStillArrives)
{
    m_downloader->Cancel(QStringLiteral("{unknown}"));
    const QString a = m_downloader->Download(m_server->url(QStringLiteral("/gate?a")));
    const QString b = m_downloader->Download(m_server->url(QStringLiteral("/gate?b")));
    const QString c = m_downloader->Download(m_server->url(QStringLiteral("/gate?c")));
    EXPECT_EQ(m_downloader->ActiveCount(), 3);
    m_downloader->Cancel(a);
    EXPECT_EQ(m_downloader->ActiveCount(), 2);
    EXPECT_TRUE(m_downloader->IsDownloadingNow());
    m_downloader->CancelAll();
    EXPECT_EQ(m_downloader->ActiveCount(), 0);
    EXPECT_FALSE(m_downloader->IsDownloadingNow());
    m_server->openGate();
    for (const QString& cookie : {a, b, c})
        EXPECT_TRUE(waitFor(cookie).success);
}

TEST_F(CDownloaderTest, DownloadsBeyondTheWorkerLimitWaitInAQueue)
{
    const int total = CDownloader::kMaxRunningWorkers + 4;
    QStringList cookies;
    for (int i = 0; i < total; ++i)
        cookies << m_downloader->Download(m_server->url(QStringLiteral("/gate?q=%1").arg(i)));
    EXPECT_EQ(m_downloader->ActiveCount(), total);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return m_server->inGate() == CDownloader::kMaxRunningWorkers; }));

    // A queued download that is cancelled never starts; its result says it was cancelled.
    const QString queued = cookies.last();
    m_downloader->Cancel(queued);
    EXPECT_EQ(m_downloader->ActiveCount(), total - 1);
    const Result cancelled = waitFor(queued);
    EXPECT_FALSE(cancelled.success);
    EXPECT_EQ(cancelled.number, static_cast<std::int32_t>(CDownloader::kCancelled));
    EXPECT_EQ(cancelled.description, QStringLiteral("The download was cancelled. "));

    m_server->openGate();
    for (const QString& cookie : cookies)
        waitFor(cookie);
    EXPECT_EQ(m_server->maxInGate(), CDownloader::kMaxRunningWorkers);
    EXPECT_EQ(m_downloader->ActiveCount(), 0);
    for (const QString& cookie : cookies)
        EXPECT_EQ(count(cookie), 1);
}

TEST_F(CDownloaderTest, CompleteIsRaisedOncePerResult)
{
    QStringList cookies;
    for (int i = 0; i < 5; ++i)
        cookies << m_downloader->Download(m_server->url(QStringLiteral("/page?once=%1").arg(i)));
    cookies << m_downloader->Download(m_server->url(QStringLiteral("/missing")));
    for (const QString& cookie : cookies)
        waitFor(cookie);
    ASSERT_TRUE(testsupport::waitUntil([&] { return m_downloader->RunningWorkers() == 0; }, 10s));
    testsupport::waitUntil([] { return false; }, 200ms);
    EXPECT_EQ(m_results.size(), static_cast<size_t>(cookies.size()));
    for (const QString& cookie : cookies)
        EXPECT_EQ(count(cookie), 1);
    EXPECT_EQ(m_downloader->ActiveCount(), 0);
}

TEST_F(CDownloaderTest, DownloadFromAnotherThreadRunsOnTheDownloadersThread)
{
    const QString url = m_server->url(QStringLiteral("/page?thread"));
    QString cookie;
    std::uint32_t secondError = 0;
    std::unique_ptr<QThread> caller(QThread::create([&] {
        cookie = m_downloader->Download(url);
        try {
            m_downloader->Download(url);
        } catch (const ZError& error) {
            secondError = error.number();
        }
    }));
    caller->start();
    ASSERT_TRUE(testsupport::waitUntil([&] { return caller->isFinished(); }));
    caller->wait();
    EXPECT_EQ(secondError, objectError(650));
    const Result result = waitFor(cookie);
    EXPECT_TRUE(result.success);
    EXPECT_TRUE(result.onOwnerThread);
}

} // namespace
