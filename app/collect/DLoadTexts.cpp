#include "app/collect/DLoadTexts.h"

#include <QUrl>

#include "engine/database/MParser.h"

namespace {

QUrl webAddress(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return url;
}

} // namespace

QString DLoadTexts::PanelErrorText(const QString& errDescription)
{
    QString text = zentrel::MParser::TrimBlanks(errDescription);
    while (!text.isEmpty() && text.back().unicode() < 33)
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (zentrel::MParser::TrimBlanks(text).isEmpty())
        return {};
    return text;
}

QString DLoadTexts::SiteToCrawl(const QString& address)
{
    const QUrl url = webAddress(address);
    if (url.isEmpty())
        return {};
    const QString path = url.path(QUrl::FullyEncoded);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    QUrl site;
    site.setScheme(url.scheme().toLower());
    site.setHost(url.host());
    site.setPort(url.port());
    site.setPath(path.left(slash), QUrl::StrictMode);
    return site.toString(QUrl::FullyEncoded);
}

bool DLoadTexts::IsWebAddress(const QString& address)
{
    return !webAddress(address).isEmpty();
}
