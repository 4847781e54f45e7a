#include "engine/research/GumboTree.h"

#include <cstdlib>
#include <new>

#include <gumbo.h>

#include "engine/platform/ZError.h"
#include "engine/research/GumboGuard.h"
#include "engine/research/MarkupDepthLimit.h"

namespace zentrel {

// Each block carries its links in front of the memory handed out, aligned as malloc aligns.
struct alignas(std::max_align_t) GumboTree::Block {
    Block* previous;
    Block* next;
};

GumboTree::GumboTree(const QByteArray& utf8)
{
    const QByteArray markup = MarkupDepthLimit::Limit(utf8);
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &GumboTree::allocate;
    options.deallocator = &GumboTree::deallocate;
    options.userdata = this;
    options.fragment_context = GUMBO_TAG_BODY;
    options.fragment_namespace = GUMBO_NAMESPACE_HTML;
    m_output = GumboGuard::Parse(options, markup.constData(), static_cast<size_t>(markup.size()));
    if (!m_output) {
        freeBlocks();
        throw ZError(kUnexpected, QStringLiteral("The page cannot be parsed."),
                     QStringLiteral("COP"));
    }
}

GumboTree::~GumboTree()
{
    freeBlocks();
}

void GumboTree::freeBlocks()
{
    while (m_blocks) {
        Block* const block = m_blocks;
        m_blocks = block->next;
        std::free(block);
    }
}

const GumboInternalNode* GumboTree::root() const
{
    return m_output->root;
}

void* GumboTree::allocate(void* userdata, std::size_t size)
{
    auto* const document = static_cast<GumboTree*>(userdata);
    auto* const block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
    if (!block)
        return nullptr;
    block->previous = nullptr;
    block->next = document->m_blocks;
    if (document->m_blocks)
        document->m_blocks->previous = block;
    document->m_blocks = block;
    return block + 1;
}

void GumboTree::deallocate(void* userdata, void* pointer)
{
    if (!pointer)
        return;
    auto* const document = static_cast<GumboTree*>(userdata);
    Block* const block = static_cast<Block*>(pointer) - 1;
    if (block->previous)
        block->previous->next = block->next;
    else
        document->m_blocks = block->next;
    if (block->next)
        block->next->previous = block->previous;
    std::free(block);
}

} // namespace zentrel
