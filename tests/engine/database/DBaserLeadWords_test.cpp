#include "engine/database/LeadWords.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

KeywordTable kept(const std::vector<std::pair<QString, int>>& keywords)
{
    KeywordTable table;
    int id = 0;
    for (const auto& [text, relevancy] : keywords)
        table.append(++id, text, -1, relevancy);
    return table;
}

TEST(LeadWords, WorkedExamples)
{
    struct Case {
        const char* name;
        std::vector<std::pair<QString, int>> keywords;
        QStringList expected;
    };
    std::vector<std::pair<QString, int>> twenty;
    for (int i = 0; i < 20; ++i)
        twenty.push_back({QString("xx%1 word").arg(i), 4});
    std::vector<std::pair<QString, int>> nineteen(twenty.begin(), twenty.end() - 1);
    const std::vector<Case> cases = {
        {"no kept keywords", {}, {}},
        {"exactly 200,000 is not enough", {{"blue widget sale", 5}, {"cheap blue widget", 5}}, {}},
        {"a stronger partner takes the weight",
         {{"blue widget sale", 5}, {"cheap blue widget", 5}, {"widget parts", 5}},
         {"widget"}},
        {"three-letter words never count", {{"red car", 5}, {"red car", 5}, {"red car", 5}}, {}},
        {"case-blind whole pieces",
         {{"Widget blue", 5}, {"WIDGET red", 5}, {"widget green", 5}, {"widgets green", 5}},
         {"widget"}},
        {"twice in one keyword scores twice", {{"widget widget", 5}, {"widget", 5}}, {"widget"}},
        {"twenty of relevancy 4 reach the cut", twenty, {}},
        {"twenty-one of relevancy 4 pass",
         [&] {
             auto more = twenty;
             more.push_back({"other word", 4});
             return more;
         }(),
         {"word"}},
        {"nineteen do not", nineteen, {}},
        {"independent strong words both stay",
         {{"alpha beta", 5},
          {"alpha gamma", 5},
          {"alpha delta", 5},
          {"omega kappa", 5},
          {"omega sigma", 5},
          {"omega theta", 5}},
         {"alpha", "omega"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LeadWords::mostPopular(kept(c.keywords)), c.expected) << c.name;
}

TEST(LeadWords, ARidingWordLosesTenfoldPerStrongerWord)
{
    // "lead" 400,000; "ride" 300,000 in three of lead's four keywords; "solo" 300,000 alone.
    const auto words = LeadWords::mostPopular(kept({{"lead ride", 5},
                                                    {"lead ride", 5},
                                                    {"lead ride", 5},
                                                    {"lead", 5},
                                                    {"solo", 5},
                                                    {"solo", 5},
                                                    {"solo", 5}}));
    EXPECT_EQ(words, QStringList({"lead", "solo"}));
}

class DBaserLeadWords : public DBaserFixture {
protected:
    void SetUp() override { openBoth(); }

    void keep(const QStringList& keywords, int relevancy)
    {
        CAttributes rank;
        rank.Add("CS_SET_RANK", true);
        rank.Add("CS_SET_RANK_TO", relevancy);
        CDataNode operation;
        db->AddKWsEx(words(keywords), operation, &rank);
    }

    void cache(const QString& kw, int count)
    {
        db->CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES (?1, ?2, 1)",
                               {kw, count});
    }
};

TEST_F(DBaserLeadWords, TheWordsComeFromTheKeptKeywords)
{
    EXPECT_TRUE(db->GetMostPopularWords().isEmpty());
    keep({"blue widget sale", "cheap blue widget", "widget parts"}, 5);
    CDataNode operation;
    db->AddKWs(words({"widget candidate", "blue candidate"}), operation);
    EXPECT_EQ(db->GetMostPopularWords(), QStringList({"widget"}));
}

TEST_F(DBaserLeadWords, ImportTakesCachedKeywordsWithTheWholeWordLiterally)
{
    keep({"blue kept"}, 5);
    CDataNode operation;
    db->AddKWs(words({"blue candidate", "blue banned"}), operation);
    db->SetRelevancy(
        items({projectScalar("SELECT pkKeyword FROM Keyword WHERE KW = 'blue banned'")}), 0);
    const struct {
        const char* kw;
        int count;
        bool imported;
    } rows[] = {
        {"blue", 9, false},           // the word alone
        {"blue sky", 9, true},        // at the start
        {"a blue sky", 9, true},      // in the middle
        {"deep blue", 9, true},       // at the end
        {"bluebell", 9, false},       // not a whole word
        {"sky-blue paint", 9, false}, // not blank-separated
        {"blue zero", 0, false},      // no count
        {"blue kept", 9, false},      // kept
        {"banned blue", 9, false},    // banned (identity of "blue banned")
        {"blue candidate", 9, true},  // still a candidate
        {"BLUE Moon", 9, true},       // case-blind
        {"b_ue x", 9, false},         // no wildcard
    };
    for (const auto& row : rows)
        cache(row.kw, row.count);
    QStringList expected;
    for (const auto& row : rows) {
        if (row.imported)
            expected << QString(row.kw).toLower();
    }
    const int before = keywordCount();
    EXPECT_EQ(db->ImportFromCacheForWord("Blue"), expected.size());
    EXPECT_EQ(keywordCount(), before + expected.size() - 1) << "the candidate was there";
    for (const QString& kw : expected)
        EXPECT_EQ(
            projectScalar("SELECT count(*) FROM Keyword WHERE KW = ?1 AND Relevancy IS NULL", {kw})
                .toInt(),
            1)
            << kw.toStdString();
    EXPECT_EQ(db->ImportFromCacheForWord("nothing"), 0);
    cache("bxue y", 9);
    EXPECT_EQ(db->ImportFromCacheForWord("b_ue"), 1) << "the word matches only itself";
    EXPECT_EQ(projectScalar("SELECT count(*) FROM Keyword WHERE KW = 'bxue y'").toInt(), 0);
    EXPECT_EQ(db->ImportFromCacheForWord("%"), 0);
}

TEST_F(DBaserLeadWords, TheImportAnnouncesItsKeywordsThroughTheEvent)
{
    DBaser master;
    master.InitMaster();
    DBaser worker;
    worker.AttachByObjects(log, db->ProjectDB(), db->CacheDB(), master.NewKWsEventName(),
                           master.NewOvertureCountsEventName());
    cache("blue sky", 3);
    EXPECT_EQ(worker.ImportFromCacheForWord("blue"), 1);
    EXPECT_TRUE(NamedEvent::open(master.NewKWsEventName()).isSet());
}

} // namespace
