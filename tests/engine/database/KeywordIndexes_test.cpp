#include "engine/database/KeywordIndexes.h"

#include "engine/platform/SqlConnection.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

class KeywordIndexesTest : public DBaserFixture {
protected:
    void SetUp() override { openMaster(); }

    int idOf(const QString& kw) const
    {
        return projectScalar("SELECT pkKeyword FROM Keyword WHERE KW = ?1", {kw}).toInt();
    }

    // Each kept count against the statement it stands for.
    void expectCountsAgree(const char* when) const
    {
        const std::vector<std::pair<int, QString>> codes = {
            {123, "SELECT count(*) FROM Keyword WHERE Relevancy IS NULL"},
            {433, "SELECT count(*) FROM Keyword WHERE Relevancy IS NOT NULL AND Relevancy > 0"},
            {434, "SELECT count(*) FROM Keyword WHERE Relevancy = 0"},
            {511, "SELECT count(*) FROM Keyword INNER JOIN KWGroup ON Keyword.pkKeyword = "
                  "KWGroup.fkKW WHERE Relevancy IS NOT NULL AND Relevancy > 0"},
        };
        for (const auto& [code, sql] : codes)
            EXPECT_EQ(db->GetCount(code), projectScalar(sql).toInt()) << code << " " << when;
    }

    QString plan(const QString& sql) const
    {
        QStringList steps;
        auto rows = db->ProjectDB()->query("EXPLAIN QUERY PLAN " + sql);
        while (rows.next())
            steps << rows.text(3);
        return steps.join(" | ");
    }
};

TEST_F(KeywordIndexesTest, KeptCountsFollowEveryChange)
{
    expectCountsAgree("empty");
    addKeywords({"alpha one", "beta one", "gamma one", "delta one", "epsilon one"});
    expectCountsAgree("added");
    db->SetRelevancy(items({idOf("alpha one"), idOf("beta one")}), 4);
    db->SetRelevancy(items({idOf("gamma one")}), 0);
    db->SetRelevancy(items({idOf("delta one")}), -1);
    expectCountsAgree("ranked");
    db->SetRelevancy(items({idOf("alpha one")}), 5);
    db->SetRelevancy(items({idOf("gamma one")}), 0);
    expectCountsAgree("ranked within a kind");
    const int group = db->AddGroup("g");
    db->AddToGroup(items({idOf("alpha one"), idOf("beta one"), idOf("gamma one")}), group);
    expectCountsAgree("grouped");
    db->DeleteKWs(items({idOf("beta one"), idOf("epsilon one")}));
    expectCountsAgree("deleted");
    CAttributes params;
    params.Add("CS_SET_RANK", true);
    params.Add("CS_SET_RANK_TO", 3);
    CDataNode operation;
    db->AddKWsEx(words({"one gamma", "zeta one"}), operation, &params);
    expectCountsAgree("ranked on add");
    db->ProjectDB()->execute("UPDATE Keyword SET Normalized = 'stale ' || pkKeyword");
    db->ProjectDB()->execute("UPDATE Keyword SET KW = 'one zeta' WHERE KW = 'alpha one'");
    db->NormalizeAllDBkws();
    expectCountsAgree("identities recomputed");
}

TEST_F(KeywordIndexesTest, ChangesByAnyClientAreCounted)
{
    addKeywords({"alpha one", "beta one"});
    {
        auto other = SqlConnection::open(projectFile);
        other->exec("INSERT INTO Keyword (KW, Normalized, Relevancy) VALUES ('x y', 'x y', 0);"
                    "UPDATE Keyword SET Relevancy = 2 WHERE KW = 'alpha one'");
    }
    expectCountsAgree("another connection");
}

TEST_F(KeywordIndexesTest, MissingCountersAreRebuiltAtOpen)
{
    addKeywords({"alpha one", "beta one"});
    db->ProjectDB()->execute("DROP TRIGGER KeywordCountAdd");
    addKeywords({"gamma one"});
    db->OpenProjectDB(projectFile);
    expectCountsAgree("reopened");
    db->ProjectDB()->execute("DROP TABLE KeywordCount");
    expectCountsAgree("without counters");
    db->OpenProjectDB(projectFile);
    addKeywords({"delta one"});
    expectCountsAgree("rebuilt");
}

TEST_F(KeywordIndexesTest, ListingsAndPicksReadAnIndexInOrder)
{
    struct Case {
        QString sql;
        bool covering; // the rows come from the index alone
    };
    const QString listing = "SELECT pkKeyword, KW, Searches, Relevancy FROM Keyword ";
    const std::vector<Case> cases = {
        {listing + "WHERE Relevancy IS NULL ORDER BY Searches DESC, length(KW), pkKeyword", true},
        {listing + "WHERE Relevancy IS NOT NULL AND Relevancy > 0 ORDER BY Relevancy DESC, "
                   "Searches DESC, pkKeyword",
         true},
        {listing + "WHERE Relevancy = 0 ORDER BY Searches DESC, pkKeyword", true},
        {"SELECT KW FROM Keyword WHERE Searches IS NULL AND (Relevancy <> 0 OR Relevancy IS "
         "NULL) ORDER BY Relevancy DESC, length(KW), pkKeyword LIMIT 1",
         false},
        {"SELECT KW FROM Keyword WHERE Relevancy > 2 AND (LookupDate IS NULL OR LookupDate < 5) "
         "ORDER BY Relevancy DESC, length(KW), pkKeyword LIMIT 1",
         false},
        {"UPDATE Keyword SET LookupDate = 1 WHERE KW = 'x'", false},
    };
    for (const Case& c : cases) {
        const QString steps = plan(c.sql);
        EXPECT_TRUE(steps.contains(c.covering ? "COVERING INDEX" : "INDEX"))
            << c.sql.toStdString() << ": " << steps.toStdString();
        EXPECT_FALSE(steps.contains("TEMP B-TREE")) << c.sql.toStdString();
    }
}

} // namespace
