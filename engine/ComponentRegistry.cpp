#include "engine/ComponentRegistry.h"

#include "engine/platform/ZError.h"

namespace zentrel {

ComponentRegistry& ComponentRegistry::instance()
{
    static ComponentRegistry registry;
    return registry;
}

void ComponentRegistry::add(const QString& progId, const QMetaObject& metaObject,
                            ComponentFactory factory)
{
    const std::lock_guard lock(m_mutex);
    m_components.insert(foldKey(progId), Component{&metaObject, std::move(factory)});
}

bool ComponentRegistry::contains(const QString& progId) const
{
    const std::lock_guard lock(m_mutex);
    return m_components.contains(foldKey(progId));
}

ComponentRegistry::Component ComponentRegistry::find(const QString& progId) const
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_components.constFind(foldKey(progId));
    if (it == m_components.cend())
        throw ZError(
            kInvalidClassString,
            QStringLiteral("No component is registered under the ProgID \"%1\"").arg(progId),
            QStringLiteral("ComponentRegistry"));
    return *it;
}

std::unique_ptr<QObject> ComponentRegistry::create(const QString& progId) const
{
    return find(progId).factory();
}

} // namespace zentrel
