#pragma once

#include <QString>
#include <QVariant>

#include "engine/platform/CKeyedCollection.h"

namespace zentrel {

// A named attribute with one or more values; readers take the first value.
class CAttribute {
public:
    explicit CAttribute(const QString& name = {})
        : m_name(name)
    {
    }

    const QString& Name() const { return m_name; }

    CKeyedCollection& Values() { return m_values; }
    const CKeyedCollection& Values() const { return m_values; }

private:
    QString m_name;
    CKeyedCollection m_values;
};

} // namespace zentrel
