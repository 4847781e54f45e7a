#pragma once

#include <cstdint>

#include <QByteArrayView>

#include "engine/research/HtmlNames.h"
#include "engine/research/MarkupScanner.h"
#include "engine/research/OpenElements.h"

namespace zentrel {

// Follows, token by token, which elements gumbo's tree builder holds open while it parses a
// page as a body's content: the elements its start tags open and close, the sections and rows
// of a table it opens by itself, the formatting elements it opens again, what it does inside
// selects, templates, SVG and MathML. Where the parser's rules go beyond what is followed
// here, the elements stay counted as open.
class HtmlTreeModel {
public:
    using Token = MarkupScanner::Token;

    // How the parser reads what follows a start tag.
    enum class Content { Markup, RawText, PlainText };

    HtmlTreeModel();

    // Open elements, with the formatting elements waiting to be opened again.
    int depth() const { return m_open.depth(); }
    // Whether the parser reads a CDATA section here (inside SVG or MathML).
    bool readsCData() const { return m_open.top().space != OpenElements::Space::Html; }

    // How many elements the start tag may open at most, and the name its element is known by.
    int opened(const Token& tag);
    int nameOf(const Token& tag);

    Content start(const Token& tag);
    void end(const Token& tag);
    void text(QByteArrayView text);

    // When the most recently opened element that an end tag of that name could close was
    // opened; 0 when none is open.
    std::uint64_t openedLast(const Token& endTag);
    // The order given to the next element opened, or to a tag the caller leaves out.
    std::uint64_t nextOrder() { return ++m_order; }
    // The earliest order among the elements closed since the last call; kNothing if none.
    std::uint64_t takeClosed();

private:
    using Element = OpenElements::Element;
    using Space = OpenElements::Space;

    Element element(int name, Space space, const Token& tag);
    bool inSelect() const;
    bool foreignRulesFor(int name) const;
    int tableContext() const;
    int tableMode(int context) const;
    bool inTableRows() const;

    Content htmlStart(const Token& tag, int name);
    Content selectStart(const Token& tag, int name);
    void tablePart(const Token& tag, int name);
    void closeBefore(int name);
    void open(const Token& tag, int name);
    void openImplied(int name);
    void htmlEnd(int name);
    void selectEnd(int name);

    void closeForm();
    void closeTablePart(int name, int index);
    void closeCell(int index);
    void closeImplied(int except);
    void closeP();
    void closeItem(int first, int second);
    bool adopt(int name);
    void popThrough(int index);
    void popAbove(int index);

    HtmlNames m_names;
    std::uint64_t m_order = 0;
    std::uint64_t m_form = 0; // the order of the form the parser holds, 0 for none
    OpenElements m_open;
};

} // namespace zentrel
