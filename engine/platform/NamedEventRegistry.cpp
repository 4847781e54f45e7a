#include "engine/platform/NamedEventRegistry.h"

namespace zentrel {

NamedEventRegistry& NamedEventRegistry::instance()
{
    static NamedEventRegistry registry;
    return registry;
}

std::shared_ptr<NamedEventRegistry::Event> NamedEventRegistry::createOrOpen(const QString& name)
{
    const std::string key = name.toStdString();
    const std::lock_guard lock(m_mutex);
    std::weak_ptr<Event>& entry = m_events[key];
    if (std::shared_ptr<Event> existing = entry.lock())
        return existing;
    // The last handle's release takes the name out again, unless a new event took it meanwhile.
    std::shared_ptr<Event> created(new Event, [this, key](Event* event) {
        delete event;
        forget(key);
    });
    entry = created;
    return created;
}

std::shared_ptr<NamedEventRegistry::Event> NamedEventRegistry::open(const QString& name)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_events.find(name.toStdString());
    return it == m_events.end() ? nullptr : it->second.lock();
}

int NamedEventRegistry::size() const
{
    const std::lock_guard lock(m_mutex);
    return static_cast<int>(m_events.size());
}

void NamedEventRegistry::forget(const std::string& key)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_events.find(key);
    if (it != m_events.end() && it->second.expired())
        m_events.erase(it);
}

} // namespace zentrel
