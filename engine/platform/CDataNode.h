#pragma once

#include <memory>

#include <QString>
#include <QVariant>

#include "engine/platform/CAttributes.h"
#include "engine/platform/CDataNodes.h"

class QXmlStreamReader;
class QXmlStreamWriter;

namespace zentrel {

// A tree record: a text value, named attributes and child nodes to any depth. Copies are deep.
class CDataNode {
public:
    const QString& Value() const { return m_value; }
    void setValue(const QString& value) { m_value = value; }

    CDataNodes& Children() { return m_children; }
    const CDataNodes& Children() const { return m_children; }

    CAttributes& Attributes() { return m_attributes; }
    const CAttributes& Attributes() const { return m_attributes; }

    // The whole node as XML text: value, every attribute with all its values (as text) and every
    // child. LoadFromText replaces this node by the one saved; it raises on malformed text and
    // then leaves the node unchanged.
    QString SaveToText() const;
    void LoadFromText(const QString& text);

private:
    void write(QXmlStreamWriter& writer) const;
    void read(QXmlStreamReader& reader);
    void readAttribute(QXmlStreamReader& reader);

    QString m_value;
    CAttributes m_attributes;
    CDataNodes m_children;
};

using CDataNodePtr = std::shared_ptr<CDataNode>;

} // namespace zentrel

Q_DECLARE_METATYPE(zentrel::CDataNodePtr)
