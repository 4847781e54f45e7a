#pragma once

#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QHash>

#include "engine/research/HtmlTreeModel.h"
#include "engine/research/MarkupScanner.h"

namespace zentrel {

// Bounds how deep gumbo nests the elements of a page, in one pass over the markup that follows
// what the parser holds open (HtmlTreeModel): a start tag that would open an element deeper
// than the limit is left out with the start tags inside that element, their content kept as
// text, and so are the end tags that close them. Elements the parser closes by itself (an unclosed
// paragraph, list item, cell, row or option), empty elements, comments, the content of scripts and
// styles and end tags that close nothing do not deepen it, so a page that stays within the limit
// comes out byte for byte as it went in, but for CDATA sections in SVG or MathML, which become the
// text they hold.
class MarkupDepthLimit {
public:
    // Deep enough for any page written by hand or by a program, shallow enough that parsing and
    // walking the tree stay cheap.
    static constexpr int kMaxDepth = 256;

    static QByteArray Limit(const QByteArray& markup, int maxDepth = kMaxDepth);

private:
    using Token = MarkupScanner::Token;

    // Start tags left out in a row under one name, the last of them opened at `order`.
    struct Dropped {
        int name;
        std::uint64_t order;
        int count;
    };

    MarkupDepthLimit(const QByteArray& markup, int maxDepth);
    QByteArray run();

    void startTag(const Token& tag);
    void endTag(const Token& tag);
    int droppedName(const QByteArray& name);
    void keepDropped(std::uint64_t closed);
    bool closesDropped(const Token& endTag);

    void writeAsText(const Token& section);
    void skip(const Token& token);

    const QByteArray& m_markup;
    const int m_limit;
    HtmlTreeModel m_model;
    MarkupScanner m_scanner;
    QHash<QByteArray, int> m_droppedNames;
    std::vector<Dropped> m_dropped;
    std::vector<std::vector<int>> m_droppedByName; // name -> indices in m_dropped
    QByteArray m_out;
    qsizetype m_copied = 0;
    bool m_changed = false;
};

} // namespace zentrel
