#pragma once

#include <cstdint>
#include <memory>

#include <QObject>
#include <QString>

#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/ThreadHandle.h"

namespace zentrel {

inline constexpr std::uint32_t kUnknownMethod = 0x800A01B6u; // object doesn't support the method

// Starts engine components on threads of their own and creates them by ProgID.
// A launchable method is a public Q_INVOKABLE method (or slot) taking one CKeyedCollectionPtr.
class CThreadLauncher final {
public:
    // Creates the component on a new thread, calls its method there with the data and returns at
    // once. The thread ends when the method returns; the component is destroyed on that thread.
    // The caller owns the thread through the handle. An unknown ProgID or method, or a thread
    // that cannot start, raises here before anything runs.
    [[nodiscard]] ThreadHandle Run(const QString& progId, const QString& methodName,
                                   CKeyedCollectionPtr data) const;

    // Creates the component on the calling thread; the caller owns it (qobject_cast to the class).
    std::unique_ptr<QObject> CreateObject(const QString& progId) const;
};

} // namespace zentrel
