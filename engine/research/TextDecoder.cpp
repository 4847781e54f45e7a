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

// The body's text in the named charset; none when the name is unknown or the body is not valid
// in it. The decoder is stateful: an incomplete sequence at the very end, as in a page cut by a
// byte range, is kept back (dropped) and does not count against the charset.
std::optional<QString> decodeAs(const QByteArray& name, const QByteArray& body)
{
    const QByteArray label = isLatin1Label(name) ? QByteArray("windows-1252") : name;
    QStringDecoder decoder(label.constData());
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(body);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Every byte is a character: where Windows-1252 leaves a byte unassigned, its Latin-1 one.
QString fromWindows1252(const QByteArray& body)
{
    QStringDecoder decoder("windows-1252");
    return decoder.isValid() ? QString(decoder.decode(body)) : QString::fromLatin1(body);
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
    // A body that is not valid in its declared charset is read as if none were declared.
    const QByteArray declared = DeclaredCharset(body, contentType);
    if (!declared.isEmpty()) {
        if (auto text = decodeAs(declared, body))
            return *text;
    }
    if (auto text = decodeAs("utf-8", body))
        return *text;
    return fromWindows1252(body);
}

} // namespace zentrel
