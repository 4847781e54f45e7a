#include "engine/platform/CRegistry.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>

#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

using zentrel::CRegistry;

namespace {
const QString kKey =
    QStringLiteral("Software\\Brovant Software\\Quintara Keywords\\Current Version\\");
}

TEST(CRegistry, ValuesWrittenByOneInstanceAreReadByAnotherAtOnce)
{
    testsupport::TempHome home;
    const CRegistry writer;
    writer.WriteString(CRegistry::kCurrentUser, kKey, QStringLiteral("ProjectFile"),
                       QStringLiteral("/home/u/Project, the first; [x]=y @z"));
    writer.WriteLong(CRegistry::kCurrentUser, kKey,
                     QStringLiteral("Do not show Keywords Moved message"), -1);
    writer.WriteLong(CRegistry::kCurrentUser, kKey + QStringLiteral("Export Keywords\\"),
                     QStringLiteral("Format"), 2147483647);
    writer.WriteString(CRegistry::kCurrentUser, kKey, QStringLiteral("Empty"), QString());

    const CRegistry reader;
    QString text;
    EXPECT_TRUE(
        reader.ReadString(CRegistry::kCurrentUser, kKey, QStringLiteral("ProjectFile"), text));
    EXPECT_EQ(text, "/home/u/Project, the first; [x]=y @z");
    qint32 number = 0;
    EXPECT_TRUE(reader.ReadLong(CRegistry::kCurrentUser, kKey,
                                QStringLiteral("Do not show Keywords Moved message"), number));
    EXPECT_EQ(number, -1);
    EXPECT_TRUE(reader.ReadLong(CRegistry::kCurrentUser, kKey + QStringLiteral("Export Keywords\\"),
                                QStringLiteral("Format"), number));
    EXPECT_EQ(number, 2147483647);
    text = QStringLiteral("unchanged");
    EXPECT_TRUE(reader.ReadString(CRegistry::kCurrentUser, kKey, QStringLiteral("Empty"), text));
    EXPECT_EQ(text, "");

    writer.WriteLong(CRegistry::kCurrentUser, kKey,
                     QStringLiteral("Do not show Keywords Moved message"), 0);
    EXPECT_TRUE(reader.ReadLong(CRegistry::kCurrentUser, kKey,
                                QStringLiteral("Do not show Keywords Moved message"), number));
    EXPECT_EQ(number, 0);
}

TEST(CRegistry, MissingValuesAndNonNumbersAreNotFoundAndLeaveTheValue)
{
    testsupport::TempHome home;
    const CRegistry registry;
    QString text = QStringLiteral("default");
    qint32 number = 26;
    EXPECT_FALSE(
        registry.ReadString(CRegistry::kCurrentUser, kKey, QStringLiteral("Nothing"), text));
    EXPECT_FALSE(
        registry.ReadLong(CRegistry::kCurrentUser, kKey, QStringLiteral("Nothing"), number));
    registry.WriteString(CRegistry::kCurrentUser, kKey, QStringLiteral("Word"),
                         QStringLiteral("abc"));
    EXPECT_FALSE(registry.ReadLong(CRegistry::kCurrentUser, kKey, QStringLiteral("Word"), number));
    EXPECT_FALSE(registry.ReadString(CRegistry::kCurrentUser, QStringLiteral("Software\\Other\\"),
                                     QStringLiteral("Word"), text));
    EXPECT_EQ(text, "default");
    EXPECT_EQ(number, 26);
}

TEST(CRegistry, TheTwoRootsAreSeparateFilesInTheDataFolder)
{
    testsupport::TempHome home;
    const CRegistry registry;
    registry.WriteString(CRegistry::kCurrentUser, kKey, QStringLiteral("Where"),
                         QStringLiteral("user"));
    registry.WriteString(CRegistry::kLocalMachine, kKey, QStringLiteral("Where"),
                         QStringLiteral("machine"));
    registry.WriteLong(CRegistry::kLocalMachine, kKey, QStringLiteral("OnlyMachine"), 5);

    QString text;
    ASSERT_TRUE(registry.ReadString(CRegistry::kCurrentUser, kKey, QStringLiteral("Where"), text));
    EXPECT_EQ(text, "user");
    ASSERT_TRUE(registry.ReadString(CRegistry::kLocalMachine, kKey, QStringLiteral("Where"), text));
    EXPECT_EQ(text, "machine");
    qint32 number = 0;
    EXPECT_FALSE(
        registry.ReadLong(CRegistry::kCurrentUser, kKey, QStringLiteral("OnlyMachine"), number));

    EXPECT_EQ(CRegistry::fileOf(CRegistry::kCurrentUser), home.file(QStringLiteral("user.ini")));
    EXPECT_EQ(CRegistry::fileOf(CRegistry::kLocalMachine),
              home.file(QStringLiteral("machine.ini")));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"machine.ini", "user.ini"}));

    EXPECT_THROW(registry.WriteLong(0x80000003u, kKey, QStringLiteral("x"), 1), zentrel::ZError);
    EXPECT_THROW(registry.ReadString(0x80000000u, kKey, QStringLiteral("x"), text),
                 zentrel::ZError);
}

TEST(CRegistry, KeyAndValueNamesMatchWithoutRegardToCase)
{
    testsupport::TempHome home;
    const CRegistry registry;
    registry.WriteLong(CRegistry::kCurrentUser, kKey, QStringLiteral("MainLeft"), 10);
    registry.WriteLong(CRegistry::kCurrentUser, kKey.toUpper(), QStringLiteral("mainleft"), 20);

    qint32 number = 0;
    ASSERT_TRUE(registry.ReadLong(CRegistry::kCurrentUser, kKey.toLower(),
                                  QStringLiteral("MAINLEFT"), number));
    EXPECT_EQ(number, 20);
    QSettings settings(CRegistry::fileOf(CRegistry::kCurrentUser), QSettings::IniFormat);
    EXPECT_EQ(
        settings.allKeys(),
        QStringList({"Software/Brovant Software/Quintara Keywords/Current Version/MainLeft"}));
}

TEST(CRegistry, WritesFromManyThreadsAreAllKept)
{
    testsupport::TempHome home;
    constexpr int kThreads = 6;
    constexpr int kValues = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            const CRegistry registry;
            for (int i = 0; i < kValues; ++i)
                registry.WriteLong(CRegistry::kCurrentUser, kKey,
                                   QStringLiteral("t%1v%2").arg(t).arg(i), t * 1000 + i);
        });
    }
    for (auto& thread : threads)
        thread.join();
    const CRegistry registry;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kValues; ++i) {
            qint32 number = -1;
            ASSERT_TRUE(registry.ReadLong(CRegistry::kCurrentUser, kKey,
                                          QStringLiteral("t%1v%2").arg(t).arg(i), number));
            EXPECT_EQ(number, t * 1000 + i);
        }
    }
}
