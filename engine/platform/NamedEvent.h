#pragma once

#include <chrono>
#include <memory>

#include <QString>

#include "engine/platform/NamedEventRegistry.h"

namespace zentrel {

// A handle to a named manual-reset event of this process. The event exists while at least one
// handle to it is open; closing or destroying a handle lets go of it. Handles may be used from
// any thread. Calls on a closed handle fail (false) as on an invalid handle.
class NamedEvent {
public:
    NamedEvent() = default;
    ~NamedEvent() = default;
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;
    NamedEvent(NamedEvent&&) noexcept = default;
    NamedEvent& operator=(NamedEvent&&) noexcept = default;

    // Opens the event of that name, creating it not signalled when no handle holds the name.
    static NamedEvent create(const QString& name);
    // Opens the event of that name; the handle is not open when no handle holds the name.
    static NamedEvent open(const QString& name);

    bool isOpen() const { return m_event != nullptr; }
    explicit operator bool() const { return isOpen(); }

    bool set();
    bool reset();
    // Zero-timeout test: signalled now.
    bool isSet() const;
    // Waits until the event is signalled or the timeout passes; true when signalled.
    bool wait(std::chrono::milliseconds timeout) const;
    void close() { m_event.reset(); }

private:
    explicit NamedEvent(std::shared_ptr<NamedEventRegistry::Event> event)
        : m_event(std::move(event))
    {
    }

    std::shared_ptr<NamedEventRegistry::Event> m_event;
};

} // namespace zentrel
