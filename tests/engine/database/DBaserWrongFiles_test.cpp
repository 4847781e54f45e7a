#include <QElapsedTimer>
#include <QFile>

#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

// Files that are not what the open asks for: another project as the cache, the open cache as the
// project, a database without the tables of its role.
class DBaserWrongFiles : public DBaserFixture {
protected:
    // A copy of a template with extra statements run on it.
    QString templateCopy(const QString& templateName, const QString& name, const QString& sql)
    {
        const QString file = home.file(name);
        EXPECT_TRUE(QFile::copy(Folders::binaryFolder() + "/" + templateName, file));
        QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::WriteOwner);
        if (!sql.isEmpty())
            SqlConnection::open(file)->exec(sql);
        return file;
    }

    // Expects the call to fail at once with the number and a description that starts with the
    // open's own message and holds the inner one.
    template <class Call>
    void expectRefused(Call call, std::uint32_t number, const QString& start, const QString& inner)
    {
        QElapsedTimer clock;
        clock.start();
        try {
            call();
            ADD_FAILURE() << "no error raised";
        } catch (const ZError& e) {
            EXPECT_EQ(e.number(), number);
            EXPECT_TRUE(e.description().startsWith(start)) << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(inner)) << e.description().toStdString();
        }
        EXPECT_LT(clock.elapsed(), 5000) << "no wait on a lock of its own";
    }

    QString cacheMessage(const QString& file) const
    {
        return "Cannot open keywords cache database '" + file + "'. ";
    }
    QString projectMessage(const QString& file) const
    {
        return "Cannot open project database '" + file + "'. ";
    }

    QStringList tablesOf(const QString& file) const
    {
        QStringList names;
        auto rows = SqlConnection::open(file)->prepare(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'CacheText%' "
            "AND name <> 'CacheGeneration' ORDER BY name"); // the cache's keyword index left out
        while (rows.next())
            names << rows.text(0);
        return names;
    }

    static constexpr std::uint32_t kCannotOpenCache = 0x80040286u;
    static constexpr std::uint32_t kCannotOpenProject = 0x80040288u;
    static constexpr std::uint32_t kCannotUpgrade = 0x80040290u;
    static const inline QString kLinkText =
        "Cannot create the table link from Overture cache database to Project database. ";
    static const inline QString kUpgradeText = "Cannot upgrade project database. ";
};

TEST_F(DBaserWrongFiles, TablesOfTheCacheFileNeverShadowTheProjectsOwn)
{
    // A cache file that also holds keyword tables of its own.
    cacheFile = templateCopy("Cache.tdb", "Mixed.vxc",
                             "CREATE TABLE Keyword (pkKeyword INTEGER PRIMARY KEY, KW TEXT, "
                             "Normalized TEXT, Relevancy INTEGER, Searches INTEGER, CacheDate "
                             "REAL, LookupDate REAL);"
                             "INSERT INTO Keyword (KW, Normalized) VALUES ('foreign kw', "
                             "'foreign kw');"
                             "CREATE TABLE \"Group\" (pkGroup INTEGER PRIMARY KEY, Name TEXT, "
                             "ParentGroup INTEGER);"
                             "INSERT INTO \"Group\" (Name) VALUES ('foreign group');");
    openBoth();
    CDataNode operation;
    db->AddKWs(words({"own keyword"}), operation);
    CDataNode counts;
    counts.Attributes().Add("keyword own", 12);
    db->AddOvertured(counts, {});

    const KeywordTable raw = db->getKWs(kwk_raw);
    ASSERT_EQ(raw.count(), 1);
    EXPECT_EQ(raw.texts.at(0), "own keyword");
    EXPECT_EQ(raw.searches.at(0), 12);
    EXPECT_EQ(db->GetCount(123), 1);
    EXPECT_EQ(db->GetCount(542), 0);
    EXPECT_EQ(db->get1stNotOvertured(), QString());
    EXPECT_EQ(db->GetGroups(nullptr).Count(), 0);
}

TEST_F(DBaserWrongFiles, AFileWithoutCacheIsRefusedAsTheCache)
{
    const QString otherProject = templateCopy("Project.tdb", "Other Project.vxp", {});
    const QString plain = templateCopy("Cache.tdb", "Plain.db",
                                       "DROP TABLE Cache;"
                                       "CREATE TABLE Notes (x TEXT);");
    for (const QString& wrong : {otherProject, plain}) {
        SCOPED_TRACE(wrong.toStdString());
        expectRefused([&] { db->OpenCacheDB(wrong); }, kCannotOpenCache, cacheMessage(wrong),
                      kLinkText + "The file has no table 'Cache'.");
        EXPECT_TRUE(db->CacheDBFilename().isEmpty());
        EXPECT_TRUE(logged(4, 0x80040284u, "DBaser.OpenCacheDB"));
    }
    EXPECT_EQ(tablesOf(otherProject),
              QStringList({"Keyword", "KeywordOperation", "Operation", "sqlite_sequence"}));
    openBoth();
    EXPECT_EQ(db->CacheDBFilename(), cacheFile);
}

TEST_F(DBaserWrongFiles, AnotherProjectConnectedAsTheCacheLeavesTheOpenProjectAlone)
{
    openBoth();
    CDataNode operation;
    db->AddKWs(words({"own keyword"}), operation);
    const QString otherProject = templateCopy("Project.tdb", "Other Project.vxp",
                                              "INSERT INTO Keyword (KW, Normalized) VALUES "
                                              "('foreign kw', 'foreign kw');");
    expectRefused([&] { db->OpenCacheDB(otherProject); }, kCannotOpenCache,
                  cacheMessage(otherProject), kLinkText);
    EXPECT_EQ(db->CacheDBFilename(), cacheFile) << "the file names stay as they were";
    db->OpenCacheDB(cacheFile);
    EXPECT_EQ(db->getKWs(kwk_raw).texts, QStringList({"own keyword"}));
}

TEST_F(DBaserWrongFiles, TheOpenProjectsFileIsRefusedAsTheCacheAtOnce)
{
    openBoth();
    for (const QString& sameFile : QStringList{projectFile, home.path() + "/./First Project.vxp"}) {
        expectRefused([&] { db->OpenCacheDB(sameFile); }, kCannotOpenCache, cacheMessage(sameFile),
                      kLinkText + "The file is the open project database.");
    }
    db->OpenCacheDB(cacheFile);
    CDataNode operation;
    db->AddKWs(words({"still writable"}), operation);
    EXPECT_EQ(db->GetCount(123), 1);
}

TEST_F(DBaserWrongFiles, TheOpenCacheFileIsRefusedAsTheProjectAtOnce)
{
    db->OpenCacheDB(cacheFile);
    expectRefused([&] { db->OpenProjectDB(cacheFile); }, kCannotOpenProject,
                  projectMessage(cacheFile),
                  kUpgradeText + "The file is the open keywords cache database.");
    EXPECT_FALSE(db->ProjectDBOpened());
    EXPECT_TRUE(logged(0, 0x800A004Bu, "DBaser.UpgradeProjectDatabase"));
    EXPECT_TRUE(logged(4, kCannotUpgrade, "DBaser.OpenProjectDB"));
    CDataNode counts;
    counts.Attributes().Add("blue widget", 3);
    db->OpenProjectDB(projectFile);
    db->AddOvertured(counts, {});
    EXPECT_EQ(db->CacheSize(), 1) << "the cache still takes writes";
    EXPECT_EQ(tablesOf(cacheFile), QStringList({"Cache"}));
}

TEST_F(DBaserWrongFiles, ADatabaseWithoutKeywordIsNoProjectAndStaysUnchanged)
{
    db->OpenCacheDB(cacheFile);
    const QString otherCache = templateCopy("Cache.tdb", "Other Cache.vxc", {});
    expectRefused([&] { db->OpenProjectDB(otherCache); }, kCannotOpenProject,
                  projectMessage(otherCache),
                  kUpgradeText + "The file has no table 'Keyword': it is no project database.");
    EXPECT_TRUE(logged(0, 1, "DBaser.UpgradeProjectDatabase"));
    EXPECT_FALSE(db->ProjectDBOpened());
    EXPECT_EQ(tablesOf(otherCache), QStringList({"Cache"}));
}

TEST_F(DBaserWrongFiles, ACacheThatLostItsTableFailsTheLinkAtTheNextProjectOpen)
{
    openBoth();
    const QString plain = templateCopy("Cache.tdb", "Plain.db", "DROP TABLE Cache;");
    EXPECT_THROW(db->OpenCacheDB(plain), ZError);
    SqlConnection::open(cacheFile)->exec("DROP TABLE Cache");
    expectRefused([&] { db->OpenProjectDB(projectFile); }, kCannotOpenProject,
                  projectMessage(projectFile), kLinkText + "The file has no table 'Cache'.");
    EXPECT_THROW(db->GetCount(123), ZError) << "the project was closed";
}

} // namespace
