#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "engine/ComponentRegistry.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlError.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

class DBaserFiles : public DBaserFixture {
protected:
    // Expects the call to raise the number with exactly that description.
    template <class Call>
    void expectError(Call call, std::uint32_t number, const QString& description)
    {
        try {
            call();
            ADD_FAILURE() << "no error raised";
        } catch (const ZError& e) {
            EXPECT_EQ(e.number(), number);
            EXPECT_EQ(e.description(), description);
        }
    }

    QStringList schemaObjects() const
    {
        return column("SELECT type || ' ' || name FROM project.sqlite_master WHERE name NOT LIKE "
                      "'sqlite_%' ORDER BY type, name");
    }
};

TEST_F(DBaserFiles, AProjectCannotOpenBeforeTheCache)
{
    expectError([&] { db->OpenProjectDB(projectFile); }, 0x80040288u,
                "Cannot open project database '" + projectFile +
                    "'. Keywords cache database is not opened. Open keywords cache database "
                    "first. ");
    EXPECT_FALSE(QFile::exists(projectFile));
    EXPECT_FALSE(db->ProjectDBOpened());
    EXPECT_TRUE(db->ProjectDBFilename().isEmpty());
    EXPECT_TRUE(logged(4, 0x80040287u, "DBaser.OpenProjectDB"));
}

TEST_F(DBaserFiles, MissingFilesAreMadeFromTheTemplatesAndUpgradedOnce)
{
    openBoth();
    EXPECT_TRUE(QFile::exists(cacheFile));
    EXPECT_TRUE(db->ProjectDBOpened());
    EXPECT_EQ(db->CacheDBFilename(), cacheFile);
    EXPECT_EQ(db->ProjectDBFilename(), projectFile);
    const QStringList objects = schemaObjects();
    for (const char* expected :
         {"table Group", "table KWGroup", "index Group Index", "index KW Index", "table Keyword",
          "index Normalized", "table Operation", "table KeywordOperation"})
        EXPECT_TRUE(objects.contains(expected)) << expected;
    EXPECT_EQ(projectScalar("SELECT count(*) FROM pragma_table_info('Keyword', 'project') WHERE "
                            "name = 'LookupDate'")
                  .toInt(),
              1);
    EXPECT_EQ(column("SELECT \"table\" || '.' || \"from\" || '>' || \"to\" || ' ' || on_update "
                     "|| '/' || on_delete FROM pragma_foreign_key_list('KWGroup', 'project') "
                     "ORDER BY \"table\""),
              QStringList({"Group.fkGroup>pkGroup CASCADE/CASCADE",
                           "Keyword.fkKW>pkKeyword CASCADE/CASCADE"}));

    const int group = db->AddGroup("kept");
    db->OpenProjectDB(projectFile);
    EXPECT_EQ(schemaObjects(), objects);
    EXPECT_EQ(projectScalar("SELECT Name FROM \"Group\" WHERE pkGroup = ?1", {group}).toString(),
              "kept");
}

TEST_F(DBaserFiles, TheTemplateProjectHoldsOnlyTheTemplateTables)
{
    const QString copy = home.file("template copy.tdb");
    ASSERT_TRUE(QFile::copy(Folders::binaryFolder() + "/Project.tdb", copy));
    QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::WriteOwner);
    auto connection = SqlConnection::open(copy);
    SqlDatabase templ(connection, "main", {});
    EXPECT_FALSE(templ.hasTable("Group"));
    EXPECT_FALSE(templ.hasTable("KWGroup"));
    EXPECT_FALSE(templ.hasColumn("Keyword", "LookupDate"));
    EXPECT_TRUE(templ.hasTable("KeywordOperation"));
}

TEST_F(DBaserFiles, MissingTemplatesFailTheOpen)
{
    QTemporaryDir empty;
    db->setTemplateFolder(empty.path());
    const QString cacheTemplate = QDir(empty.path()).filePath("Cache.tdb");
    expectError([&] { db->OpenCacheDB(cacheFile); }, 0x80040286u,
                "Cannot open keywords cache database '" + cacheFile + "'. File not found: '" +
                    cacheTemplate + "'. ");
    EXPECT_FALSE(QFile::exists(cacheFile));
    EXPECT_TRUE(logged(4, 0x800A0035u, "DBaser.OpenCacheDB"));

    db->setTemplateFolder(Folders::binaryFolder());
    db->OpenCacheDB(cacheFile);
    db->setTemplateFolder(empty.path());
    expectError([&] { db->OpenProjectDB(projectFile); }, 0x80040288u,
                "Cannot open project database '" + projectFile + "'. File not found: '" +
                    QDir(empty.path()).filePath("Project.tdb") + "'. ");
    EXPECT_FALSE(db->ProjectDBOpened());
}

TEST_F(DBaserFiles, AFileThatIsNoDatabaseFailsWithTheEnginesMessage)
{
    QFile junk(cacheFile);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(2048, 'j'));
    junk.close();
    expectError([&] { db->OpenCacheDB(cacheFile); }, 0x80040286u,
                "Cannot open keywords cache database '" + cacheFile +
                    "'. file is not a database. ");
}

TEST_F(DBaserFiles, ACacheFileThatDisappearsBeforeTheProjectOpensGives643)
{
    db->OpenCacheDB(cacheFile);
    ASSERT_TRUE(QFile::remove(cacheFile));
    expectError([&] { db->OpenProjectDB(projectFile); }, 0x80040288u,
                "Cannot open project database '" + projectFile +
                    "'. Could not found Overture cache file '" + cacheFile + "'. ");
    EXPECT_FALSE(QFile::exists(cacheFile)) << "no new empty cache";
    EXPECT_FALSE(db->ProjectDBOpened());
}

TEST_F(DBaserFiles, AFailedUpgradeGives656InsideTheOpenAndIsLoggedAtLevel0)
{
    db->OpenCacheDB(cacheFile);
    ASSERT_TRUE(QFile::copy(Folders::binaryFolder() + "/Project.tdb", projectFile));
    QFile::setPermissions(projectFile, QFile::permissions(projectFile) | QFileDevice::WriteOwner);
    {
        auto connection = SqlConnection::open(projectFile);
        connection->exec("CREATE TABLE KWGroup (x INTEGER)");
    }
    expectError([&] { db->OpenProjectDB(projectFile); }, 0x80040288u,
                "Cannot open project database '" + projectFile +
                    "'. Cannot upgrade project database. table \"KWGroup\" already exists. ");
    EXPECT_TRUE(logged(0, 1, "DBaser.UpgradeProjectDatabase"));
    EXPECT_TRUE(logged(4, 0x80040290u, "DBaser.OpenProjectDB"));
    // The upgrade ran in one transaction: no half of it stays.
    auto connection = SqlConnection::open(projectFile);
    EXPECT_FALSE(SqlDatabase(connection, "main", projectFile).hasTable("Group"));
}

TEST_F(DBaserFiles, ReconnectingTheCacheReattachesItForTheNextRefresh)
{
    const QString otherCache = home.file("Other.vxc");
    openBoth();
    db->OpenCacheDB(otherCache);
    db->OpenCacheDB(cacheFile);
    CDataNode operation;
    db->AddKWs(words({"blue widget"}), operation);
    CDataNode counts;
    counts.Attributes().Add("blue widget", 5);
    db->AddOvertured(counts, {});
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword").toInt(), 5);

    db->OpenCacheDB(otherCache);
    CDataNode other;
    other.Attributes().Add("blue widget", 7);
    db->AddOvertured(other, {});
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword").toInt(), 7);
    EXPECT_EQ(db->CacheSize(), 1);
    EXPECT_EQ(db->CacheDBFilename(), otherCache);
}

TEST_F(DBaserFiles, AFailedCacheOpenLeavesTheProjectWithoutCacheUntilTheNextOpen)
{
    openBoth();
    const QString junkFile = home.file("junk.vxc");
    QFile junk(junkFile);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(2048, 'j'));
    junk.close();
    EXPECT_THROW(db->OpenCacheDB(junkFile), ZError);
    EXPECT_EQ(db->CacheDBFilename(), cacheFile) << "file names stay as they were";
    EXPECT_THROW(db->get1stNotOvertured(), ZError);
    db->OpenProjectDB(projectFile);
    EXPECT_NO_THROW(db->get1stNotOvertured());
}

TEST_F(DBaserFiles, CloseDBsForgetsTheFilesAndFinalizeOfAWorkerKeepsThemOpen)
{
    openBoth();
    {
        DBaser worker;
        worker.AttachByObjects(log, db->ProjectDB(), db->CacheDB(), "kw-event", "count-event");
        EXPECT_FALSE(worker.ProjectDBOpened());
        EXPECT_EQ(worker.GetCount(123), 0);
        worker.Finalize();
    }
    EXPECT_EQ(db->GetCount(123), 0);
    db->CloseDBs();
    EXPECT_FALSE(db->ProjectDBOpened());
    EXPECT_TRUE(db->CacheDBFilename().isEmpty());
    EXPECT_TRUE(db->ProjectDBFilename().isEmpty());
    EXPECT_EQ(db->GetCount(123), 0) << "the database objects stay as they are";
}

TEST_F(DBaserFiles, AWorkerCanOpenTheFilesByName)
{
    openBoth();
    CDataNode operation;
    db->AddKWs(words({"blue widget"}), operation);
    DBaser worker;
    worker.AttachByFileNames(log, projectFile, cacheFile, "kw-event", "count-event");
    EXPECT_EQ(worker.GetCount(123), 1);
    worker.AddKWs(words({"red widget"}), operation);
    EXPECT_EQ(db->GetCount(123), 2);
}

TEST_F(DBaserFiles, TheDatabasesAreRegisteredByProgId)
{
    auto object = ComponentRegistry::instance().create("zentrel.dbaser");
    ASSERT_NE(qobject_cast<DBaser*>(object.get()), nullptr);
}

} // namespace
