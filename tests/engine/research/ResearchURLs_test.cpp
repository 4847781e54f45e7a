#include "engine/database/MParser.h"
#include "engine/platform/CRegistry.h"
#include "engine/research/ResearchHosts.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <set>

#include <QRegularExpression>

#include <gtest/gtest.h>

#include "tests/engine/research/QStringPrinter.h"

using testsupport::ScopedEnv;
using zentrel::MParser;
using zentrel::ResearchHosts;

TEST(ResearchURLs, SearchURLJoinsWordsWithPlusAndEncodesThem)
{
    const ScopedEnv host("QUINTARA_SEARCH_HOST", "127.0.0.1:8080");
    const struct {
        const char* kw;
        int count;
        const char* query;
    } cases[] = {
        {"red  shoes", 10, "red+shoes"}, // the empty piece between two blanks is skipped
        {"red shoes", 50, "red+shoes"},
        {" red shoes ", 10, "red+shoes"},
        {"a  b   c", 10, "a+b+c"},
        {"shoes", 10, "shoes"},
        {"c++ tutorial", 10, "c%2B%2B+tutorial"}, // a "+" of a word stays a character
        {"a&b=c d", 10, "a%26b%3Dc+d"},
        {"caf\xc3\xa9 bar", 10, "caf%C3%A9+bar"},
        {"   ", 10, ""},
        {"", 10, ""},
    };
    for (const auto& c : cases) {
        const QString expected = QStringLiteral("http://127.0.0.1:8080/search?as_q=%1&num=%2")
                                     .arg(QLatin1String(c.query), QString::number(c.count));
        EXPECT_EQ(MParser::GetGoogleSearchURL(QString::fromUtf8(c.kw), c.count), expected) << c.kw;
    }
}

TEST(ResearchURLs, SiteURLAsksForPagesWithoutARandomWord)
{
    const ScopedEnv host("QUINTARA_SEARCH_HOST", "127.0.0.1:8080");
    const struct {
        const char* site;
        int count;
        const char* encoded;
    } cases[] = {
        {"www.example.com", 30, "www.example.com"},
        {"example.com/a b", 50, "example.com%2Fa+b"},
    };
    for (const auto& c : cases) {
        const QRegularExpression pattern(
            QStringLiteral("^http://127\\.0\\.0\\.1:8080/search\\?q=\\+-[a-z]{3,13}\\+site:%1"
                           "&num=%2&filter=0$")
                .arg(QRegularExpression::escape(QLatin1String(c.encoded)),
                     QString::number(c.count)));
        const QString url = MParser::GetGoogleSiteURL(QLatin1String(c.site), c.count);
        EXPECT_TRUE(pattern.match(url).hasMatch()) << url.toStdString();
    }
}

TEST(ResearchURLs, RandomWordSpansItsLengthsAndLetters)
{
    std::set<qsizetype> lengths;
    std::set<QChar> letters;
    for (int i = 0; i < 3000; ++i) {
        const QString word = MParser::RandomWord();
        lengths.insert(word.size());
        for (const QChar c : word) {
            ASSERT_TRUE(c >= QLatin1Char('a') && c <= QLatin1Char('z')) << word.toStdString();
            letters.insert(c);
        }
    }
    EXPECT_EQ(*lengths.begin(), 3);
    EXPECT_EQ(*lengths.rbegin(), 13);
    EXPECT_EQ(lengths.size(), 11u);
    EXPECT_EQ(letters.size(), 26u);
}

TEST(ResearchURLs, SuggestionURLEncodesEveryTerm)
{
    const ScopedEnv host("QUINTARA_SUGGEST_HOST", "127.0.0.1:9090");
    const struct {
        const char* term;
        const char* encoded;
    } cases[] = {
        {"shoes", "shoes"},
        {"red shoes", "red+shoes"},
        {"a&b=c", "a%26b%3Dc"},
        {"caf\xc3\xa9", "caf%C3%A9"},
    };
    for (const auto& c : cases) {
        const QString expected =
            QStringLiteral(
                "http://127.0.0.1:9090/d/searchinventory/suggestion/?term=%1&amp;mkt=us&amp;"
                "lang=en_US")
                .arg(QLatin1String(c.encoded));
        const QString url = MParser::GetOvertureURL(QString::fromUtf8(c.term));
        EXPECT_EQ(url, expected) << c.term;
        EXPECT_TRUE(ResearchHosts::IsSuggestURL(url));
    }
}

TEST(ResearchHosts, EnvironmentThenSettingsThenDefault)
{
    const testsupport::TempHome home;
    const ScopedEnv search("QUINTARA_SEARCH_HOST", QByteArray());
    const ScopedEnv suggest("QUINTARA_SUGGEST_HOST", QByteArray());
    EXPECT_EQ(ResearchHosts::SearchHost(), ResearchHosts::defaultSearchHost());
    EXPECT_EQ(ResearchHosts::SuggestHost(), ResearchHosts::defaultSuggestHost());

    const zentrel::CRegistry registry;
    registry.WriteString(zentrel::CRegistry::kCurrentUser, ResearchHosts::settingsKey(),
                         ResearchHosts::searchHostName(), QStringLiteral(" search.test:81 "));
    registry.WriteString(zentrel::CRegistry::kCurrentUser, ResearchHosts::settingsKey(),
                         ResearchHosts::suggestHostName(), QStringLiteral("suggest.test"));
    EXPECT_EQ(ResearchHosts::SearchHost(), QStringLiteral("search.test:81"));
    EXPECT_EQ(ResearchHosts::SuggestHost(), QStringLiteral("suggest.test"));
    EXPECT_TRUE(MParser::GetGoogleSearchURL(QStringLiteral("x"), 10)
                    .startsWith(QLatin1String("http://search.test:81/")));
    EXPECT_TRUE(ResearchHosts::IsSuggestURL(MParser::GetOvertureURL(QStringLiteral("x"))));
    {
        const ScopedEnv fromEnvironment("QUINTARA_SEARCH_HOST", "127.0.0.1:5000");
        EXPECT_EQ(ResearchHosts::SearchHost(), QStringLiteral("127.0.0.1:5000"));
    }
    registry.WriteString(zentrel::CRegistry::kCurrentUser, ResearchHosts::settingsKey(),
                         ResearchHosts::searchHostName(), QString());
    EXPECT_EQ(ResearchHosts::SearchHost(), ResearchHosts::defaultSearchHost());
}

TEST(ResearchHosts, SuggestURLsAreRecognisedAtTheCurrentHost)
{
    const ScopedEnv suggest("QUINTARA_SUGGEST_HOST", "127.0.0.1:9090");
    const struct {
        const char* url;
        bool suggest;
    } cases[] = {
        {"http://127.0.0.1:9090/d/searchinventory/suggestion/?term=x", true},
        {"  HTTP://127.0.0.1:9090/D/SearchInventory/Suggestion/?term=x ", true},
        {"http://127.0.0.1:9091/d/searchinventory/suggestion/?term=x", false},
        {"http://127.0.0.1:9090/search?q=x", false},
        {"http://127.0.0.1:9090.evil/d/searchinventory/suggestion/", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResearchHosts::IsSuggestURL(QLatin1String(c.url)), c.suggest) << c.url;
}

TEST(ResearchURLs, IsCrawlable)
{
    const struct {
        const char* url;
        bool crawlable;
    } cases[] = {
        {"http://example.com/", true},          {"http://example.com/page.html", true},
        {"https://example.com/", false},        {"HTTPS://example.com/", false},
        {"http://example.com/a.pdf", false},    {"http://example.com/A.PDF", false},
        {"http://example.com/a.doc", false},    {"http://example.com/a.xls", false},
        {"http://example.com/a.ppt", false},    {"http://example.com/a.rtf", false},
        {"http://example.com/a.ps", false},     {"http://example.com/a.docx", true},
        {"http://example.com/a.pdf?x=1", true}, {"http://example.com/maps", true},
        {"http://example.com/caps", true}, // "ps" without its dot
        {"http://example.com/a.PS", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MParser::IsCrawlable(QLatin1String(c.url)), c.crawlable) << c.url;
}
