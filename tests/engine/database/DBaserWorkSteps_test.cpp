#include <QSignalSpy>

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

} // namespace
