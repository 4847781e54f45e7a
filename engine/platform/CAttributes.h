#pragma once

#include <deque>
#include <memory>

#include <QHash>
#include <QString>
#include <QVariant>

#include "engine/platform/CAttribute.h"

namespace zentrel {

// A set of named, multi-valued attributes in the order they were first added. Names are
// compared without regard to case. References returned stay valid while the set lives.
class CAttributes {
public:
    int Count() const { return static_cast<int>(m_attributes.size()); }

    // Adds the value to the attribute of that name, creating the attribute when it is new.
    CAttribute& Add(const QString& name, const QVariant& value);

    // Raises when no attribute has that name.
    CAttribute& Item(const QString& name);
    const CAttribute& Item(const QString& name) const;
    bool Exists(const QString& name) const;

    // Enumeration in order.
    auto begin() const { return m_attributes.cbegin(); }
    auto end() const { return m_attributes.cend(); }

private:
    static QString foldName(const QString& name) { return name.toCaseFolded(); }
    int positionOf(const QString& name) const;

    std::deque<CAttribute> m_attributes;
    QHash<QString, int> m_positions; // folded name -> 0-based position
};

using CAttributesPtr = std::shared_ptr<CAttributes>;

} // namespace zentrel

Q_DECLARE_METATYPE(zentrel::CAttributesPtr)
