#include "engine/research/CSEContacter.h"

#include <memory>

#include <QFile>
#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include "engine/EngineMessages.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/SqlDate.h"
#include "engine/research/CDownloader.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

using namespace zentrel;
using namespace std::chrono_literals;
using testsupport::ScopedEnv;

namespace {

std::string resultPage(const std::vector<std::string>& links)
{
    std::string page = "<html><body><table><tr><td>Search</td></tr></table><div><p>Results</p>";
    for (const std::string& link : links)
        page += "<div class=g><a href=\"" + link + "\" class=l>Result</a><br>snippet</div>\n";
    return page + "</div> </div></body></html>";
}

std::string metaPage(const std::string& keywords)
{
    return "<html><head><title>t</title><meta name=\"keywords\" content=\"" + keywords +
           "\"></head><body>text</body></html>";
}

std::string suggestionPage(const std::vector<std::pair<std::string, std::string>>& rows)
{
    std::string page = "<html><body><form action=\"/d/searchinventory/suggestion/\">"
                       "<table><tr><td>5000</td><td>decoy phrase</td></tr></table></form>"
                       "<table><tr><td>Count</td><td>Search term</td></tr>";
    for (const auto& [count, phrase] : rows)
        page += "<tr><td>" + count + "</td><td>" + phrase + "</td></tr>";
    return page + "</table></body></html>";
}

class ResearchJobsTest : public ::testing::Test {
protected:
    ResearchJobsTest()
        : searchHost("QUINTARA_SEARCH_HOST", server.host().toUtf8())
        , suggestHost("QUINTARA_SUGGEST_HOST", server.host().toUtf8())
        , online("QUINTARA_ONLINE", "1")
        , log(std::make_shared<CLog>())
        , master(std::make_unique<DBaser>())
        , downloader(CDownloader::create())
    {
        log->Open(home.file("full.log"), home.file("short.log"));
        master->Init(log);
        master->InitMaster();
        master->OpenCacheDB(home.file("Default Cache.vxc"));
        master->OpenProjectDB(home.file("First Project.vxp"));
        downloader->Init(log);
        downloader->setTimeLimit(5s);
        contacter.Init(log, downloader, master.get());
    }

    ~ResearchJobsTest() override
    {
        // Jobs still running get their events while the threads end.
        contacter.StopJobs();
        downloader->StopAll();
        master->Finalize();
        testsupport::waitUntil(
            [&] { return contacter.RunningThreads() == 0 && downloader->RunningWorkers() == 0; },
            10s);
    }

    void addKeyword(const QString& kw)
    {
        CKeyedCollection kws;
        kws.Add(kw);
        CDataNode operation;
        operation.Attributes().Add(QStringLiteral("Description"), QStringLiteral("test"));
        master->AddKWs(kws, operation);
    }

    QStringList column(const QString& sql, const QVariantList& params = {}) const
    {
        QStringList values;
        auto rows = master->ProjectDB()->query(sql, params);
        while (rows.next())
            values << rows.value(0).toString();
        return values;
    }

    QVariant scalar(const QString& sql, const QVariantList& params = {}) const
    {
        return master->ProjectDB()->scalar(sql, params);
    }

    // Waits for the job's Complete and returns its arguments.
    QList<QVariant> completion(QSignalSpy& spy, const QString& cookie)
    {
        const bool arrived = testsupport::waitUntil(
            [&] {
                for (const auto& args : spy) {
                    if (args.at(0).toString() == cookie)
                        return true;
                }
                return false;
            },
            20s);
        EXPECT_TRUE(arrived) << "no Complete for " << cookie.toStdString();
        for (const auto& args : spy) {
            if (args.at(0).toString() == cookie)
                return args;
        }
        return {};
    }

    bool waitForJobsToEnd()
    {
        return testsupport::waitUntil([&] { return contacter.RunningJobs() == 0; }, 20s);
    }

    int requestsFor(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& target : server.targets())
            n += target.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    QString logText() const
    {
        QFile file(home.file("full.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    FixtureServer server;
    testsupport::TempHome home;
    ScopedEnv searchHost;
    ScopedEnv suggestHost;
    ScopedEnv online;
    CLogPtr log;
    std::unique_ptr<DBaser> master;
    CDownloaderPtr downloader;
    CSEContacter contacter;
};

} // namespace

TEST_F(ResearchJobsTest, SearchJobStoresTheFoundPagesPhrasesAndTheLookupDate)
{
    const std::string base = "http://" + server.host().toStdString();
    server.page("/search",
                resultPage({base + "/found/a.html", base + "/found/Plain.html",
                            base + "/found/Latin.html", "https://127.0.0.1:1/secure.html",
                            base + "/docs/Paper.PDF", "/relative.html"}));
    server.page("/found/a.html", metaPage("red shoes online, cheap red shoes, shoes"));
    server.page("/found/Plain.html", "<html><head><title>no meta</title></head></html>");
    server.page("/found/Latin.html", metaPage("caf\xe9 cr\xe8me shoes"), "text/html");
    server.page("/docs/Paper.PDF", metaPage("never read"));

    addKeyword(QStringLiteral("red shoes"));
    QSignalSpy completes(&contacter, &CSEContacter::Complete);
    QSignalSpy starts(downloader.get(), &CDownloader::StartDownload);
    QSignalSpy newKws(master.get(), &DBaser::NewKws);

    const QString cookie = contacter.GetSER(seGoogle, QStringLiteral("red shoes"),
                                            std::make_shared<CKeyedCollection>());
    const QList<QVariant> done = completion(completes, cookie);
    ASSERT_EQ(done.size(), 4);
    EXPECT_TRUE(done.at(1).toBool()) << done.at(3).toString().toStdString();

    EXPECT_EQ(requestsFor("/search?as_q=red+shoes&num=10"), 1);
    EXPECT_EQ(requestsFor("/found/"), 3); // the capitals of a path reach the server
    EXPECT_EQ(requestsFor("/docs/"), 0);
    for (const auto& args : starts)
        EXPECT_FALSE(args.at(1).toString().startsWith(QLatin1String("https")))
            << args.at(1).toString().toStdString();

    const QStringList kws = column(QStringLiteral("SELECT KW FROM Keyword ORDER BY KW"));
    EXPECT_TRUE(kws.contains(QStringLiteral("red shoes online"))) << kws.join(',').toStdString();
    EXPECT_TRUE(kws.contains(QStringLiteral("cheap red shoes")));
    EXPECT_TRUE(kws.contains(QString::fromUtf8("caf\xc3\xa9 cr\xc3\xa8me shoes")));
    EXPECT_FALSE(kws.contains(QStringLiteral("never read")));
    EXPECT_FALSE(kws.contains(QStringLiteral("shoes")));

    const QString searchURL = server.url(QStringLiteral("/search?as_q=red+shoes&num=10"));
    EXPECT_TRUE(column(QStringLiteral("SELECT Description FROM Operation"))
                    .contains(QStringLiteral("Google search for '%1'").arg(searchURL)));
    EXPECT_FALSE(
        scalar(QStringLiteral("SELECT LookupDate FROM Keyword WHERE KW = 'red shoes'")).isNull());

    master->moEventTimer_Timer();
    EXPECT_EQ(newKws.count(), 1);
    EXPECT_TRUE(waitForJobsToEnd());
}

TEST_F(ResearchJobsTest, ResultPageWithoutResultsCompletesAndAFetchedOneFailsWith650)
{
    server.page("/search", resultPage({}));
    addKeyword(QStringLiteral("blue boots"));
    QSignalSpy completes(&contacter, &CSEContacter::Complete);

    const QString first = contacter.GetSER(seGoogle, QStringLiteral("blue boots"),
                                           std::make_shared<CKeyedCollection>());
    EXPECT_TRUE(completion(completes, first).value(1).toBool());
    EXPECT_FALSE(
        scalar(QStringLiteral("SELECT LookupDate FROM Keyword WHERE KW = 'blue boots'")).isNull());

    master->ProjectDB()->execute(QStringLiteral("UPDATE Keyword SET LookupDate = NULL"));
    const QString second = contacter.GetSER(seGoogle, QStringLiteral("blue boots"),
                                            std::make_shared<CKeyedCollection>());
    const QList<QVariant> failed = completion(completes, second);
    ASSERT_EQ(failed.size(), 4);
    EXPECT_FALSE(failed.at(1).toBool());
    EXPECT_EQ(static_cast<std::uint32_t>(failed.at(2).toInt()),
              objectError(EngineMessages::UrlAlreadyDownloaded));
    // The keyword is not picked again by the lookup timer.
    EXPECT_FALSE(
        scalar(QStringLiteral("SELECT LookupDate FROM Keyword WHERE KW = 'blue boots'")).isNull());
    EXPECT_TRUE(waitForJobsToEnd());
}

TEST_F(ResearchJobsTest, FailingResultPagesEndTheJob)
{
    server.page("/search", "<html><body>no layout here</body></html>");
    QSignalSpy completes(&contacter, &CSEContacter::Complete);

    const QString unparsable = contacter.GetSER(seGoogle, QStringLiteral("odd page"),
                                                std::make_shared<CKeyedCollection>());
    const QList<QVariant> result = completion(completes, unparsable);
    ASSERT_EQ(result.size(), 4);
    EXPECT_FALSE(result.at(1).toBool());
    EXPECT_EQ(static_cast<std::uint32_t>(result.at(2).toInt()),
              objectError(EngineMessages::CannotParsePage));

    auto params = std::make_shared<CKeyedCollection>();
    const QString missing =
        contacter.GetGoogleSERbyGoogleURL(server.url(QStringLiteral("/nothing")), params);
    const QList<QVariant> notFound = completion(completes, missing);
    ASSERT_EQ(notFound.size(), 4);
    EXPECT_FALSE(notFound.at(1).toBool());
    EXPECT_EQ(static_cast<std::uint32_t>(notFound.at(2).toInt()),
              objectError(EngineMessages::HttpStatus));
    EXPECT_TRUE(waitForJobsToEnd());
}

TEST_F(ResearchJobsTest, SiteCrawlAsksForTheSitesPages)
{
    server.handle("/search", [&](const httplib::Request& request, httplib::Response& response) {
        const std::string base = "http://" + server.host().toStdString();
        response.set_content(request.get_param_value("num") == "50"
                                 ? resultPage({base + "/site/page.html"})
                                 : resultPage({}),
                             "text/html");
    });
    server.page("/site/page.html", metaPage("site phrase one, site phrase two"));
    QSignalSpy completes(&contacter, &CSEContacter::Complete);

    auto params = std::make_shared<CKeyedCollection>();
    params->Add(50, QStringLiteral("PagesCount"));
    const QString cookie =
        contacter.CrawlKWFromSite(seGoogle, QStringLiteral("www.example.com"), params);
    EXPECT_TRUE(completion(completes, cookie).value(1).toBool());
    EXPECT_TRUE(column(QStringLiteral("SELECT KW FROM Keyword"))
                    .contains(QStringLiteral("site phrase two")));
    EXPECT_FALSE(params->Exists(QStringLiteral("kw")));
    EXPECT_THROW(contacter.CrawlKWFromSite(static_cast<enSE>(1), QStringLiteral("x"),
                                           std::make_shared<CKeyedCollection>()),
                 ZError);
    EXPECT_TRUE(waitForJobsToEnd());
}

TEST_F(ResearchJobsTest, PageJobAndLocalFile)
{
    server.page("/Page.html", metaPage("page phrase here, one"));
    QSignalSpy completes(&contacter, &CSEContacter::Complete);
    contacter.LoadFromPage(server.url(QStringLiteral("/Page.html")), true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return completes.count() == 1; }, 20s));
    EXPECT_TRUE(completes.at(0).at(1).toBool());
    EXPECT_TRUE(column(QStringLiteral("SELECT KW FROM Keyword"))
                    .contains(QStringLiteral("page phrase here")));
    EXPECT_TRUE(column(QStringLiteral("SELECT Description FROM Operation"))
                    .contains(QStringLiteral("Get keywords from '%1'")
                                  .arg(server.url(QStringLiteral("/Page.html")))));

    const QString file = home.file("local.html");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(metaPage("local phrase, abcdefghij abcdefghij abcdefghij abcdefg, "
                           "abcdefghij abcdefghij abcdefghij abcdef")
                      .c_str());
    }
    contacter.LoadFromPage(file, false);
    const QStringList kws = column(QStringLiteral("SELECT KW FROM Keyword"));
    EXPECT_TRUE(kws.contains(QStringLiteral("local phrase")));
    EXPECT_TRUE(kws.contains(QStringLiteral("abcdefghij abcdefghij abcdefghij abcdef")));
    EXPECT_FALSE(kws.contains(QStringLiteral("abcdefghij abcdefghij abcdefghij abcdefg")));
    EXPECT_TRUE(column(QStringLiteral("SELECT Description FROM Operation"))
                    .contains(QStringLiteral("Loaded from '%1'.").arg(file)));
    EXPECT_TRUE(waitForJobsToEnd());
}

TEST_F(ResearchJobsTest, CountJobStopsOnceTheKeywordsOwnCountArrived)
{
    server.handle("/d/searchinventory/suggestion/", [](const httplib::Request& request,
                                                       httplib::Response& response) {
        const std::string term = request.get_param_value("term");
        response.set_content(
            term == "red"
                ? suggestionPage({{"900", "red"}, {"1,234", "shoes red"}, {"77", "red sale"}})
                : suggestionPage({}),
            "text/html");
    });
    QSignalSpy counts(master.get(), &DBaser::NewOvertureCounts);

    contacter.RunOverture(QStringLiteral("red shoes"), std::make_shared<CKeyedCollection>());
    ASSERT_TRUE(waitForJobsToEnd());
    EXPECT_EQ(requestsFor("/d/searchinventory/suggestion/"), 1);
    auto count = [&](const QString& kw) {
        return master->CacheDB()->scalar(QStringLiteral("SELECT Count FROM Cache WHERE KW = ?"),
                                         {kw});
    };
    EXPECT_EQ(count(QStringLiteral("red")).toInt(), 900);
    EXPECT_EQ(count(QStringLiteral("red shoes")).toInt(), 1);
    EXPECT_EQ(count(QStringLiteral("red sale")).toInt(), 77);
    EXPECT_TRUE(count(QStringLiteral("decoy phrase")).isNull());
    master->moEventTimer_Timer();
    EXPECT_EQ(counts.count(), 1);
}

TEST_F(ResearchJobsTest, CountJobStoresAnUnsortedKeywordUnderItsNormalisedName)
{
    server.handle("/d/searchinventory/suggestion/",
                  [](const httplib::Request&, httplib::Response& response) {
                      response.set_content(suggestionPage({{"3", "something else"}}), "text/html");
                  });
    contacter.RunOverture(QStringLiteral("shoes red&blue"), std::make_shared<CKeyedCollection>());
    ASSERT_TRUE(waitForJobsToEnd());

    const std::vector<std::string> expected = {
        "/d/searchinventory/suggestion/?term=shoes&amp;mkt=us&amp;lang=en_US",
        "/d/searchinventory/suggestion/?term=red%26blue&amp;mkt=us&amp;lang=en_US",
        "/d/searchinventory/suggestion/?term=shoes+red%26blue&amp;mkt=us&amp;lang=en_US",
    };
    EXPECT_EQ(server.targets(), expected);
    EXPECT_GT(master->OverDate(QStringLiteral("shoes red&blue")).date().year(), 2000);
    const QVariant own = master->CacheDB()->scalar(
        QStringLiteral("SELECT Count FROM Cache WHERE KW = ?"), {QStringLiteral("red&blue shoes")});
    EXPECT_FALSE(own.isNull());
    EXPECT_EQ(own.toInt(), 0);

    // Counted now: a second job asks for nothing.
    contacter.RunOverture(QStringLiteral("shoes red&blue"), std::make_shared<CKeyedCollection>());
    ASSERT_TRUE(waitForJobsToEnd());
    EXPECT_EQ(server.targets().size(), 3u);
}

TEST_F(ResearchJobsTest, CountJobEndsOnAFailedPage)
{
    contacter.RunOverture(QStringLiteral("lost term"), std::make_shared<CKeyedCollection>());
    ASSERT_TRUE(waitForJobsToEnd());
    EXPECT_EQ(requestsFor("/d/searchinventory/suggestion/"), 1);
    EXPECT_TRUE(logText().contains(QStringLiteral("COverworker.moDownloader_Complete")));
}

TEST_F(ResearchJobsTest, FoundPagesAlreadyFetchedFailedOrSilentDoNotHoldTheJob)
{
    downloader->setTimeLimit(1s);
    const std::string base = "http://" + server.host().toStdString();
    server.handle("/search", [base](const httplib::Request& request, httplib::Response& response) {
        if (request.get_param_value("as_q") == "first+job")
            response.set_content(resultPage({base + "/shared.html"}), "text/html");
        else
            response.set_content(resultPage({base + "/shared.html", base + "/missing.html",
                                             base + "/silent.html", base + "/own.html"}),
                                 "text/html");
    });
    server.page("/shared.html", metaPage("shared phrase one"));
    server.page("/own.html", metaPage("own phrase two"));
    server.silent("/silent.html");
    QSignalSpy completes(&contacter, &CSEContacter::Complete);

    const QString first = contacter.GetSER(seGoogle, QStringLiteral("first job"),
                                           std::make_shared<CKeyedCollection>());
    EXPECT_TRUE(completion(completes, first).value(1).toBool());
    const QString second = contacter.GetSER(seGoogle, QStringLiteral("second job"),
                                            std::make_shared<CKeyedCollection>());
    EXPECT_TRUE(completion(completes, second).value(1).toBool());
    EXPECT_EQ(requestsFor("/shared.html"), 1);
    EXPECT_TRUE(column(QStringLiteral("SELECT KW FROM Keyword"))
                    .contains(QStringLiteral("own phrase two")));
    EXPECT_TRUE(waitForJobsToEnd());
}

TEST_F(ResearchJobsTest, PageJobCompletesWhenItsPageFails)
{
    QSignalSpy completes(&contacter, &CSEContacter::Complete);
    contacter.LoadFromPage(server.url(QStringLiteral("/gone.html")), true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return completes.count() == 1; }, 20s));
    EXPECT_TRUE(completes.at(0).at(1).toBool());
    EXPECT_TRUE(waitForJobsToEnd());
}

TEST_F(ResearchJobsTest, CountsYoungerThan60DaysAreNotAskedForAgain)
{
    server.handle(
        "/d/searchinventory/suggestion/", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(suggestionPage({{"10", "fresh"}, {"20", "stale"}}), "text/html");
        });
    CDataNode counts;
    counts.Attributes().Add(QStringLiteral("fresh"), 1);
    counts.Attributes().Add(QStringLiteral("stale"), 2);
    master->AddOvertured(counts, QString());
    const auto setAge = [&](const QString& kw, int days) {
        master->CacheDB()->execute(QStringLiteral("UPDATE Cache SET dte = ? WHERE KW = ?"),
                                   {SqlDate::now() - days, kw});
    };
    setAge(QStringLiteral("fresh"), 59);
    setAge(QStringLiteral("stale"), 61);

    contacter.RunOverture(QStringLiteral("fresh"), std::make_shared<CKeyedCollection>());
    ASSERT_TRUE(waitForJobsToEnd());
    EXPECT_EQ(requestsFor("/d/searchinventory/suggestion/"), 0);

    contacter.RunOverture(QStringLiteral("stale"), std::make_shared<CKeyedCollection>());
    ASSERT_TRUE(waitForJobsToEnd());
    EXPECT_EQ(requestsFor("/d/searchinventory/suggestion/?term=stale"), 1);
    EXPECT_EQ(master->CacheDB()
                  ->scalar(QStringLiteral("SELECT Count FROM Cache WHERE KW = ?"),
                           {QStringLiteral("stale")})
                  .toInt(),
              20);
}

TEST_F(ResearchJobsTest, StoppedJobsEndWithoutWaitingForTheirDownloads)
{
    downloader->setTimeLimit(1s);
    server.silent("/search");
    QSignalSpy completes(&contacter, &CSEContacter::Complete);
    contacter.GetSER(seGoogle, QStringLiteral("slow answer"), std::make_shared<CKeyedCollection>());
    ASSERT_TRUE(testsupport::waitUntil([&] { return downloader->ActiveCount() == 1; }, 5s));
    contacter.StopJobs();
    EXPECT_TRUE(testsupport::waitUntil([&] { return contacter.RunningThreads() == 0; }, 2s));
    EXPECT_EQ(completes.count(), 0);
}

TEST_F(ResearchJobsTest, JobEventsAreNamedByKindAndCancelAllLetsGoOfThem)
{
    downloader->setTimeLimit(1s);
    server.silent("/search");
    server.silent("/d/searchinventory/suggestion/");
    QSignalSpy completes(&contacter, &CSEContacter::Complete);
    const QString search = contacter.GetSER(seGoogle, QStringLiteral("slow search"),
                                            std::make_shared<CKeyedCollection>());
    const QString count =
        contacter.RunOverture(QStringLiteral("slow"), std::make_shared<CKeyedCollection>());
    EXPECT_EQ(contacter.RunningJobs(), 2);
    EXPECT_TRUE(NamedEvent::open(QStringLiteral("4ffb") + search).isOpen());
    EXPECT_TRUE(NamedEvent::open(QStringLiteral("ov4ffb") + count).isOpen());
    EXPECT_FALSE(NamedEvent::open(QStringLiteral("ov4ffb") + search).isOpen());

    contacter.CancelAll();
    EXPECT_EQ(contacter.RunningJobs(), 0);
    EXPECT_FALSE(NamedEvent::open(QStringLiteral("4ffb") + search).isOpen());
    EXPECT_FALSE(NamedEvent::open(QStringLiteral("ov4ffb") + count).isOpen());

    // The workers go on: the search job still reports its end.
    const QList<QVariant> result = completion(completes, search);
    ASSERT_EQ(result.size(), 4);
    EXPECT_FALSE(result.at(1).toBool());
    EXPECT_EQ(static_cast<std::uint32_t>(result.at(2).toInt()),
              objectError(EngineMessages::TimeoutExceeded));
}

TEST_F(ResearchJobsTest, LocalFileWithoutKeywordsStoresNothing)
{
    const QString file = home.file("plain.html");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("<html><head><title>plain</title></head><body>no meta</body></html>");
    }
    EXPECT_NO_THROW(contacter.LoadFromPage(file, false));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM Keyword")).toInt(), 0);
    EXPECT_THROW(contacter.LoadFromPage(home.file("missing.html"), false), ZError);
}
