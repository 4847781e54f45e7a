#include "engine/platform/CDataNode.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "engine/platform/ZError.h"

namespace zentrel {

namespace {

const QString kNode = QStringLiteral("node");
const QString kValue = QStringLiteral("value");
const QString kAttribute = QStringLiteral("attribute");
const QString kName = QStringLiteral("name");
const QString kEncoding = QStringLiteral("encoding");
const QString kBase64 = QStringLiteral("base64");

// Characters XML text cannot carry as they stand (control characters, a carriage return that a
// reader would fold, non-characters, broken surrogate pairs).
bool needsEncoding(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if ((c < 0x20 && c != u'\t' && c != u'\n') || c == 0xFFFE || c == 0xFFFF)
            return true;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !QChar::isLowSurrogate(text.at(i + 1).unicode()))
                return true;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return true;
        }
    }
    return false;
}

void writeText(QXmlStreamWriter& writer, const QString& element, const QString& text)
{
    writer.writeStartElement(element);
    if (needsEncoding(text)) {
        writer.writeAttribute(kEncoding, kBase64);
        writer.writeCharacters(QString::fromLatin1(
            QByteArray::fromRawData(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)
                .toBase64()));
    } else {
        writer.writeCharacters(text);
    }
    writer.writeEndElement();
}

[[noreturn]] void fail(const QString& reason)
{
    throw ZError(kInvalidArgument,
                 QStringLiteral("The data node text is not valid: %1").arg(reason),
                 QStringLiteral("CDataNode"));
}

QString readText(QXmlStreamReader& reader)
{
    const bool encoded = reader.attributes().value(kEncoding) == kBase64;
    const QString text = reader.readElementText();
    if (reader.hasError())
        fail(reader.errorString());
    if (!encoded)
        return text;
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() % 2 != 0)
        fail(QStringLiteral("bad encoded text"));
    return QString(reinterpret_cast<const QChar*>(decoded.decoded.constData()),
                   decoded.decoded.size() / 2);
}

} // namespace

QString CDataNode::SaveToText() const
{
    QString text;
    QXmlStreamWriter writer(&text);
    writer.writeStartDocument();
    write(writer);
    writer.writeEndDocument();
    return text;
}

void CDataNode::write(QXmlStreamWriter& writer) const
{
    writer.writeStartElement(kNode);
    writeText(writer, kValue, m_value);
    for (const CAttribute& attribute : m_attributes) {
        writer.writeStartElement(kAttribute);
        writeText(writer, kName, attribute.Name());
        for (const QVariant& value : attribute.Values())
            writeText(writer, kValue, value.toString());
        writer.writeEndElement();
    }
    for (const CDataNode& child : m_children)
        child.write(writer);
    writer.writeEndElement();
}

void CDataNode::LoadFromText(const QString& text)
{
    QXmlStreamReader reader(text);
    if (!reader.readNextStartElement() || reader.name() != kNode)
        fail(reader.hasError() ? reader.errorString() : QStringLiteral("no node"));
    CDataNode loaded;
    loaded.read(reader);
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError())
        fail(reader.errorString());
    *this = std::move(loaded);
}

// Reads the content of a node element up to its end tag.
void CDataNode::read(QXmlStreamReader& reader)
{
    while (reader.readNextStartElement()) {
        if (reader.name() == kValue)
            m_value = readText(reader);
        else if (reader.name() == kAttribute)
            readAttribute(reader);
        else if (reader.name() == kNode)
            m_children.Add().read(reader);
        else
            fail(QStringLiteral("unexpected element '%1'").arg(reader.name()));
    }
    if (reader.hasError())
        fail(reader.errorString());
}

void CDataNode::readAttribute(QXmlStreamReader& reader)
{
    std::optional<QString> name;
    QStringList values;
    while (reader.readNextStartElement()) {
        if (reader.name() == kName && !name)
            name = readText(reader);
        else if (reader.name() == kValue)
            values << readText(reader);
        else
            fail(QStringLiteral("unexpected element '%1'").arg(reader.name()));
    }
    if (reader.hasError())
        fail(reader.errorString());
    if (!name || values.isEmpty())
        fail(QStringLiteral("attribute without name or value"));
    for (const QString& value : values)
        m_attributes.Add(*name, value);
}

} // namespace zentrel
