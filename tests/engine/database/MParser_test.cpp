#include "engine/database/MParser.h"

#include <gtest/gtest.h>

using zentrel::MParser;

TEST(MParserNormalizeKW, Identity)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"red widgets", "red widgets"},
        {"widgets red", "red widgets"},
        {"  widgets   red  ", "red widgets"},
        {"red-widgets", "red widgets"},
        {"red~~widgets", "red widgets"},
        {"Zeta alpha Beta", "Beta Zeta alpha"}, // ordinal: capitals first, no case change
        {"b a b", "a b b"},
        {"", ""},
        {"   ", ""},
        {"-~-", ""},
        {"tab\there x", "tab\there x"},
        {"caf\xc3\xa9 bar", "bar caf\xc3\xa9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MParser::NormalizeKW(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}
