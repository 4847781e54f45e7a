#include "engine/research/ResearchHosts.h"

#include <QtGlobal>

#include "engine/platform/CRegistry.h"

namespace zentrel {

namespace {
QString resolve(const char* variable, const QString& valueName, const QString& fallback)
{
    const QString fromEnvironment = qEnvironmentVariable(variable).trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    QString fromSettings;
    if (CRegistry().ReadString(CRegistry::kCurrentUser, ResearchHosts::settingsKey(), valueName,
                               fromSettings) &&
        !fromSettings.trimmed().isEmpty())
        return fromSettings.trimmed();
    return fallback;
}
} // namespace

QString ResearchHosts::defaultSearchHost()
{
    return QStringLiteral("www.google.com");
}

QString ResearchHosts::defaultSuggestHost()
{
    return QStringLiteral("inventory.overture.com");
}

QString ResearchHosts::settingsKey()
{
    return QStringLiteral("Software\\Brovant Software\\Quintara Keywords\\Current Version\\");
}

QString ResearchHosts::suggestPath()
{
    return QStringLiteral("/d/searchinventory/suggestion/");
}

QString ResearchHosts::SearchHost()
{
    return resolve("QUINTARA_SEARCH_HOST", searchHostName(), defaultSearchHost());
}

QString ResearchHosts::SuggestHost()
{
    return resolve("QUINTARA_SUGGEST_HOST", suggestHostName(), defaultSuggestHost());
}

bool ResearchHosts::IsSuggestURL(const QString& url)
{
    const QString prefix = QStringLiteral("http://") + SuggestHost() + suggestPath();
    return url.trimmed().startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace zentrel
