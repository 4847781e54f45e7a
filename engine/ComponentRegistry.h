#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include <QHash>
#include <QObject>
#include <QString>

#include "engine/ComponentRegistration.h"

namespace zentrel {

inline constexpr std::uint32_t kInvalidClassString = 0x800401F3u; // CO_E_CLASSSTRING

// The engine's component classes by ProgID ("Zentrel.<Class>", matched without regard to case).
// Classes register themselves through a ComponentRegistration in their own source file.
class ComponentRegistry {
public:
    struct Component {
        const QMetaObject* metaObject = nullptr;
        ComponentFactory factory;
    };

    static ComponentRegistry& instance();

    // A second registration under the same ProgID replaces the first.
    void add(const QString& progId, const QMetaObject& metaObject, ComponentFactory factory);
    bool contains(const QString& progId) const;

    // Raises kInvalidClassString naming the ProgID when nothing is registered under it.
    Component find(const QString& progId) const;
    std::unique_ptr<QObject> create(const QString& progId) const;

private:
    ComponentRegistry() = default;
    static QString foldKey(const QString& progId) { return progId.toCaseFolded(); }

    mutable std::mutex m_mutex;
    QHash<QString, Component> m_components;
};

} // namespace zentrel
