#include "engine/research/Scripting.h"

#include <memory>

#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/research/CSEContacter.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;
using namespace std::chrono_literals;
using testsupport::ScopedEnv;

namespace {

// The engine on a real project file, its hosts on a loopback server.
class ResearchEndToEnd : public ::testing::Test {
protected:
    ResearchEndToEnd()
        : searchHost("QUINTARA_SEARCH_HOST", server.host().toUtf8())
        , suggestHost("QUINTARA_SUGGEST_HOST", server.host().toUtf8())
        , online("QUINTARA_ONLINE", "1")
        , log(std::make_shared<CLog>())
    {
        log->Open(home.file("full.log"), home.file("short.log"));
        engine.Init(log);
        engine.DBaser()->OpenCacheDB(home.file("Default Cache.vxc"));
        engine.DBaser()->OpenProjectDB(home.file("First Project.vxp"));
    }

    ~ResearchEndToEnd() override { engine.Shutdown(); }

    QStringList column(const QString& sql) const
    {
        QStringList values;
        auto rows = engine.DBaser()->ProjectDB()->query(sql);
        while (rows.next())
            values << rows.value(0).toString();
        return values;
    }

    bool jobsEnded()
    {
        return testsupport::waitUntil([&] { return engine.SEContacter()->RunningJobs() == 0; },
                                      20s);
    }

    FixtureServer server;
    testsupport::TempHome home;
    ScopedEnv searchHost;
    ScopedEnv suggestHost;
    ScopedEnv online;
    CLogPtr log;
    Scripting engine;
};

} // namespace

TEST_F(ResearchEndToEnd, RankingAKeywordLooksItUpAndTheMasterReportsTheNewCandidates)
{
    const std::string base = "http://" + server.host().toStdString();
    server.page("/search", "<html><body><div><p>Results</p><div class=g><a href=\"" + base +
                               "/found.html\">Found</a></div><div class=g><a href=\"https://" +
                               server.host().toStdString() +
                               "/secure.html\">Secure</a></div>"
                               "</div> </div></body></html>");
    server.page("/found.html", "<html><head><meta name=\"keywords\" content=\"red shoes sale, "
                               "buy red shoes, shoes\"></head></html>");

    DBaser& db = *engine.DBaser();
    CKeyedCollection kws;
    kws.Add(QStringLiteral("red shoes"));
    CDataNode operation;
    operation.Attributes().Add(QStringLiteral("Description"), QStringLiteral("typed in"));
    db.AddKWs(kws, operation);
    const int id =
        engine.DBaser()
            ->ProjectDB()
            ->scalar(QStringLiteral("SELECT pkKeyword FROM Keyword WHERE KW = 'red shoes'"))
            .toInt();
    QSignalSpy newKws(&db, &DBaser::NewKws);

    CKeyedCollection ids;
    ids.Add(id);
    db.SetRelevancy(ids, 3); // gives the lookup its turn at once
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            return column(QStringLiteral("SELECT KW FROM Keyword"))
                .contains(QStringLiteral("buy red shoes"));
        },
        20s));
    ASSERT_TRUE(jobsEnded());
    EXPECT_TRUE(column(QStringLiteral("SELECT KW FROM Keyword"))
                    .contains(QStringLiteral("red shoes sale")));
    EXPECT_TRUE(
        column(QStringLiteral("SELECT Description FROM Operation"))
            .contains(QStringLiteral("Google search for '%1'")
                          .arg(server.url(QStringLiteral("/search?as_q=red+shoes&num=10")))));
    EXPECT_FALSE(
        engine.DBaser()
            ->ProjectDB()
            ->scalar(QStringLiteral("SELECT LookupDate FROM Keyword WHERE KW = 'red shoes'"))
            .isNull());
    EXPECT_TRUE(db.get1stForLookup().isEmpty());

    const int before = newKws.count();
    db.moEventTimer_Timer();
    EXPECT_EQ(newKws.count(), before + 1);
}

TEST_F(ResearchEndToEnd, SearchCountTickStoresTheSuggestionPagesCounts)
{
    server.handle("/d/searchinventory/suggestion/", [](const httplib::Request& request,
                                                       httplib::Response& response) {
        const std::string term = request.get_param_value("term");
        std::string rows = "<tr><td>Count</td><td>Term</td></tr>";
        if (term == "boots")
            rows +=
                "<tr><td>4,500</td><td>boots</td></tr><tr><td>320</td><td>winter boots</td></tr>";
        response.set_content("<html><body><form><table><tr><td>1</td><td>decoy</td></tr></table>"
                             "</form><table>" +
                                 rows + "</table></body></html>",
                             "text/html");
    });
    DBaser& db = *engine.DBaser();
    CKeyedCollection kws;
    kws.Add(QStringLiteral("winter boots"));
    CDataNode operation;
    db.AddKWs(kws, operation);
    QSignalSpy counts(&db, &DBaser::NewOvertureCounts);

    ASSERT_EQ(db.get1stNotOvertured(), QStringLiteral("winter boots"));
    engine.moOvertureTimer_Timer();
    ASSERT_TRUE(jobsEnded());
    auto count = [&](const QString& kw) {
        return db.CacheDB()->scalar(QStringLiteral("SELECT Count FROM Cache WHERE KW = ?"), {kw});
    };
    EXPECT_EQ(count(QStringLiteral("boots")).toInt(), 4); // "4,500": the comma ends the number
    EXPECT_EQ(count(QStringLiteral("boots winter")).toInt(), 320);
    EXPECT_TRUE(count(QStringLiteral("decoy")).isNull());
    db.moEventTimer_Timer();
    EXPECT_EQ(counts.count(), 1);
    EXPECT_TRUE(db.get1stNotOvertured().isEmpty());
}
