#pragma once

#include <cstdint>

#include <QByteArrayView>

namespace zentrel {

// What an HTML tree builder does with an element of a given (lower-case) name: which scopes it
// ends, which open elements its start tag closes, how its content is read.
class HtmlTagTraits {
public:
    enum Flag : std::uint32_t {
        Void = 1u << 0,          // never has content
        Special = 1u << 1,       // stops the closing of other elements by an end tag
        Scope = 1u << 2,         // ends the default scope
        ButtonScope = 1u << 3,   // ends the button scope besides the default scope's elements
        ListScope = 1u << 4,     // ends the list-item scope besides the default scope's elements
        TableScope = 1u << 5,    // ends the table scope
        Formatting = 1u << 6,    // reopened by the tree builder after an unclosed end
        ClosesP = 1u << 7,       // its start tag closes an open paragraph
        Heading = 1u << 8,       // h1 to h6
        Marker = 1u << 9,        // bounds the reopening of formatting elements
        TablePart = 1u << 10,    // ignored outside a table
        TableContext = 1u << 11, // decides how the table parts after it are read
        ScopedEnd = 1u << 12,    // its end tag closes it and what it holds when in scope
        Ignored = 1u << 13,      // one of the document's own elements, never opened again
        RawText = 1u << 14,      // its content is text up to its end tag
        PlainText = 1u << 15,    // everything after its start tag is text
        Script = 1u << 16,       // raw text even inside a select
        ClosesSelect = 1u << 17, // its start tag closes an open select
        Reopens = 1u << 18,      // its start tag reopens the formatting elements left open
        Head = 1u << 19,         // read as in a document's head wherever it stands
    };

    static std::uint32_t of(QByteArrayView name);
};

} // namespace zentrel
