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

TEST(MParserStripInvisible, ControlBidiAndZeroWidthCharacters)
{
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {QStringLiteral("blue widgets"), QStringLiteral("blue widgets")},
        {QStringLiteral("blue\twidgets\t"), QStringLiteral("blue widgets ")},
        {QStringLiteral("line\r\nbreak\nwords"), QStringLiteral("line  break words")},
        {QStringLiteral("nul") + QChar(0) + QStringLiteral("led"), QStringLiteral("nulled")},
        {QStringLiteral("a\u0001b\u001Fc\u007Fd\u0080e\u0085f\u009Fg"), QStringLiteral("abcdefg")},
        {QStringLiteral("\u202Eexe.gnp"), QStringLiteral("exe.gnp")},
        {QStringLiteral("\u202Aa\u202Bb\u202Cc\u202Dd"), QStringLiteral("abcd")},
        {QStringLiteral("\u2066x\u2067y\u2068z\u2069 \u200El\u200Fr\u061Cq"),
         QStringLiteral("xyz lrq")},
        {QStringLiteral("blue\u200B widgets"), QStringLiteral("blue widgets")},
        {QStringLiteral("\uFEFFbom a\u2060b"), QStringLiteral("bom ab")},
        {QStringLiteral("\U0001F469\u200D\U0001F4BB n\u200Cw"),
         QStringLiteral("\U0001F469\U0001F4BB nw")},
        {QStringLiteral("\u200B\u200C\u200D"), QStringLiteral("")},
        // Other spaces, letters and marks stay.
        {QStringLiteral("no\u00A0break caf\u00E9 e\u0301 \u00AD\u2028"),
         QStringLiteral("no\u00A0break caf\u00E9 e\u0301 \u00AD\u2028")},
        {QStringLiteral("\U0001D11E clef"), QStringLiteral("\U0001D11E clef")},
        {QStringLiteral(""), QStringLiteral("")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MParser::StripInvisible(c.in), c.out) << c.in.toStdString();
}
