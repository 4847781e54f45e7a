#include "engine/platform/SqlFunctions.h"

#include <sqlite3.h>

#include <map>

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

TEST(SqlFunctions, KeyFormFoldsEveryLetterBeyondAscii)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Blue Widget", "Blue Widget"},
        {"Widget \u00b5g", "Widget \u03bcg"}, // micro sign
        {"\u03a3\u039f\u03a6\u039f\u03a3 \u03c2",
         "\u03c3\u03bf\u03c6\u03bf\u03c3 \u03c3"},          // sigmas
        {"\u017fun", "sun"},                                // long s
        {"5 \u212a", "5 k"},                                // Kelvin sign
        {"\uab70\u13a0", "\u13a0\u13a0"},                   // Cherokee
        {"\U0001d400 \U00010428", "\U0001d400 \U00010428"}, // beyond 16 bits
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SqlFunctions::keyForm(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

// Each text's place among the others under the connection's NOCASE: texts that compare equal
// share it.
std::map<QString, int> ranks(sqlite3* db, const QStringList& texts)
{
    EXPECT_EQ(sqlite3_exec(db,
                           "DROP TABLE IF EXISTS temp.ranked; CREATE TEMP TABLE ranked (x TEXT)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO ranked (x) VALUES (?1)", -1, &insert, nullptr);
    for (const QString& text : texts) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(insert, 1, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    std::map<QString, int> places;
    sqlite3_stmt* rank = nullptr;
    sqlite3_prepare_v2(db, "SELECT x, dense_rank() OVER (ORDER BY x COLLATE NOCASE) FROM ranked",
                       -1, &rank, nullptr);
    while (sqlite3_step(rank) == SQLITE_ROW)
        places[QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rank, 0)))] =
            sqlite3_column_int(rank, 1);
    sqlite3_finalize(rank);
    return places;
}

TEST(SqlFunctions, KeyFormsCompareAsUnderSQLitesOwnNoCase)
{
    // Every letter with another case or another fold, between ASCII letters of either case.
    QStringList raw;
    for (char32_t c = 0x80; c <= 0x10ffff; ++c) {
        if (c >= 0xd800 && c <= 0xdfff)
            continue;
        const QString letter = QStringView(QChar::fromUcs4(c)).toString();
        if (letter.toLower() != letter || letter.toUpper() != letter ||
            letter.toCaseFolded() != letter)
            raw << "a" + letter + "b"
                << "A" + letter + "B";
    }
    QStringList keys;
    for (const QString& text : raw)
        keys << SqlFunctions::keyForm(text);
    keys.removeDuplicates();

    auto engine = zentrel::SqlConnection::open(":memory:");
    sqlite3* plain = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &plain), SQLITE_OK);
    EXPECT_EQ(ranks(engine->handle(), keys), ranks(plain, keys));
    EXPECT_NE(ranks(engine->handle(), raw), ranks(plain, raw)) << "the letters as they are differ";
    sqlite3_close(plain);
}

} // namespace
