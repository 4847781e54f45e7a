#pragma once

#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QHash>

#include "engine/research/MarkupScanner.h"
#include "engine/research/OpenElements.h"

namespace zentrel {

// Bounds how deep an HTML parser nests the elements of a page, in one pass over the markup that
// follows, element by element, what the parser holds open: a start tag that would open an
// element deeper than the limit is left out, its content kept as text, and so is the end tag
// that closes it. Where it cannot tell whether the parser closes an element, it keeps it open,
// so the parser never nests deeper than it counts. Elements the parser closes by itself (an
// unclosed paragraph, list item, cell, row or option), empty elements, comments, the content
// of scripts and styles and end tags that close nothing do not deepen it, so a page that stays
// within the limit comes out byte for byte as it went in.
class MarkupDepthLimit {
public:
    // Deep enough for any page written by hand or by a program, shallow enough that parsing and
    // walking the tree stay cheap.
    static constexpr int kMaxDepth = 256;

    static QByteArray Limit(const QByteArray& markup, int maxDepth = kMaxDepth);

private:
    using Token = MarkupScanner::Token;
    using Element = OpenElements::Element;
    using Space = OpenElements::Space;

    struct Dropped {
        int name;
        std::uint64_t order;
    };

    MarkupDepthLimit(const QByteArray& markup, int maxDepth);
    QByteArray run();

    int intern(const QByteArray& name);
    int foreignName(const QByteArray& tagName);
    std::uint32_t traits(int name) const { return m_traits[static_cast<std::size_t>(name)]; }
    Element rootElement();
    Element element(int name, Space space, const Token& tag);
    bool fits(int count) const { return m_open.depth() + count <= m_limit; }
    bool inSelect() const;
    bool inForeignContent() const;
    bool foreignRulesFor(int name) const;
    int tableContext() const;
    int tableMode(int context) const;
    bool inTableRows() const;
    int templateModeFor(int name) const;

    void text(const Token& token);
    void startTag(const Token& tag);
    int opened(const Token& tag, int name, bool foreign) const;
    void foreignStart(const Token& tag, int name);
    void htmlStart(const Token& tag, int name);
    void selectStart(const Token& tag, int name);
    void selectEnd(int name);
    void tablePart(const Token& tag, int name);
    void closeBefore(int name);
    void open(const Token& tag, int name);
    void openImplied(int name);
    void endTag(const Token& tag);
    void htmlEnd(int name);

    void closeForm();
    void closeTablePart(int name, int index);
    void closeCell(int index);
    void closeImplied(int except);
    void closeP();
    void closeItem(int first, int second);
    bool adopt(int name);
    void popThrough(int index);
    void popAbove(int index);
    bool droppedEnd(int name, int foreign);
    void drop(const Token& tag, int name = -1);
    void writeAsText(const Token& section);
    void replace(const Token& token);

    const QByteArray& m_markup;
    const int m_limit;
    // Names by number; those the rules name come first, in a fixed order.
    QHash<QByteArray, int> m_ids;
    std::vector<std::uint32_t> m_traits;
    std::uint64_t m_order = 0;
    std::uint64_t m_form = 0; // the order of the form the parser holds, 0 for none
    OpenElements m_open;
    MarkupScanner m_scanner;
    std::vector<Dropped> m_dropped;
    std::vector<std::vector<int>> m_droppedByName;
    QByteArray m_out;
    qsizetype m_copied = 0;
    bool m_changed = false;
};

} // namespace zentrel
