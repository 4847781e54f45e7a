#pragma once

#include <QByteArray>
#include <QString>

namespace zentrel {

// Turns a downloaded page into text: by its declared charset (the HTTP Content-Type header, then
// the page's own meta tags) when the bytes are valid in it, else as UTF-8 when they are valid
// UTF-8, else as Windows-1252. An incomplete sequence at the very end, as in a page cut by a byte
// range, is dropped and does not count against a charset.
class TextDecoder {
public:
    static QString Decode(const QByteArray& body, const QByteArray& contentType = {});

    // The charset named by the header, else by the page's meta tags; empty when none is named.
    static QByteArray DeclaredCharset(const QByteArray& body, const QByteArray& contentType);

    // The value of "charset=" in a Content-Type text; empty when absent.
    static QByteArray CharsetParameter(const QByteArray& contentType);
};

} // namespace zentrel
