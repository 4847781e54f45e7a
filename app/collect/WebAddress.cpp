#include "app/collect/WebAddress.h"

#include <QRegularExpression>

namespace {

const QRegularExpression& schemePrefix()
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme;
}

QString withSlashes(const QString& typed)
{
    return QString(typed).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

} // namespace

QString WebAddress::PageURL(const QString& typed)
{
    const QString address = withSlashes(typed);
    if (schemePrefix().match(address).hasMatch())
        return address;
    return QStringLiteral("http://") + address;
}

QString WebAddress::SiteName(const QString& typed)
{
    QString site = withSlashes(typed);
    site.remove(schemePrefix());
    const qsizetype end = site.indexOf(QRegularExpression(QStringLiteral("[/?#]")));
    if (end >= 0)
        site.truncate(end);
    // A user name and password before the host are not part of the site.
    const qsizetype at = site.lastIndexOf(QLatin1Char('@'));
    if (at >= 0)
        site.remove(0, at + 1);
    return site;
}
