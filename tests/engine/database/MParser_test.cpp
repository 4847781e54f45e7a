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

TEST(MParserLowerCase, OneCharacterForOne)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Blue WIDGETS", "blue widgets"},
        {"\xC4\xB0stanbul", "istanbul"}, // İ: not "i" with a combining dot
        {"\xC3\x84PFEL \xCE\xA3OFA", "\xC3\xA4pfel \xCF\x83ofa"}, // Ä and Σ
        {"\xF0\x90\x90\x80x", "\xF0\x90\x90\xA8x"},               // a letter beyond 16 bits
        {"\xC3\x9F", "\xC3\x9F"}, // ß has no upper-case pair to lose
        {"", ""},
    };
    for (const auto& c : cases) {
        const QString in = QString::fromUtf8(c.in);
        const QString out = MParser::LowerCase(in);
        EXPECT_EQ(out, QString::fromUtf8(c.out)) << c.in;
        EXPECT_EQ(out.size(), in.size()) << c.in;
    }
}
