#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include "fuzz/FuzzEntries.h"

namespace {
QByteArray nested(const QByteArray& open, const QByteArray& inner, const QByteArray& close,
                  int depth)
{
    return open.repeated(depth) + inner + close.repeated(depth);
}

const QByteArray kForm = "<form><input name=term></form>";
const QByteArray kRow = "<tr><td>7</td><td>a b</td></tr>";
} // namespace

// Pages made to break the readers of outside data, too large to keep in the corpora: each
// goes through its target's entry point as a downloaded page would.
TEST(CraftedPages, EveryPageIsReadCleanly)
{
    const struct {
        const char* target;
        const char* what;
        QByteArray page;
    } cases[] = {
        {"suggestion_page", "a count cell nested 150,000 deep",
         kForm + "<table><tr><td>" + nested("<span>", "1234", "</span>", 150000) +
             "</td><td>red shoes</td></tr></table>"},
        {"suggestion_page", "300,000 nested divs before the table",
         kForm + nested("<div>", "x", "</div>", 300000) + "<table>" + kRow + "</table>"},
        {"suggestion_page", "300,000 divs left open before the table",
         kForm + QByteArray("<div>").repeated(300000) + "<table>" + kRow + "</table>"},
        {"suggestion_page", "tables nested 50,000 deep in a cell",
         kForm + "<table><tr><td>" + nested("<table><tr><td>", "9", "</td></tr></table>", 50000) +
             "</td><td>deep</td></tr></table>"},
        {"result_page", "300,000 nested divs before the results",
         "<div>" + nested("<div>", "x", "</div>", 300000) +
             "<div class=g><a href=\"http://a.example/\">A</a></div> </div>"},
        {"meta_keywords", "a page of \"<meta\" with no \">\"",
         QByteArray("<meta").repeated(400000)},
        {"meta_keywords", "a keywords tag whose quote is left open",
         "<meta name=\"keywords\" content=\"broken markup one, broken markup two\n"
         "<meta name=\"keywords\" content=\"unclosed quote\">"},
    };
    for (const auto& c : cases) {
        const QString problem = FuzzEntries::run(QString::fromLatin1(c.target), c.page);
        EXPECT_TRUE(problem.isEmpty()) << c.what << ": " << problem.toStdString();
    }
}
