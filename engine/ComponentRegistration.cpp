#include "engine/ComponentRegistration.h"

#include "engine/ComponentRegistry.h"

namespace zentrel {

void ComponentRegistration::add(const QString& progId, const QMetaObject& metaObject,
                                ComponentFactory factory)
{
    ComponentRegistry::instance().add(progId, metaObject, std::move(factory));
}

} // namespace zentrel
