#include "app/feedback/MXML.h"

namespace {

QString withoutForbidden(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result += c;
            result += text.at(++i);
            continue;
        }
        const char16_t u = c.unicode();
        const bool allowed = u == 0x09 || u == 0x0A || u == 0x0D ||
                             (u >= 0x20 && !c.isSurrogate() && u != 0xFFFE && u != 0xFFFF);
        if (allowed)
            result += c;
    }
    return result;
}

} // namespace

QString MXML::XmlEscape(const QString& Text)
{
    QString result = withoutForbidden(Text);
    result.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    result.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
    result.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    result.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    result.replace(QLatin1Char('\''), QStringLiteral("&apos;"));
    return result;
}
