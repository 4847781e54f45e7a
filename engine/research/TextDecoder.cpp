#include "engine/research/TextDecoder.h"

#include <optional>

#include <QStringDecoder>

namespace zentrel {

namespace {
// Browsers read these labels as Windows-1252, which is what such pages are written in.
bool isLatin1Label(const QByteArray& name)
{
    static const char* const labels[] = {"iso-8859-1", "iso8859-1", "latin1",    "l1",
                                         "us-ascii",   "ascii",     "iso_8859-1"};
    for (const char* label : labels) {
        if (name == label)
            return true;
    }
    return false;
}

std::optional<QString> decodeAs(const QByteArray& name, const QByteArray& body)
{
    const QByteArray label = isLatin1Label(name) ? QByteArray("windows-1252") : name;
    QStringDecoder decoder(label.constData());
    if (!decoder.isValid())
        return std::nullopt;
    return QString(decoder.decode(body));
}

bool isNameByte(char c)
{
    return c != '"' && c != '\'' && c != ';' && c != '>' && c != '/' && c != ' ' && c != '\t' &&
           c != '\r' && c != '\n';
}

// The charset named after "charset=" from the position given, quotes dropped.
QByteArray charsetValueAt(const QByteArray& text, qsizetype from)
{
    qsizetype pos = from;
    while (pos < text.size() &&
           (text.at(pos) == ' ' || text.at(pos) == '"' || text.at(pos) == '\''))
        ++pos;
    qsizetype end = pos;
    while (end < text.size() && isNameByte(text.at(end)))
        ++end;
    return text.mid(pos, end - pos).trimmed().toLower();
}

// Only the head of a page is searched for its meta charset, as browsers do.
constexpr qsizetype kMetaScanLimit = 8192;

QByteArray metaCharset(const QByteArray& body)
{
    const QByteArray head = body.left(kMetaScanLimit).toLower();
    qsizetype pos = head.indexOf("<meta");
    while (pos >= 0) {
        const qsizetype end = head.indexOf('>', pos);
        const QByteArray tag = head.mid(pos, end < 0 ? -1 : end - pos);
        const qsizetype at = tag.indexOf("charset=");
        if (at >= 0) {
            const QByteArray name = charsetValueAt(tag, at + 8);
            if (!name.isEmpty())
                return name;
        }
        if (end < 0)
            break;
        pos = head.indexOf("<meta", end);
    }
    return {};
}
} // namespace

QByteArray TextDecoder::CharsetParameter(const QByteArray& contentType)
{
    const QByteArray lower = contentType.toLower();
    const qsizetype at = lower.indexOf("charset=");
    if (at < 0)
        return {};
    return charsetValueAt(lower, at + 8);
}

QByteArray TextDecoder::DeclaredCharset(const QByteArray& body, const QByteArray& contentType)
{
    const QByteArray fromHeader = CharsetParameter(contentType);
    return fromHeader.isEmpty() ? metaCharset(body) : fromHeader;
}

QString TextDecoder::Decode(const QByteArray& body, const QByteArray& contentType)
{
    const QByteArray declared = DeclaredCharset(body, contentType);
    if (!declared.isEmpty()) {
        if (auto text = decodeAs(declared, body))
            return *text;
    }
    // A stateful decoder keeps an incomplete sequence at the end back instead of flagging it.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return decodeAs("windows-1252", body).value_or(QString::fromLatin1(body));
}

} // namespace zentrel
