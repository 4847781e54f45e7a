#include "engine/platform/SqlFunctions.h"

#include <gtest/gtest.h>

#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDatabase.h"

using zentrel::SqlFunctions;

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

TEST(SqlFunctions, NoCaseOrdersAsciiAsTheBuiltInOneAndFoldsOtherLetters)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"abc", "ABC", 0},     {"abc", "abd", -1},    {"ab", "abc", -1},     {"B", "a", 1},
        {"_", "a", -1},        {"Z", "_", 1},         {"", "", 0},           {"Ärger", "ärger", 0},
        {"ÉCOLE", "école", 0}, {"ΣΟΦΙΑ", "σοφια", 0}, {"abc ä", "ABC Ä", 0}, {"äb", "äc", -1},
        {"a", "ä", -1},        {"ä", "b", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(SqlFunctions::compareNoCase(c.a, c.b)), c.expected) << c.a << " " << c.b;
        EXPECT_EQ(sign(SqlFunctions::compareNoCase(c.b, c.a)), -c.expected) << c.b << " " << c.a;
    }
}

TEST(SqlFunctions, ContainsWordMatchesWholeWordsLiterally)
{
    struct Case {
        const char* text;
        const char* word;
        bool expected;
    };
    const Case cases[] = {
        {"blue widget", "blue", true},
        {"cheap blue widget", "blue", true},
        {"widget blue", "blue", true},
        {"blue", "blue", false},
        {"bluebell widget", "blue", false},
        {"widget sky-blue", "blue", false},
        {"Blue Widget", "blue", true},
        {"blue widget", "BLUE", true},
        {"100% cotton", "100%", true},
        {"1000 cotton", "10_0", false},
        {"a_b c", "a_b", true},
        {"axb c", "a_b", false},
        {"x [a] y", "[a]", true},
        {"x a y", "[a]", false},
        {"über alles", "ÜBER", true},
        {"blue  widget", "widget", true},
        {"blue widget", "", false},
        {"widget", "widget widget", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SqlFunctions::containsWord(c.text, c.word), c.expected)
            << c.text << " / " << c.word;
}

TEST(SqlFunctions, EveryConnectionHasTheFunctionAndTheCollation)
{
    auto connection = zentrel::SqlConnection::open(":memory:");
    zentrel::SqlDatabase db(connection, "main", {});
    EXPECT_EQ(db.scalar("SELECT containsword('cheap blue widget', ?1)", {QString("Blue")}).toInt(),
              1);
    EXPECT_EQ(db.scalar("SELECT ?1 = ?2 COLLATE NOCASE",
                        {QString::fromUtf8("ÖL"), QString::fromUtf8("öl")})
                  .toInt(),
              1);
    EXPECT_EQ(db.scalar("PRAGMA foreign_keys").toInt(), 1);
}

} // namespace
