#include <chrono>
#include <cstdio>

#include <QElapsedTimer>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "engine/research/CDownloader.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/Scripting.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/TestSupport.h"

using namespace std::chrono_literals;

namespace {

// A search engine on 127.0.0.1 that answers every page after 40 s, or at once when it stops.
class SlowServer {
public:
    SlowServer()
    {
        m_server.handle(".*", [this](const httplib::Request&, httplib::Response& response) {
            m_server.hold(40s);
            response.set_content("<html><body>slow</body></html>", "text/html");
        });
    }

    QByteArray host() const { return m_server.host().toLatin1(); }

private:
    FixtureServer m_server{16};
};

} // namespace

TEST(FMainShutdown, ClosingWithSlowPagesInFlightEndsAtOnceAndLeavesNoThread)
{
    SlowServer server;
    qputenv("QUINTARA_ONLINE", "1");
    qputenv("QUINTARA_SEARCH_HOST", server.host());
    qputenv("QUINTARA_SUGGEST_HOST", server.host());
    {
        testsupport::TempHome home;
        const int threadsBefore = testsupport::steadyThreadCount();
        MsgScript script;
        ProgramWiring wiring;
        FMain window;
        wiring.wire(window);
        ASSERT_TRUE(window.Form_Load());
        window.show();
        zentrel::Scripting* engine = window.scripting();
        QSignalSpy started(engine->Downloader(), &zentrel::CDownloader::StartDownload);
        for (int i = 0; i < 10; ++i)
            engine->Downloader()->Download(
                QString::fromLatin1("http://" + server.host() + "/page" + QByteArray::number(i)));
        for (const char* kw : {"blue widgets", "red widgets", "green widgets"})
            engine->SEContacter()->GetSER(zentrel::seGoogle, QString::fromLatin1(kw),
                                          std::make_shared<zentrel::CKeyedCollection>());
        ASSERT_TRUE(testsupport::waitUntil([&] { return started.count() >= 13; }));
        EXPECT_GT(engine->RunningThreads(), 10);

        QElapsedTimer clock;
        clock.start();
        window.close();
        const qint64 closing = clock.elapsed();
        std::printf("[figures] close with 13 slow pages in flight: %lld ms\n",
                    static_cast<long long>(closing));
        EXPECT_TRUE(window.unloaded());
        EXPECT_EQ(window.scripting(), nullptr);
        EXPECT_LT(closing, 1000) << "the window is gone at once";
        EXPECT_TRUE(testsupport::threadsSettleAt(threadsBefore, 1s)) << "no thread is left";
    }
    qunsetenv("QUINTARA_SEARCH_HOST");
    qunsetenv("QUINTARA_SUGGEST_HOST");
    qunsetenv("QUINTARA_ONLINE");
}
