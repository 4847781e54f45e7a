#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/keywords/KWPageHost.h"
#include "app/keywords/ucKW.h"
#include "app/shell/CacheSeeder.h"
#include "app/shell/FMain.h"
#include "app/shell/MMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/ProgramSettings.h"
#include "app/shell/StatusPanel.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "app/shell/ucHelp.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CRegistry.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/SqlConnection.h"
#include "engine/research/Scripting.h"
#include "tests/app/shell/ShellTestPage.h"
#include "tests/support/TestSupport.h"

using zentrel::CRegistry;

namespace {

void writeGarbage(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
}

struct Engine {
    testsupport::TempHome home;
    MsgScript script;
    ProgramWiring wiring;
    std::unique_ptr<FMain> window;
    ShellTestPage* pages[FMain::kPageCount + 1] = {};

    std::unique_ptr<FMain> make()
    {
        auto made = std::make_unique<FMain>();
        wiring.wire(*made);
        made->setPageFactory([this](int number, QWidget* parent) -> QWidget* {
            if (number == 1)
                return new ucHelp(parent);
            pages[number] = new ShellTestPage(parent);
            return pages[number];
        });
        return made;
    }

    bool load()
    {
        window = make();
        auto log = std::make_shared<zentrel::CLog>();
        log->Open(home.file("QuintaraKeywords.log"), home.file("short.log"));
        window->setLog(log);
        const bool loaded = window->Form_Load();
        if (!loaded)
            window->FinalizeEngine();
        return loaded;
    }

    QString garbage(const QString& name)
    {
        const QString path = home.file(name);
        writeGarbage(path);
        return path;
    }
};

} // namespace

TEST(FMainEngine, FirstStartMakesBothDefaultFiles)
{
    const int threadsBefore = testsupport::steadyThreadCount();
    Engine e;
    ASSERT_TRUE(e.load());
    EXPECT_TRUE(QFile::exists(ProgramSettings::defaultCacheFile()));
    EXPECT_TRUE(QFile::exists(ProgramSettings::defaultProjectFile()));
    EXPECT_EQ(e.window->windowTitle(),
              QStringLiteral("Quintara Keywords - First Project (Default Cache)"));
    EXPECT_EQ(ProgramSettings::cache().value_or(QString()), ProgramSettings::defaultCacheFile());
    EXPECT_EQ(ProgramSettings::project().value_or(QString()),
              ProgramSettings::defaultProjectFile());
    ASSERT_NE(e.window->database(), nullptr);
    ASSERT_NE(e.window->scripting(), nullptr);
    EXPECT_EQ(e.window->scripting()->SearchesCountInterval(), 40);
    EXPECT_TRUE(e.script.shown().isEmpty());
    e.window->close();
    EXPECT_EQ(e.window->database(), nullptr);
    EXPECT_TRUE(testsupport::threadsSettleAt(threadsBefore));
}

TEST(FMainEngine, CacheLoopAbortEndsTheProgram)
{
    Engine e;
    const QString bad = e.garbage("bad.vxc");
    ProgramSettings::setCache(bad);
    e.script.answer(MsgService::Abort);
    EXPECT_FALSE(e.load());
    ASSERT_EQ(e.script.shown().size(), 1);
    EXPECT_EQ(e.script.shown().first().style, 50);
    EXPECT_TRUE(e.script.shown().first().prompt.endsWith(StringTable::text(121)));
    EXPECT_GT(e.script.shown().first().prompt.size(), StringTable::text(121).size());
    EXPECT_EQ(ProgramSettings::cache().value_or(QString()), bad);
}

TEST(FMainEngine, CacheLoopRetryThenIgnoreOpensTheDefault)
{
    Engine e;
    const QString bad = e.garbage("bad.vxc");
    ProgramSettings::setCache(bad);
    e.script.answer(MsgService::Retry);
    e.script.answer(MsgService::Ignore);
    ASSERT_TRUE(e.load());
    EXPECT_EQ(e.script.shown().size(), 2);
    EXPECT_EQ(ProgramSettings::cache().value_or(QString()), ProgramSettings::defaultCacheFile());
    EXPECT_EQ(e.window->cacheFileName(), ProgramSettings::defaultCacheFile());
}

TEST(FMainEngine, DefaultCacheFailingOffersRetryAndCancel)
{
    Engine e;
    writeGarbage(ProgramSettings::defaultCacheFile());
    e.script.answer(MsgService::Cancel);
    EXPECT_FALSE(e.load());
    ASSERT_EQ(e.script.shown().size(), 1);
    EXPECT_EQ(e.script.shown().first().style, 53);
    EXPECT_TRUE(e.script.shown().first().prompt.endsWith(StringTable::text(122)));
}

TEST(FMainEngine, IgnoreWithTheDefaultFailingTooEnds)
{
    Engine e;
    ProgramSettings::setCache(e.garbage("bad.vxc"));
    writeGarbage(ProgramSettings::defaultCacheFile());
    e.script.answer(MsgService::Ignore);
    EXPECT_FALSE(e.load());
    ASSERT_EQ(e.script.shown().size(), 2);
    EXPECT_EQ(e.script.shown().at(1).style, 16);
}

TEST(FMainEngine, ProjectLoopIgnoreOpensTheDefaultProject)
{
    Engine e;
    const QString bad = e.garbage("bad.vxp");
    ProgramSettings::setProject(bad);
    e.script.answer(MsgService::Ignore);
    ASSERT_TRUE(e.load());
    ASSERT_EQ(e.script.shown().size(), 1);
    EXPECT_EQ(e.script.shown().first().style, 50);
    EXPECT_TRUE(e.script.shown().first().prompt.endsWith(
        QStringLiteral(" Press 'Retry' to retry, 'Ignore' to open 'First Project' database, "
                       "'Abort' to exit Quintara Keywords. ")));
    EXPECT_EQ(ProgramSettings::project().value_or(QString()),
              ProgramSettings::defaultProjectFile());
    QFile log(e.home.file("QuintaraKeywords.log"));
    (void)log;
}

TEST(FMainEngine, DefaultProjectFailingOffersRetryAndCancel)
{
    Engine e;
    writeGarbage(ProgramSettings::defaultProjectFile());
    e.script.answer(MsgService::Retry);
    e.script.answer(MsgService::Cancel);
    EXPECT_FALSE(e.load());
    ASSERT_EQ(e.script.shown().size(), 2);
    EXPECT_EQ(e.script.shown().at(0).style, 53);
    EXPECT_EQ(e.script.shown().at(1).style, 53);
}

TEST(FMainEngine, NewProjectMakesAndOpensIt)
{
    Engine e;
    ASSERT_TRUE(e.load());
    const QString fresh = QDir(ProgramSettings::projectFolder()).filePath("Second.vxp");
    e.script.file(fresh);
    e.window->menuItem("mnuNewProject")->trigger();
    EXPECT_TRUE(e.script.shown(MsgService::Kind::Message).isEmpty());
    EXPECT_TRUE(QFile::exists(fresh));
    EXPECT_EQ(e.window->currentProjectFileName(), fresh);
    EXPECT_EQ(ProgramSettings::project().value_or(QString()), fresh);
    EXPECT_EQ(e.window->windowTitle(),
              QStringLiteral("Quintara Keywords - Second (Default Cache)"));
    EXPECT_EQ(e.window->database()->ProjectDBFilename(), fresh);
    EXPECT_EQ(e.pages[5]->calls.last(), "Refresh");
    EXPECT_EQ(e.pages[3]->calls.last(), "Refresh");
    EXPECT_EQ(e.pages[4]->calls.last(), "init");
    EXPECT_EQ(e.pages[2]->calls.last(), "Refresh");
}

TEST(FMainEngine, NewProjectOverTheOpenProjectIsRefused)
{
    Engine e;
    ASSERT_TRUE(e.load());
    const QString current = e.window->currentProjectFileName();
    e.script.file(current);
    e.script.answer(MsgService::OK);
    e.window->menuItem("mnuNewProject")->trigger();
    const auto messages = e.script.shown(MsgService::Kind::Message);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages.at(0).style, 49);
    EXPECT_EQ(messages.at(1).style, 48);
    EXPECT_TRUE(messages.at(1).prompt.contains(current));
    EXPECT_TRUE(QFile::exists(current));
    EXPECT_EQ(e.window->database()->ProjectDBFilename(), current);
}

TEST(FMainEngine, NewProjectOverAnotherFileReplacesIt)
{
    Engine e;
    ASSERT_TRUE(e.load());
    const QString other = e.garbage("Project/Other.vxp");
    e.script.file(other);
    e.script.answer(MsgService::OK);
    e.window->menuItem("mnuNewProject")->trigger();
    EXPECT_EQ(e.script.shown(MsgService::Kind::Message).size(), 1);
    EXPECT_EQ(e.window->currentProjectFileName(), other);
    EXPECT_EQ(e.window->database()->ProjectDBFilename(), other);
}

TEST(FMainEngine, FailedOpenProjectReturnsToThePreviousProject)
{
    Engine e;
    ASSERT_TRUE(e.load());
    const QString previous = e.window->currentProjectFileName();
    e.script.file(e.garbage("Broken.vxp"));
    e.window->menuItem("mnuOpenProject")->trigger();
    ASSERT_EQ(e.script.shown(MsgService::Kind::Message).size(), 1);
    EXPECT_EQ(e.script.shown(MsgService::Kind::Message).first().style, 48);
    EXPECT_EQ(e.window->currentProjectFileName(), previous);
    EXPECT_EQ(ProgramSettings::project().value_or(QString()), previous);
    EXPECT_EQ(e.window->database()->ProjectDBFilename(), previous);
    EXPECT_TRUE(e.window->database()->ProjectDBOpened());
}

TEST(FMainEngine, ConnectToANewDatabaseCreatesIt)
{
    Engine e;
    ASSERT_TRUE(e.load());
    const QString fresh = QDir(ProgramSettings::projectFolder()).filePath("Other Cache.vxc");
    e.script.file(fresh);
    e.script.answer(MsgService::OK);
    e.window->menuItem("mnuConnecttoCache")->trigger();
    EXPECT_EQ(e.script.shown(MsgService::Kind::Message).size(), 1);
    EXPECT_TRUE(QFile::exists(fresh));
    EXPECT_EQ(e.window->cacheFileName(), fresh);
    EXPECT_EQ(ProgramSettings::cache().value_or(QString()), fresh);
    EXPECT_EQ(e.window->windowTitle(),
              QStringLiteral("Quintara Keywords - First Project (Other Cache)"));
}

TEST(FMainEngine, FailedConnectKeepsThePreviousDatabase)
{
    Engine e;
    ASSERT_TRUE(e.load());
    const QString previous = e.window->cacheFileName();
    e.script.file(e.garbage("Broken.vxc"));
    e.window->menuItem("mnuConnecttoCache")->trigger();
    ASSERT_EQ(e.script.shown(MsgService::Kind::Message).size(), 1);
    EXPECT_EQ(e.script.shown(MsgService::Kind::Message).first().style, 48);
    EXPECT_EQ(e.window->cacheFileName(), previous);
    EXPECT_EQ(e.window->database()->CacheDBFilename(), previous);
}

TEST(FMainEngine, PauseGoesToTheEngine)
{
    Engine e;
    ASSERT_TRUE(e.load());
    e.window->menuItem("mnuPauseAutoResearch")->trigger();
    EXPECT_TRUE(e.window->scripting()->AutoResearchPaused());
    EXPECT_EQ(e.window->menuItem("mnuPauseAutoResearch")->text(),
              QStringLiteral("&Resume Auto Keyword Research"));
    e.window->menuItem("mnuPauseAutoResearch")->trigger();
}

TEST(FMainEngine, InstallSeedsTheDefaultCache)
{
    const int threadsBefore = testsupport::steadyThreadCount();
    testsupport::TempHome home;
    {
        QFile setup(CacheSeeder::setupFile());
        ASSERT_TRUE(setup.open(QIODevice::WriteOnly));
        setup.write("1200\tblue widgets\r\n");
    }
    EXPECT_EQ(MMain::Main({"prog", "/install"}, {}), 0);
    EXPECT_FALSE(QFile::exists(CacheSeeder::setupFile()));
    EXPECT_FALSE(ProgramSettings::cache().has_value());
    ASSERT_TRUE(QFile::exists(ProgramSettings::defaultCacheFile()));
    auto connection = zentrel::SqlConnection::open(ProgramSettings::defaultCacheFile());
    auto select = connection->prepare("SELECT KW, Count FROM Cache");
    ASSERT_TRUE(select.next());
    EXPECT_EQ(select.text(0), QStringLiteral("blue widgets"));
    EXPECT_EQ(select.int32(1), 1200);
    EXPECT_FALSE(select.next());

    // A second run finds no file and changes nothing.
    EXPECT_EQ(MMain::Main({"prog", "/install"}, {}), 0);
    EXPECT_TRUE(testsupport::threadsSettleAt(threadsBefore));
}

TEST(FMainEngine, ShutdownRemovesOnlyThisInstancesTemporaryFiles)
{
    Engine e;
    ASSERT_TRUE(e.load());
    const QString own = QDir(zentrel::CUtilities::TempFolder()).filePath("vx0001.tmp");
    const QString foreign =
        QDir::temp().filePath(QStringLiteral("vx%1.tmp").arg(QCoreApplication::applicationPid()));
    for (const QString& path : {own, foreign}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    e.window->close();
    EXPECT_FALSE(QFile::exists(own));
    EXPECT_TRUE(QFile::exists(foreign));
    QFile::remove(foreign);

    QFile log(e.home.file("QuintaraKeywords.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains("FMain.Form_Load\tmsCurrentProjectFileName == "));
    EXPECT_LT(text.indexOf("Form_Unload() call."), text.indexOf("Form_Unload() complete."));
    EXPECT_TRUE(text.contains("FMain.Form_Terminate\tForm_Terminate() complete."));
}

TEST(FMainEngine, RealPagesAndCtrlTabFromTheGrid)
{
    testsupport::TempHome home;
    MsgScript script;
    ProgramWiring wiring;
    FMain window;
    wiring.wire(window);
    ASSERT_TRUE(window.Form_Load());
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* candidates = dynamic_cast<KWPageHost*>(window.page(Tab::Raw));
    ASSERT_NE(candidates, nullptr);
    EXPECT_NE(dynamic_cast<KWPageHost*>(window.page(Tab::KWs)), nullptr);
    EXPECT_NE(dynamic_cast<KWPageHost*>(window.page(Tab::Banned)), nullptr);
    EXPECT_EQ(candidates->kwPage()->PageType(), 0);

    QTest::mouseClick(window.panel(1), Qt::LeftButton);
    ASSERT_EQ(window.currentPage(), Tab::Raw);
    candidates->kwPage()->lv()->setFocus();
    QTest::keyClick(candidates->kwPage()->lv(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window.currentPage(), Tab::KWs);
    EXPECT_TRUE(window.panel(1)->text().startsWith(QStringLiteral("Awaiting for rank: 0")));
    window.close();
}
