#include <gtest/gtest.h>

#include "app/keywords/KWPattern.h"
#include "engine/platform/ZError.h"

namespace {

struct LikeCase {
    const char* text;
    const char* pattern;
    bool matches;
};

TEST(KWPattern, MatchesLikeTheLikeOperator)
{
    const LikeCase cases[] = {
        {"sad", "s*d", true},
        {"started", "s*d", true},
        {"sand", "s*d", true},
        {"sadness", "s*d", false},
        {"sad", "?ad", true},
        {"mad", "?ad", true},
        {"ad", "?ad", false},
        {"soft blue widgets", "*soft*", true},
        {"Soft blue widgets", "*soft*", false}, // case-sensitive
        {"blue widgets", "*SOFT*", false},
        {"a1b", "a#b", true},
        {"axb", "a#b", false},
        {"cat", "[bc]at", true},
        {"hat", "[bc]at", false},
        {"hat", "[!bc]at", true},
        {"cat", "[!bc]at", false},
        {"m", "[a-z]", true},
        {"M", "[a-z]", false},
        {"-", "[-a]", true},
        {"*", "[*]", true},
        {"x", "[*]", false},
        {"a]", "a]", true},
        {"abc", "a[]bc", true},
        {"", "*", true},
        {"", "", true},
        {"a", "", false},
        {"aaa", "a*a*a", true},
        {"aa", "a*a*a", false},
        {"keyword tool", "*keyword*tool*", true},
        {"tool keyword", "*keyword*tool*", false},
    };
    for (const LikeCase& c : cases)
        EXPECT_EQ(KWPattern::Like(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern)),
                  c.matches)
            << c.text << " like " << c.pattern;
}

TEST(KWPattern, InvalidPatternsRaise)
{
    for (const char* pattern : {"[abc", "a[!", "[z-a]"}) {
        try {
            KWPattern p{QString::fromLatin1(pattern)};
            ADD_FAILURE() << pattern << " was accepted";
        } catch (const zentrel::ZError& e) {
            EXPECT_EQ(e.number(), KWPattern::kInvalidPattern);
            EXPECT_EQ(e.description(), QStringLiteral("Invalid pattern string"));
        }
    }
}

TEST(KWPattern, LongTextsDoNotBacktrackForEver)
{
    const QString text(20000, QLatin1Char('a'));
    EXPECT_FALSE(KWPattern::Like(text, QStringLiteral("*a*a*a*a*a*b")));
    EXPECT_TRUE(KWPattern::Like(text + QLatin1Char('b'), QStringLiteral("*a*a*b")));
}

} // namespace
