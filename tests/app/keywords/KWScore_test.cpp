#include <gtest/gtest.h>

#include "app/keywords/KWScore.h"
#include "app/keywords/MConst.h"
#include "app/keywords/MMisc.h"

namespace {

struct ScoreCase {
    int searches;
    int relevancy;
    std::int64_t score;
    const char* text;
    const char* icon;
};

TEST(KWScore, ScoreTextAndIconFollowTheTable)
{
    const ScoreCase cases[] = {
        {0, -1, -1, "     ", "A0"},             // candidate, no searches
        {-1, -1, 0, "     ", "Z0"},             // candidate, unknown searches
        {12, 4, 12000, "  4.1", "A4"},          //
        {0, 1, 0, "     ", "A1"},               //
        {0, 2, 1, "  0.0", "A2"},               //
        {-1, 3, 3, "  0.5", "Z3"},              //
        {1000, 1, 1000, "  3.0", "D1"},         //
        {12345, 1, 12345, "  4.1", "E1"},       //
        {500, 0, 500, "  2.7", "B0"},           // banned with searches
        {0, 0, -1, "     ", "A0"},              // banned, no searches
        {-1, 0, 0, "     ", "Z0"},              // banned, unknown
        {7, 5, 70000, "  4.8", "A5"},           //
        {214749, 5, 2147490000, "  9.3", "E5"}, // beyond 32 bits
        {2147483647, 5, 21474836470000, " 13.3", "E5"},
    };
    for (const ScoreCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.searches << "/" << c.relevancy);
        EXPECT_EQ(KWScore::Score(c.searches, c.relevancy), c.score);
        EXPECT_EQ(KWScore::ScoreText(c.searches, c.relevancy), QString::fromLatin1(c.text));
        EXPECT_EQ(MMisc::ScoreCode(c.searches, c.relevancy), QString::fromLatin1(c.icon));
    }
}

TEST(KWScore, SearchesClassBoundaries)
{
    const std::pair<int, char> cases[] = {{-1, 'Z'},   {0, 'A'},    {299, 'A'},   {300, 'B'},
                                          {699, 'B'},  {700, 'C'},  {999, 'C'},   {1000, 'D'},
                                          {2499, 'D'}, {2500, 'E'}, {900000, 'E'}};
    for (const auto& [searches, letter] : cases)
        EXPECT_EQ(MMisc::ScoreCode(searches, 2), QString(QLatin1Char(letter)) + QLatin1Char('2'))
            << searches;
    EXPECT_EQ(MMisc::ScoreCode(10, 6), QStringLiteral("A0"));
}

TEST(KWScore, TextOrderFollowsScoreOrder)
{
    // The padded texts sort as the numbers do.
    EXPECT_GT(KWScore::ScoreText(5000, 5), KWScore::ScoreText(9, 2));
    EXPECT_GT(KWScore::ScoreText(9, 2), KWScore::ScoreText(0, 2));
    EXPECT_GT(KWScore::ScoreText(0, 2), KWScore::ScoreText(0, 1));
}

TEST(KWScore, SearchesTextAndRelevancyNames)
{
    EXPECT_EQ(KWScore::SearchesText(-1), QStringLiteral(" "));
    EXPECT_EQ(KWScore::SearchesText(0), QStringLiteral("0.0"));
    EXPECT_EQ(KWScore::SearchesText(12), QStringLiteral("0.4"));
    EXPECT_EQ(KWScore::SearchesText(45000), QStringLiteral("1500.0"));
    const char* names[] = {"Banned",       "Who Knows?", "May be",
                           "More or Less", "It's Mine!", "The Best!"};
    for (int r = 0; r <= 5; ++r)
        EXPECT_EQ(MConst::RelevancyName(r), QString::fromLatin1(names[r]));
    EXPECT_EQ(MConst::RelevancyName(-1), QString());
    EXPECT_EQ(MConst::RelevancyName(6), QString());
}

TEST(KWScore, LeadingNumber)
{
    bool found = false;
    EXPECT_DOUBLE_EQ(KWScore::LeadingNumber(QStringLiteral("  4.1"), &found), 4.1);
    EXPECT_TRUE(found);
    EXPECT_DOUBLE_EQ(KWScore::LeadingNumber(QStringLiteral("-0.5x"), &found), -0.5);
    EXPECT_DOUBLE_EQ(KWScore::LeadingNumber(QStringLiteral("     "), &found), 0);
    EXPECT_FALSE(found);
}

} // namespace
