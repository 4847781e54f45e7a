#pragma once

#include <cstddef>

#include <QByteArray>

struct GumboInternalNode;
struct GumboInternalOutput;

namespace zentrel {

// A page parsed by gumbo as the content of a body element, as setting a body's innerHTML
// parses it. The nesting of the page is limited first (MarkupDepthLimit), so the parse stays
// linear; every block the parse allocates is kept in a list and freed with the document, so
// freeing never walks the tree.
class GumboTree {
public:
    explicit GumboTree(const QByteArray& utf8);
    ~GumboTree();
    GumboTree(const GumboTree&) = delete;
    GumboTree& operator=(const GumboTree&) = delete;

    // The root element, which holds the page's content.
    const GumboInternalNode* root() const;

private:
    struct Block;

    static void* allocate(void* userdata, std::size_t size);
    static void deallocate(void* userdata, void* pointer);
    void freeBlocks();

    Block* m_blocks = nullptr; // the most recent first
    GumboInternalOutput* m_output = nullptr;
};

} // namespace zentrel
