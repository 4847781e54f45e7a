#include "engine/research/MarkupDepthLimit.h"

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gumbo.h>

#include <gtest/gtest.h>

#include "engine/research/GumboTree.h"

using zentrel::GumboTree;
using zentrel::MarkupDepthLimit;

namespace {
// What gumbo makes of a page: the elements on its deepest path (the root counts) and its text.
struct Parsed {
    int depth = 0;
    std::string text;
};

Parsed parse(const QByteArray& page)
{
    const GumboTree document(page);
    Parsed parsed;
    std::vector<std::pair<const GumboNode*, int>> pending{{document.root(), 1}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_CDATA) {
            parsed.text.insert(0, node->v.text.text); // pending runs backwards
            continue;
        }
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        parsed.depth = std::max(parsed.depth, depth);
        const GumboVector& children = node->v.element.children;
        for (unsigned int i = 0; i < children.length; ++i)
            pending.emplace_back(static_cast<const GumboNode*>(children.data[i]), depth + 1);
    }
    return parsed;
}

QByteArray times(const char* markup, int count)
{
    return QByteArray(markup).repeated(count);
}

// Empty elements, text and the elements the parser opens for a table add a few levels at
// most below the deepest element the limit lets through.
constexpr int kLeafLevels = 3;
} // namespace

// Pages whose elements gumbo closes by itself or never opens stay far within a limit that a
// count of their start tags would pass many times over.
TEST(MarkupDepthLimit, ShallowPagesComeOutAsTheyWentIn)
{
    const struct {
        const char* what;
        QByteArray page;
    } cases[] = {
        {"paragraphs", "<div>" + times("<p>x", 1000) + "</div>"},
        {"list items", "<ul>" + times("<li>x", 1000) + "</ul><ol><li>" + times("<li>y", 500)},
        {"definitions", "<dl>" + times("<dt>a<dd>b", 500) + "</dl>"},
        {"rows and cells", "<table>" + times("<tr><td>1<td>a b<td>c", 300) + "</table>"},
        {"sections", "<table>" + times("<thead><tr><th>h<tbody><tr><td>d<tfoot>", 200)},
        {"options", "<select>" + times("<option>x", 500) + times("<optgroup><option>y", 100)},
        {"empty elements",
         times("<br><img src=a.png><input name=term><hr><meta name=x><wbr><col><area>", 300)},
        {"comments", times("<!-- <div><span><b> --><!----><!--->", 500) + "<p>x"},
        {"scripts and styles", "<script>" + times("if (a<b) document.write('<div><span>');", 500) +
                                   "</script><style>" + times("a<b>{}", 500) +
                                   "</style><textarea>" + times("<div>", 500) +
                                   "</textarea><title>" + times("<i>", 500) + "</title>"},
        {"end tags that close nothing", times("</span></div></b></td></tr></table></li>", 500)},
        {"unclosed formatting in paragraphs", times("<p><font size=2>x", 1000)},
        {"links left open", times("<a href=x>y", 1000)},
        {"headings and buttons", times("<h2>x<h3>y", 500) + times("<button>z", 500)},
        {"unclosed bold across blocks", times("<div><b>x</div>", 1000)},
        {"tables in cells", times("<table><tr><td>", 3) + "x" + times("</table>", 3)},
        {"a form in a table", "<table>" + times("<form><tr><td>x</td></tr></form>", 300)},
        {"svg icons", times("<svg><g><path d=M0/><path/></g><title>t</title></svg>", 300)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MarkupDepthLimit::Limit(c.page, 16).toStdString(), c.page.toStdString())
            << c.what;
        EXPECT_LE(parse(c.page).depth, 16) << c.what;
    }
}

TEST(MarkupDepthLimit, DeepPagesAreCutToTheLimitKeepingTheirText)
{
    const struct {
        const char* open;
        const char* close;
    } nests[] = {
        {"<span>", "</span>"},
        {"<div>", "</div>"},
        {"<b>", "</b>"},
        {"<font color=red>", "</font>"},
        {"<div><b>", "</b></div>"},
        {"<ul><li>", "</li></ul>"},
        {"<table><tr><td>", "</td></tr></table>"},
        {"<table><td>", "</table>"},
        {"<blockquote><p>", "</p></blockquote>"},
        {"<svg><g>", "</g></svg>"},
        {"<span>", ""},
        {"<div>", ""},
    };
    for (const int limit : {16, MarkupDepthLimit::kMaxDepth}) {
        for (const auto& nest : nests) {
            const QByteArray page = times(nest.open, 2000) + "x" + times(nest.close, 2000) + "y";
            const QByteArray limited = MarkupDepthLimit::Limit(page, limit);
            EXPECT_LT(limited.size(), page.size()) << nest.open;
            const Parsed parsed = parse(limited);
            EXPECT_LE(parsed.depth, limit + kLeafLevels) << nest.open << " " << limit;
            EXPECT_EQ(parsed.text, "xy") << nest.open << " " << limit;
        }
    }
}

TEST(MarkupDepthLimit, TheEndTagsOfTagsLeftOutAreLeftOutToo)
{
    const struct {
        const char* page;
        const char* limited;
    } cases[] = {
        {"<div><div><div><div><div>x</div></div></div></div></div>y",
         "<div><div><div>x</div></div></div>y"},
        {"<div><div><div><div><span>a</span><b>b</b></div></div>c</div></div>d",
         "<div><div><div>ab</div>c</div></div>d"},
        // A "<" before a tag left out stays text.
        {"<div><div><div><<div>x</div></div></div></div>",
         "<div><div><div>&lt;x</div></div></div>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MarkupDepthLimit::Limit(c.page, 4).toStdString(), c.limited) << c.page;
}

TEST(MarkupDepthLimit, CDataSectionsInForeignContentBecomeTheirText)
{
    // Read as CDATA there, this parser fails an assertion and stops the program.
    EXPECT_EQ(
        MarkupDepthLimit::Limit("<table><svg><foreignObject><![CDATA[a<b & c]]>d").toStdString(),
        "<table><svg><foreignObject>a&lt;b &amp; cd");
    EXPECT_EQ(parse("<table><svg><foreignObject><![CDATA[a<b]]>d").text, "a<bd");
    // In HTML the section is a bogus comment, as the parser reads it.
    const QByteArray html = "<p><![CDATA[x]]>y";
    EXPECT_EQ(MarkupDepthLimit::Limit(html).toStdString(), html.toStdString());
}

// Pages made of the elements of ordinary pages, misnested at random: gumbo never nests
// deeper than the limit lets it.
TEST(MarkupDepthLimit, GeneratedPagesStayWithinTheLimit)
{
    const char* const names[] = {
        "div",      "span",     "p",        "li",     "ul",      "ol",       "dd",
        "dt",       "dl",       "b",        "i",      "a",       "font",     "table",
        "tbody",    "thead",    "tr",       "td",     "th",      "caption",  "select",
        "option",   "optgroup", "form",     "input",  "button",  "h1",       "h2",
        "pre",      "br",       "img",      "hr",     "em",      "strong",   "small",
        "big",      "u",        "s",        "center", "address", "label",    "sub",
        "script",   "style",    "textarea", "title",  "nobr",    "code",     "blockquote",
        "fieldset", "iframe",   "noscript", "object", "col",     "colgroup", "tfoot",
        "header",   "nav",      "section",  "main",   "marquee", "xmp",      "body",
        "html",     "head",     "meta",     "applet", "listing", "isindex",  "ruby",
        "rt",       "rp",       "dialog",   "abbr"};
    const char* const attributes[] = {"", " id=1", " id=2", " class=x", " size=2"};
    std::mt19937 random(20240611);
    auto pick = [&random](std::size_t count) { return random() % count; };
    constexpr int limit = 8;
    for (int round = 0; round < 400; ++round) {
        QByteArray page;
        for (int token = 0; token < 300; ++token) {
            const char* name = names[pick(std::size(names))];
            switch (pick(10)) {
            case 0:
            case 1:
            case 2:
            case 3:
            case 4:
                page += QByteArray("<") + name + attributes[pick(std::size(attributes))] +
                        (pick(8) == 0 ? "/>" : ">");
                break;
            case 5:
            case 6:
            case 7:
                page += QByteArray("</") + name + ">";
                break;
            case 8:
                page += "x";
                break;
            default:
                page += pick(2) == 0 ? "<!-- <div> -->" : " ";
            }
        }
        ASSERT_LE(parse(MarkupDepthLimit::Limit(page, limit)).depth, limit + kLeafLevels)
            << page.toStdString();
    }
}
