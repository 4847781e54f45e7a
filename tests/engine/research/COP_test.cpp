#include "engine/research/COP.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/engine/research/QStringPrinter.h"

#include "engine/platform/ZError.h"
#include "tests/support/TestSupport.h"

using zentrel::CAttributes;
using zentrel::COP;
using zentrel::ZError;

namespace {
QString fixture(const QString& name)
{
    return testsupport::readTestData(QStringLiteral("research/") + name);
}

using Pairs = std::vector<std::pair<QString, int>>;

Pairs pairs(const CAttributes& counts)
{
    Pairs list;
    for (const auto& attribute : counts)
        list.emplace_back(attribute.Name(), attribute.Values().Item(1).toInt());
    return list;
}

// The rows read from a page, and whether reading it failed.
std::pair<Pairs, bool> read(const QString& html)
{
    CAttributes counts;
    try {
        COP::ReadCounts(html, counts);
        return {pairs(counts), false};
    } catch (const ZError&) {
        return {pairs(counts), true};
    }
}

QString page(const QString& rows)
{
    return QStringLiteral("<html><body><form><input name=term></form><table>%1</table>"
                          "</body></html>")
        .arg(rows);
}

QString nested(const QString& open, const QString& inner, const QString& close, int depth)
{
    return open.repeated(depth) + inner + close.repeated(depth);
}
} // namespace

TEST(COP, SuggestionPage)
{
    const QString html = fixture(QStringLiteral("suggestions.html"));
    ASSERT_FALSE(html.isEmpty());
    const Pairs expected = {
        {QStringLiteral("red shoes"), 1}, // "1,234": the separator ends the number
        {QStringLiteral("red sale shoes"), 77},
        {QStringLiteral("red shoe"), 12},   // 12.5 rounds to even
        {QStringLiteral("boots red"), 14},  // 13.5 rounds to even
        {QStringLiteral("red sandals"), 0}, // no number
        {QStringLiteral("Heels Red"), 42},
        {QString::fromUtf8("caf\xc3\xa9 shoes"), 310},
    };
    EXPECT_EQ(read(html), std::make_pair(expected, false));
}

TEST(COP, Rows)
{
    const struct {
        QString html;
        Pairs counts;
        bool fails;
    } cases[] = {
        {page(
             QStringLiteral("<tr><th>COUNT</th><th>Term</th></tr><tr><td>3</td><td>a b</td></tr>")),
         {{"a b", 3}},
         false},
        {page(QStringLiteral("<tr><td> count </td><td>a b</td></tr>")), {}, false},
        {page(QStringLiteral("<tr><td>Counts</td><td>a b</td></tr>")), {{"a b", 0}}, false},
        {page(QStringLiteral("<tr><td>1</td><td>a</td><td>b</td></tr><tr><td>2</td></tr>")),
         {},
         false},
        {page(QStringLiteral("<tr><td>5</td><td>b a</td></tr><tr><td>9</td><td>a  b</td></tr>"
                             "<tr><td>7</td><td>a-b</td></tr>")),
         {{"a b", 5}},
         false},
        {page(QStringLiteral("<tr><td>+8</td><td>x</td></tr><tr><td>-2.5</td><td>y</td></tr>"
                             "<tr><td>.5</td><td>z</td></tr><tr><td>1.5e3</td><td>w</td></tr>")),
         {{"x", 8}, {"y", -2}, {"z", 0}, {"w", 2}},
         false},
        {page(QStringLiteral("<tr><td><b>1</b>2</td><td><a href=x>red</a> <i>shoes</i></td></tr>")),
         {{"red shoes", 12}},
         false},
        // Phrases are the count list's attribute names, which ignore case.
        {page(QStringLiteral(
             "<tr><td>5</td><td>Red Shoes</td></tr><tr><td>9</td><td>red shoes</td></tr>")),
         {{"Red Shoes", 5}},
         false},
        // A row with an empty phrase names nothing.
        {page(QStringLiteral("<tr><td>4</td><td> </td></tr><tr><td>6</td><td>q</td></tr>")),
         {{"q", 6}},
         false},
        // Head and foot rows are rows of the table; a nested table's rows are not.
        {page(QStringLiteral("<tfoot><tr><td>3</td><td>foot</td></tr></tfoot>"
                             "<thead><tr><td>1</td><td>head</td></tr></thead>"
                             "<tr><td>2<table><tr><td>9</td><td>inner</td></tr></table></td>"
                             "<td>body</td></tr>")),
         {{"head", 1}, {"body", 2}, {"foot", 3}},
         false},
        // The rows before a count beyond 32 bits stay.
        {page(QStringLiteral("<tr><td>1</td><td>a</td></tr><tr><td>99999999999</td><td>b</td>"
                             "</tr><tr><td>3</td><td>c</td></tr>")),
         {{"a", 1}},
         true},
        {QStringLiteral("<form></form><p>No suggestions for <b>x</b></p>"
                        "<table><tr><td>1</td><td>x</td></tr></table>"),
         {},
         false},
        {QStringLiteral("<form></form><p>No suggestions for x</p>"
                        "<table><tr><td>1</td><td>x</td></tr></table>"),
         {{"x", 1}},
         false},
        {QString(), {}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(c.html), std::make_pair(c.counts, c.fails)) << c.html.toStdString();
}

// Pages nested far deeper than any the service writes are parsed and read without exhausting
// the stack, and in time linear in their size: what stands deeper than the parser is let nest
// counts as text.
TEST(COP, DeeplyNestedPages)
{
    const QString form = QStringLiteral("<form><input name=term></form>");
    const QString table = QStringLiteral("<table><tr><td>7</td><td>a b</td></tr></table>");
    const struct {
        const char* what;
        QString html;
        Pairs counts;
        bool fails;
    } cases[] = {
        {"a count cell nested 150,000 deep in spans",
         page(QStringLiteral("<tr><td>") +
              nested(QStringLiteral("<span>"), QStringLiteral("1234"), QStringLiteral("</span>"),
                     150000) +
              QStringLiteral("</td><td>red shoes</td></tr><tr><td>5</td><td>boots</td></tr>")),
         {{"red shoes", 1234}, {"boots", 5}},
         false},
        {"a count cell nested 150,000 deep in blocks",
         page(QStringLiteral("<tr><td>") +
              nested(QStringLiteral("<div><b>"), QStringLiteral("12"), QStringLiteral("</b></div>"),
                     150000) +
              QStringLiteral("</td><td>red shoes</td></tr>")),
         {{"red shoes", 12}},
         false},
        {"a count cell holding tables nested 50,000 deep",
         page(QStringLiteral("<tr><td>") +
              nested(QStringLiteral("<table><tr><td>"), QStringLiteral("9"),
                     QStringLiteral("</td></tr></table>"), 50000) +
              QStringLiteral("</td><td>deep</td></tr><tr><td>3</td><td>last row</td></tr>")),
         {{"deep", 9}, {"last row", 3}},
         false},
        {"300,000 nested divs before the table",
         form +
             nested(QStringLiteral("<div>"), QStringLiteral("x"), QStringLiteral("</div>"),
                    300000) +
             table,
         {{"a b", 7}},
         false},
        // The table stands deeper than the parser is let nest: it is text, and no table.
        {"300,000 divs left open before the table",
         form + QStringLiteral("<div>").repeated(300000) + table,
         {},
         true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(c.html), std::make_pair(c.counts, c.fails)) << c.what;
}

// This parser fails an assertion, and stops the program, on such a CDATA section.
TEST(COP, CDataSectionInSvgBeforeTheRows)
{
    const QString html =
        QStringLiteral("<form></form><table><svg><foreignObject><![CDATA[x]]>y</foreignObject>"
                       "</svg><tr><td>4</td><td>a b</td></tr></table>");
    EXPECT_EQ(read(html), std::make_pair(Pairs{{"a b", 4}}, false));
}

// Pages on which this parser fails one of its own assertions: reading them fails, the program
// goes on, and the next page reads as ever.
TEST(COP, PagesTheParserCannotBuildFailAndTheNextOneReads)
{
    const char* const pages[] = {
        "<table><math><select><mi><select><td>",
        "<form></form><table><math><select><mi><select><td>4</td><td>a b</td></table>",
    };
    for (const char* html : pages)
        EXPECT_TRUE(read(QString::fromLatin1(html)).second) << html;
    EXPECT_EQ(read(page(QStringLiteral("<tr><td>4</td><td>a b</td></tr>"))),
              std::make_pair(Pairs{{"a b", 4}}, false));
}

TEST(COP, FixturePagesWithoutCounts)
{
    const struct {
        const char* file;
        bool fails;
    } cases[] = {
        {"no_suggestions.html", false},
        {"no_form.html", true},            // the form is removed before the table is looked for
        {"table_only_in_form.html", true}, // the form's table is never taken
    };
    for (const auto& c : cases) {
        const QString html = fixture(QLatin1String(c.file));
        ASSERT_FALSE(html.isEmpty()) << c.file;
        EXPECT_EQ(read(html), std::make_pair(Pairs{}, c.fails)) << c.file;
    }
}

TEST(COP, LeadingNumber)
{
    const struct {
        const char* text;
        int number;
    } cases[] = {
        {"42", 42},  {"1,234", 1},  {"12.5", 12}, {"13.5", 14},
        {"-7", -7},  {"+3", 3},     {"", 0},      {"abc", 0},
        {"-", 0},    {".", 0},      {"5.", 5},    {"2147483647", 2147483647},
        {"0.49", 0}, {"7 days", 7}, {"1.2.3", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(COP::LeadingNumber(QLatin1String(c.text)), c.number) << c.text;
    EXPECT_THROW(COP::LeadingNumber(QStringLiteral("2147483648")), ZError);
}

TEST(COP, ParseLogsAPageItCannotReadAndKeepsWhatItRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto log = std::make_shared<zentrel::CLog>();
    log->Attach(dir.filePath(QStringLiteral("research.log")));
    COP parser;
    parser.Init(log);

    const zentrel::CDataNode counts = parser.Parse(page(
        QStringLiteral("<tr><td>1</td><td>b a</td></tr><tr><td>99999999999</td><td>c</td></tr>")));
    EXPECT_EQ(pairs(counts.Attributes()), (Pairs{{"a b", 1}}));
    EXPECT_EQ(counts.Children().Count(), 0);
    EXPECT_EQ(parser.Parse(fixture(QStringLiteral("no_form.html"))).Attributes().Count(), 0);
    EXPECT_EQ(parser.Parse(fixture(QStringLiteral("suggestions.html"))).Attributes().Count(), 7);

    QFile file(log->LogFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_EQ(text.count(QStringLiteral("COP.Parse")), 2) << text.toStdString();
}
