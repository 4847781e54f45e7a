#include "engine/research/MetaKeywords.h"

#include <QElapsedTimer>
#include <QStringList>

#include <gtest/gtest.h>

#include "tests/engine/research/QStringPrinter.h"

using zentrel::CKeyedCollection;
using zentrel::MetaKeywords;
using Rule = zentrel::MetaKeywords::Rule;

namespace {
QStringList items(const CKeyedCollection& collection)
{
    QStringList list;
    for (const QVariant& item : collection)
        list.append(item.toString());
    return list;
}

QString metaPage(const QString& content)
{
    return QStringLiteral("<html><head><title>t</title>\n<meta name=\"keywords\" content=\"%1\">"
                          "\n</head><body>x</body></html>")
        .arg(content);
}
} // namespace

TEST(MetaKeywords, GetKWsFromPageUnderBothRules)
{
    const QString forty = QStringLiteral("abcdefghij abcdefghij abcdefghij abcdefg");
    const QString thirtyNine = forty.chopped(1);
    ASSERT_EQ(forty.size(), 40);
    const struct {
        QString page;
        QStringList contacter;
        QStringList worker;
    } cases[] = {
        {metaPage(QStringLiteral("red shoes")), {"red shoes"}, {"red shoes"}},
        {metaPage(QStringLiteral("shoes")), {}, {}},
        {metaPage(QStringLiteral("web design, seo tips, cheap-hosting")),
         {"web design", "seo tips"},
         {"web design", "seo tips"}},
        {metaPage(forty), {}, {forty}},
        {metaPage(thirtyNine), {thirtyNine}, {thirtyNine}},
        {metaPage(QStringLiteral("a b,,c d,")), {"a b", "c d"}, {"a b", "c d"}},
        {QStringLiteral("<META NAME=\"KEYWORDS\" CONTENT=\"Red Shoes, blue  suede\">"),
         {"Red Shoes", "blue suede"},
         {"Red Shoes", "blue suede"}},
        {QStringLiteral("<meta name=\"keywords\" content=\"one two\">"
                        "<meta name=\"description\" content=\"no list\">"
                        "<meta name=\"keywords\" content=\"three four\">"),
         {"one two", "three four"},
         {"one two", "three four"}},
        // A description that mentions keywords is read too.
        {QStringLiteral("<meta name=\"description\" content=\"best keywords tool\">"),
         {"best keywords tool"},
         {"best keywords tool"}},
        {QStringLiteral("<meta name=\"keywords\" content=\"red\r\nshoes, o'reilly books\">"),
         {"red shoes", "oreilly books"},
         {"red shoes", "oreilly books"}},
        // XHTML's closing " />" leaves no blank that would pass a single word as a phrase.
        {QStringLiteral("<meta name=\"keywords\" content=\"shoes\" />"), {}, {}},
        {QStringLiteral("<meta name=\"keywords\" content=\"red shoes, boots\" />"),
         {"red shoes"},
         {"red shoes"}},
        {QStringLiteral("<meta name=\"description\" content=\"nothing\"><p>keywords</p>"), {}, {}},
        {QStringLiteral("<html><body>no meta at all</body></html>"), {}, {}},
        {QString(), {}, {}},
        {QStringLiteral("<meta name=\"keywords\" content=\"never closed"), {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(items(MetaKeywords::GetKWsFromPage(c.page, Rule::Contacter)), c.contacter)
            << c.page.toStdString();
        EXPECT_EQ(items(MetaKeywords::GetKWsFromPage(c.page, Rule::Worker)), c.worker)
            << c.page.toStdString();
    }
}

TEST(MetaKeywords, GetMetaKeywordsText)
{
    const struct {
        const char* page;
        const char* text;
    } cases[] = {
        {"<meta name=\"keywords\" content=\"a b\">", "a b,"},
        {"<Meta Name=\"Keywords\" Content=\"a\"><meta name=\"keywords\" content=\"b\">", "a,b,"},
        {"<meta name=\"robots\" content=\"all\">", ""},
        // The tag runs on into the next, whose markup is no content.
        {"<meta name=\"keywords\" content=\"a\" <meta name=\"keywords\" content=\"b\">", "a,"},
        {"<meta name=\"keywords\" content=\"a b\"", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MetaKeywords::GetMetaKeywordsText(QLatin1String(c.page)), QLatin1String(c.text))
            << c.page;
}

TEST(MetaKeywords, GetMetaContentTakesTheTextAfterTheSecondEqualsSign)
{
    const struct {
        const char* tag;
        const char* content;
    } cases[] = {
        {"<meta name=\"keywords\" content=\"a, b\">", "a, b"},
        {"<meta name='keywords' content='a b'>", "a b"},
        {"<meta name=keywords content=a b >", "a b"},
        {"<meta name=\"keywords\" content=\" a b \" >", "a b"},
        {"<meta name=\"keywords\" content=\"x=y\">", "x=y"},
        {"<meta content=\"a b\" name=\"keywords\">", "keywords"},
        {"<meta name=\"keywords\" content=\"shoes\" />", "shoes\" /"},
        {"<meta name=\"keywords\" content=\"\'quoted\'\">", "quoted"},
        // Markup starts at a "<" before a letter, "/", "!" or "?"; the content ends there.
        {"<meta name=\"keywords\" content=\"a b, c d<meta name=\"x\">", "a b, c d"},
        {"<meta name=\"keywords\" content=\"a b</head>", "a b"},
        {"<meta name=keywords content=\"a b <!-- c -->\">", "a b"},
        {"<meta name=keywords content=\"a < b, c<2\">", "a < b, c<2"},
        {"<meta name=keywords>", ""},
        {"<meta>", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MetaKeywords::GetMetaContent(QLatin1String(c.tag)), QLatin1String(c.content))
            << c.tag;
}

// A content whose quote is left open runs on into the tags after it: its phrases end where
// that markup starts, so no keyword holds a fragment of it.
TEST(MetaKeywords, OpenQuoteStopsWhereTheNextTagStarts)
{
    const QString page = QStringLiteral(
        "<html><head><meta name=\"keywords\" content=\"broken markup one, broken markup two\n"
        "<meta name=\"keywords\" content=\"unclosed quote\">\n</head><body>x</body></html>");
    const QStringList phrases = {QStringLiteral("broken markup one"),
                                 QStringLiteral("broken markup two")};
    EXPECT_EQ(items(MetaKeywords::GetKWsFromPage(page, Rule::Contacter)), phrases);
    EXPECT_EQ(items(MetaKeywords::GetKWsFromPage(page, Rule::Worker)), phrases);
}

// A page of "<meta" with no ">" after any of them (16 MiB, the download limit): no tag ends,
// and finding that takes one pass, not one pass per "<meta".
TEST(MetaKeywords, PageOfMetaTagsThatNeverEnd)
{
    const QString page = QStringLiteral("<meta").repeated(16 * 1024 * 1024 / 5);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(MetaKeywords::GetMetaKeywordsText(page), QString());
    EXPECT_EQ(MetaKeywords::GetKWsFromPage(page, Rule::Worker).Count(), 0);
    // Milliseconds; a pass per "<meta" takes hours.
    EXPECT_LT(timer.elapsed(), 20000);
}

TEST(MetaKeywords, CleanPhrase)
{
    const struct {
        const char* text;
        const char* clean;
    } cases[] = {
        {"web design", "web design"},
        {"cheap-hosting", "cheaphosting"},
        {"  a \r\n b  ", "a b"},
        {"o'reilly books.", "oreilly books"},
        {"a & b", "a  b"},
        {"tab\there", "tabhere"},
        {"100% cotton!", "100 cotton"},
        {"a:b;c<d>e?f@g[h]_`{|}~", "a:b;c<d>e?f@g[h]_`{|}~"}, // codes from "0" up stay
        {"caf\xc3\xa9 cr\xc3\xa8me", "caf\xc3\xa9 cr\xc3\xa8me"},
        {"\"quoted\" (words) #1, /x/", "quoted words 1 x"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MetaKeywords::CleanPhrase(QString::fromUtf8(c.text)), QString::fromUtf8(c.clean))
            << c.text;
}
