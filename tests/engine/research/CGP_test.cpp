#include "engine/research/CGP.h"

#include <gtest/gtest.h>

#include "tests/engine/research/QStringPrinter.h"

#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

using zentrel::CGP;
using zentrel::ZError;

namespace {
QString fixture(const QString& name)
{
    return testsupport::readTestData(QStringLiteral("research/") + name);
}

QString resultPage(const QString& results)
{
    return QStringLiteral("<html><body><div><p>Results</p>%1</div> </div></body></html>")
        .arg(results);
}
} // namespace

TEST(CGP, ResultPageInTheEngineLayout)
{
    const QString page = fixture(QStringLiteral("results_layout.html"));
    ASSERT_FALSE(page.isEmpty());
    const QStringList expected = {
        QStringLiteral("http://shop.example/red-shoes.html"),
        QStringLiteral("http://www.example.org/Shoes/Index.htm"),
        QStringLiteral("http://plain.example/page title="), // unquoted: up to the next quote
        QStringLiteral("https://secure.example/"),
        QStringLiteral("HTTP://docs.example/Paper.PDF"),
    };
    EXPECT_EQ(CGP::FoundURLs(page), expected);
}

TEST(CGP, LinksOfEachResult)
{
    const struct {
        QString html;
        QStringList urls;
    } cases[] = {
        {resultPage(QStringLiteral("<div class=g><a href=\"http://a.example/\">A</a></div>")),
         {"http://a.example/"}},
        {resultPage(QStringLiteral("<div class=g><a href='http://a.example/x' id=\"k\">A</a>")),
         {"http://a.example/x"}},
        {resultPage(QStringLiteral("<div class=g><a href=http://a.example/y>A</a>")),
         {"http://a.example/y>A</a></div> </div>"}},
        {resultPage(QStringLiteral("<div class=g><a href=http://a.example/z class='l'>A</a>")),
         {"http://a.example/z class="}},
        {resultPage(QStringLiteral("<div class=g><a href=\"ftp://a.example/\">A</a>"
                                   "<div class=g><a HREF=\"http://b.example/\">B</a>"
                                   "<div class=g><a href=\"Http://c.example/\">C</a>")),
         {"Http://c.example/"}},
        // Bold marks are dropped before the page is cut, so they cannot split a marker.
        {QStringLiteral("<div><div class=<B>g</B>><a href=\"http://a.example/\">A</a></div> "
                        "</div>"),
         {"http://a.example/"}},
        // Results after the first "</div> </div>" are not the engine's.
        {QStringLiteral("<div><div class=g><a href=\"http://a.example/\">A</a></div> </div>"
                        "<div class=g><a href=\"http://b.example/\">B</a>"),
         {"http://a.example/"}},
        {resultPage(QStringLiteral("<p>Your search did not match any documents.</p>")), {}},
        {QStringLiteral("<html><body><div>nothing</div></body></html>"), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CGP::FoundURLs(c.html), c.urls) << c.html.toStdString();
}

TEST(CGP, PageWithoutADivCannotBeParsed)
{
    for (const char* html : {"", "<html><body>no results</body></html>",
                             "<DIV class=g><a href=\"http://a.example/\">A</a></DIV>"}) {
        try {
            CGP::FoundURLs(QLatin1String(html));
            ADD_FAILURE() << "no error for " << html;
        } catch (const ZError& error) {
            EXPECT_EQ(error.number(), zentrel::objectError(649));
            EXPECT_EQ(error.description(), QStringLiteral("Cannot parse page. "));
        }
    }
}

TEST(CGP, ParseListsTheFoundPagesWithTheirPositions)
{
    CGP parser;
    const zentrel::CDataNode found = parser.Parse(fixture(QStringLiteral("results_layout.html")));
    ASSERT_EQ(found.Children().Count(), 5);
    std::int32_t pos = 0;
    for (const zentrel::CDataNode& page : found.Children()) {
        EXPECT_EQ(page.Attributes().Item(QStringLiteral("Pos")).Values().Item(1).toInt(), ++pos);
        EXPECT_EQ(page.Attributes().Count(), 2);
    }
    EXPECT_EQ(found.Children().Item(2).Attributes().Item(QStringLiteral("URL")).Values().Item(1),
              QStringLiteral("http://www.example.org/Shoes/Index.htm"));
    EXPECT_EQ(parser.Parse(resultPage(QString())).Children().Count(), 0);
    try {
        parser.Parse(QStringLiteral("<p>no layout</p>"));
        ADD_FAILURE() << "no error";
    } catch (const ZError& error) {
        EXPECT_EQ(error.number(), zentrel::objectError(649));
    }
}
