#include "engine/database/CacheImportQuery.h"

#include "engine/platform/SqlFunctions.h"
#include "engine/platform/SqlTransaction.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

class CacheImportQueryTest : public DBaserFixture {
protected:
    void SetUp() override
    {
        openBoth();
        for (const auto& [kw, count] : std::initializer_list<std::pair<const char*, int>>{
                 {"software list", 100},
                 {"soft toys", 50},
                 {"microsoft office", 300},
                 {"e mail talker", 20},
                 {"mails talking", 30},
                 {"it's soft", 10},
                 {"soft zero", 0},
                 {"ranked soft", 80},
                 {"banned soft", 70},
                 {"candidate soft", 60},
                 {"a[b] soft", 5},
                 {"100% soft", 7},
                 {"soft_ware", 9},
                 {"\xc3\x9cn\xc3\xaf" "code soft", 4},
             })
            cache(QString::fromUtf8(kw), count);
        project("ranked soft", 3);
        project("banned soft", 0);
        project("candidate soft", -1);
    }

    void cache(const QString& kw, int count) const
    {
        db->CacheDB()->execute("INSERT INTO Cache (KW, Count, dte) VALUES (?1, ?2, 0)",
                               {kw, count});
    }
    void project(const QString& kw, int relevancy) const
    {
        db->ProjectDB()->execute(
            "INSERT INTO Keyword (KW, Normalized, Relevancy) VALUES (?1, ?1, ?2)",
            {kw, relevancy < 0 ? QVariant() : QVariant(relevancy)});
    }
    QStringList found(const QStringList& words, bool banned = false) const
    {
        QStringList kws;
        for (const CacheImportQuery::Row& row :
             CacheImportQuery::Run(*db->ProjectDB(), words, banned))
            kws << row.KW;
        return kws;
    }
};

} // namespace

TEST_F(CacheImportQueryTest, EveryWordLiterallyCaseBlindHighestCountFirst)
{
    const QStringList allSoft = {
        "microsoft office", "software list", "candidate soft",
        "soft toys",        "it's soft",     "soft_ware",
        "100% soft",        "a[b] soft",     QString::fromUtf8("\xc3\x9cn\xc3\xaf" "code soft")};
    const struct {
        QStringList words;
        bool banned;
        QStringList expected;
    } cases[] = {
        {{"soft"}, false, allSoft},
        {{"SOFT*"}, false, allSoft},
        {{"**soft"}, false, allSoft},
        {{"soft"}, true, QStringList(allSoft.mid(0, 2)) << "banned soft" << allSoft.mid(2)},
        {{"mail", "talk"}, false, {"mails talking", "e mail talker"}},
        {{"talk", "mail"}, false, {"mails talking", "e mail talker"}},
        {{"it's"}, false, {"it's soft"}},
        {{"a[b]"}, false, {"a[b] soft"}},
        {{"[b"}, false, {"a[b] soft"}},
        {{"100%"}, false, {"100% soft"}},
        {{"%"}, false, {"100% soft"}},
        {{"soft_"}, false, {"soft_ware"}},
        {{"_"}, false, {"soft_ware"}},
        {{"s*t", "toys"}, false, {"soft toys"}},
        {{"soft", "list", "ware", "soft"}, false, {"software list"}},
        {{"o", "f", "t", "w", "s"}, false, {"software list", "soft_ware"}},
        {{QString::fromUtf8("\xc3\x9cN\xc3\x8f")},
         false,
         {QString::fromUtf8("\xc3\x9cn\xc3\xaf" "code soft")}},
        {{"zero"}, true, {}},
        {{"ranked"}, true, {}},
        {{"nothing like it"}, false, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(found(c.words, c.banned), c.expected)
            << c.words.join('|').toStdString() << (c.banned ? " with banned" : "");
}

TEST_F(CacheImportQueryTest, StarAloneMatchesEveryOfferedKeyword)
{
    EXPECT_EQ(found({"*"}).size(), 12u - 1u);
    const auto rows = CacheImportQuery::Run(*db->ProjectDB(), {"*"}, false);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().KW, "microsoft office");
    EXPECT_EQ(rows.front().Count, 300);
}

TEST_F(CacheImportQueryTest, AtMostFiveThousandRows)
{
    {
        SqlTransaction transaction(db->CacheDB()->connection());
        for (int i = 0; i < CacheImportQuery::kMaxRows + 10; ++i)
            cache(QStringLiteral("bulk %1").arg(i), 1000 + i);
        transaction.commit();
    }
    const auto rows = CacheImportQuery::Run(*db->ProjectDB(), {"bulk"}, false);
    ASSERT_EQ(rows.size(), static_cast<size_t>(CacheImportQuery::kMaxRows));
    EXPECT_EQ(rows.front().KW, QStringLiteral("bulk %1").arg(CacheImportQuery::kMaxRows + 9));
    EXPECT_EQ(rows.back().Count, 1010);
}

TEST_F(CacheImportQueryTest, ManyHeldTopKeywordsStillLeaveFiveThousandOffered)
{
    constexpr int kHeld = 2 * CacheImportQuery::kMaxRows + 1;
    {
        SqlTransaction transaction(db->CacheDB()->connection());
        for (int i = 0; i < kHeld + CacheImportQuery::kMaxRows + 10; ++i) {
            const QString kw = QStringLiteral("bulk %1").arg(i, 6, 10, QLatin1Char('0'));
            cache(kw, 100000 - i);
            if (i < kHeld)
                project(kw, 1 + i % 5);
        }
        transaction.commit();
    }
    const auto rows = CacheImportQuery::Run(*db->ProjectDB(), {"bulk"}, false);
    ASSERT_EQ(rows.size(), static_cast<size_t>(CacheImportQuery::kMaxRows));
    EXPECT_EQ(rows.front().KW, QStringLiteral("bulk %1").arg(kHeld, 6, 10, QLatin1Char('0')));
    EXPECT_EQ(rows.back().Count, 100000 - kHeld - CacheImportQuery::kMaxRows + 1);
}

TEST_F(CacheImportQueryTest, UnbanMakesBannedKeywordsCandidatesAgain)
{
    EXPECT_EQ(
        CacheImportQuery::Unban(*db->ProjectDB(), {"banned soft", "ranked soft", "soft toys"}), 1);
    EXPECT_TRUE(projectScalar("SELECT Relevancy FROM Keyword WHERE KW = 'banned soft'").isNull());
    EXPECT_EQ(projectScalar("SELECT Relevancy FROM Keyword WHERE KW = 'ranked soft'").toInt(), 3);
}

TEST_F(CacheImportQueryTest, UnbanFindsTheKeywordThatAnInvisibleTwinIsStoredAs)
{
    EXPECT_EQ(CacheImportQuery::Unban(*db->ProjectDB(), {QStringLiteral("banned\u200B\tsoft")}), 1);
    EXPECT_TRUE(projectScalar("SELECT Relevancy FROM Keyword WHERE KW = 'banned soft'").isNull());
}

TEST(SqlFunctionsContainsAll, PatternRules)
{
    EXPECT_TRUE(SqlFunctions::containsAll("abc", ""));
    EXPECT_TRUE(SqlFunctions::containsAll("abc", "  c   a "));
    EXPECT_FALSE(SqlFunctions::containsAll("abc", "c*a"));
    EXPECT_TRUE(SqlFunctions::containsAll("abcabc", "c*a"));
    EXPECT_FALSE(SqlFunctions::containsAll("ab", "a*b*b"));
    EXPECT_TRUE(SqlFunctions::containsAll("STRASSE", "stra"));
}
