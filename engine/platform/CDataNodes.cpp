#include "engine/platform/CDataNodes.h"

#include "engine/platform/CDataNode.h"
#include "engine/platform/ZError.h"

namespace zentrel {

namespace {
constexpr std::uint32_t kOutOfRange = 0x800A0009u; // subscript out of range
} // namespace

CDataNodes::CDataNodes() = default;
CDataNodes::CDataNodes(CDataNodes&&) noexcept = default;
CDataNodes& CDataNodes::operator=(CDataNodes&&) noexcept = default;
CDataNodes::~CDataNodes() = default;

CDataNodes::CDataNodes(const CDataNodes& other)
{
    m_nodes.reserve(other.m_nodes.size());
    for (const auto& node : other.m_nodes)
        m_nodes.push_back(std::make_unique<CDataNode>(*node));
}

CDataNodes& CDataNodes::operator=(const CDataNodes& other)
{
    if (this != &other) {
        CDataNodes copy(other);
        m_nodes = std::move(copy.m_nodes);
    }
    return *this;
}

CDataNode& CDataNodes::Add()
{
    m_nodes.push_back(std::make_unique<CDataNode>());
    return *m_nodes.back();
}

CDataNode& CDataNodes::Item(int index)
{
    if (index < 1 || index > Count())
        throw ZError(kOutOfRange, QStringLiteral("Subscript out of range"),
                     QStringLiteral("CDataNodes"));
    return *m_nodes[static_cast<std::size_t>(index - 1)];
}

const CDataNode& CDataNodes::Item(int index) const
{
    return const_cast<CDataNodes*>(this)->Item(index);
}

void CDataNodes::Clear()
{
    m_nodes.clear();
}

} // namespace zentrel
