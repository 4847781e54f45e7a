#include <QFile>
#include <QFileInfo>

#include "engine/database/CacheImportQuery.h"
#include "engine/database/CacheIndex.h"
#include "engine/platform/SqlConnection.h"
#include "tests/engine/database/DBaserFixture.h"
#include "tests/support/SmallDisk.h"

using namespace dbasertest;

namespace {

constexpr int kKeywords = 40000;

// What the keyword indexes of a project and the keyword index of a cache consist of.
const QString kProjectIndexes = "SELECT count(*) FROM project.sqlite_master WHERE name IN "
                                "('KeywordRankOrder', 'KeywordCandidateOrder', 'KeywordToCount', "
                                "'KeywordToLookUp', 'KeywordText', 'KeywordCount', "
                                "'KeywordCountAdd', 'KeywordCountRemove', 'KeywordCountRank')";
const QString kCacheIndex = "SELECT count(*) FROM cache.sqlite_master WHERE name LIKE 'CacheText%' "
                            "OR name IN ('CacheGeneration', 'CacheTextAdd', 'CacheTextRemove', "
                            "'CacheTextRename', 'CacheCountChange')";

// Leaves the file as an older build did: without what the statements are given, compact (no
// free pages a build could reuse) and in rollback-journal mode.
void makeOlder(const QString& file, const QStringList& drops)
{
    auto connection = SqlConnection::open(file);
    for (const QString& sql : drops)
        connection->exec(sql);
    connection->exec("PRAGMA journal_mode=DELETE; VACUUM;");
}

// A project of many keywords and a cache of as many counts (of other keywords), as older builds
// left them (the project without groups and lookup dates too), with copies to start each case
// from.
class DBaserFullDisk : public DBaserFixture {
protected:
    void SetUp() override
    {
        openBoth();
        CacheIndex::drop(*db->CacheDB());
        const QString numbers =
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?1) ";
        db->CacheDB()->execute(numbers + "INSERT INTO cache.Cache (KW, Count, dte) SELECT "
                                         "'cached ' || i || ' garden', i, 1 FROM n",
                               {kKeywords});
        db->ProjectDB()->execute(numbers + "INSERT INTO project.Keyword (KW, Normalized) SELECT "
                                           "'kw' || i || ' plant', 'kw' || i || ' plant' FROM n",
                                 {kKeywords});
        db.reset();
        makeOlder(cacheFile, {"DROP TABLE IF EXISTS CacheGeneration"});
        makeOlder(projectFile,
                  {"DROP INDEX KeywordRankOrder", "DROP INDEX KeywordCandidateOrder",
                   "DROP INDEX KeywordToCount", "DROP INDEX KeywordToLookUp",
                   "DROP INDEX KeywordText", "DROP TRIGGER KeywordCountAdd",
                   "DROP TRIGGER KeywordCountRemove", "DROP TRIGGER KeywordCountRank",
                   "DROP TABLE KeywordCount", "DROP TRIGGER IF EXISTS CountsSyncedWatch",
                   "DROP TABLE IF EXISTS CountsSynced", "DROP TABLE KWGroup",
                   "DROP TABLE \"Group\"", "ALTER TABLE Keyword DROP COLUMN LookupDate"});
        ASSERT_TRUE(QFile::copy(cacheFile, olderCache));
        ASSERT_TRUE(QFile::copy(projectFile, olderProject));
    }

    void startFromOlderFiles() const
    {
        for (const auto& [older, file] :
             {std::pair{olderCache, cacheFile}, {olderProject, projectFile}}) {
            QFile::remove(file);
            ASSERT_TRUE(QFile::copy(older, file));
        }
    }

    QString olderCache = home.file("Older Cache.vxc");
    QString olderProject = home.file("Older Project.vxp");
};

TEST_F(DBaserFullDisk, IndexesThatDoNotFitAreLeftOutAndTheFilesOpenAndServeEveryStatement)
{
    for (const std::int64_t room : {600 * 1024, 1200 * 1024}) {
        SCOPED_TRACE(room);
        startFromOlderFiles();
        {
            testsupport::SmallDisk disk(room);
            DBaser opened;
            opened.Init(log);
            ASSERT_NO_THROW(opened.OpenCacheDB(cacheFile));
            ASSERT_NO_THROW(opened.OpenProjectDB(projectFile));
            const SqlDatabase& project = *opened.ProjectDB();
            // Nothing half-built, and no journal holding the room.
            EXPECT_EQ(project.scalar(kCacheIndex).toInt(), 0);
            EXPECT_EQ(project.scalar(kProjectIndexes).toInt(), 0);
            EXPECT_EQ(QFileInfo(cacheFile + "-wal").size(), 0);
            EXPECT_LT(QFileInfo(projectFile + "-wal").size(), 64 * 1024);
            EXPECT_FALSE(QFileInfo::exists(cacheFile + "-journal"));
            EXPECT_FALSE(QFileInfo::exists(projectFile + "-journal"));
            EXPECT_GT(disk.freeBytes(), room - 64 * 1024);
            EXPECT_TRUE(logged(4, 0x0000000D, "DBaser.OpenCacheDB")) << logText().toStdString();
            EXPECT_TRUE(logged(4, 0x0000000D, "DBaser.OpenProjectDB"));
            EXPECT_TRUE(logText().contains("Could not build the keyword indexes of the project '" +
                                           projectFile + "' (database or disk is full)"));

            // Every statement does without them.
            EXPECT_EQ(opened.GetCount(123), kKeywords);
            EXPECT_EQ(opened.GetCount(433), 0);
            const KeywordTable candidates = opened.getKWs(kwk_raw);
            ASSERT_EQ(candidates.count(), 1000); // the listing's first thousand
            EXPECT_EQ(candidates.texts.front(), "kw1 plant");
            const auto found = CacheImportQuery::Run(project, {"garden"}, false);
            ASSERT_FALSE(found.empty());
            EXPECT_EQ(found.front().KW, QString("cached %1 garden").arg(kKeywords));
            EXPECT_EQ(CacheIndex::keywordsWithWord(project, "garden").size(), kKeywords);
            CDataNode operation;
            EXPECT_TRUE(opened.AddKWs(words({"one more plant"}), operation).Count() == 0);
            EXPECT_EQ(opened.GetCount(123), kKeywords + 1);
            opened.Finalize();
        }
        // With room, the next open builds them.
        DBaser later;
        later.Init(log);
        later.OpenCacheDB(cacheFile);
        later.OpenProjectDB(projectFile);
        EXPECT_TRUE(CacheIndex::exists(*later.CacheDB()));
        EXPECT_EQ(later.ProjectDB()->scalar(kProjectIndexes).toInt(), 9);
        EXPECT_EQ(later.GetCount(123), kKeywords + 1);
        EXPECT_EQ(CacheImportQuery::Run(*later.ProjectDB(), {"garden"}, false).front().KW,
                  QString("cached %1 garden").arg(kKeywords));
    }
}

} // namespace
