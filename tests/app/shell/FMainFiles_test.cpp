#include <ostream>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/keywords/KWProgramServices.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "app/shell/ProgramSettings.h"
#include "app/shell/ucHelp.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CLog.h"
#include "engine/platform/SqlConnection.h"
#include "tests/app/shell/ShellTestPage.h"
#include "tests/support/TestSupport.h"

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// The main window on a temporary data folder with recording pages.
struct Files {
    testsupport::TempHome home;
    MsgScript script;
    ProgramWiring wiring;
    FMain window;

    Files()
    {
        wiring.wire(window);
        auto log = std::make_shared<zentrel::CLog>();
        log->Open(home.file("QuintaraKeywords.log"), home.file("short.log"));
        log->Write(0, QStringLiteral("start"), 5, QStringLiteral("test"));
        window.setLog(log);
        window.setPageFactory([](int number, QWidget* parent) -> QWidget* {
            if (number == 1)
                return new ucHelp(parent);
            return new ShellTestPage(parent);
        });
        EXPECT_TRUE(window.Form_Load());
        script.clear();
    }
    QString inProjectFolder(const QString& name) const
    {
        return QDir(ProgramSettings::projectFolder()).filePath(name);
    }
};

int cacheRows(const QString& file)
{
    auto connection = zentrel::SqlConnection::open(file);
    auto select = connection->prepare("SELECT count(*) FROM Cache");
    return select.next() ? select.int32(0) : -1;
}

} // namespace

TEST(FMainFiles, NewProjectRefusesEveryOpenFile)
{
    Files f;
    const QString cache = f.window.cacheFileName();
    const QString project = f.window.currentProjectFileName();
    const QString log = f.home.file("QuintaraKeywords.log");
    for (const QString& open : {cache, project, log}) {
        f.script.clear();
        f.script.file(open);
        f.script.answer(MsgService::OK);
        f.window.menuItem("mnuNewProject")->trigger();
        const auto messages = f.script.shown(MsgService::Kind::Message);
        ASSERT_EQ(messages.size(), 2) << open.toStdString();
        EXPECT_EQ(messages.at(0).style, 49);
        EXPECT_EQ(messages.at(1).style, 48);
        EXPECT_TRUE(messages.at(1).prompt.contains(open));
    }
    EXPECT_TRUE(QFile::exists(log));
    EXPECT_EQ(cacheRows(cache), 0); // still the cache, with its table
    EXPECT_EQ(f.window.database()->CacheDBFilename(), cache);
    EXPECT_EQ(f.window.database()->ProjectDBFilename(), project);
    EXPECT_EQ(f.window.currentProjectFileName(), project);
    EXPECT_EQ(ProgramSettings::project().value_or(QString()), project);
}

TEST(FMainFiles, NamesTypedWithoutAnExtensionGetTheFiltersOwn)
{
    Files f;
    struct Case {
        const char* menu;
        const char* typed;
        const char* stored;
    };
    const Case cases[] = {
        {"mnuNewProject", "Garden Shop", "Garden Shop.vxp"},
        {"mnuNewProject", "Garden.Plan", "Garden.Plan"}, // an extension of its own stays
        {"mnuConnecttoCache", "Shared Counts", "Shared Counts.vxc"},
        {"mnuOpenProject", "Garden Shop", "Garden Shop.vxp"},
    };
    for (const Case& c : cases) {
        f.script.file(f.inProjectFolder(QString::fromLatin1(c.typed)));
        f.script.answer(MsgService::OK); // the new cache's question
        f.window.menuItem(QString::fromLatin1(c.menu))->trigger();
        const QString stored = f.inProjectFolder(QString::fromLatin1(c.stored));
        EXPECT_TRUE(QFile::exists(stored)) << c.stored;
        if (qstrcmp(c.typed, c.stored) != 0) {
            EXPECT_FALSE(QFile::exists(f.inProjectFolder(QString::fromLatin1(c.typed)))) << c.typed;
        }
    }
    EXPECT_EQ(f.window.currentProjectFileName(), f.inProjectFolder("Garden Shop.vxp"));
    EXPECT_EQ(f.window.cacheFileName(), f.inProjectFolder("Shared Counts.vxc"));
}

TEST(FMainFiles, FilesAnEarlierBuildMadeWithoutAnExtensionAreReachedAsTyped)
{
    Files f;
    // A project with one keyword and a cache with one count, named without extensions.
    const QString project = f.inProjectFolder("Garden Shop");
    const QString cache = f.inProjectFolder("My Counts");
    const QString old = f.inProjectFolder("Old Plan");
    {
        zentrel::DBaser earlier;
        earlier.Init(std::make_shared<zentrel::CLog>());
        earlier.OpenCacheDB(cache);
        earlier.CacheDB()->addRow("Cache", {"KW", "Count"}, {"garden shop", 70});
        earlier.OpenProjectDB(old);
        earlier.OpenProjectDB(project);
        earlier.ProjectDB()->addRow("Keyword", {"KW", "Normalized"},
                                    {"garden shop", "garden shop"});
        earlier.Finalize();
    }
    f.script.file(project);
    f.window.menuItem("mnuOpenProject")->trigger();
    EXPECT_TRUE(f.script.shown(MsgService::Kind::Message).isEmpty());
    EXPECT_EQ(f.window.currentProjectFileName(), project);
    EXPECT_EQ(f.window.database()->ProjectDBFilename(), project);
    EXPECT_EQ(ProgramSettings::project().value_or(QString()), project);
    EXPECT_EQ(f.window.database()->ProjectDB()->scalar("SELECT count(*) FROM Keyword").toInt(), 1);

    f.script.file(cache);
    f.window.menuItem("mnuConnecttoCache")->trigger();
    EXPECT_TRUE(f.script.shown(MsgService::Kind::Message).isEmpty()); // no offer to create one
    EXPECT_EQ(f.window.cacheFileName(), cache);
    EXPECT_EQ(ProgramSettings::cache().value_or(QString()), cache);
    EXPECT_EQ(f.window.database()->CacheSize(), 1);
    EXPECT_EQ(f.window.windowTitle(), "Quintara Keywords - Garden Shop (My Counts)");

    // New Project on such a name asks before it replaces that file.
    f.script.file(old);
    f.script.answer(MsgService::Cancel);
    f.window.menuItem("mnuNewProject")->trigger();
    const auto asked = f.script.shown(MsgService::Kind::Message);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.at(0).style, 49);
    EXPECT_TRUE(asked.at(0).prompt.contains("'" + old + "'"));
    EXPECT_EQ(f.window.currentProjectFileName(), project);

    for (const char* made : {"Garden Shop.vxp", "My Counts.vxc", "Old Plan.vxp"})
        EXPECT_FALSE(QFile::exists(f.inProjectFolder(made))) << made;
}

TEST(FMainFiles, TheExportsSaveGivesTxtAndStartsInAFolderThatExists)
{
    const testsupport::TempHome home;
    MsgScript script;
    KWProgramServices services(std::make_shared<zentrel::CLog>());
    script.file(home.file(QStringLiteral("garden words")));
    EXPECT_EQ(services.SaveFileName(nullptr, QStringLiteral("Text Document (*.txt)")),
              home.file(QStringLiteral("garden words.txt")));
    script.file(home.file(QStringLiteral("garden.csv")));
    EXPECT_EQ(services.SaveFileName(nullptr, QStringLiteral("Text Document (*.txt)")),
              home.file(QStringLiteral("garden.csv")));
    ASSERT_EQ(script.shown(MsgService::Kind::SaveFile).size(), 2);
    // The documents folder when there is one, else the home folder.
    const QString folder = script.shown(MsgService::Kind::SaveFile).first().folder;
    EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
}
