#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include <QString>

namespace zentrel {

// The process's named manual-reset events. An event lives while at least one handle holds it;
// the handles are NamedEvent objects.
class NamedEventRegistry {
public:
    struct Event {
        std::mutex mutex;
        std::condition_variable signalled;
        bool isSet = false;
    };

    static NamedEventRegistry& instance();

    // The event of that name, created not signalled when no handle holds the name.
    std::shared_ptr<Event> createOrOpen(const QString& name);
    // The event of that name, or null when no handle holds the name.
    std::shared_ptr<Event> open(const QString& name);

    // Names that some handle holds (for tests and diagnostics).
    int size() const;

private:
    NamedEventRegistry() = default;
    void forget(const std::string& key);

    mutable std::mutex m_mutex;
    std::unordered_map<std::string, std::weak_ptr<Event>> m_events;
};

} // namespace zentrel
