// The collection commands that start engine jobs and return at once: a web page, a web site and
// the pages found by a keyword. Their keywords arrive later as new candidates.
#include <memory>

#include "app/collect/EngineParts.h"
#include "app/collect/MMisc.h"
#include "app/collect/WebAddress.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/MMisc.h"
#include "app/shell/MsgService.h"
#include "app/shell/StringTable.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/Scripting.h"
#include "engine/research/enSE.h"

using zentrel::CLogPtr;
using zentrel::Scripting;

namespace {

constexpr int kInvalidSite = 106;
constexpr int kInvalidURL = 107;
constexpr int kAskPagesByKeyword = 117;
constexpr int kAskSite = 130;
constexpr int kAskPage = 131;

QString askTrimmed(int prompt)
{
    return MMisc::AskInput(StringTable::text(prompt)).trimmed();
}

// False (after the message) when the answer holds no ".".
bool looksLikeAddress(const QString& answer, int message)
{
    if (answer.contains(QLatin1Char('.')))
        return true;
    MMisc::ShowMsg(StringTable::format(message, {answer}), MsgService::Exclamation);
    return false;
}

} // namespace

void MMisc::ImportFromURL(const CLogPtr& Log, Scripting& Scripting) noexcept
{
    const LoggingGuard guard(LoggingGuard::writerOf(Log), 4, QStringLiteral("MMisc.ImportFromURL"),
                             LoggingGuard::kUnexpected);
    guard.run([&] {
        const QString answer = askTrimmed(kAskPage);
        if (answer.isEmpty() || !looksLikeAddress(answer, kInvalidURL))
            return;
        EngineParts::SEContacter(Scripting).LoadFromPage(WebAddress::PageURL(answer), true);
    });
}

void MMisc::ImportFromSite(const CLogPtr& Log, Scripting& Scripting) noexcept
{
    const LoggingGuard guard(LoggingGuard::writerOf(Log), 4, QStringLiteral("MMisc.ImportFromSite"),
                             LoggingGuard::kUnexpected);
    guard.run([&] {
        const QString answer = askTrimmed(kAskSite);
        if (answer.isEmpty() || !looksLikeAddress(answer, kInvalidSite))
            return;
        const QString site = WebAddress::SiteName(answer);
        if (site.isEmpty()) {
            ShowMsg(StringTable::format(kInvalidSite, {answer}), MsgService::Exclamation);
            return;
        }
        EngineParts::SEContacter(Scripting).CrawlKWFromSite(
            zentrel::seGoogle, site, std::make_shared<zentrel::CKeyedCollection>());
    });
}

void MMisc::ImportFromGoogle(const CLogPtr& Log, Scripting& Scripting) noexcept
{
    const LoggingGuard guard(LoggingGuard::writerOf(Log), 4,
                             QStringLiteral("MMisc.ImportFromGoogle"), LoggingGuard::kUnexpected);
    guard.run([&] {
        const QString answer = askTrimmed(kAskPagesByKeyword);
        if (!answer.isEmpty())
            EngineParts::SEContacter(Scripting).GetSER(
                zentrel::seGoogle, answer, std::make_shared<zentrel::CKeyedCollection>());
    });
}
