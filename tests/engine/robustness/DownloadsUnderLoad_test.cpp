#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

#include <malloc.h>
#include <zlib.h>

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
#include "tests/support/FixtureServer.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;
using namespace std::chrono_literals;

#if defined(__SANITIZE_ADDRESS__)
// Freed memory kept in quarantine would count as held; ASAN_OPTIONS still overrides this.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=0";
}
#endif

namespace {
constexpr std::size_t kMiB = 1024 * 1024;
constexpr int kLinks = 10000;
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's redzones and shadow memory add to the resident figures.
constexpr std::size_t kMemorySlack = 4;
#else
constexpr std::size_t kMemorySlack = 1;
#endif

// A figure of /proc/self/status in bytes.
std::size_t statusBytes(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(field + ':')))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toULongLong() * 1024;
    }
    return 0;
}

// How far this process's resident memory rose above its level at the start, from the kernel's
// high-water mark, so no peak between two looks is missed.
class ResidentPeak {
public:
    // False when the kernel's mark cannot be reset.
    bool start()
    {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (!clear.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || clear.write("5") != 1)
            return false;
        m_base = statusBytes("VmRSS");
        return true;
    }
    std::size_t growth() const
    {
        const std::size_t peak = statusBytes("VmHWM");
        return peak - std::min(peak, m_base);
    }

private:
    std::size_t m_base = 0;
};

// A compressed body of many MiB of zeros (about a thousandth of that on the wire), streamed. After
// a full flush the compressor starts afresh, so one compressed MiB can be sent again and again;
// the trailer's checksum and length are those of the whole.
class ZeroBomb {
public:
    enum Format { Gzip, Zlib };

    ZeroBomb(Format format, std::size_t mebibytes)
        : m_format(format)
        , m_mebibytes(mebibytes)
    {
        z_stream stream{};
        deflateInit2(&stream, 9, Z_DEFLATED, format == Gzip ? 15 + 16 : 15, 9, Z_DEFAULT_STRATEGY);
        const std::string zeros(kMiB, '\0');
        m_first = deflated(stream, zeros, Z_FULL_FLUSH);
        m_repeated = deflated(stream, zeros, Z_FULL_FLUSH);
        m_last = deflated(stream, {}, Z_FINISH);
        deflateEnd(&stream);
        m_last.resize(m_last.size() - (format == Gzip ? 8 : 4));
        m_last += trailer();
    }

    std::size_t size() const
    {
        return m_first.size() + (m_mebibytes - 1) * m_repeated.size() + m_last.size();
    }
    std::size_t inflatedSize() const { return m_mebibytes * kMiB; }
    const char* encoding() const { return m_format == Gzip ? "gzip" : "deflate"; }

    // Up to `length` bytes of the body from `offset` on.
    std::string part(std::size_t offset, std::size_t length) const
    {
        std::string out;
        const auto copy = [&](const std::string& piece, std::size_t start) {
            if (offset >= start + piece.size() || out.size() >= length)
                return;
            const std::size_t from = offset > start ? offset - start : 0;
            out += piece.substr(from, length - out.size());
        };
        copy(m_first, 0);
        const std::size_t repeatsStart = m_first.size();
        const std::size_t lastStart = repeatsStart + (m_mebibytes - 1) * m_repeated.size();
        while (out.size() < length && offset + out.size() < lastStart) {
            const std::size_t at = offset + out.size() - repeatsStart;
            copy(m_repeated, repeatsStart + at / m_repeated.size() * m_repeated.size());
        }
        copy(m_last, lastStart);
        return out;
    }

private:
    static std::string deflated(z_stream& stream, const std::string& in, int flush)
    {
        std::string out;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        stream.avail_in = static_cast<uInt>(in.size());
        char buffer[65536];
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
        return out;
    }

    std::string trailer() const
    {
        const std::string zeros(kMiB, '\0');
        const auto* bytes = reinterpret_cast<const Bytef*>(zeros.data());
        const uLong crcMiB = crc32(0, bytes, kMiB);
        const uLong adlerMiB = adler32(1, bytes, kMiB);
        uLong crc = crcMiB;
        uLong adler = adlerMiB;
        for (std::size_t i = 1; i < m_mebibytes; ++i) {
            crc = crc32_combine(crc, crcMiB, kMiB);
            adler = adler32_combine(adler, adlerMiB, kMiB);
        }
        const auto size = static_cast<std::uint32_t>(inflatedSize());
        std::string out;
        if (m_format == Gzip) {
            for (const std::uint32_t value : {static_cast<std::uint32_t>(crc), size})
                for (int shift = 0; shift < 32; shift += 8)
                    out += static_cast<char>((value >> shift) & 0xff);
        } else {
            for (int shift = 24; shift >= 0; shift -= 8)
                out += static_cast<char>((adler >> shift) & 0xff);
        }
        return out;
    }

    Format m_format;
    std::size_t m_mebibytes;
    std::string m_first;
    std::string m_repeated;
    std::string m_last;
};

// A loopback server with a 50 MB page, pages that never end, compressed bodies that inflate to
// gibibytes, a page that declares a gibibyte, and a result page with many links to small pages.
class LoadServer {
public:
    LoadServer()
    {
        m_server.handle("/fifty", [](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(
                50 * 1000 * 1000, "text/html",
                [](std::size_t, std::size_t length, httplib::DataSink& sink) {
                    const std::string chunk(std::min<std::size_t>(length, 65536), 'f');
                    return sink.write(chunk.data(), chunk.size());
                });
        });
        // A gibibyte declared; what the server got out is counted.
        m_server.handle("/declared", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(
                1024 * kMiB, "text/html",
                [this](std::size_t, std::size_t length, httplib::DataSink& sink) {
                    const std::string chunk(std::min<std::size_t>(length, 65536), 'd');
                    if (m_server.stopping() || !sink.write(chunk.data(), chunk.size()))
                        return false;
                    m_declaredSent += chunk.size();
                    return true;
                });
        });
        // Text that hardly compresses, and text that compresses a thousandfold (the server
        // compresses for a client that accepts gzip).
        m_server.handle("/endless", [this](const httplib::Request&, httplib::Response& response) {
            endless(response, noise());
        });
        m_server.handle("/endless-compressible",
                        [this](const httplib::Request&, httplib::Response& response) {
                            endless(response, std::string(65536, 'e'));
                        });
        bomb("/bomb-gzip", m_gzipBomb);
        bomb("/bomb-deflate", m_zlibBomb);
        m_server.handle("/results", [this](const httplib::Request&, httplib::Response& response) {
            std::string page = "<html><body><div> ";
            for (int i = 0; i < kLinks; ++i)
                page += "<div class=g><a href=\"" + url("/found/" + std::to_string(i)) +
                        "\">Found <B>page</B> " + std::to_string(i) + "</a></div>";
            page += "</div> </div></body></html>";
            response.set_content(page, "text/html");
        });
        m_server.handle("/small", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html>small</html>", "text/html");
        });
        m_server.handle(R"(/found/(\d+))",
                        [](const httplib::Request& request, httplib::Response& response) {
                            response.set_content("<html><meta name=\"keywords\" content=\"page " +
                                                     request.matches[1].str() + "\"></html>",
                                                 "text/html");
                        });
    }
    LoadServer(const LoadServer&) = delete;
    LoadServer& operator=(const LoadServer&) = delete;

    std::string url(const std::string& path) const
    {
        return m_server.url(QString::fromStdString(path)).toStdString();
    }
    QString qurl(const std::string& path) const { return QString::fromStdString(url(path)); }
    int endlessEnded() const { return m_endlessEnded; }
    // Bytes handed to the sender before compression.
    std::size_t endlessSent() const { return m_endlessSent; }
    std::size_t declaredSent() const { return m_declaredSent; }
    const ZeroBomb& gzipBomb() const { return m_gzipBomb; }

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
                if (m_server.stopping() || !sink.write(chunk.data(), chunk.size())) {
                    ++m_endlessEnded;
                    return false;
                }
                m_endlessSent += chunk.size();
                return true;
            });
    }
    // Served as it is: the server compresses no binary type itself.
    void bomb(const std::string& path, const ZeroBomb& body)
    {
        m_server.handle(path, [this, &body](const httplib::Request&, httplib::Response& response) {
            response.set_header("Content-Encoding", body.encoding());
            response.set_content_provider(
                body.size(), "application/octet-stream",
                [this, &body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                    const std::string part =
                        body.part(offset, std::min<std::size_t>(length, 65536));
                    return !m_server.stopping() && sink.write(part.data(), part.size());
                });
        });
    }

    static constexpr std::size_t kBombMebibytes = 4096;
    const ZeroBomb m_gzipBomb{ZeroBomb::Gzip, kBombMebibytes};
    const ZeroBomb m_zlibBomb{ZeroBomb::Zlib, kBombMebibytes};
    std::atomic<int> m_endlessEnded = 0;
    std::atomic<std::size_t> m_endlessSent = 0;
    std::atomic<std::size_t> m_declaredSent = 0;
    // Last, so that it stops before what its handlers use goes.
    FixtureServer m_server;
};

struct Result {
    QString page;
    bool success = false;
    QString description;
};

class DownloadsUnderLoad : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // A fixed threshold: large blocks are mapped on their own and go back to the system when
        // freed, so resident memory follows what the code holds rather than what the allocator
        // kept from earlier tests.
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    }
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
        // What the first download of the process loads and sets up for good is not counted.
        const QString warmUp = m_downloader->Download(m_server->qurl("/small"));
        ASSERT_TRUE(waitAll({warmUp}, 30s));
        ASSERT_TRUE(m_results.value(warmUp).success);
        ASSERT_TRUE(
            testsupport::waitUntil([&] { return m_downloader->RunningWorkers() == 0; }, 30s));
        m_baseThreads = testsupport::threadCount();
        m_peakThreads = 0;
        ASSERT_TRUE(m_memory.start()) << "the resident high-water mark cannot be reset";
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
                m_peakThreads = std::max(m_peakThreads, testsupport::threadCount());
                return std::all_of(cookies.begin(), cookies.end(),
                                   [&](const QString& c) { return m_results.contains(c); });
            },
            deadline);
    }

    void report(const std::string& what) const
    {
        std::printf("[figures] %s: peak resident growth %.1f MiB, peak threads %d (%d before)\n",
                    what.c_str(), static_cast<double>(m_memory.growth()) / kMiB, m_peakThreads,
                    m_baseThreads);
    }

    testsupport::TempHome m_home;
    std::unique_ptr<LoadServer> m_server = std::make_unique<LoadServer>();
    CDownloaderPtr m_downloader;
    QHash<QString, Result> m_results;
    ResidentPeak m_memory;
    int m_peakThreads = 0;
    int m_baseThreads = 0;
};

const QString kTooLarge = QStringLiteral("The page is larger than 16777216 bytes. ");
// What a download may hold beside its body: the read buffer, the inflater, the reply and
// its thread.
constexpr std::size_t kDownloadBuffers = 2 * kMiB;
constexpr std::size_t kCap = static_cast<std::size_t>(CDLoadWorker::kMaxBodyBytes);
} // namespace

// Each kind of body above the cap ends as a failure at the cap, holding no more than the cap and
// a small buffer: compressed bodies that inflate to gibibytes, a body that never ends and comes
// as fast as the loopback carries it, and a page that declares more than the cap (never read).
TEST_F(DownloadsUnderLoad, EachBodyAboveTheCapFailsHoldingAtMostTheCap)
{
    struct Case {
        std::string path;
        std::size_t held; // the body's share of the bound
    };
    const Case cases[] = {
        {"/bomb-gzip", kCap}, {"/bomb-deflate", kCap}, {"/endless", kCap}, {"/declared", 0}};
    std::printf("[figures] each bomb: %.1f MB on the wire, %.0f MiB inflated\n",
                static_cast<double>(m_server->gzipBomb().size()) / 1e6,
                static_cast<double>(m_server->gzipBomb().inflatedSize()) / kMiB);
    for (const Case& c : cases) {
        ASSERT_TRUE(m_memory.start());
        const QString cookie = m_downloader->Download(m_server->qurl(c.path));
        ASSERT_TRUE(waitAll({cookie}, 60s)) << c.path;
        report(c.path);
        EXPECT_FALSE(m_results.value(cookie).success) << c.path;
        EXPECT_EQ(m_results.value(cookie).description, kTooLarge) << c.path;
        EXPECT_LT(m_memory.growth(), (c.held + kDownloadBuffers) * kMemorySlack) << c.path;
        ASSERT_TRUE(
            testsupport::waitUntil([&] { return m_downloader->RunningWorkers() == 0; }, 30s));
    }
    std::printf("[figures] the declared gibibyte: the server got %.1f MiB out\n",
                static_cast<double>(m_server->declaredSent()) / kMiB);
    EXPECT_LT(m_server->declaredSent(), kCap) << "the declared body was read";
}

// A 50 MB page (refused by its declared length) and pages that never end (one of them compressed
// a thousandfold) all stop at the cap, as failures with a clear description, each holding no more
// than the cap and a small buffer; the endless senders are cut off.
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
    EXPECT_LT(m_memory.growth(), 3 * (kCap + kDownloadBuffers) * kMemorySlack);
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
    EXPECT_LE(m_peakThreads, m_baseThreads + 4 * CDownloader::kMaxRunningWorkers + 16);
    EXPECT_LT(m_memory.growth(), 256 * kMiB * kMemorySlack);
}
