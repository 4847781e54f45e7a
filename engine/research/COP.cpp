#include "engine/research/COP.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include <gumbo.h>

#include "engine/ComponentRegistration.h"
#include "engine/database/MParser.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/ZError.h"
#include "engine/research/GumboTree.h"

namespace zentrel {

namespace {
const ComponentRegistration registration{"Zentrel.COP", [] { return std::make_unique<COP>(); }};

constexpr std::uint32_t kOverflow = 0x800A0006u;
constexpr std::uint32_t kObjectMissing = 0x800A005Bu; // object variable not set

bool isElement(const GumboNode* node, GumboTag tag)
{
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
}

const GumboVector* childrenOf(const GumboNode* node)
{
    if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE)
        return &node->v.element.children;
    if (node->type == GUMBO_NODE_DOCUMENT)
        return &node->v.document.children;
    return nullptr;
}

const GumboNode* childAt(const GumboVector* children, unsigned int i)
{
    return static_cast<const GumboNode*>(children->data[i]);
}

// The first element of the tag in document order, depth first; the subtree of `removed` is
// not part of the document any more. Walked with a stack of its own, however deep the tree.
const GumboNode* FindTag(const GumboNode* node, GumboTag tag, const GumboNode* removed = nullptr)
{
    std::vector<const GumboNode*> pending{node};
    while (!pending.empty()) {
        const GumboNode* const current = pending.back();
        pending.pop_back();
        if (current == removed)
            continue;
        if (isElement(current, tag))
            return current;
        const GumboVector* children = childrenOf(current);
        for (unsigned int i = children ? children->length : 0; i > 0; --i)
            pending.push_back(childAt(children, i - 1));
    }
    return nullptr;
}

// The page's table once its first form is gone, so a table inside that form is never taken.
const GumboNode* FindTable(const GumboNode* body)
{
    const GumboNode* form = FindTag(body, GUMBO_TAG_FORM);
    if (!form)
        throw ZError(kObjectMissing, QStringLiteral("The page has no form."),
                     QStringLiteral("COP"));
    const GumboNode* table = FindTag(body, GUMBO_TAG_TABLE, form);
    if (!table)
        throw ZError(kObjectMissing, QStringLiteral("The page has no table."),
                     QStringLiteral("COP"));
    return table;
}

void appendRowsOf(const GumboNode* parent, std::vector<const GumboNode*>& rows)
{
    const GumboVector* children = childrenOf(parent);
    for (unsigned int i = 0; i < children->length; ++i) {
        if (isElement(childAt(children, i), GUMBO_TAG_TR))
            rows.push_back(childAt(children, i));
    }
}

// The table's rows as a table element lists them: the head's, the bodies' and the table's own
// in document order, then the foot's; rows of nested tables are not the table's.
std::vector<const GumboNode*> rowsOf(const GumboNode* table)
{
    std::vector<const GumboNode*> rows;
    const GumboVector* children = childrenOf(table);
    for (unsigned int i = 0; i < children->length; ++i) {
        if (isElement(childAt(children, i), GUMBO_TAG_THEAD))
            appendRowsOf(childAt(children, i), rows);
    }
    for (unsigned int i = 0; i < children->length; ++i) {
        const GumboNode* child = childAt(children, i);
        if (isElement(child, GUMBO_TAG_TR))
            rows.push_back(child);
        else if (isElement(child, GUMBO_TAG_TBODY))
            appendRowsOf(child, rows);
    }
    for (unsigned int i = 0; i < children->length; ++i) {
        if (isElement(childAt(children, i), GUMBO_TAG_TFOOT))
            appendRowsOf(childAt(children, i), rows);
    }
    return rows;
}

std::vector<const GumboNode*> cellsOf(const GumboNode* row)
{
    std::vector<const GumboNode*> cells;
    const GumboVector* children = childrenOf(row);
    for (unsigned int i = 0; i < children->length; ++i) {
        const GumboNode* child = childAt(children, i);
        if (isElement(child, GUMBO_TAG_TD) || isElement(child, GUMBO_TAG_TH))
            cells.push_back(child);
    }
    return cells;
}

bool isBlock(GumboTag tag)
{
    switch (tag) {
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_CENTER:
        return true;
    default:
        return false;
    }
}

void appendText(const char* utf8, QString& text)
{
    for (const QChar c : QString::fromUtf8(utf8)) {
        const bool space = c == QLatin1Char(' ') || c == QLatin1Char('\t') ||
                           c == QLatin1Char('\n') || c == QLatin1Char('\r') ||
                           c == QLatin1Char('\f');
        if (!space)
            text.append(c);
        else if (!text.isEmpty() && !text.endsWith(QLatin1Char(' ')) &&
                 !text.endsWith(QLatin1Char('\n')))
            text.append(QLatin1Char(' '));
    }
}

void breakLine(QString& text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text.append(QLatin1Char('\n'));
}

// Rendered text of the element's content: white space collapsed to single blanks, a line
// break for <br> and between blocks, scripts and styles left out. Walked with a stack of its
// own, however deep the tree: each entry is an element and the next of its children to read.
void collectText(const GumboNode* element, QString& text)
{
    std::vector<std::pair<const GumboNode*, unsigned int>> open{{element, 0}};
    while (!open.empty()) {
        auto& [node, next] = open.back();
        const GumboVector* children = childrenOf(node);
        if (next == children->length) {
            if (open.size() > 1 && isBlock(node->v.element.tag))
                breakLine(text);
            open.pop_back();
            continue;
        }
        const GumboNode* const child = childAt(children, next++);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
            child->type == GUMBO_NODE_CDATA) {
            appendText(child->v.text.text, text);
            continue;
        }
        if (child->type != GUMBO_NODE_ELEMENT)
            continue;
        const GumboTag tag = child->v.element.tag;
        if (tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_STYLE)
            continue;
        if (tag == GUMBO_TAG_BR) {
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            text.append(QLatin1Char('\n'));
            continue;
        }
        if (isBlock(tag))
            breakLine(text);
        open.emplace_back(child, 0);
    }
}

QString innerText(const GumboNode* node)
{
    QString text;
    collectText(node, text);
    while (text.endsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

void readRow(const GumboNode* row, CAttributes& counts)
{
    const std::vector<const GumboNode*> cells = cellsOf(row);
    if (cells.size() != 2)
        return;
    const QString countText = MParser::TrimBlanks(innerText(cells[0]));
    if (countText.toLower() == QLatin1String("count"))
        return;
    const int count = COP::LeadingNumber(countText);
    const QString phrase = MParser::NormalizeKW(MParser::TrimBlanks(innerText(cells[1])));
    // A row without a phrase names no keyword.
    if (!phrase.isEmpty() && !counts.Exists(phrase))
        counts.Add(phrase, count);
}
} // namespace

COP::COP(QObject* parent)
    : QObject(parent)
{
}

COP::~COP() = default;

int COP::LeadingNumber(const QString& text)
{
    auto isDigit = [&text](qsizetype i) {
        return text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9');
    };
    qsizetype end = 0;
    if (end < text.size() && (text.at(end) == QLatin1Char('+') || text.at(end) == QLatin1Char('-')))
        ++end;
    bool point = false;
    while (end < text.size() && (isDigit(end) || (!point && text.at(end) == QLatin1Char('.')))) {
        point = point || text.at(end) == QLatin1Char('.');
        ++end;
    }
    bool ok = false;
    const double value = text.left(end).toDouble(&ok);
    if (!ok)
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        throw ZError(kOverflow, QStringLiteral("Overflow"), QStringLiteral("COP"));
    return static_cast<int>(rounded);
}

void COP::ReadCounts(const QString& html, CAttributes& counts)
{
    if (html.contains(QLatin1String("No suggestions for <b>")))
        return;
    const GumboTree document(html.toUtf8());
    const GumboNode* table = FindTable(document.root());
    for (const GumboNode* row : rowsOf(table))
        readRow(row, counts);
}

CDataNode COP::Parse(const QString& HTML) const
{
    CDataNode result;
    try {
        ReadCounts(HTML, result.Attributes());
    } catch (const ZError& error) {
        if (m_log)
            m_log->Write(error.signedNumber(), error.description(), 4, QStringLiteral("COP.Parse"));
    } catch (const std::exception& error) {
        if (m_log)
            m_log->Write(static_cast<std::int32_t>(kUnexpected), QString::fromUtf8(error.what()), 4,
                         QStringLiteral("COP.Parse"));
    }
    return result;
}

} // namespace zentrel
