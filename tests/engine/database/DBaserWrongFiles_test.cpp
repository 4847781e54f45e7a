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

} // namespace
