#include "engine/research/ResearchHosts.h"

#include <mutex>

#include <QtGlobal>

namespace zentrel {

namespace {
std::mutex g_mutex;
QString g_searchHost;  // configured from the settings, guarded by g_mutex
QString g_suggestHost; // configured from the settings, guarded by g_mutex

QString resolve(const char* variable, const QString& configured, const QString& fallback)
{
    const QString fromEnvironment = qEnvironmentVariable(variable).trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (!configured.isEmpty())
        return configured;
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

QString ResearchHosts::suggestPath()
{
    return QStringLiteral("/d/searchinventory/suggestion/");
}

QString ResearchHosts::SearchHost()
{
    const std::lock_guard lock(g_mutex);
    return resolve("QUINTARA_SEARCH_HOST", g_searchHost, defaultSearchHost());
}

QString ResearchHosts::SuggestHost()
{
    const std::lock_guard lock(g_mutex);
    return resolve("QUINTARA_SUGGEST_HOST", g_suggestHost, defaultSuggestHost());
}

void ResearchHosts::SetSearchHost(const QString& host)
{
    const std::lock_guard lock(g_mutex);
    g_searchHost = host.trimmed();
}

void ResearchHosts::SetSuggestHost(const QString& host)
{
    const std::lock_guard lock(g_mutex);
    g_suggestHost = host.trimmed();
}

bool ResearchHosts::IsSuggestURL(const QString& url)
{
    const QString prefix = QStringLiteral("http://") + SuggestHost() + suggestPath();
    return url.trimmed().startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace zentrel
