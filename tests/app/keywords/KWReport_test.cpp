#include <gtest/gtest.h>

#include "app/keywords/KWReport.h"

namespace {

TEST(KWReport, EscapesEverySubstitutedValue)
{
    const KWExportTable table{
        {QStringLiteral("<script>alert('x')</script> & co"), QStringLiteral(" "),
         QStringLiteral("It's Mine!"), QStringLiteral("     ")},
        {QStringLiteral("##SCORE## \"q\""), QStringLiteral("-1.0"), QStringLiteral("  "),
         QStringLiteral("  4.1")},
        {QStringLiteral("ünïcödé кириллица 日本語"), QStringLiteral("2.5"),
         QStringLiteral("The Best!"), QStringLiteral("  3.0")},
    };
    const QString page = KWReport::build(table, QStringLiteral("/tmp/<b>proj</b>.vxp"),
                                         QDate(2026, 12, 10), KWReport::builtInTemplates());
    EXPECT_FALSE(page.contains(QStringLiteral("<script>")));
    EXPECT_FALSE(page.contains(QStringLiteral("<b>proj")));
    EXPECT_TRUE(page.contains(QStringLiteral("&lt;script&gt;alert(&#x27;x&#x27;)&lt;/script&gt; "
                                             "&amp; co")) ||
                page.contains(QStringLiteral("&lt;script&gt;alert('x')&lt;/script&gt; &amp; co")));
    EXPECT_TRUE(page.contains(QStringLiteral("/tmp/&lt;b&gt;proj&lt;/b&gt;.vxp")));
    // A value that looks like a placeholder is not replaced again.
    EXPECT_TRUE(page.contains(QStringLiteral("##SCORE## &quot;q&quot;")));
    EXPECT_TRUE(page.contains(QStringLiteral("ünïcödé кириллица 日本語")));
    EXPECT_TRUE(page.contains(QStringLiteral("charset=\"utf-8\"")) ||
                page.contains(QStringLiteral("charset=utf-8")));
    EXPECT_EQ(page.count(QStringLiteral("##")), 2); // only the keyword's own marks
    EXPECT_TRUE(page.contains(KWReport::dateText(QDate(2026, 12, 10))));
    EXPECT_TRUE(page.contains(QStringLiteral("Total: 3 keywords")));
}

TEST(KWReport, NumbersRowsAndMarksUnknownCells)
{
    const KWExportTable table{
        {QStringLiteral("a"), QStringLiteral(" "), QStringLiteral(""), QStringLiteral("     ")},
        {QStringLiteral("b"), QStringLiteral("-0.5"), QStringLiteral("May be"),
         QStringLiteral("  2.0")},
    };
    KWReport::Templates templates{QStringLiteral("[##DATE##|##PROJECT##]"),
                                  QStringLiteral("(##NUM##|##KW##|##SEARCHES##|##RELEVANCY##|##"
                                                 "SCORE##)"),
                                  QStringLiteral("{##TOTAL##}")};
    const QString page = KWReport::build(table, QStringLiteral("p"), QDate(2026, 1, 5), templates);
    EXPECT_EQ(page, QStringLiteral("[") + KWReport::dateText(QDate(2026, 1, 5)) +
                        QStringLiteral("|p](1|a|?|?|?)(2|b|?|May be|  2.0){2}"));
    EXPECT_TRUE(KWReport::dateText(QDate(2026, 1, 5)).endsWith(QStringLiteral(" 5, 2026")));
}

TEST(KWReport, FillKeepsUnknownMarks)
{
    EXPECT_EQ(KWReport::fill(QStringLiteral("a ## b ##X## c"), {{QStringLiteral("X"), "1"}}),
              QStringLiteral("a ## b 1 c"));
}

} // namespace
