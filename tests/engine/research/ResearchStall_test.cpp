#include <QSignalSpy>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include "engine/database/DBaser.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CDataNode.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/ResearchHosts.h"
#include "engine/research/Scripting.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;
using namespace std::chrono_literals;

namespace {

// Every search and suggestion request is refused, as by a host that limits its requests.
class ResearchStall : public ::testing::Test {
protected:
    ResearchStall()
        : m_searchHost("QUINTARA_SEARCH_HOST", m_server.host().toUtf8())
        , m_suggestHost("QUINTARA_SUGGEST_HOST", m_server.host().toUtf8())
        , m_online("QUINTARA_ONLINE", "1")
    {
        const auto refuse = [](const httplib::Request&, httplib::Response& response) {
            response.status = 503;
        };
        m_server.handle("/search", refuse);
        m_server.handle(ResearchHosts::suggestPath().toStdString(), refuse);
        m_log->Open(m_home.file("full.log"), m_home.file("short.log"));
        m_engine.Init(m_log);
        m_engine.setAutoResearchPaused(true);
        db().OpenCacheDB(m_home.file("Default Cache.vxc"));
        db().OpenProjectDB(m_home.file("First Project.vxp"));
    }
    ~ResearchStall() override { m_engine.Shutdown(); }

    DBaser& db() { return *m_engine.DBaser(); }

    void add(const QStringList& keywords, int relevancy)
    {
        CKeyedCollection items;
        for (const QString& kw : keywords)
            items.Add(kw);
        CAttributes params;
        if (relevancy > 0) {
            params.Add("CS_SET_RANK", true);
            params.Add("CS_SET_RANK_TO", relevancy);
        }
        CDataNode operation;
        db().AddKWsEx(items, operation, &params);
    }

    // Runs one tick of the handler and waits for the job it started to end; the keyword the
    // job asked the server for.
    QString tick(void (Scripting::*handler)(), const char* key)
    {
        QSignalSpy ended(m_engine.SEContacter(), &CSEContacter::JobEnded);
        const size_t asked = m_server.targets().size();
        (m_engine.*handler)();
        EXPECT_TRUE(ended.wait(10000));
        const auto targets = m_server.targets();
        if (targets.size() <= asked)
            return {};
        const QUrl url(QString::fromStdString(targets.back()));
        return QUrlQuery(url)
            .queryItemValue(QString::fromLatin1(key), QUrl::FullyDecoded)
            .replace('+', ' ');
    }

    FixtureServer m_server;
    testsupport::TempHome m_home;
    testsupport::ScopedEnv m_searchHost;
    testsupport::ScopedEnv m_suggestHost;
    testsupport::ScopedEnv m_online;
    CLogPtr m_log = std::make_shared<CLog>();
    Scripting m_engine;
};

TEST_F(ResearchStall, AKeywordWhoseCountFailsWaitsBehindTheOthers)
{
    add({"aaa", "bbbb", "ccccc"}, 0);
    QStringList asked;
    for (int i = 0; i < 5; ++i)
        asked << tick(&Scripting::moOvertureTimer_Timer, "term");
    EXPECT_EQ(asked, QStringList({"aaa", "bbbb", "ccccc", "aaa", "bbbb"}));
}

TEST_F(ResearchStall, AKeywordWhoseLookupFailsWaitsBehindTheOthers)
{
    add({"ddd", "eeee"}, 5);
    m_engine.setAutoResearchPaused(false);
    QStringList asked;
    for (int i = 0; i < 3; ++i)
        asked << tick(&Scripting::moLookupTimer_Timer, "as_q");
    EXPECT_EQ(asked, QStringList({"ddd", "eeee", "ddd"}));
}

TEST_F(ResearchStall, AKeywordThatGotItsCountLeavesTheLine)
{
    add({"aaa", "bbbb"}, 0);
    EXPECT_EQ(tick(&Scripting::moOvertureTimer_Timer, "term"), "aaa");
    CDataNode counts;
    counts.Attributes().Add("bbbb", 7);
    db().AddOvertured(counts, {});
    EXPECT_EQ(tick(&Scripting::moOvertureTimer_Timer, "term"), "aaa") << "the only one left";
}

} // namespace
