#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QByteArray>

namespace zentrel {

// The elements an HTML tree builder holds open, as far as their nesting goes: a stack of open
// elements, and the list of formatting elements that the builder opens again after they were
// closed by the end of an element around them. The depth counts both, so a reopening never
// deepens it. Every lookup costs the same whatever the depth, but for those in the formatting
// list, which the depth bounds.
class OpenElements {
public:
    // Classes of elements that stop a search of the stack, and other kinds looked up by class.
    enum Class {
        Special,      // ends the closing of other elements by an end tag
        Scope,        // ends the default scope
        ButtonScope,  // ends the button scope
        ListScope,    // ends the list-item scope
        TableScope,   // ends the table scope
        ItemStop,     // ends the search for an open list item or definition
        Html,         // an HTML element (not SVG or MathML)
        NotOption,    // neither an option nor an option group
        TableContext, // a table, table section, row, cell, caption or template
        Heading,
        ClassCount
    };

    enum class Space { Html, Svg, MathMl };

    struct Element {
        int name = 0;
        std::uint32_t classes = 0; // bits of Class
        std::uint64_t order = 0;   // when its start tag came
        int mode = 0;              // how a template reads its content
        Space space = Space::Html;
        bool htmlContent = false;              // a foreign element whose content is read as HTML
        bool mathText = false;                 // a MathML element that holds text
        bool marker = false;                   // bounds the reopening of formatting elements
        bool listed = false;                   // in the formatting list
        std::array<int, ClassCount> nearest{}; // topmost element of each class up to this one
    };

    // The stack starts with the root element.
    explicit OpenElements(const Element& root);

    int size() const { return static_cast<int>(m_stack.size()); }
    const Element& at(int index) const { return m_stack[static_cast<std::size_t>(index)]; }
    const Element& top() const { return m_stack.back(); }
    int depth() const { return size() + m_pending; }

    // The index of the topmost open element of that name or class; -1 when there is none.
    int topmost(int name) const;
    int nearest(Class c) const { return top().nearest[c]; }
    // Whether an element of that class stands above the one at `index`.
    bool blocked(int index, Class c) const { return nearest(c) > index; }

    void push(Element element);
    void setMode(int index, int mode) { m_stack[static_cast<std::size_t>(index)].mode = mode; }
    // Pops the element at `index` (never the root) and all above it; formatting elements among
    // them stay in the list to be reopened, and so do markers. Returns the order of the element
    // at `index`, or kNothing when nothing was popped.
    std::uint64_t popThrough(int index);
    static constexpr std::uint64_t kNothing = ~std::uint64_t{0};
    // The earliest order among the elements popped since the last call; kNothing if none.
    std::uint64_t takeClosed();

    // Lists the top element as a formatting element with the attributes given, dropping the
    // earliest of three equal ones listed since the last marker.
    void listTop(const QByteArray& attributes);
    // The position of the last listed element of that name after the last marker; -1 if none.
    int lastListed(int name) const;
    // The stack index of the listed element at that position; -1 when it is closed.
    int listedStackIndex(int position) const;
    void unlist(int position);
    // Opens again the listed elements closed since the last open one or marker.
    void reopen(std::uint64_t& order);
    // Forgets the listed elements since the last marker, and that marker.
    void clearToMarker();
    // What the parser does at the end tag of a listed formatting element of that name: pops
    // it, or takes it out of the stack with the unlisted elements between it and the first
    // block inside it and opens a copy inside that block. False when none is listed.
    bool adopt(int name, int unnamed, std::uint64_t& order);
    // Takes the element at `index` out of the list and, as far as the parser's lookups go, out
    // of the stack: it stays as an unnamed element of no class, for what follows stays inside
    // it. On top, it is popped.
    void remove(int index, int unnamed);

private:
    struct Listed {
        Element element;
        QByteArray attributes;
        int stackIndex = -1; // -1: closed, waiting to be reopened
        bool marker = false;
    };

    int listPositionOf(int stackIndex) const;
    void removeAt(int index);
    void insertAt(int index, Element element);
    void unindexFrom(int index);
    void reindexFrom(int index);

    std::vector<Element> m_stack;
    std::vector<std::vector<int>> m_byName; // name -> indices on the stack, lowest first
    std::vector<Listed> m_list;
    int m_pending = 0; // listed elements not on the stack
    std::uint64_t m_closed = kNothing;
};

} // namespace zentrel
