#include <QSignalSpy>
#include <QUuid>

#include "engine/database/IDBaserOwner.h"
#include "engine/database/MParser.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

struct RecordingOwner : IDBaserOwner {
    void moLookupTimer_Timer() override { ++turns; }
    int turns = 0;
};

class DBaserKeywords : public DBaserFixture {
protected:
    void SetUp() override
    {
        db->SetOwner(log, &owner);
        db->InitMaster();
        openBoth();
    }

    // Adds keywords and returns the rejected ones.
    QStringList add(const QStringList& keywords)
    {
        CDataNode operation;
        operation.Attributes().Add("Description", "Manual Addition");
        return textsOf(db->AddKWs(words(keywords), operation));
    }

    int idOf(const QString& kw) const
    {
        return projectScalar("SELECT pkKeyword FROM Keyword WHERE KW = ?1", {kw}).toInt();
    }

    RecordingOwner owner;
};

TEST_F(DBaserKeywords, KeywordsAreTrimmedLowerCasedFilteredAndNormalised)
{
    struct Case {
        QString given;
        QString stored;   // KW as stored, empty when rejected
        QString rejected; // as returned
    };
    const QString hundred = QString(50, 'a') + " " + QString(49, 'b');
    const std::vector<Case> cases = {
        {"  Blue-Widget  ", "blue widget", {}},
        {"cheap~blue  shoes", "cheap blue shoes", {}},
        {"-ab", "ab", {}},
        {hundred, hundred, {}},
        {hundred + "c", {}, hundred + "c"},
        {" AB ", {}, "ab"},
        {"a:bcd", {}, "a:bcd"},
        {"a+bcd", {}, "a+bcd"},
        {"a..bcd", {}, "a..bcd"},
        {"100% wool", {}, "100% wool"},
        {"#tag word", {}, "#tag word"},
        {"http/path", {}, "http/path"},
        {"back\\slash", {}, "back\\slash"},
        {"why not?", {}, "why not?"},
        {QString::fromUtf8("ÄPFEL Kuchen"), QString::fromUtf8("äpfel kuchen"), {}},
        // One character lower-cases to one, so İ keeps the length and meets its lower case.
        {QString::fromUtf8("İstanbul Hotels"), {}, {}}, // found again by the next one
        {QString::fromUtf8("hotels istanbul"), "hotels istanbul", {}},
        {QString::fromUtf8("İ") + hundred.mid(1), "i" + hundred.mid(1), {}},
    };
    QStringList given;
    QStringList expectedRejected;
    for (const auto& c : cases) {
        given << c.given;
        if (!c.rejected.isEmpty())
            expectedRejected << c.rejected;
    }
    EXPECT_EQ(add(given), expectedRejected);
    for (const auto& c : cases) {
        if (c.stored.isEmpty())
            continue;
        EXPECT_EQ(projectScalar("SELECT count(*) FROM Keyword WHERE KW = ?1 AND Normalized = ?2",
                                {c.stored, MParser::NormalizeKW(c.stored)})
                      .toInt(),
                  1)
            << c.stored.toStdString();
    }
    EXPECT_EQ(keywordCount(), 7);
}

TEST_F(DBaserKeywords, NoKeywordHoldsAControlBidiOrZeroWidthCharacter)
{
    struct Case {
        QString given;
        QString stored;   // KW as stored, empty when rejected
        QString rejected; // as returned
    };
    const std::vector<Case> cases = {
        {QStringLiteral("blue\twidgets"), "blue widgets", {}},
        {QStringLiteral("\tred widgets\t"), "red widgets", {}},
        {QStringLiteral("green\nwidgets\r"), "green widgets", {}},
        {QStringLiteral("caf\u202E\u00E9 cr\u00E8me"), QStringLiteral("caf\u00E9 cr\u00E8me"), {}},
        {QStringLiteral("\u2066pink\u2069 \u200Ewidgets\u200F\u061C"), "pink widgets", {}},
        {QStringLiteral("\uFEFFGrey Widgets"), "grey widgets", {}},
        {QStringLiteral("nul") + QChar(0) + QStringLiteral(" widgets\u0007\u007F\u0085"),
         "nul widgets",
         {}},
        {QStringLiteral("zero\u200B\u200C\u200D\u2060width"), "zerowidth", {}},
        // An invisible twin of a keyword given before is that keyword.
        {QStringLiteral("blue\u200B widgets"), "blue widgets", {}},
        // The rules see the text a reader sees.
        {QStringLiteral("ab\u200B\u200B"), {}, "ab"},
        {QStringLiteral("a\u200Bb:c"), {}, "ab:c"},
        {QStringLiteral("\u200B\u200B\u200B\u200B"), {}, ""},
        {QStringLiteral("\t\t\t"), {}, ""},
    };
    QStringList given;
    QStringList expectedRejected;
    for (const auto& c : cases) {
        given << c.given;
        if (c.stored.isEmpty())
            expectedRejected << c.rejected;
    }
    EXPECT_EQ(add(given), expectedRejected);
    QStringList expectedStored;
    for (const auto& c : cases) {
        if (!c.stored.isEmpty() && !expectedStored.contains(c.stored))
            expectedStored << c.stored;
    }
    QStringList stored;
    auto rows = db->ProjectDB()->query("SELECT KW, Normalized FROM Keyword ORDER BY pkKeyword");
    while (rows.next()) {
        stored << rows.text(0);
        EXPECT_EQ(rows.text(1), MParser::NormalizeKW(rows.text(0)));
    }
    EXPECT_EQ(stored, expectedStored);
}

TEST_F(DBaserKeywords, TheSameWordsInAnotherOrderFindTheRowAndTheNewestSpellingWins)
{
    add({"blue widget"});
    const int id = idOf("blue widget");
    add({"Widget Blue"});
    EXPECT_EQ(keywordCount(), 1);
    EXPECT_EQ(idOf("widget blue"), id);
    EXPECT_EQ(projectScalar("SELECT Normalized FROM Keyword").toString(), "blue widget");
}

TEST_F(DBaserKeywords, OperationsAreStoredOnceAndEachKeywordLinkedOnce)
{
    CDataNode operation;
    operation.Attributes().Add("Description", "Loaded from 'page'.");
    operation.Attributes().Add("Type", "GOOGLE_SEARCH");
    db->AddKWs(words({"blue widget", "blue widget", "red widget"}), operation);
    EXPECT_TRUE(QUuid::fromString(operation.Value()).isNull() == false);
    EXPECT_TRUE(operation.Value().startsWith('{'));
    db->AddKWs(words({"red widget", "green widget"}), operation);
    EXPECT_EQ(keywordCount(), 3);
    EXPECT_EQ(projectScalar("SELECT count(*) FROM Operation").toInt(), 1);
    EXPECT_EQ(projectScalar("SELECT Description FROM Operation").toString(), "Loaded from 'page'.");
    CDataNode saved;
    saved.LoadFromText(projectScalar("SELECT Parameter FROM Operation").toString());
    EXPECT_EQ(saved.Value(), operation.Value());
    EXPECT_TRUE(saved.Attributes().Exists("Type"));
    EXPECT_EQ(projectScalar("SELECT count(*) FROM KeywordOperation").toInt(), 3);
    EXPECT_EQ(projectScalar("SELECT count(DISTINCT fkKeyword) FROM KeywordOperation WHERE "
                            "fkOperation = ?1",
                            {operation.Value()})
                  .toInt(),
              3);
}

TEST_F(DBaserKeywords, ALongOperationDescriptionIsStoredWhole)
{
    CDataNode operation;
    const QString description = "Loaded from 'http://example.com/" + QString(300, 'p') + "'.";
    operation.Attributes().Add("Description", description);
    db->AddKWs(words({"blue widget"}), operation);
    EXPECT_EQ(projectScalar("SELECT Description FROM Operation").toString(), description);
}

TEST_F(DBaserKeywords, NothingAcceptedStoresNothingAndRaisesNothing)
{
    QSignalSpy newKws(db.get(), &DBaser::NewKws);
    CDataNode operation;
    EXPECT_EQ(textsOf(db->AddKWs(words({"ab", "x?y z"}), operation)), QStringList({"ab", "x?y z"}));
    EXPECT_TRUE(operation.Value().isEmpty());
    EXPECT_EQ(projectScalar("SELECT count(*) FROM Operation").toInt(), 0);
    EXPECT_EQ(newKws.count(), 0);
}

TEST_F(DBaserKeywords, TheMasterRaisesNewKwsAtOnceAfterTheCountsRefresh)
{
    CDataNode counts;
    counts.Attributes().Add("blue widget", 120);
    db->AddOvertured(counts, {});
    int searchesSeen = -2;
    QObject context;
    QObject::connect(db.get(), &DBaser::NewKws, &context,
                     [&] { searchesSeen = projectScalar("SELECT Searches FROM Keyword").toInt(); });
    add({"Widget-Blue"});
    EXPECT_EQ(searchesSeen, 120) << "raised once, after the commit and the refresh";
}

TEST_F(DBaserKeywords, RankingOnAddGivesTheOwnerATurnInsteadOfNewKws)
{
    add({"blue widget"});
    QSignalSpy newKws(db.get(), &DBaser::NewKws);
    CAttributes params;
    params.Add("CS_SET_RANK", true);
    params.Add("CS_SET_RANK_TO", 4);
    CDataNode operation;
    db->AddKWsEx(words({"blue widget", "red widget"}), operation, &params);
    EXPECT_EQ(column("SELECT Relevancy FROM Keyword ORDER BY pkKeyword"), QStringList({"4", "4"}));
    EXPECT_EQ(newKws.count(), 0);
    EXPECT_EQ(owner.turns, 1);
}

TEST_F(DBaserKeywords, SetRelevancyAboveTwoGivesTheOwnerATurn)
{
    add({"blue widget", "red widget"});
    db->SetRelevancy(items({idOf("blue widget")}), 2);
    EXPECT_EQ(owner.turns, 0);
    db->SetRelevancy(items({idOf("blue widget"), idOf("red widget")}), 3);
    EXPECT_EQ(owner.turns, 1);
    EXPECT_EQ(db->GetCount(433), 2);
    db->SetRelevancy(items({}), 5);
    EXPECT_EQ(owner.turns, 1);
}

TEST_F(DBaserKeywords, KeyListsOfManyIdsReachEveryKeyword)
{
    QStringList many;
    for (int i = 0; i < 120; ++i)
        many << QString("keyword number %1").arg(i);
    add(many);
    QVariantList ids;
    for (const QString& id : column("SELECT pkKeyword FROM Keyword"))
        ids << id.toInt();
    db->SetRelevancy(items(ids), 0);
    EXPECT_EQ(db->GetCount(434), 120);
    const int group = db->AddGroup("all");
    db->AddToGroup(items(ids), group);
    db->DeleteKWs(items(ids.mid(0, 110)));
    EXPECT_EQ(keywordCount(), 10);
    EXPECT_EQ(projectScalar("SELECT count(*) FROM KWGroup").toInt(), 10) << "memberships go too";
    EXPECT_EQ(projectScalar("SELECT count(*) FROM KeywordOperation").toInt(), 10);
}

TEST_F(DBaserKeywords, IdsAreNeverReusedAfterADelete)
{
    add({"blue widget"});
    const int first = idOf("blue widget");
    db->DeleteKWs(items({first}));
    add({"blue widget"});
    EXPECT_GT(idOf("blue widget"), first);
}

TEST_F(DBaserKeywords, UpdateKWRewritesTheSpellingOfTheSameIdentity)
{
    add({"blue widget"});
    EXPECT_TRUE(db->UpdateKW("Widget  Blue"));
    EXPECT_EQ(projectScalar("SELECT KW FROM Keyword").toString(), "Widget  Blue");
    EXPECT_FALSE(db->UpdateKW("red widget"));
    // The new spelling is the text a reader sees.
    EXPECT_TRUE(db->UpdateKW(QStringLiteral("widget\u202E\tblue\u200B")));
    EXPECT_EQ(projectScalar("SELECT KW FROM Keyword").toString(), "widget blue");
}

TEST_F(DBaserKeywords, ListingsKeepTheirOrderLimitsAndKinds)
{
    add({"aaaa bbbb", "cc dd", "eeeeee", "ffff gggg", "hh ii", "banned one", "kept one",
         "kept two"});
    CDataNode counts;
    counts.Attributes().Add("aaaa bbbb", 10);
    counts.Attributes().Add("cc dd", 10);
    counts.Attributes().Add("eeeeee", 50);
    db->AddOvertured(counts, {});
    db->SetRelevancy(items({idOf("banned one")}), 0);
    db->SetRelevancy(items({idOf("kept one")}), 3);
    db->SetRelevancy(items({idOf("kept two")}), 5);

    const KeywordTable raw = db->getKWs(kwk_raw);
    // most searches first, then the shorter, then the older; NULL counts last
    EXPECT_EQ(raw.texts, QStringList({"eeeeee", "cc dd", "aaaa bbbb", "hh ii", "ffff gggg"}));
    EXPECT_EQ(raw.searches, (std::vector<int>{50, 10, 10, -1, -1}));
    EXPECT_EQ(raw.relevancies, (std::vector<int>{-1, -1, -1, -1, -1}));
    EXPECT_EQ(db->getKWs(kwk_kws).texts, QStringList({"kept two", "kept one"}));
    EXPECT_EQ(db->getKWs(kwk_banned).texts, QStringList({"banned one"}));

    CAttributes two;
    two.Add("CS_MAX_KEYWORDS_COUNT", 2);
    EXPECT_EQ(db->getKWsEx(kwk_raw, &two).count(), 2);
    two.Add("CS_GET_ALL_KEYWORDS", true);
    EXPECT_EQ(db->getKWsEx(kwk_raw, &two).count(), 5);

    const int group = db->AddGroup("kept");
    db->AddToGroup(items({idOf("kept one")}), group);
    CAttributes exclude;
    exclude.Add("CS_EXCLUDE_GROUPED_KEYWORDS", true);
    EXPECT_EQ(db->getKWsEx(kwk_kws, &exclude).texts, QStringList({"kept two"}));
    EXPECT_EQ(db->getKWsForGroup(group, nullptr).texts, QStringList({"kept one"}));
    EXPECT_EQ(db->getKWsForGroup(group + 1, nullptr).count(), 0);
}

TEST_F(DBaserKeywords, EmptyListingsAreEmptyAndLongOnesComeWhole)
{
    EXPECT_TRUE(db->getKWs(kwk_banned).isEmpty());
    QStringList many;
    for (int i = 0; i < 1501; ++i)
        many << QString("keyword number %1").arg(i);
    add(many);
    EXPECT_EQ(db->getKWs(kwk_raw).count(), 1000);
    CAttributes params;
    params.Add("CS_MAX_KEYWORDS_COUNT", 501);
    EXPECT_EQ(db->getKWsEx(kwk_raw, &params).count(), 501);
    params.Add("CS_GET_ALL_KEYWORDS", true);
    EXPECT_EQ(db->getKWsEx(kwk_raw, &params).count(), 1501);
}

TEST_F(DBaserKeywords, CountsPerCodeAndUnknownCodesAndKindsRaise)
{
    add({"candidate one", "kept one", "kept two", "banned one"});
    db->SetRelevancy(items({idOf("kept one"), idOf("kept two")}), 1);
    db->SetRelevancy(items({idOf("banned one")}), 0);
    const int a = db->AddGroup("a");
    const int b = db->AddGroup("b");
    db->AddToGroup(items({idOf("kept one")}), a);
    db->AddToGroup(items({idOf("kept one")}), b);
    struct Case {
        int code;
        int expected;
    };
    for (const Case& c : {Case{123, 1}, Case{433, 2}, Case{434, 1}, Case{511, 2}, Case{542, 2}})
        EXPECT_EQ(db->GetCount(c.code), c.expected) << c.code;
    EXPECT_THROW(db->GetCount(7), ZError);
    EXPECT_TRUE(logged(4, 1, "DBaser.GetCount"));
    EXPECT_THROW(db->getKWs(static_cast<enKWKind>(9)), ZError);
    EXPECT_TRUE(logged(4, 1, "DBaser.getKWsEx"));
}

TEST_F(DBaserKeywords, TheCountsJoinIsCaseBlind)
{
    add({"blue widget"});
    CDataNode counts;
    counts.Attributes().Add("Blue WIDGET", 33);
    db->AddOvertured(counts, {});
    EXPECT_EQ(projectScalar("SELECT Searches FROM Keyword").toInt(), 33);
    EXPECT_EQ(db->CacheSize(), 1);
}

TEST_F(DBaserKeywords, NormalizeAllRecomputesEveryIdentityAndDropsDuplicates)
{
    add({"blue widget", "widget red", "green widget"});
    db->ProjectDB()->execute("UPDATE Keyword SET Normalized = 'stale ' || pkKeyword");
    db->ProjectDB()->execute("UPDATE Keyword SET KW = 'widget blue' WHERE KW = 'green widget'");
    db->CacheDB()->execute("INSERT INTO Cache (KW, Count) VALUES ('widget-blue', 1), ('b a', 2)");
    EXPECT_FALSE(db->NormalizeAllDBkws().isValid());
    EXPECT_EQ(column("SELECT Normalized FROM Keyword ORDER BY pkKeyword"),
              QStringList({"blue widget", "red widget"}));
    auto rows = db->CacheDB()->query("SELECT KW FROM Cache ORDER BY KW");
    QStringList cached;
    while (rows.next())
        cached << rows.text(0);
    EXPECT_EQ(cached, QStringList({"a b", "blue widget"}));
}

} // namespace
