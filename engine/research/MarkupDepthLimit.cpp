#include "engine/research/MarkupDepthLimit.h"

#include <algorithm>
#include <utility>

#include <gumbo.h>

#include "engine/research/HtmlTagTraits.h"

namespace zentrel {

namespace {
using T = HtmlTagTraits;
using C = OpenElements;

// Foreign elements are kept apart from HTML elements of the same name by a prefix no tag has.
const QByteArray kForeignPrefix("\x01", 1);

// The names the rules look for, numbered in this order before any other.
enum Known : int {
    Html,
    P,
    Li,
    Dd,
    Dt,
    Option,
    Optgroup,
    Select,
    Button,
    A,
    Nobr,
    Table,
    Tbody,
    Thead,
    Tfoot,
    Tr,
    Td,
    Th,
    Col,
    Colgroup,
    Template,
    Form,
    Svg,
    Math,
    Mglyph,
    Malignmark,
    AnnotationXml,
    Address,
    Div,
    Ruby,
    Rb,
    Rp,
    Rt,
    Rtc,
    Caption,
    Unknown, // every name the parser does not know, which it tells apart by none
    Unnamed, // an element the parser took out of its stack with its content still open
    ForeignAnnotationXml,
    KnownCount
};
constexpr const char* kKnownNames[KnownCount] = {"html",
                                                 "p",
                                                 "li",
                                                 "dd",
                                                 "dt",
                                                 "option",
                                                 "optgroup",
                                                 "select",
                                                 "button",
                                                 "a",
                                                 "nobr",
                                                 "table",
                                                 "tbody",
                                                 "thead",
                                                 "tfoot",
                                                 "tr",
                                                 "td",
                                                 "th",
                                                 "col",
                                                 "colgroup",
                                                 "template",
                                                 "form",
                                                 "svg",
                                                 "math",
                                                 "mglyph",
                                                 "malignmark",
                                                 "annotation-xml",
                                                 "address",
                                                 "div",
                                                 "ruby",
                                                 "rb",
                                                 "rp",
                                                 "rt",
                                                 "rtc",
                                                 "caption",
                                                 "\x02",
                                                 "\x03",
                                                 "\x01annotation-xml"};

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
} // namespace

QByteArray MarkupDepthLimit::Limit(const QByteArray& markup, int maxDepth)
{
    MarkupDepthLimit limit(markup, maxDepth);
    return limit.run();
}

MarkupDepthLimit::MarkupDepthLimit(const QByteArray& markup, int maxDepth)
    : m_markup(markup)
    , m_limit(maxDepth)
    , m_open(rootElement())
    , m_scanner(markup)
{
}

QByteArray MarkupDepthLimit::run()
{
    for (;;) {
        m_scanner.setCData(m_open.top().space != Space::Html);
        const Token& token = m_scanner.next();
        switch (token.kind) {
        case MarkupScanner::Kind::Text:
            text(token);
            break;
        case MarkupScanner::Kind::CData:
            text(token);
            writeAsText(token);
            break;
        case MarkupScanner::Kind::StartTag:
            startTag(token);
            break;
        case MarkupScanner::Kind::EndTag:
            endTag(token);
            break;
        case MarkupScanner::Kind::Other:
            break;
        case MarkupScanner::Kind::End:
            if (!m_changed)
                return m_markup;
            m_out.append(QByteArrayView(m_markup).sliced(m_copied));
            return m_out;
        }
    }
}

// Names the parser does not know share one number: it matches their end tags by none.
int MarkupDepthLimit::intern(const QByteArray& name)
{
    const auto it = m_ids.constFind(name);
    if (it != m_ids.cend())
        return it.value();
    const bool foreign = name.startsWith(kForeignPrefix);
    if (!foreign && static_cast<int>(m_traits.size()) >= KnownCount &&
        gumbo_tagn_enum(name.constData(), static_cast<unsigned int>(name.size())) ==
            GUMBO_TAG_UNKNOWN) {
        m_ids.insert(name, Unknown);
        return Unknown;
    }
    const int id = static_cast<int>(m_traits.size());
    m_ids.insert(name, id);
    m_traits.push_back(foreign ? 0 : T::of(name));
    return id;
}

// Foreign elements are told apart by their names, whether the parser knows them or not.
int MarkupDepthLimit::foreignName(const QByteArray& tagName)
{
    return intern(kForeignPrefix + tagName);
}

OpenElements::Element MarkupDepthLimit::rootElement()
{
    for (const char* name : kKnownNames)
        intern(name);
    Element root;
    root.name = Html;
    root.classes = classesOf(traits(Html), true, false, false);
    return root;
}

OpenElements::Element MarkupDepthLimit::element(int name, Space space, const Token& tag)
{
    const bool html = space == Space::Html;
    const bool svgText = space == Space::Svg &&
                         (tag.name == "foreignobject" || tag.name == "desc" || tag.name == "title");
    const bool mathText =
        space == Space::MathMl && (tag.name == "mi" || tag.name == "mo" || tag.name == "mn" ||
                                   tag.name == "ms" || tag.name == "mtext");
    const bool annotation = space == Space::MathMl && tag.name == "annotation-xml";
    // Foreign elements count as special, and end scopes, where they hold HTML or text only.
    std::uint32_t tagTraits = traits(name);
    if (!html)
        tagTraits = svgText || mathText || annotation ? T::Special | T::Scope : 0;
    Element element;
    element.name = html ? name : foreignName(tag.name);
    element.classes = classesOf(tagTraits, html, html && (name == Option || name == Optgroup),
                                html && (name == Address || name == Div || name == P));
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
bool MarkupDepthLimit::inSelect() const
{
    const int select = m_open.topmost(Select);
    return select >= 0 && !m_open.blocked(select, C::NotOption);
}

bool MarkupDepthLimit::inForeignContent() const
{
    const Element& top = m_open.top();
    return top.space != Space::Html && !top.htmlContent;
}

// Whether a start tag of that name is read as foreign content: inside SVG or MathML, but where
// they hold HTML.
bool MarkupDepthLimit::foreignRulesFor(int name) const
{
    const Element& top = m_open.top();
    if (top.space == Space::Html)
        return false;
    if (top.mathText)
        return name == Mglyph || name == Malignmark;
    if (top.htmlContent)
        return false;
    // SVG in an annotation is SVG, not MathML.
    return !(name == Svg && top.name == ForeignAnnotationXml);
}

// How the parser reads a table part here; Body when no table part is open.
int MarkupDepthLimit::tableContext() const
{
    return m_open.nearest(C::TableContext);
}

int MarkupDepthLimit::tableMode(int context) const
{
    if (context < 0)
        return static_cast<int>(TableMode::Body);
    const Element& element = m_open.at(context);
    switch (element.name) {
    case Td:
    case Th:
        return static_cast<int>(TableMode::Cell);
    case Caption:
        return static_cast<int>(TableMode::Caption);
    case Tr:
        return static_cast<int>(TableMode::Row);
    case Tbody:
    case Thead:
    case Tfoot:
        return static_cast<int>(TableMode::TableBody);
    case Table:
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
bool MarkupDepthLimit::inTableRows() const
{
    const auto mode = static_cast<TableMode>(tableMode(tableContext()));
    return mode == TableMode::Table || mode == TableMode::TableBody || mode == TableMode::Row;
}

// Text reopens the formatting elements left open, but for blanks between the parts of a table.
void MarkupDepthLimit::text(const Token& token)
{
    if (inForeignContent() || inSelect())
        return;
    const bool blank =
        isBlank(QByteArrayView(m_markup).sliced(token.begin, token.end - token.begin));
    if (m_open.top().name == Colgroup) {
        if (blank)
            return;
        popThrough(m_open.size() - 1);
    }
    const Element& top = m_open.top();
    if (top.name == Template && top.mode == InColumnGroup)
        return;
    const bool tableTop = top.name == Table || top.name == Tbody || top.name == Thead ||
                          top.name == Tfoot || top.name == Tr ||
                          (top.name == Template && inTableRows());
    if (tableTop && blank)
        return;
    m_open.reopen(m_order);
}

// A start tag that may open elements beyond the limit is left out before it changes anything.
void MarkupDepthLimit::startTag(const Token& tag)
{
    const int name = intern(tag.name);
    const bool foreign = foreignRulesFor(name);
    if (!fits(opened(tag, name, foreign))) {
        drop(tag, foreign ? foreignName(tag.name) : name);
        return;
    }
    if (foreign)
        foreignStart(tag, name);
    else
        htmlStart(tag, name);
}

// How many elements the start tag may open at most: a cell comes with the section and row the
// parser opens for it; empty elements and those whose content is text open none that stays.
int MarkupDepthLimit::opened(const Token& tag, int name, bool foreign) const
{
    if (foreign)
        return tag.selfClosing ? 0 : 1;
    const std::uint32_t tagTraits = traits(name);
    if (tagTraits & T::Ignored)
        return 0;
    const bool cell = name == Td || name == Th || name == Tr;
    if (inSelect()) {
        if (name == Option || name == Optgroup || name == Template)
            return 1;
        return cell || name == Table || (tagTraits & T::TableContext) ? 3 : 0;
    }
    if (tagTraits & T::TablePart)
        return cell ? 3 : 1;
    return tagTraits & (T::Void | T::RawText | T::PlainText) ? 0 : 1;
}

// Inside SVG and MathML every tag opens an element, which a closing slash closes at once.
void MarkupDepthLimit::foreignStart(const Token& tag, int name)
{
    if (!tag.selfClosing)
        m_open.push(element(name, m_open.top().space, tag));
}

void MarkupDepthLimit::htmlStart(const Token& tag, int name)
{
    const std::uint32_t tagTraits = traits(name);
    // A column group holds columns and templates; anything else closes it first.
    if (m_open.top().name == Colgroup && name != Template) {
        if (name == Col)
            return;
        popThrough(m_open.size() - 1);
    }
    if (inSelect()) {
        selectStart(tag, name);
        return;
    }
    // A template's first tag tells how the parser reads the rest of it.
    const Element& top = m_open.top();
    if (top.name == Template && top.mode == InColumnGroup && name != Template)
        return; // the parser ignores all but columns and templates there
    if (top.name == Template && top.mode == Initial && !(tagTraits & T::Head))
        m_open.setMode(m_open.size() - 1, templateModeFor(name));
    if (tagTraits & T::Ignored)
        return;
    if (tagTraits & T::TablePart) {
        tablePart(tag, name);
        return;
    }
    if (tagTraits & (T::Void | T::RawText | T::PlainText)) {
        if (tagTraits & T::ClosesP)
            closeP();
        if (tagTraits & T::Reopens)
            m_open.reopen(m_order);
        if (tagTraits & (T::RawText | T::PlainText))
            m_scanner.readRawText(tag.name, tagTraits & T::PlainText);
        return;
    }
    const bool tableRows = inTableRows();
    const bool inTemplate = m_open.topmost(Template) >= 0;
    // Forms do not nest; in a table a form holds nothing, the parser closes it at once.
    if (name == Form && m_form != 0 && !inTemplate)
        return;
    if (name == Form && tableRows) {
        m_form = ++m_order;
        return;
    }
    // A table in a table closes the table before it, and is ignored in a template.
    const int outerTable = m_open.topmost(Table);
    if (name == Table && tableRows && m_open.blocked(outerTable, C::TableScope))
        return;
    if (name == Table && tableRows)
        popThrough(outerTable);
    closeBefore(name);
    if (tagTraits & T::Reopens)
        m_open.reopen(m_order);
    if (name == Svg || name == Math) {
        if (!tag.selfClosing)
            m_open.push(element(name, name == Svg ? Space::Svg : Space::MathMl, tag));
        return;
    }
    open(tag, name);
}

int MarkupDepthLimit::templateModeFor(int name) const
{
    switch (name) {
    case Caption:
    case Colgroup:
    case Tbody:
    case Thead:
    case Tfoot:
        return InTable;
    case Col:
        return InColumnGroup;
    case Tr:
        return InTableBody;
    case Td:
    case Th:
        return InRow;
    default:
        return InBody;
    }
}

// Inside a select the parser opens options, option groups and templates and ignores the rest;
// a select, an input, a textarea or, in a table, a part of the table closes the select.
void MarkupDepthLimit::selectStart(const Token& tag, int name)
{
    const std::uint32_t tagTraits = traits(name);
    const int select = m_open.topmost(Select);
    const bool inTable = m_open.topmost(Table) > m_open.topmost(Template);
    if (name == Select) {
        popThrough(select);
        return;
    }
    if ((tagTraits & T::ClosesSelect) ||
        (inTable && (name == Table || ((tagTraits & T::TableContext) && name != Template)))) {
        popThrough(select);
        htmlStart(tag, name);
        return;
    }
    if (tagTraits & T::Script) {
        m_scanner.readRawText(tag.name);
        return;
    }
    if (name != Option && name != Optgroup && name != Template)
        return;
    if (name != Template && m_open.top().name == Option)
        popThrough(m_open.size() - 1);
    if (name == Optgroup && m_open.top().name == Optgroup)
        popThrough(m_open.size() - 1);
    open(tag, name);
}

// End tags inside a select close options, option groups and the select, or in a table the
// table part it stands in.
void MarkupDepthLimit::selectEnd(int name)
{
    const int top = m_open.size() - 1;
    if (name == Option && m_open.top().name == Option) {
        popThrough(top);
    } else if (name == Optgroup) {
        if (m_open.top().name == Option && m_open.at(top - 1).name == Optgroup)
            popThrough(top);
        if (m_open.top().name == Optgroup)
            popThrough(m_open.size() - 1);
    } else if (name == Select) {
        popThrough(m_open.topmost(Select));
    } else if (name == Template) {
        popThrough(m_open.topmost(Template));
        m_open.clearToMarker();
    } else if ((traits(name) & T::TableContext) &&
               m_open.topmost(Table) > m_open.topmost(Template)) {
        const int index = m_open.topmost(name);
        if (index >= 0 && !m_open.blocked(index, C::TableScope)) {
            popThrough(m_open.topmost(Select));
            htmlEnd(name);
        }
    }
}

// A section, row, cell, caption or column closes what the table holds open before it, and
// the parser opens the sections and rows left out; outside a table it is ignored.
void MarkupDepthLimit::tablePart(const Token& tag, int name)
{
    const bool column = name == Col || name == Colgroup;
    const bool cell = name == Td || name == Th;
    for (int step = 0; step < 8; ++step) {
        const int context = tableContext();
        const bool template_ = context >= 0 && m_open.at(context).name == Template;
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
            if (template_ && !cell && name != Tr)
                return;
            popAbove(context);
            if (name == Tr) {
                open(tag, name);
                return;
            }
            if (cell) {
                openImplied(Tr);
                break;
            }
            popThrough(context);
            break;
        case TableMode::Table:
            popAbove(context);
            if (name == Colgroup)
                open(tag, name);
            else if (name == Col)
                openImplied(Colgroup);
            if (column)
                return;
            if (cell || name == Tr) {
                openImplied(Tbody);
                break;
            }
            open(tag, name);
            return;
        }
    }
}

// What the start tag of an element closes before it opens.
void MarkupDepthLimit::closeBefore(int name)
{
    const std::uint32_t tagTraits = traits(name);
    if (name == Li)
        closeItem(Li, Li);
    else if (name == Dd || name == Dt)
        closeItem(Dd, Dt);
    if (tagTraits & T::ClosesP)
        closeP();
    if ((tagTraits & T::Heading) && m_open.nearest(C::Heading) == m_open.size() - 1)
        popThrough(m_open.size() - 1);
    if ((name == Option || name == Optgroup) && m_open.top().name == Option)
        popThrough(m_open.size() - 1);
    if (name == Rb || name == Rtc || name == Rp || name == Rt) {
        const int ruby = m_open.topmost(Ruby);
        if (ruby >= 0 && !m_open.blocked(ruby, C::Scope))
            closeImplied(name == Rp || name == Rt ? Rtc : -1);
    }
    if (name == Button) {
        const int button = m_open.topmost(Button);
        if (button >= 0 && !m_open.blocked(button, C::Scope))
            popThrough(button);
    }
    if (name == A) {
        // An open link ends where the next begins, and is taken out of the stack if it stays.
        const int position = m_open.lastListed(A);
        if (position >= 0) {
            const int link = m_open.listedStackIndex(position);
            const std::uint64_t order = link >= 0 ? m_open.at(link).order : 0;
            adopt(A);
            for (int i = m_open.size() - 1; i > 0 && link >= 0; --i) {
                if (m_open.at(i).order == order) {
                    m_open.remove(i, Unnamed);
                    break;
                }
            }
        }
    }
    if (name == Nobr) {
        const int nobr = m_open.topmost(Nobr);
        if (nobr >= 0 && !m_open.blocked(nobr, C::Scope))
            adopt(Nobr);
    }
}

void MarkupDepthLimit::open(const Token& tag, int name)
{
    m_open.push(element(name, Space::Html, tag));
    if (traits(name) & T::Formatting)
        m_open.listTop(attributeKey(tag));
    if (name == Form)
        m_form = m_open.top().order;
}

void MarkupDepthLimit::openImplied(int name)
{
    static const Token none;
    m_open.push(element(name, Space::Html, none));
}

void MarkupDepthLimit::endTag(const Token& tag)
{
    const int name = intern(tag.name);
    const int foreign = foreignName(tag.name);
    if (droppedEnd(name, foreign)) {
        drop(tag);
        return;
    }
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

void MarkupDepthLimit::htmlEnd(int name)
{
    if (inSelect()) {
        selectEnd(name);
        return;
    }
    if (m_open.top().name == Colgroup && name != Template) {
        if (name == Col)
            return;
        popThrough(m_open.size() - 1);
        if (name == Colgroup)
            return;
    }
    const Element& top = m_open.top();
    // A template ignores end tags until its first start tag, and in columns but its own.
    if (top.name == Template && (top.mode == Initial || top.mode == InColumnGroup) &&
        name != Template)
        return;
    const std::uint32_t tagTraits = traits(name);
    if (tagTraits & T::Ignored)
        return;
    auto closeIn = [this](int index, OpenElements::Class scope) {
        if (index >= 0 && !m_open.blocked(index, scope))
            popThrough(index);
    };
    const int index = m_open.topmost(name);
    if (name == P) {
        closeIn(index, C::ButtonScope);
    } else if (name == Li) {
        closeIn(index, C::ListScope);
    } else if (tagTraits & T::Heading) {
        closeIn(m_open.nearest(C::Heading), C::Scope);
    } else if (tagTraits & T::Formatting) {
        if (!adopt(name))
            closeIn(index, C::Special);
    } else if (name == Form) {
        closeForm();
    } else if (name == Template) {
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
void MarkupDepthLimit::closeForm()
{
    const std::uint64_t order = m_form;
    m_form = 0;
    for (int i = m_open.size() - 1; i > 0 && order != 0; --i) {
        if (m_open.at(i).order == order) {
            if (!m_open.blocked(i, C::Scope)) {
                closeImplied(-1);
                m_open.remove(i, Unnamed);
            }
            return;
        }
    }
}

// The end of a cell or caption, or of a row, section or table, which first ends the cell or
// caption open in it; only a cell's or caption's own end forgets the formatting opened in it.
void MarkupDepthLimit::closeTablePart(int name, int index)
{
    if (index < 0 || m_open.blocked(index, C::TableScope))
        return;
    const int context = tableContext();
    const auto mode = static_cast<TableMode>(tableMode(context));
    if ((mode == TableMode::Cell || mode == TableMode::Caption) && context > index)
        closeCell(context);
    popThrough(index);
    if (name == Td || name == Th || name == Caption)
        m_open.clearToMarker();
}

void MarkupDepthLimit::closeCell(int index)
{
    popThrough(index);
    m_open.clearToMarker();
}

// Closes the elements on top that end where another starts, but for `except`.
void MarkupDepthLimit::closeImplied(int except)
{
    for (;;) {
        const int top = m_open.top().name;
        const bool implied = top == Dd || top == Dt || top == Li || top == Option ||
                             top == Optgroup || top == P || top == Rb || top == Rp || top == Rt ||
                             top == Rtc;
        if (!implied || top == except)
            return;
        popThrough(m_open.size() - 1);
    }
}

void MarkupDepthLimit::closeP()
{
    const int p = m_open.topmost(P);
    if (p >= 0 && !m_open.blocked(p, C::ButtonScope))
        popThrough(p);
}

// An open list item or definition closes before the next, unless a block other than a div,
// an address or a paragraph stands between.
void MarkupDepthLimit::closeItem(int first, int second)
{
    const int item = std::max(m_open.topmost(first), m_open.topmost(second));
    if (item >= 0 && !m_open.blocked(item, C::ItemStop))
        popThrough(item);
}

bool MarkupDepthLimit::adopt(int name)
{
    return m_open.adopt(name, Unnamed, m_order);
}

// Pops through the element at `index`; dropped tags opened inside it are closed with it.
void MarkupDepthLimit::popThrough(int index)
{
    const std::uint64_t order = m_open.popThrough(index);
    if (order == OpenElements::kNothing)
        return;
    while (!m_dropped.empty() && m_dropped.back().order >= order) {
        m_droppedByName[static_cast<std::size_t>(m_dropped.back().name)].pop_back();
        m_dropped.pop_back();
    }
}

void MarkupDepthLimit::popAbove(int index)
{
    if (index + 1 < m_open.size())
        popThrough(index + 1);
}

// Whether the end tag closes a dropped element, opened after any open element of its name;
// the dropped elements opened inside it are closed with it.
bool MarkupDepthLimit::droppedEnd(int name, int foreign)
{
    int best = -1;
    for (const int id : {name, foreign}) {
        if (id < static_cast<int>(m_droppedByName.size()) &&
            !m_droppedByName[static_cast<std::size_t>(id)].empty())
            best = std::max(best, m_droppedByName[static_cast<std::size_t>(id)].back());
    }
    if (best < 0)
        return false;
    const std::uint64_t order = m_dropped[static_cast<std::size_t>(best)].order;
    for (const int id : {name, foreign}) {
        const int open = m_open.topmost(id);
        if (open >= 0 && m_open.at(open).order > order)
            return false;
    }
    while (static_cast<int>(m_dropped.size()) > best) {
        m_droppedByName[static_cast<std::size_t>(m_dropped.back().name)].pop_back();
        m_dropped.pop_back();
    }
    return true;
}

// A CDATA section becomes the text it holds: the parser mishandles some of them in tables.
void MarkupDepthLimit::writeAsText(const Token& section)
{
    replace(section);
    const qsizetype close = m_markup.indexOf("]]>", section.begin + 9);
    const qsizetype end = close < 0 || close >= section.end ? section.end : close;
    for (const char c :
         QByteArrayView(m_markup).sliced(section.begin + 9, end - section.begin - 9)) {
        if (c == '&')
            m_out.append("&amp;");
        else if (c == '<')
            m_out.append("&lt;");
        else
            m_out.append(c);
    }
}

// Writes what stands before the token and skips it; a "<" of the text just before would start
// a tag with what follows, so it is written as text.
void MarkupDepthLimit::replace(const Token& token)
{
    if (!m_changed) {
        m_changed = true;
        m_out.reserve(m_markup.size());
    }
    const bool lessThan = token.begin > m_copied && m_markup.at(token.begin - 1) == '<';
    const qsizetype kept = token.begin - m_copied - (lessThan ? 1 : 0);
    m_out.append(QByteArrayView(m_markup).sliced(m_copied, kept));
    if (lessThan)
        m_out.append("&lt;");
    m_copied = token.end;
}

// Leaves the tag out; a start tag's element is held open as dropped under `name`.
void MarkupDepthLimit::drop(const Token& tag, int name)
{
    replace(tag);
    if (name < 0)
        return;
    if (name >= static_cast<int>(m_droppedByName.size()))
        m_droppedByName.resize(static_cast<std::size_t>(name) + 1);
    m_droppedByName[static_cast<std::size_t>(name)].push_back(static_cast<int>(m_dropped.size()));
    m_dropped.push_back({name, ++m_order});
}

} // namespace zentrel
