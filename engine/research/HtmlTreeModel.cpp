#include "engine/research/HtmlTreeModel.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/research/HtmlTagTraits.h"

namespace zentrel {

namespace {
using T = HtmlTagTraits;
using C = OpenElements;
using N = HtmlNames;

// How the parser reads what a template holds, decided by its first tag.
enum TemplateMode : int { Initial, InBody, InTable, InTableBody, InRow, InColumnGroup };

// How the parser reads a table part after the nearest table element.
enum class TableMode { Body, Table, TableBody, Row, Cell, Caption, ColumnGroup };

std::uint32_t bit(OpenElements::Class c)
{
    return 1u << c;
}

std::uint32_t classesOf(std::uint32_t traits, bool html, bool optionLike, bool passesItems)
{
    std::uint32_t classes = 0;
    if (traits & T::Special)
        classes |= bit(C::Special);
    if (traits & T::Scope)
        classes |= bit(C::Scope) | bit(C::ButtonScope) | bit(C::ListScope);
    if (traits & T::ButtonScope)
        classes |= bit(C::ButtonScope);
    if (traits & T::ListScope)
        classes |= bit(C::ListScope);
    if (traits & T::TableScope)
        classes |= bit(C::TableScope);
    if ((traits & T::Special) && !passesItems)
        classes |= bit(C::ItemStop);
    if (html)
        classes |= bit(C::Html);
    if (!optionLike)
        classes |= bit(C::NotOption);
    if (html && (traits & T::TableContext))
        classes |= bit(C::TableContext);
    if (html && (traits & T::Heading))
        classes |= bit(C::Heading);
    return classes;
}

bool isBlank(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
    });
}

// The attributes as a formatting element is compared by: names in lower case, each once.
QByteArray attributeKey(const MarkupScanner::Token& tag)
{
    std::vector<std::pair<QByteArray, QByteArrayView>> attributes;
    for (const MarkupScanner::Attribute& attribute : tag.attributes) {
        const QByteArray name = attribute.name.toByteArray().toLower();
        const bool seen = std::any_of(attributes.cbegin(), attributes.cend(),
                                      [&name](const auto& other) { return other.first == name; });
        if (!seen)
            attributes.emplace_back(name, attribute.value);
    }
    std::sort(attributes.begin(), attributes.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QByteArray key;
    for (const auto& [name, value] : attributes)
        key += name + '=' + value.toByteArray() + '\0';
    return key;
}

int templateModeFor(int name)
{
    switch (name) {
    case N::Caption:
    case N::Colgroup:
    case N::Tbody:
    case N::Thead:
    case N::Tfoot:
        return InTable;
    case N::Col:
        return InColumnGroup;
    case N::Tr:
        return InTableBody;
    case N::Td:
    case N::Th:
        return InRow;
    default:
        return InBody;
    }
}
} // namespace

HtmlTreeModel::HtmlTreeModel()
    : m_open([this] {
        Element root;
        root.name = N::Html;
        root.classes = classesOf(m_names.traits(N::Html), true, false, false);
        return root;
    }())
{
}

int HtmlTreeModel::nameOf(const Token& tag)
{
    const int name = m_names.html(tag.name);
    return foreignRulesFor(name) ? m_names.foreign(tag.name) : name;
}

// A start tag is read by the rules of foreign content or of HTML; what is read as text after
// it, the caller reads as text.
HtmlTreeModel::Content HtmlTreeModel::start(const Token& tag)
{
    const int name = m_names.html(tag.name);
    if (!foreignRulesFor(name))
        return htmlStart(tag, name);
    // Inside SVG and MathML every tag opens an element, which a closing slash closes at once.
    if (!tag.selfClosing)
        m_open.push(element(name, m_open.top().space, tag));
    return Content::Markup;
}

std::uint64_t HtmlTreeModel::openedLast(const Token& endTag)
{
    std::uint64_t last = 0;
    for (const int name : {m_names.html(endTag.name), m_names.foreign(endTag.name)}) {
        const int index = m_open.topmost(name);
        if (index >= 0)
            last = std::max(last, m_open.at(index).order);
    }
    return last;
}

std::uint64_t HtmlTreeModel::takeClosed()
{
    return m_open.takeClosed();
}

OpenElements::Element HtmlTreeModel::element(int name, Space space, const Token& tag)
{
    const bool html = space == Space::Html;
    const bool svgText = space == Space::Svg &&
                         (tag.name == "foreignobject" || tag.name == "desc" || tag.name == "title");
    const bool mathText =
        space == Space::MathMl && (tag.name == "mi" || tag.name == "mo" || tag.name == "mn" ||
                                   tag.name == "ms" || tag.name == "mtext");
    const bool annotation = space == Space::MathMl && tag.name == "annotation-xml";
    // Foreign elements count as special, and end scopes, where they hold HTML or text only.
    std::uint32_t tagTraits = m_names.traits(name);
    if (!html)
        tagTraits = svgText || mathText || annotation ? T::Special | T::Scope : 0;
    Element element;
    element.name = html ? name : m_names.foreign(tag.name);
    element.classes = classesOf(tagTraits, html, html && (name == N::Option || name == N::Optgroup),
                                html && (name == N::Address || name == N::Div || name == N::P));
    element.order = ++m_order;
    element.space = space;
    element.marker = html && (tagTraits & T::Marker);
    element.mathText = mathText;
    element.htmlContent = svgText || mathText;
    if (annotation) {
        const QByteArray encoding = MarkupScanner::attributeValue(tag, "encoding");
        element.htmlContent = encoding == "text/html" || encoding == "application/xhtml+xml";
    }
    return element;
}

// Whether the parser reads the options of a select: nothing else is open above it.
bool HtmlTreeModel::inSelect() const
{
    const int select = m_open.topmost(N::Select);
    return select >= 0 && !m_open.blocked(select, C::NotOption);
}

// Whether a start tag of that name is read as foreign content: inside SVG or MathML, but where
// they hold HTML.
bool HtmlTreeModel::foreignRulesFor(int name) const
{
    const Element& top = m_open.top();
    if (top.space == Space::Html)
        return false;
    if (top.mathText)
        return name == N::Mglyph || name == N::Malignmark;
    if (top.htmlContent)
        return false;
    // SVG in an annotation is SVG, not MathML.
    return !(name == N::Svg && top.name == N::ForeignAnnotationXml);
}

// How the parser reads a table part here; Body when no table part is open.
int HtmlTreeModel::tableContext() const
{
    return m_open.nearest(C::TableContext);
}

int HtmlTreeModel::tableMode(int context) const
{
    if (context < 0)
        return static_cast<int>(TableMode::Body);
    const Element& element = m_open.at(context);
    switch (element.name) {
    case N::Td:
    case N::Th:
        return static_cast<int>(TableMode::Cell);
    case N::Caption:
        return static_cast<int>(TableMode::Caption);
    case N::Tr:
        return static_cast<int>(TableMode::Row);
    case N::Tbody:
    case N::Thead:
    case N::Tfoot:
        return static_cast<int>(TableMode::TableBody);
    case N::Table:
        return static_cast<int>(TableMode::Table);
    default:
        break;
    }
    switch (element.mode) {
    case InTable:
        return static_cast<int>(TableMode::Table);
    case InTableBody:
        return static_cast<int>(TableMode::TableBody);
    case InRow:
        return static_cast<int>(TableMode::Row);
    case InColumnGroup:
        return static_cast<int>(TableMode::ColumnGroup);
    default:
        return static_cast<int>(TableMode::Body);
    }
}

// Whether the parser reads the tag in one of its table modes, where most content goes before
// the table.
bool HtmlTreeModel::inTableRows() const
{
    const auto mode = static_cast<TableMode>(tableMode(tableContext()));
    return mode == TableMode::Table || mode == TableMode::TableBody || mode == TableMode::Row;
}

// Text reopens the formatting elements left open, but for blanks between the parts of a table.
void HtmlTreeModel::text(QByteArrayView text)
{
    const Element& current = m_open.top();
    if ((current.space != Space::Html && !current.htmlContent) || inSelect())
        return;
    const bool blank = isBlank(text);
    if (m_open.top().name == N::Colgroup) {
        if (blank)
            return;
        popThrough(m_open.size() - 1);
    }
    const Element& top = m_open.top();
    if (top.name == N::Template && top.mode == InColumnGroup)
        return;
    const bool tableTop = top.name == N::Table || top.name == N::Tbody || top.name == N::Thead ||
                          top.name == N::Tfoot || top.name == N::Tr ||
                          (top.name == N::Template && inTableRows());
    if (tableTop && blank)
        return;
    m_open.reopen(m_order);
}

// How many elements the start tag may open at most: a cell comes with the section and row the
// parser opens for it; empty elements and those whose content is text open none that stays.
int HtmlTreeModel::opened(const Token& tag)
{
    const int name = m_names.html(tag.name);
    if (foreignRulesFor(name))
        return tag.selfClosing ? 0 : 1;
    const std::uint32_t tagTraits = m_names.traits(name);
    if (tagTraits & T::Ignored)
        return 0;
    const bool cell = name == N::Td || name == N::Th || name == N::Tr;
    if (inSelect()) {
        if (name == N::Option || name == N::Optgroup || name == N::Template)
            return 1;
        return cell || name == N::Table || (tagTraits & T::TableContext) ? 3 : 0;
    }
    if (tagTraits & T::TablePart)
        return cell ? 3 : 1;
    return tagTraits & (T::Void | T::RawText | T::PlainText) ? 0 : 1;
}

HtmlTreeModel::Content HtmlTreeModel::htmlStart(const Token& tag, int name)
{
    const std::uint32_t tagTraits = m_names.traits(name);
    // A column group holds columns and templates; anything else closes it first.
    if (m_open.top().name == N::Colgroup && name != N::Template) {
        if (name == N::Col)
            return Content::Markup;
        popThrough(m_open.size() - 1);
    }
    if (inSelect()) {
        return selectStart(tag, name);
    }
    // A template's first tag tells how the parser reads the rest of it.
    const Element& top = m_open.top();
    if (top.name == N::Template && top.mode == InColumnGroup && name != N::Template)
        return Content::Markup; // the parser ignores all but columns and templates there
    if (top.name == N::Template && top.mode == Initial && !(tagTraits & T::Head))
        m_open.setMode(m_open.size() - 1, templateModeFor(name));
    if (tagTraits & T::Ignored)
        return Content::Markup;
    if (tagTraits & T::TablePart) {
        tablePart(tag, name);
        return Content::Markup;
    }
    if (tagTraits & (T::Void | T::RawText | T::PlainText)) {
        if (tagTraits & T::ClosesP)
            closeP();
        if (tagTraits & T::Reopens)
            m_open.reopen(m_order);
        if (tagTraits & T::PlainText)
            return Content::PlainText;
        return tagTraits & T::RawText ? Content::RawText : Content::Markup;
    }
    const bool tableRows = inTableRows();
    const bool inTemplate = m_open.topmost(N::Template) >= 0;
    // Forms do not nest; in a table a form holds nothing, the parser closes it at once.
    if (name == N::Form && m_form != 0 && !inTemplate)
        return Content::Markup;
    if (name == N::Form && tableRows) {
        m_form = ++m_order;
        return Content::Markup;
    }
    // A table in a table closes the table before it, and is ignored in a template.
    const int outerTable = m_open.topmost(N::Table);
    if (name == N::Table && tableRows && m_open.blocked(outerTable, C::TableScope))
        return Content::Markup;
    if (name == N::Table && tableRows)
        popThrough(outerTable);
    closeBefore(name);
    if (tagTraits & T::Reopens)
        m_open.reopen(m_order);
    if (name == N::Svg || name == N::Math) {
        if (!tag.selfClosing)
            m_open.push(element(name, name == N::Svg ? Space::Svg : Space::MathMl, tag));
        return Content::Markup;
    }
    open(tag, name);
    return Content::Markup;
}

// Inside a select the parser opens options, option groups and templates and ignores the rest;
// a select, an input, a textarea or, in a table, a part of the table closes the select.
HtmlTreeModel::Content HtmlTreeModel::selectStart(const Token& tag, int name)
{
    const std::uint32_t tagTraits = m_names.traits(name);
    const int select = m_open.topmost(N::Select);
    const bool inTable = m_open.topmost(N::Table) > m_open.topmost(N::Template);
    if (name == N::Select) {
        popThrough(select);
        return Content::Markup;
    }
    if ((tagTraits & T::ClosesSelect) ||
        (inTable && (name == N::Table || ((tagTraits & T::TableContext) && name != N::Template)))) {
        popThrough(select);
        return htmlStart(tag, name);
    }
    if (tagTraits & T::Script)
        return Content::RawText;
    if (name != N::Option && name != N::Optgroup && name != N::Template)
        return Content::Markup;
    if (name != N::Template && m_open.top().name == N::Option)
        popThrough(m_open.size() - 1);
    if (name == N::Optgroup && m_open.top().name == N::Optgroup)
        popThrough(m_open.size() - 1);
    open(tag, name);
    return Content::Markup;
}

// End tags inside a select close options, option groups and the select, or in a table the
// table part it stands in.
void HtmlTreeModel::selectEnd(int name)
{
    const int top = m_open.size() - 1;
    if (name == N::Option && m_open.top().name == N::Option) {
        popThrough(top);
    } else if (name == N::Optgroup) {
        if (m_open.top().name == N::Option && m_open.at(top - 1).name == N::Optgroup)
            popThrough(top);
        if (m_open.top().name == N::Optgroup)
            popThrough(m_open.size() - 1);
    } else if (name == N::Select) {
        popThrough(m_open.topmost(N::Select));
    } else if (name == N::Template) {
        popThrough(m_open.topmost(N::Template));
        m_open.clearToMarker();
    } else if ((m_names.traits(name) & T::TableContext) &&
               m_open.topmost(N::Table) > m_open.topmost(N::Template)) {
        const int index = m_open.topmost(name);
        if (index >= 0 && !m_open.blocked(index, C::TableScope)) {
            popThrough(m_open.topmost(N::Select));
            htmlEnd(name);
        }
    }
}

// A section, row, cell, caption or column closes what the table holds open before it, and
// the parser opens the sections and rows left out; outside a table it is ignored.
void HtmlTreeModel::tablePart(const Token& tag, int name)
{
    const bool column = name == N::Col || name == N::Colgroup;
    const bool cell = name == N::Td || name == N::Th;
    for (int step = 0; step < 8; ++step) {
        const int context = tableContext();
        const bool template_ = context >= 0 && m_open.at(context).name == N::Template;
        switch (static_cast<TableMode>(tableMode(context))) {
        case TableMode::Body:
        case TableMode::ColumnGroup:
            return; // ignored, or just a column
        case TableMode::Cell:
        case TableMode::Caption:
            closeCell(context);
            break;
        case TableMode::Row:
            if (cell) {
                popAbove(context);
                open(tag, name);
                return;
            }
            if (template_)
                return;
            popThrough(context);
            break;
        case TableMode::TableBody:
            if (template_ && !cell && name != N::Tr)
                return;
            popAbove(context);
            if (name == N::Tr) {
                open(tag, name);
                return;
            }
            if (cell) {
                openImplied(N::Tr);
                break;
            }
            popThrough(context);
            break;
        case TableMode::Table:
            popAbove(context);
            if (name == N::Colgroup)
                open(tag, name);
            else if (name == N::Col)
                openImplied(N::Colgroup);
            if (column)
                return;
            if (cell || name == N::Tr) {
                openImplied(N::Tbody);
                break;
            }
            open(tag, name);
            return;
        }
    }
}

// What the start tag of an element closes before it opens.
void HtmlTreeModel::closeBefore(int name)
{
    const std::uint32_t tagTraits = m_names.traits(name);
    if (name == N::Li)
        closeItem(N::Li, N::Li);
    else if (name == N::Dd || name == N::Dt)
        closeItem(N::Dd, N::Dt);
    if (tagTraits & T::ClosesP)
        closeP();
    if ((tagTraits & T::Heading) && m_open.nearest(C::Heading) == m_open.size() - 1)
        popThrough(m_open.size() - 1);
    if ((name == N::Option || name == N::Optgroup) && m_open.top().name == N::Option)
        popThrough(m_open.size() - 1);
    if (name == N::Rb || name == N::Rtc || name == N::Rp || name == N::Rt) {
        const int ruby = m_open.topmost(N::Ruby);
        if (ruby >= 0 && !m_open.blocked(ruby, C::Scope))
            closeImplied(name == N::Rp || name == N::Rt ? N::Rtc : -1);
    }
    if (name == N::Button) {
        const int button = m_open.topmost(N::Button);
        if (button >= 0 && !m_open.blocked(button, C::Scope))
            popThrough(button);
    }
    if (name == N::A) {
        // An open link ends where the next begins, and is taken out of the stack if it stays.
        const int position = m_open.lastListed(N::A);
        if (position >= 0) {
            const int link = m_open.listedStackIndex(position);
            const std::uint64_t order = link >= 0 ? m_open.at(link).order : 0;
            adopt(N::A);
            for (int i = m_open.size() - 1; i > 0 && link >= 0; --i) {
                if (m_open.at(i).order == order) {
                    m_open.remove(i, N::Unnamed);
                    break;
                }
            }
        }
    }
    if (name == N::Nobr) {
        const int nobr = m_open.topmost(N::Nobr);
        if (nobr >= 0 && !m_open.blocked(nobr, C::Scope))
            adopt(N::Nobr);
    }
}

void HtmlTreeModel::open(const Token& tag, int name)
{
    m_open.push(element(name, Space::Html, tag));
    if (m_names.traits(name) & T::Formatting)
        m_open.listTop(attributeKey(tag));
    if (name == N::Form)
        m_form = m_open.top().order;
}

void HtmlTreeModel::openImplied(int name)
{
    static const Token none;
    m_open.push(element(name, Space::Html, none));
}

void HtmlTreeModel::end(const Token& tag)
{
    const int name = m_names.html(tag.name);
    const int foreign = m_names.foreign(tag.name);
    // Inside SVG and MathML an end tag closes the foreign element of its name, when only
    // foreign elements stand above it.
    if (m_open.top().space != Space::Html) {
        const int index = m_open.topmost(foreign);
        if (index >= 0 && !m_open.blocked(index, C::Html)) {
            popThrough(index);
            return;
        }
    }
    htmlEnd(name);
}

void HtmlTreeModel::htmlEnd(int name)
{
    if (inSelect()) {
        selectEnd(name);
        return;
    }
    if (m_open.top().name == N::Colgroup && name != N::Template) {
        if (name == N::Col)
            return;
        popThrough(m_open.size() - 1);
        if (name == N::Colgroup)
            return;
    }
    const Element& top = m_open.top();
    // A template ignores end tags until its first start tag, and in columns but its own.
    if (top.name == N::Template && (top.mode == Initial || top.mode == InColumnGroup) &&
        name != N::Template)
        return;
    const std::uint32_t tagTraits = m_names.traits(name);
    if (tagTraits & T::Ignored)
        return;
    auto closeIn = [this](int index, OpenElements::Class scope) {
        if (index >= 0 && !m_open.blocked(index, scope))
            popThrough(index);
    };
    const int index = m_open.topmost(name);
    if (name == N::P) {
        closeIn(index, C::ButtonScope);
    } else if (name == N::Li) {
        closeIn(index, C::ListScope);
    } else if (tagTraits & T::Heading) {
        closeIn(m_open.nearest(C::Heading), C::Scope);
    } else if (tagTraits & T::Formatting) {
        if (!adopt(name))
            closeIn(index, C::Special);
    } else if (name == N::Form) {
        closeForm();
    } else if (name == N::Template) {
        if (index >= 0) {
            popThrough(index);
            m_open.clearToMarker();
        }
    } else if (tagTraits & T::TableContext) {
        closeTablePart(name, index);
    } else if (tagTraits & T::TablePart) {
        return;
    } else if (tagTraits & T::ScopedEnd) {
        // This parser looks for an applet, a marquee or an object in the table scope.
        const auto scope = (tagTraits & T::Marker) ? C::TableScope : C::Scope;
        if (index >= 0 && !m_open.blocked(index, scope)) {
            popThrough(index);
            if (tagTraits & T::Marker)
                m_open.clearToMarker();
        }
    } else {
        closeIn(index, C::Special);
    }
}

// The end of the form the parser holds: it takes that form alone out of the stack.
void HtmlTreeModel::closeForm()
{
    const std::uint64_t order = m_form;
    m_form = 0;
    for (int i = m_open.size() - 1; i > 0 && order != 0; --i) {
        if (m_open.at(i).order == order) {
            if (!m_open.blocked(i, C::Scope)) {
                closeImplied(-1);
                m_open.remove(i, N::Unnamed);
            }
            return;
        }
    }
}

// The end of a cell or caption, or of a row, section or table, which first ends the cell or
// caption open in it; only a cell's or caption's own end forgets the formatting opened in it.
void HtmlTreeModel::closeTablePart(int name, int index)
{
    if (index < 0 || m_open.blocked(index, C::TableScope))
        return;
    const int context = tableContext();
    const auto mode = static_cast<TableMode>(tableMode(context));
    if ((mode == TableMode::Cell || mode == TableMode::Caption) && context > index)
        closeCell(context);
    popThrough(index);
    if (name == N::Td || name == N::Th || name == N::Caption)
        m_open.clearToMarker();
}

void HtmlTreeModel::closeCell(int index)
{
    popThrough(index);
    m_open.clearToMarker();
}

// Closes the elements on top that end where another starts, but for `except`.
void HtmlTreeModel::closeImplied(int except)
{
    for (;;) {
        const int top = m_open.top().name;
        const bool implied = top == N::Dd || top == N::Dt || top == N::Li || top == N::Option ||
                             top == N::Optgroup || top == N::P || top == N::Rb || top == N::Rp ||
                             top == N::Rt || top == N::Rtc;
        if (!implied || top == except)
            return;
        popThrough(m_open.size() - 1);
    }
}

void HtmlTreeModel::closeP()
{
    const int p = m_open.topmost(N::P);
    if (p >= 0 && !m_open.blocked(p, C::ButtonScope))
        popThrough(p);
}

// An open list item or definition closes before the next, unless a block other than a div,
// an address or a paragraph stands between.
void HtmlTreeModel::closeItem(int first, int second)
{
    const int item = std::max(m_open.topmost(first), m_open.topmost(second));
    if (item >= 0 && !m_open.blocked(item, C::ItemStop))
        popThrough(item);
}

bool HtmlTreeModel::adopt(int name)
{
    return m_open.adopt(name, N::Unnamed, m_order);
}

void HtmlTreeModel::popThrough(int index)
{
    m_open.popThrough(index);
}

void HtmlTreeModel::popAbove(int index)
{
    if (index + 1 < m_open.size())
        popThrough(index + 1);
}

} // namespace zentrel
