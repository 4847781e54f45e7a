#include "engine/database/CacheIndex.h"

#include <sqlite3.h>

#include "engine/database/CacheImportQuery.h"
#include "engine/platform/SqlConnection.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

class CacheIndexTest : public DBaserFixture {
protected:
    void SetUp() override { openBoth(); }

    void cache(const QString& kw, int count = 9) const
    {
        db->CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES (?1, ?2, 1)",
                               {kw, count});
    }

    QStringList found(const QString& word) const
    {
        return CacheIndex::keywordsWithWord(*db->ProjectDB(), word);
    }

    // The keywords found for the word through the index and by a scan of the cache.
    std::pair<QStringList, QStringList> bothWays(const QString& word) const
    {
        const QStringList indexed = found(word);
        CacheIndex::drop(*db->CacheDB());
        const QStringList scanned = found(word);
        CacheIndex::ensure(*db->CacheDB(), [](const QString&) {});
        return {indexed, scanned};
    }

    int indexedRows() const
    {
        return db->CacheDB()->scalar("SELECT count(*) FROM CacheText").toInt();
    }
};

TEST_F(CacheIndexTest, TheIndexFindsWhatTheScanFinds)
{
    for (const char* kw :
         {"blue sky", "a blue sky", "deep blue", "blue", "bluebell", "sky-blue paint", "BLUE Moon",
          "b_ue x", "ab cd", "cd ab", "it's blue", "say \"blue\" now", "café noir", "CAFÉ au lait",
          "größe xl", "xl GRÖSSE", "blue%x y"}) {
        cache(kw);
    }
    for (const char* word : {"blue", "BLUE", "ab", "cd", "it's", "\"blue\"", "café", "größe",
                             "grösse", "b_ue", "blue%x", "lue", "sky", "nothing", "e n"}) {
        const auto [indexed, scanned] = bothWays(word);
        EXPECT_EQ(indexed, scanned) << word;
    }
    EXPECT_EQ(found("Blue"),
              QStringList({"a blue sky", "BLUE Moon", "blue sky", "deep blue", "it's blue"}));
}

TEST_F(CacheIndexTest, MatchTextsAreQuotedAndOnlyForWhatTheIndexCanAnswer)
{
    EXPECT_EQ(CacheIndex::matchFor("blue"), "\"blue\"");
    EXPECT_EQ(CacheIndex::matchFor("say\"x"), "\"say\"\"x\"");
    EXPECT_EQ(CacheIndex::matchFor("ab"), QString());
    EXPECT_EQ(CacheIndex::matchFor("café"), QString());
    EXPECT_EQ(CacheIndex::matchAll({"blue", "ab", "sky"}), "\"blue\" AND \"sky\"");
    EXPECT_EQ(CacheIndex::matchAll({"ab", "é"}), QString());
}

TEST_F(CacheIndexTest, TheImportDialogsQueryFindsWhatItsScanFinds)
{
    int count = 1;
    for (const char* kw : {"blue sky", "sky blue sea", "navy blue", "bluebird song", "blues",
                           "Café noir", "café au lait", "it's blue", "ab cd", "b*ue"}) {
        db->CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES (?1, ?2, 1)",
                               {kw, count++});
    }
    const std::vector<QStringList> filters = {
        {"blue"}, {"BLUE", "sky"}, {"sky", "blue", "sea"}, {"blu*ird"}, {"*"},        {"ab"},
        {"café"}, {"it's"},        {"b*ue", "s"},          {"nothing"}, {"ue", "blu"}};
    const auto texts = [](const std::vector<CacheImportQuery::Row>& rows) {
        QStringList list;
        for (const auto& row : rows)
            list << row.KW + "=" + QString::number(row.Count);
        return list;
    };
    for (const QStringList& words : filters) {
        for (const bool banned : {false, true}) {
            const QStringList indexed =
                texts(CacheImportQuery::Run(*db->ProjectDB(), words, banned));
            CacheIndex::drop(*db->CacheDB());
            const QStringList scanned =
                texts(CacheImportQuery::Run(*db->ProjectDB(), words, banned));
            CacheIndex::ensure(*db->CacheDB(), [](const QString&) {});
            EXPECT_EQ(indexed, scanned) << words.join(' ').toStdString();
        }
    }
    EXPECT_EQ(texts(CacheImportQuery::Run(*db->ProjectDB(), {"blue", "sky"}, false)),
              QStringList({"sky blue sea=2", "blue sky=1"}));
}

TEST_F(CacheIndexTest, TheIndexFollowsEveryChangeOfTheCache)
{
    cache("blue sky");
    cache("ab");
    EXPECT_EQ(indexedRows(), 1) << "texts of 2 characters are not indexed";
    CDataNode counts;
    counts.Attributes().Add("blue sea", 5);
    counts.Attributes().Add("blue sky", 6);
    db->AddOvertured(counts, {});
    EXPECT_EQ(indexedRows(), 2) << "a count stored again keeps its one entry";
    db->CacheDB()->execute("DELETE FROM Cache WHERE KW = 'blue sea'");
    db->CacheDB()->execute("UPDATE Cache SET KW = 'sky blue' WHERE KW = 'blue sky'");
    EXPECT_EQ(found("blue"), QStringList({"sky blue"}));
    EXPECT_EQ(indexedRows(), 1);
    {
        auto other = SqlConnection::open(cacheFile);
        other->exec("INSERT INTO Cache (KW, Count, dte) VALUES ('navy blue', 3, 1)");
    }
    EXPECT_EQ(found("blue"), QStringList({"navy blue", "sky blue"}));
}

TEST_F(CacheIndexTest, ACacheWithoutTheIndexGetsItAtItsOpenWithANote)
{
    cache("blue sky");
    CacheIndex::drop(*db->CacheDB());
    EXPECT_FALSE(CacheIndex::exists(*db->CacheDB()));
    db->OpenCacheDB(cacheFile);
    EXPECT_TRUE(CacheIndex::exists(*db->CacheDB()));
    EXPECT_EQ(indexedRows(), 1);
    EXPECT_TRUE(logText().contains("Building the keyword index of the cache"));
    EXPECT_TRUE(logText().contains("The keyword index of the cache"));
}

TEST_F(CacheIndexTest, CountsStoredWhileTheIndexIsAwayReachTheProject)
{
    addKeywords({"blue sky"});
    db->OpenProjectDB(projectFile); // the project's copies brought up to date
    // As a bulk load takes the index away, and its build afterwards fails.
    CacheIndex::drop(*db->CacheDB());
    cache("blue sky", 7);
    db->OpenProjectDB(projectFile);
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword WHERE KW = 'blue sky'").toInt(), 7);
}

TEST_F(CacheIndexTest, ThePlainSqliteLibraryReadsAndWritesTheCache)
{
    cache("blue sky");
    db->CacheDB()->close();
    sqlite3* plain = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(cacheFile.toUtf8().constData(), &plain, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(plain,
                           "INSERT INTO Cache (KW, Count, dte) VALUES ('navy blue', 3, 1);"
                           "DELETE FROM Cache WHERE KW = 'blue sky';"
                           "SELECT KW FROM CacheText WHERE CacheText MATCH 'blue';",
                           nullptr, nullptr, &error),
              SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(plain);
    db->OpenCacheDB(cacheFile);
    EXPECT_EQ(found("blue"), QStringList({"navy blue"}));
    EXPECT_EQ(indexedRows(), 1);
}

} // namespace
