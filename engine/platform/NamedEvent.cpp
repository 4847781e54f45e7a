#include "engine/platform/NamedEvent.h"

#include <algorithm>

namespace zentrel {

NamedEvent NamedEvent::create(const QString& name)
{
    return NamedEvent(NamedEventRegistry::instance().createOrOpen(name));
}

NamedEvent NamedEvent::open(const QString& name)
{
    return NamedEvent(NamedEventRegistry::instance().open(name));
}

bool NamedEvent::set()
{
    if (!m_event)
        return false;
    {
        const std::lock_guard lock(m_event->mutex);
        m_event->isSet = true;
    }
    m_event->signalled.notify_all();
    return true;
}

bool NamedEvent::reset()
{
    if (!m_event)
        return false;
    const std::lock_guard lock(m_event->mutex);
    m_event->isSet = false;
    return true;
}

bool NamedEvent::isSet() const
{
    if (!m_event)
        return false;
    const std::lock_guard lock(m_event->mutex);
    return m_event->isSet;
}

bool NamedEvent::wait(std::chrono::milliseconds timeout) const
{
    if (!m_event)
        return false;
    // Beyond a year is as good as for ever, and keeps the deadline from overflowing.
    const auto bounded = std::min<std::chrono::milliseconds>(timeout, std::chrono::hours(24 * 366));
    std::unique_lock lock(m_event->mutex);
    return m_event->signalled.wait_for(lock, bounded, [this] { return m_event->isSet; });
}

} // namespace zentrel
