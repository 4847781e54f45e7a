#include <QDir>

#include <gtest/gtest.h>

#include "app/shell/ProgramSettings.h"
#include "engine/platform/CRegistry.h"
#include "tests/support/TestSupport.h"

using zentrel::CRegistry;

TEST(ProgramSettings, DefaultsWhenAbsent)
{
    testsupport::TempHome home;
    EXPECT_FALSE(ProgramSettings::cache().has_value());
    EXPECT_FALSE(ProgramSettings::project().has_value());
    EXPECT_EQ(ProgramSettings::searchesCountInterval(), 40);
    EXPECT_EQ(ProgramSettings::rankMode(), QString());
    EXPECT_FALSE(ProgramSettings::window(QStringLiteral("Top")).has_value());
    EXPECT_EQ(ProgramSettings::defaultCacheFile(),
              QDir(home.path()).filePath("Project/Default Cache.vxc"));
    EXPECT_EQ(ProgramSettings::defaultProjectFile(),
              QDir(home.path()).filePath("Project/First Project.vxp"));
}

TEST(ProgramSettings, ValuesUnderTheirRootsAndNames)
{
    testsupport::TempHome home;
    ProgramSettings::setCache(QStringLiteral("/x/c.vxc"));
    ProgramSettings::setProject(QStringLiteral("/x/p.vxp"));
    ProgramSettings::setRankMode(true);
    ProgramSettings::setWindow(QStringLiteral("Width"), 9000);

    const QString key = ProgramSettings::programKey();
    EXPECT_EQ(key,
              QStringLiteral("Software\\Brovant Software\\Quintara Keywords\\Current Version\\"));
    QString value;
    CRegistry registry;
    ASSERT_TRUE(registry.ReadString(CRegistry::kLocalMachine, key, "Cache", value));
    EXPECT_EQ(value, "/x/c.vxc");
    EXPECT_FALSE(registry.ReadString(CRegistry::kCurrentUser, key, "Cache", value));
    ASSERT_TRUE(registry.ReadString(CRegistry::kCurrentUser, key, "Project", value));
    EXPECT_EQ(value, "/x/p.vxp");
    ASSERT_TRUE(registry.ReadString(CRegistry::kCurrentUser, key, "Set Rank Mode", value));
    EXPECT_EQ(value, "Advanced");
    qint32 number = 0;
    ASSERT_TRUE(registry.ReadLong(CRegistry::kCurrentUser, key, "Window.Width", number));
    EXPECT_EQ(number, 9000);

    registry.WriteLong(CRegistry::kCurrentUser, key, "SearchesCountInterval", 7);
    EXPECT_EQ(ProgramSettings::searchesCountInterval(), 7);
}
