#include "engine/platform/CKeyedCollection.h"

#include "engine/platform/ZError.h"

namespace zentrel {

namespace {
const QString kSource = QStringLiteral("CKeyedCollection");
constexpr std::uint32_t kInvalidCall = 0x800A0005u;   // invalid procedure call
constexpr std::uint32_t kOutOfRange = 0x800A0009u;    // subscript out of range
constexpr std::uint32_t kKeyInUse = 0x800A01C9u;      // key already associated
} // namespace

int CKeyedCollection::checkedPosition(int index) const
{
    if (index < 1 || index > Count())
        throw ZError(kOutOfRange, QStringLiteral("Subscript out of range"), kSource);
    return index - 1;
}

void CKeyedCollection::reindexFrom(int position)
{
    for (int i = position; i < Count(); ++i) {
        if (!m_entries[i].isEmpty())
            m_positions[m_entries[i]] = i;
    }
}

void CKeyedCollection::Add(const QVariant& item, const QString& key, std::optional<int> before,
                           std::optional<int> after)
{
    const QString folded = foldKey(key);
    if (!folded.isEmpty() && m_positions.contains(folded))
        throw ZError(kKeyInUse, QStringLiteral("This key is already associated with an element of this collection"),
                     kSource);
    if (before && after)
        throw ZError(kInvalidCall, QStringLiteral("Invalid procedure call or argument"), kSource);

    int position = Count();
    if (before)
        position = checkedPosition(*before);
    else if (after)
        position = checkedPosition(*after) + 1;

    m_entries.insert(m_entries.begin() + position, folded);
    m_items.insert(m_items.begin() + position, item);
    if (position == Count() - 1) {
        if (!folded.isEmpty())
            m_positions.insert(folded, position);
    } else {
        reindexFrom(position);
    }
}

void CKeyedCollection::Remove(int index)
{
    const int position = checkedPosition(index);
    if (!m_entries[position].isEmpty())
        m_positions.remove(m_entries[position]);
    m_entries.erase(m_entries.begin() + position);
    m_items.erase(m_items.begin() + position);
    reindexFrom(position);
}

void CKeyedCollection::Remove(const QString& key)
{
    const auto it = m_positions.constFind(foldKey(key));
    if (it == m_positions.cend())
        throw ZError(kInvalidCall, QStringLiteral("Invalid procedure call or argument"), kSource);
    Remove(it.value() + 1);
}

const QVariant& CKeyedCollection::Item(int index) const
{
    return m_items[checkedPosition(index)];
}

const QVariant& CKeyedCollection::Item(const QString& key) const
{
    const auto it = m_positions.constFind(foldKey(key));
    if (it == m_positions.cend())
        throw ZError(kInvalidCall, QStringLiteral("Invalid procedure call or argument"), kSource);
    return m_items[it.value()];
}

bool CKeyedCollection::Exists(const QString& key) const
{
    return m_positions.contains(foldKey(key));
}

void CKeyedCollection::Clear()
{
    m_entries.clear();
    m_items.clear();
    m_positions.clear();
}

} // namespace zentrel
