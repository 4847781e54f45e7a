#include <QDir>

#include <gtest/gtest.h>

#include "app/shell/MSettings.h"
#include "engine/platform/CRegistry.h"
#include "tests/support/TestSupport.h"

using zentrel::CRegistry;

TEST(MSettings, DefaultsWhenAbsent)
{
    testsupport::TempHome home;
    EXPECT_FALSE(MSettings::cache().has_value());
    EXPECT_FALSE(MSettings::project().has_value());
    EXPECT_EQ(MSettings::searchesCountInterval(), 40);
    EXPECT_EQ(MSettings::rankMode(), QString());
    EXPECT_FALSE(MSettings::window(QStringLiteral("Top")).has_value());
    EXPECT_EQ(MSettings::defaultCacheFile(),
              QDir(home.path()).filePath("Project/Default Cache.vxc"));
    EXPECT_EQ(MSettings::defaultProjectFile(),
              QDir(home.path()).filePath("Project/First Project.vxp"));
}

TEST(MSettings, ValuesUnderTheirRootsAndNames)
{
    testsupport::TempHome home;
    MSettings::setCache(QStringLiteral("/x/c.vxc"));
    MSettings::setProject(QStringLiteral("/x/p.vxp"));
    MSettings::setRankMode(true);
    MSettings::setWindow(QStringLiteral("Width"), 9000);

    const QString key = MSettings::programKey();
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
    EXPECT_EQ(MSettings::searchesCountInterval(), 7);
}
