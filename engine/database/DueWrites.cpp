#include "engine/database/DueWrites.h"

namespace zentrel {

void DueWrites::add(const std::optional<DueKey>& place)
{
    const std::lock_guard lock(m_mutex);
    ++m_count;
    if (!place) {
        m_unknownAt = m_count;
        m_placed.clear();
        return;
    }
    if (m_placed.size() == kKept) {
        m_unknownAt = m_placed.front().first;
        m_placed.pop_front();
    }
    m_placed.emplace_back(m_count, *place);
}

std::uint64_t DueWrites::count() const
{
    const std::lock_guard lock(m_mutex);
    return m_count;
}

DueSince DueWrites::since(std::uint64_t count) const
{
    const std::lock_guard lock(m_mutex);
    DueSince written;
    if (count > m_count || m_unknownAt > count)
        return written;
    written.known = true;
    for (auto it = m_placed.crbegin(); it != m_placed.crend() && it->first > count; ++it) {
        if (!written.first || it->second.before(*written.first))
            written.first = it->second;
    }
    return written;
}

} // namespace zentrel
