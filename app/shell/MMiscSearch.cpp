#include <array>

#include <QUrl>

#include "app/shell/DesktopBrowser.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/MMisc.h"
#include "app/shell/ProgramSettings.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CRegistry.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/ZError.h"

using zentrel::CRegistry;
using zentrel::ZError;

namespace {

struct SearchEngine {
    const char* defaultHost;
    const char* pathAndQuery;
};

// In the order of the search-engine menus; the host is a setting "SearchEngineHost<n>".
constexpr std::array<SearchEngine, 7> kSearchEngines{{
    {"www.google.com", "/search?hl=en&q=%1"},
    {"www.alltheweb.com", "/search?cat=web&q=%1"},
    {"www.altavista.com", "/web/results?q=%1&kgs=0&kls=0&avkw=aapt"},
    {"search.yahoo.com", "/search?p=%1&fr=fp-top"},
    {"www.overture.com", "/d/search/?type=home&mkt=us&Keywords=%1"},
    {"www.teoma.com", "/search?q=%1"},
    {"search.msn.com", "/results.asp?q=%1"},
}};

const QString kSource = QStringLiteral("MMisc.OpenSERForKW");

QString searchEngineHost(int se)
{
    QString host;
    if (!CRegistry().ReadString(CRegistry::kCurrentUser, ProgramSettings::programKey(),
                                QStringLiteral("SearchEngineHost%1").arg(se), host) ||
        host.trimmed().isEmpty())
        return QString::fromLatin1(kSearchEngines.at(static_cast<std::size_t>(se - 1)).defaultHost);
    return host.trimmed();
}

QString searchResultsURL(const QString& kw, int se)
{
    if (se < 1 || se > static_cast<int>(kSearchEngines.size()))
        throw ZError(zentrel::kInvalidArgument,
                     QStringLiteral("Invalid search engine number %1.").arg(se), kSource);
    // Every character with a meaning in a URL is percent-encoded, so that "&", "#", "%" and "?"
    // stay part of the keyword.
    QString escaped =
        QString::fromLatin1(QUrl::toPercentEncoding(kw.trimmed(), QByteArrayLiteral(" ")));
    escaped.replace(QLatin1Char(' '), QLatin1Char('+'));
    const QString path =
        QString::fromLatin1(kSearchEngines.at(static_cast<std::size_t>(se - 1)).pathAndQuery);
    // The host is not part of the template, so that nothing in it is taken for a placeholder.
    return QStringLiteral("http://") + searchEngineHost(se) +
           zentrel::CUtilities::Format(path, {escaped});
}

} // namespace

QString MMisc::EscapeURLPart(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char('+'), QStringLiteral("%2B"));
    result.replace(QLatin1Char('\r'), QStringLiteral("%0D"));
    result.replace(QLatin1Char('\n'), QStringLiteral("%0A"));
    result.replace(QLatin1Char('\\'), QStringLiteral("%5C"));
    return result;
}

void MMisc::OpenSERForKW(const QString& kw, int se, const std::shared_ptr<zentrel::CLog>& log)
{
    try {
        const QString url = searchResultsURL(kw, se);
        if (!DesktopBrowser::open(url))
            throw ZError(zentrel::kUnexpected,
                         QStringLiteral("Cannot start the browser for '%1'.").arg(url), kSource);
    } catch (const std::exception& error) {
        LoggingGuard(LoggingGuard::writerOf(log), 4, kSource, LoggingGuard::kUnexpected)
            .write(error);
    }
}
