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

TEST(MParserLowerCase, OneCharacterForOneInTheFormOfKeys)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Blue WIDGETS", "blue widgets"},
        {"\xC4\xB0stanbul", "istanbul"}, // İ: not "i" with a combining dot
        {"\xC3\x84PFEL \xCE\xA3OFA", "\xC3\xA4pfel \xCF\x83ofa"}, // Ä and Σ
        {"\xF0\x90\x90\x80x", "\xF0\x90\x90\xA8x"},               // a letter beyond 16 bits
        {"\xC3\x9F", "\xC3\x9F"},                    // ß has no upper-case pair to lose
        {"\xC4\xB0\xEF\xBB\xBFx", "i\xEF\xBB\xBFx"}, // İ and a zero-width no-break space
        // Folded as keys are stored: micro sign, final sigma, long s, Kelvin sign, Cherokee.
        {"5 \xC2\xB5g", "5 \xCE\xBCg"},
        {"\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82", "\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x83"},
        {"\xC5\xBFun", "sun"},
        {"5 \xE2\x84\xAA", "5 k"},
        {"\xE1\x8E\xA0 \xEA\xAD\xB0", "\xE1\x8E\xA0 \xE1\x8E\xA0"},
        {"", ""},
    };
    for (const auto& c : cases) {
        const QString in = QString::fromUtf8(c.in);
        const QString out = MParser::LowerCase(in);
        EXPECT_EQ(out, QString::fromUtf8(c.out)) << c.in;
        EXPECT_EQ(out.size(), in.size()) << c.in;
    }
}
