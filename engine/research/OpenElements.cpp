#include "engine/research/OpenElements.h"

#include <algorithm>
#include <utility>

namespace zentrel {

namespace {
// Elements with the same name and attributes listed since the last marker at most.
constexpr int kEqualListed = 3;
// The parser's limits on the rounds of its adoption of misnested formatting elements and on
// the listed elements between that it copies.
constexpr int kAdoptionRounds = 8;
constexpr int kCopied = 3;
} // namespace

OpenElements::OpenElements(const Element& root)
{
    push(root);
}

int OpenElements::topmost(int name) const
{
    if (name < 0 || name >= static_cast<int>(m_byName.size()) ||
        m_byName[static_cast<std::size_t>(name)].empty())
        return -1;
    return m_byName[static_cast<std::size_t>(name)].back();
}

void OpenElements::push(Element element)
{
    if (element.marker)
        m_list.push_back({element, {}, -1, true});
    m_stack.push_back(element);
    reindexFrom(size() - 1);
}

std::uint64_t OpenElements::popThrough(int index)
{
    if (index < 1 || index >= size())
        return kNothing;
    const std::uint64_t order = at(index).order;
    m_closed = std::min(m_closed, order);
    while (size() > index) {
        const Element element = m_stack.back();
        m_byName[static_cast<std::size_t>(element.name)].pop_back();
        const int position = element.listed ? listPositionOf(size() - 1) : -1;
        if (position >= 0) {
            m_list[static_cast<std::size_t>(position)].stackIndex = -1;
            ++m_pending;
        }
        m_stack.pop_back();
    }
    return order;
}

void OpenElements::listTop(const QByteArray& attributes)
{
    Element& element = m_stack.back();
    int equal = 0;
    int earliest = -1;
    for (int i = static_cast<int>(m_list.size()) - 1; i >= 0 && !m_list[i].marker; --i) {
        const Listed& listed = m_list[static_cast<std::size_t>(i)];
        if (listed.element.name == element.name && listed.attributes == attributes) {
            ++equal;
            earliest = i;
        }
    }
    if (equal >= kEqualListed)
        unlist(earliest);
    element.listed = true;
    m_list.push_back({element, attributes, size() - 1, false});
}

int OpenElements::lastListed(int name) const
{
    for (int i = static_cast<int>(m_list.size()) - 1; i >= 0 && !m_list[i].marker; --i) {
        if (m_list[static_cast<std::size_t>(i)].element.name == name)
            return i;
    }
    return -1;
}

int OpenElements::listedStackIndex(int position) const
{
    return m_list[static_cast<std::size_t>(position)].stackIndex;
}

void OpenElements::unlist(int position)
{
    const Listed& listed = m_list[static_cast<std::size_t>(position)];
    if (listed.stackIndex >= 0)
        m_stack[static_cast<std::size_t>(listed.stackIndex)].listed = false;
    else
        --m_pending;
    m_list.erase(m_list.begin() + position);
}

void OpenElements::reopen(std::uint64_t& order)
{
    if (m_list.empty() || m_list.back().marker || m_list.back().stackIndex >= 0)
        return;
    std::size_t first = m_list.size() - 1;
    while (first > 0 && !m_list[first - 1].marker && m_list[first - 1].stackIndex < 0)
        --first;
    for (std::size_t i = first; i < m_list.size(); ++i) {
        Element element = m_list[i].element;
        element.order = ++order;
        element.listed = true;
        --m_pending;
        m_list[i].stackIndex = size();
        push(element);
    }
}

std::uint64_t OpenElements::takeClosed()
{
    return std::exchange(m_closed, kNothing);
}

bool OpenElements::adopt(int name, int unnamed, std::uint64_t& order)
{
    for (int round = 0; round < kAdoptionRounds; ++round) {
        const int position = lastListed(name);
        if (position < 0)
            return round > 0;
        const int formatting = listedStackIndex(position);
        if (formatting < 0) {
            unlist(position);
            return true;
        }
        const int scoped = topmost(name);
        if (scoped < 0 || blocked(scoped, Scope))
            return true;
        int block = formatting + 1;
        while (block < size() && !(at(block).classes & (1u << Special)))
            ++block;
        if (block == size()) {
            popThrough(formatting);
            unlist(position);
            return true;
        }
        // Between the block and the formatting element the parser drops the unlisted elements,
        // copies the first three listed ones and unlists the others, which stay inside the
        // formatting element: it then stays as an unnamed element.
        int looked = 0;
        bool left = false; // below an element left inside, dropped ones stay unnamed
        for (int node = block - 1; node > formatting; --node) {
            ++looked;
            if (!at(node).listed && left) {
                remove(node, unnamed);
            } else if (!at(node).listed) {
                removeAt(node);
                --block;
            } else if (looked > kCopied) {
                unlist(listPositionOf(node));
                left = true;
            }
        }
        const int listed = listPositionOf(formatting);
        Element copy = at(formatting);
        copy.order = ++order;
        m_stack[static_cast<std::size_t>(formatting)].listed = false;
        if (left) {
            remove(formatting, unnamed);
        } else {
            removeAt(formatting);
            --block;
        }
        insertAt(block + 1, copy);
        m_list[static_cast<std::size_t>(listed)].stackIndex = block + 1;
        m_list[static_cast<std::size_t>(listed)].element = copy;
    }
    return true;
}

void OpenElements::remove(int index, int unnamed)
{
    if (index < 1 || index >= size())
        return;
    const int position = at(index).listed ? listPositionOf(index) : -1;
    if (position >= 0) {
        m_stack[static_cast<std::size_t>(index)].listed = false;
        m_list.erase(m_list.begin() + position);
    }
    if (index == size() - 1) {
        popThrough(index);
        return;
    }
    unindexFrom(index);
    Element& element = m_stack[static_cast<std::size_t>(index)];
    element.name = unnamed;
    element.classes = (1u << Html) | (1u << NotOption);
    reindexFrom(index);
}

void OpenElements::removeAt(int index)
{
    unindexFrom(index);
    m_stack.erase(m_stack.begin() + index);
    for (Listed& listed : m_list) {
        if (listed.stackIndex > index)
            --listed.stackIndex;
    }
    reindexFrom(index);
}

void OpenElements::insertAt(int index, Element element)
{
    unindexFrom(index);
    m_stack.insert(m_stack.begin() + index, element);
    for (Listed& listed : m_list) {
        if (listed.stackIndex >= index)
            ++listed.stackIndex;
    }
    reindexFrom(index);
}

// The stack's indices by name and class, taken back for the elements from `index` up.
void OpenElements::unindexFrom(int index)
{
    for (int i = size() - 1; i >= index; --i)
        m_byName[static_cast<std::size_t>(at(i).name)].pop_back();
}

void OpenElements::reindexFrom(int index)
{
    for (int i = index; i < size(); ++i) {
        Element& element = m_stack[static_cast<std::size_t>(i)];
        for (int c = 0; c < ClassCount; ++c) {
            const bool member = (element.classes & (1u << c)) != 0;
            element.nearest[c] = member ? i : (i > 0 ? at(i - 1).nearest[c] : -1);
        }
        if (element.name >= static_cast<int>(m_byName.size()))
            m_byName.resize(static_cast<std::size_t>(element.name) + 1);
        m_byName[static_cast<std::size_t>(element.name)].push_back(i);
    }
}

int OpenElements::listPositionOf(int stackIndex) const
{
    for (int i = static_cast<int>(m_list.size()) - 1; i >= 0; --i) {
        if (m_list[static_cast<std::size_t>(i)].stackIndex == stackIndex)
            return i;
    }
    return -1;
}

void OpenElements::clearToMarker()
{
    while (!m_list.empty()) {
        const bool marker = m_list.back().marker;
        if (!marker)
            unlist(static_cast<int>(m_list.size()) - 1);
        else
            m_list.pop_back();
        if (marker)
            return;
    }
}

} // namespace zentrel
