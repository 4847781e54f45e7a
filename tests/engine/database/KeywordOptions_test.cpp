#include "engine/database/KeywordOptions.h"

#include <utility>
#include <vector>

#include "engine/database/IDBaserOwner.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

using Attributes = std::vector<std::pair<QString, QVariant>>;

CAttributes attributesOf(const Attributes& values)
{
    CAttributes attributes;
    for (const auto& [name, value] : values)
        attributes.Add(name, value);
    return attributes;
}

KeywordOptions listing(int maxCount = 1000, bool all = false, bool excludeGrouped = false,
                       std::optional<int> groupId = {})
{
    KeywordOptions options;
    options.maxCount = maxCount;
    options.all = all;
    options.excludeGrouped = excludeGrouped;
    options.groupId = groupId;
    return options;
}

KeywordOptions ranked(int rank)
{
    KeywordOptions options;
    options.rank = rank;
    return options;
}

struct CountingOwner : IDBaserOwner {
    void moLookupTimer_Timer() override { ++turns; }
    int turns = 0;
};

// Candidates, kept keywords in and out of a group, and a banned one.
class KeywordOptionsListing : public DBaserFixture {
protected:
    void SetUp() override
    {
        openMaster();
        addKeywords({"raw one", "raw two words", "raw three", "kept one", "kept two", "kept three",
                     "banned one"});
        rank({"kept one", "kept two"}, 4);
        rank({"kept three"}, 2);
        rank({"banned one"}, 0);
        group = db->AddGroup("kept");
        db->AddToGroup(items({idOf("kept one"), idOf("kept three")}), group);
    }

    int idOf(const QString& kw) const
    {
        return projectScalar("SELECT pkKeyword FROM Keyword WHERE KW = ?1", {kw}).toInt();
    }

    void rank(const QStringList& kws, int relevancy)
    {
        QVariantList ids;
        for (const QString& kw : kws)
            ids << idOf(kw);
        db->SetRelevancy(items(ids), relevancy);
    }

    int group = 0;
};

TEST_F(KeywordOptionsListing, TheTypedListingIsTheListingOfTheAttributes)
{
    struct Case {
        const char* what;
        enKWKind kind;
        Attributes attributes;
        KeywordOptions options;
        int rows;
    };
    const std::vector<Case> cases = {
        {"raw, none given", kwk_raw, {}, listing(), 3},
        {"raw, two", kwk_raw, {{"CS_MAX_KEYWORDS_COUNT", 2}}, listing(2), 2},
        {"raw, none", kwk_raw, {{"CS_MAX_KEYWORDS_COUNT", 0}}, listing(0), 0},
        {"raw, all over a limit",
         kwk_raw,
         {{"CS_MAX_KEYWORDS_COUNT", 1}, {"CS_GET_ALL_KEYWORDS", true}},
         listing(1, true),
         3},
        {"kept", kwk_kws, {}, listing(), 3},
        {"kept, ungrouped",
         kwk_kws,
         {{"CS_EXCLUDE_GROUPED_KEYWORDS", true}},
         listing(1000, false, true),
         1},
        {"raw, ungrouped ignored",
         kwk_raw,
         {{"CS_EXCLUDE_GROUPED_KEYWORDS", true}},
         listing(1000, false, true),
         3},
        {"banned, one", kwk_banned, {{"CS_MAX_KEYWORDS_COUNT", 1}}, listing(1), 1},
        {"group, kind ignored",
         kwk_banned,
         {{"CS_GET_KEYWORDS_FOR_GROUP", true}, {"CS_GROUP_ID", group}},
         listing(1000, false, false, group),
         2},
        {"group, one",
         kwk_kws,
         {{"CS_GET_KEYWORDS_FOR_GROUP", true},
          {"CS_GROUP_ID", group},
          {"CS_MAX_KEYWORDS_COUNT", 1}},
         listing(1, false, false, group),
         1},
    };
    for (const Case& c : cases) {
        const CAttributes attributes = attributesOf(c.attributes);
        const KeywordTable given = db->getKWsEx(c.kind, &attributes);
        const KeywordTable typed = db->getKWsEx(c.kind, c.options);
        EXPECT_EQ(typed.count(), c.rows) << c.what;
        EXPECT_EQ(typed.ids, given.ids) << c.what;
        EXPECT_EQ(typed.texts, given.texts) << c.what;
        EXPECT_EQ(typed.searches, given.searches) << c.what;
        EXPECT_EQ(typed.relevancies, given.relevancies) << c.what;
    }
}

TEST_F(KeywordOptionsListing, AGroupsTypedListingIsTheListingOfTheAttributes)
{
    const CAttributes one = attributesOf({{"CS_MAX_KEYWORDS_COUNT", 1}});
    EXPECT_EQ(db->getKWsForGroup(group, KeywordOptions()).texts,
              db->getKWsForGroup(group, nullptr).texts);
    EXPECT_EQ(db->getKWsForGroup(group, listing(1)).texts, db->getKWsForGroup(group, &one).texts);
    EXPECT_EQ(db->getKWsForGroup(group, KeywordOptions()).texts,
              QStringList({"kept one", "kept three"}));
}

class KeywordOptionsAddition : public DBaserFixture {
protected:
    void SetUp() override
    {
        db->SetOwner(log, &owner);
        openMaster();
    }

    QString relevancyOf(const QString& kw) const
    {
        return projectScalar("SELECT ifnull(Relevancy, 'null') FROM Keyword WHERE KW = ?1", {kw})
            .toString();
    }

    CountingOwner owner;
};

TEST_F(KeywordOptionsAddition, ATypedAdditionStoresAsTheAttributesDo)
{
    struct Case {
        const char* what;
        Attributes attributes;
        KeywordOptions options;
        QString relevancy;
        int turns;
    };
    const std::vector<Case> cases = {
        {"unranked", {}, KeywordOptions(), "null", 0},
        {"ranked", {{"CS_SET_RANK", true}, {"CS_SET_RANK_TO", 4}}, ranked(4), "4", 1},
        {"banned", {{"CS_SET_RANK", true}, {"CS_SET_RANK_TO", 0}}, ranked(0), "0", 1},
    };
    for (const Case& c : cases) {
        const QString given = QStringLiteral("given %1").arg(c.what);
        const QString typed = QStringLiteral("typed %1").arg(c.what);
        const CAttributes attributes = attributesOf(c.attributes);
        CDataNode byAttributes;
        int before = owner.turns;
        db->AddKWsEx(words({given}), byAttributes, &attributes);
        EXPECT_EQ(owner.turns - before, c.turns) << c.what;
        CDataNode byOptions;
        before = owner.turns;
        db->AddKWsEx(words({typed}), byOptions, c.options);
        EXPECT_EQ(owner.turns - before, c.turns) << c.what;
        EXPECT_EQ(relevancyOf(given), c.relevancy) << c.what;
        EXPECT_EQ(relevancyOf(typed), c.relevancy) << c.what;
    }
}

} // namespace
