#pragma once

#include <memory>
#include <vector>

namespace zentrel {

class CDataNode;

// The 1-based child list of a data node. Copies are deep; references returned by Add and Item
// stay valid while the list lives.
class CDataNodes {
public:
    CDataNodes();
    CDataNodes(const CDataNodes& other);
    CDataNodes& operator=(const CDataNodes& other);
    CDataNodes(CDataNodes&&) noexcept;
    CDataNodes& operator=(CDataNodes&&) noexcept;
    ~CDataNodes();

    int Count() const { return static_cast<int>(m_nodes.size()); }

    // Appends a new empty node and returns it.
    CDataNode& Add();

    // Raises when the position is out of range.
    CDataNode& Item(int index);
    const CDataNode& Item(int index) const;

    void Clear();

    // Enumeration in order, yielding the nodes themselves.
    template <class Inner, class Node> class Iterator {
    public:
        using value_type = Node;
        using difference_type = std::ptrdiff_t;
        Iterator() = default;
        explicit Iterator(Inner it)
            : m_it(it)
        {
        }
        Node& operator*() const { return **m_it; }
        Node* operator->() const { return m_it->get(); }
        Iterator& operator++()
        {
            ++m_it;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator copy = *this;
            ++m_it;
            return copy;
        }
        bool operator==(const Iterator& other) const = default;

    private:
        Inner m_it{};
    };
    using NodeList = std::vector<std::unique_ptr<CDataNode>>;
    using iterator = Iterator<NodeList::iterator, CDataNode>;
    using const_iterator = Iterator<NodeList::const_iterator, const CDataNode>;

    iterator begin() { return iterator(m_nodes.begin()); }
    iterator end() { return iterator(m_nodes.end()); }
    const_iterator begin() const { return const_iterator(m_nodes.cbegin()); }
    const_iterator end() const { return const_iterator(m_nodes.cend()); }

private:
    NodeList m_nodes;
};

} // namespace zentrel
