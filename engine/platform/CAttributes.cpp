#include "engine/platform/CAttributes.h"

#include "engine/platform/ZError.h"

namespace zentrel {

namespace {
constexpr std::uint32_t kInvalidCall = 0x800A0005u; // invalid procedure call
} // namespace

int CAttributes::positionOf(const QString& name) const
{
    const auto it = m_positions.constFind(foldName(name));
    if (it == m_positions.cend())
        throw ZError(kInvalidCall, QStringLiteral("No attribute named '%1'").arg(name),
                     QStringLiteral("CAttributes"));
    return it.value();
}

CAttribute& CAttributes::Add(const QString& name, const QVariant& value)
{
    const QString folded = foldName(name);
    auto it = m_positions.constFind(folded);
    if (it == m_positions.cend()) {
        m_attributes.emplace_back(name);
        it = m_positions.insert(folded, Count() - 1);
    }
    CAttribute& attribute = m_attributes[it.value()];
    attribute.Values().Add(value);
    return attribute;
}

CAttribute& CAttributes::Item(const QString& name)
{
    return m_attributes[positionOf(name)];
}

const CAttribute& CAttributes::Item(const QString& name) const
{
    return m_attributes[positionOf(name)];
}

bool CAttributes::Exists(const QString& name) const
{
    return m_positions.contains(foldName(name));
}

} // namespace zentrel
