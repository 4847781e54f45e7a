#pragma once

#include <functional>
#include <memory>
#include <type_traits>

#include <QObject>
#include <QString>

namespace zentrel {

using ComponentFactory = std::function<std::unique_ptr<QObject>()>;

// Registers a component class under its ProgID when the library loads. Placed in the class's own
// source file:
//   const ComponentRegistration registration{"Zentrel.CTimerHelper",
//                                            [] { return std::make_unique<CTimerHelper>(); }};
class ComponentRegistration {
public:
    template <class Factory> ComponentRegistration(const char* progId, Factory factory)
    {
        using Component = typename std::invoke_result_t<Factory>::element_type;
        static_assert(std::is_base_of_v<QObject, Component> && !std::is_same_v<Component, QObject>,
                      "the factory must return a std::unique_ptr to the component's own class");
        add(QString::fromUtf8(progId), Component::staticMetaObject,
            [factory = std::move(factory)]() -> std::unique_ptr<QObject> { return factory(); });
    }

private:
    static void add(const QString& progId, const QMetaObject& metaObject, ComponentFactory factory);
};

} // namespace zentrel
