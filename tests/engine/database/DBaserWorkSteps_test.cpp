#include <thread>

#include <QSignalSpy>
#include <sqlite3.h>

#include "engine/database/CacheIndex.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

class DBaserWorkSteps : public DBaserFixture {
protected:
    QStringList stepsOf(const std::function<void()>& open)
    {
        QStringList steps;
        const auto connection = QObject::connect(db.get(), &DBaser::WorkStep,
                                                 [&](const QString& step) { steps << step; });
        open();
        QObject::disconnect(connection);
        return steps;
    }
};

TEST_F(DBaserWorkSteps, AnOpenNamesItsSteps)
{
    openBoth();
    addKeywords({"red apple"});
    CacheIndex::drop(*db->CacheDB());
    const QStringList cacheSteps = stepsOf([&] { db->OpenCacheDB(cacheFile); });
    EXPECT_TRUE(cacheSteps.contains("Building the keyword index of the keywords database..."))
        << cacheSteps.join(" | ").toStdString();
    EXPECT_TRUE(CacheIndex::exists(*db->CacheDB()));
    const QStringList projectSteps = stepsOf([&] { db->OpenProjectDB(projectFile); });
    for (const char* step : {"Opening the project database...", "Updating the project database...",
                             "Building the keyword indexes of the project...",
                             "Copying the search counts into the project..."})
        EXPECT_TRUE(projectSteps.contains(step)) << step;
}

// Research ticks and the change poll on the user-interface thread keep off a file that another
// thread is opening.
TEST_F(DBaserWorkSteps, NoProjectCountsAsOpenWhileAFileOpens)
{
    openMaster();
    ASSERT_TRUE(db->ProjectDBOpened());
    QList<bool> openDuring;
    const auto connection = QObject::connect(
        db.get(), &DBaser::WorkStep, [&](const QString&) { openDuring << db->ProjectDBOpened(); });
    db->OpenCacheDB(cacheFile);
    db->OpenProjectDB(projectFile);
    QObject::disconnect(connection);
    ASSERT_FALSE(openDuring.isEmpty());
    EXPECT_FALSE(openDuring.contains(true));
    EXPECT_TRUE(db->ProjectDBOpened());
}

TEST_F(DBaserWorkSteps, ARecountNamesItsStepsAndKeepsTheResearchOff)
{
    openMaster();
    addKeywords({"red apple"});
    QStringList steps;
    QList<bool> openDuring;
    const auto connection = QObject::connect(db.get(), &DBaser::WorkStep, [&](const QString& step) {
        steps << step;
        openDuring << db->ProjectDBOpened();
    });
    db->RecalcOverTimes();
    QObject::disconnect(connection);
    EXPECT_TRUE(steps.contains("Copying the search counts into the project..."))
        << steps.join(" | ").toStdString();
    EXPECT_FALSE(openDuring.contains(true));
    EXPECT_TRUE(db->ProjectDBOpened());
}

// After another connection wrote the cache, the master's next refresh copies every count; a
// research tick and an addition hand that copy to the program's runner (off this thread, the
// research kept off meanwhile) and see its result, and only that copy goes there.
TEST_F(DBaserWorkSteps, TheCopyOfEveryCountAfterAnotherConnectionWroteGoesToTheRunner)
{
    const std::pair<const char*, std::function<void()>> refreshes[] = {
        {"research tick", [&] { EXPECT_EQ(db->get1stNotOvertured(), "green pear"); }},
        {"addition", [&] { addKeywords({"blue plum"}); }},
    };
    openMaster();
    addKeywords({"red apple", "green pear"});
    struct Run {
        bool elsewhere = false;
        bool researchOff = false;
        QStringList steps;
    };
    QList<Run> runs;
    db->setWorkRunner([&](const std::function<void()>& work) {
        Run run;
        run.researchOff = !db->ProjectDBOpened();
        const auto connection = QObject::connect(db.get(), &DBaser::WorkStep,
                                                 [&](const QString& step) { run.steps << step; });
        std::thread worker([&] {
            run.elsewhere = true;
            work();
        });
        worker.join();
        QObject::disconnect(connection);
        runs << run;
    });
    int count = 41;
    for (const auto& [name, refresh] : refreshes) {
        SCOPED_TRACE(name);
        ++count;
        runs.clear();
        db->get1stNotOvertured();
        ASSERT_TRUE(runs.isEmpty()); // nothing to copy everything for
        sqlite3* plain = nullptr;
        ASSERT_EQ(
            sqlite3_open_v2(cacheFile.toUtf8().constData(), &plain, SQLITE_OPEN_READWRITE, nullptr),
            SQLITE_OK);
        const QByteArray store =
            QByteArray("INSERT OR REPLACE INTO Cache (KW, Count, dte) VALUES ('apple red', ") +
            QByteArray::number(count) + ", 1)";
        EXPECT_EQ(sqlite3_exec(plain, store.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(plain);
        refresh();
        ASSERT_EQ(runs.size(), 1);
        EXPECT_TRUE(runs[0].elsewhere);
        EXPECT_TRUE(runs[0].researchOff);
        EXPECT_TRUE(runs[0].steps.contains("Copying the search counts into the project..."));
        EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'red apple'").toInt(),
                  count);
        EXPECT_TRUE(db->ProjectDBOpened());
    }
}

} // namespace
