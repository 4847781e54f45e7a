#include <chrono>
#include <thread>

#include <QSignalSpy>

#include <httplib.h>

#include <gtest/gtest.h>

#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/research/CDownloader.h"
#include "engine/research/Scripting.h"
#include "tests/support/TestSupport.h"

namespace {

// A search engine on 127.0.0.1 that answers every page slowly.
class SlowServer {
public:
    SlowServer()
    {
        m_server.Get(".*", [](const httplib::Request&, httplib::Response& response) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            response.set_content("<html><body>slow</body></html>", "text/html");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~SlowServer()
    {
        m_server.stop();
        m_thread.join();
    }
    SlowServer(const SlowServer&) = delete;
    SlowServer& operator=(const SlowServer&) = delete;

    QByteArray host() const { return "127.0.0.1:" + QByteArray::number(m_port); }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

} // namespace

TEST(FMainShutdown, RunningResearchIsStoppedAndNoThreadIsLeft)
{
    SlowServer server;
    qputenv("QUINTARA_ONLINE", "1");
    qputenv("QUINTARA_SEARCH_HOST", server.host());
    qputenv("QUINTARA_SUGGEST_HOST", server.host());
    {
        testsupport::TempHome home;
        MsgScript script;
        FMain window;
        ASSERT_TRUE(window.Form_Load());
        window.show();
        QSignalSpy started(window.scripting()->Downloader(), &zentrel::CDownloader::StartDownload);
        window.CollectBySelectedKeyword(QStringLiteral("blue widgets"));
        ASSERT_TRUE(testsupport::waitUntil([&] { return started.count() > 0; }));
        EXPECT_GT(zentrel::CThreadLauncher::runningCount(), 0);
        window.close();
        EXPECT_TRUE(window.unloaded());
        EXPECT_EQ(window.scripting(), nullptr);
        EXPECT_EQ(zentrel::CThreadLauncher::runningCount(), 0);
    }
    qunsetenv("QUINTARA_SEARCH_HOST");
    qunsetenv("QUINTARA_SUGGEST_HOST");
    qunsetenv("QUINTARA_ONLINE");
}
