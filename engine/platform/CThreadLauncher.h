#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include <QObject>
#include <QString>
#include <QThread>

#include "engine/platform/CKeyedCollection.h"

namespace zentrel {

inline constexpr std::uint32_t kUnknownMethod = 0x800A01B6u; // object doesn't support the method

// Starts engine components on threads of their own and creates them by ProgID.
// A launchable method is a public Q_INVOKABLE method (or slot) taking one CKeyedCollectionPtr.
class CThreadLauncher final {
public:
    // The thread of one Run; callers may drop it. The launcher keeps every thread it started until
    // it has ended, so dropping the handle never ends or destroys a running thread.
    using Handle = std::shared_ptr<const QThread>;

    // Creates the component on a new thread, calls its method there with the data and returns at
    // once. The thread ends when the method returns; the component is destroyed on that thread.
    // An unknown ProgID or method, or a thread that cannot start, raises here before anything runs.
    Handle Run(const QString& progId, const QString& methodName, CKeyedCollectionPtr data) const;

    // Creates the component on the calling thread; the caller owns it (qobject_cast to the class).
    std::unique_ptr<QObject> CreateObject(const QString& progId) const;

    // Threads started by Run that have not ended yet, in the whole process.
    static int runningCount();

    // Pumps the calling thread's events (workers may be waiting for it) until every thread started
    // by Run has ended or the deadline passes; true when all have ended.
    static bool waitForAll(std::chrono::milliseconds deadline);
};

} // namespace zentrel
