// The cache import: keywords picked from the cache database in FImportFromCache become the
// project's candidates.

#include "app/collect/CollectOwner.h"
#include "app/collect/EngineParts.h"
#include "app/collect/FImportFromCache.h"
#include "app/collect/MMisc.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/MMisc.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
#include "app/shell/WaitCursor.h"
#include "engine/database/CacheImportQuery.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CKeyedCollection.h"

using zentrel::CLogPtr;
using zentrel::Scripting;

namespace {

constexpr int kAskFilter = 134;
constexpr int kAskFilterTitle = 184;

// Stores the picked keywords as candidates; banned ones among them become candidates again.
// Whether some banned keyword was.
bool importPicked(zentrel::DBaser& dbaser, const QStringList& picked)
{
    const WaitCursor wait;
    zentrel::CDataNode operation;
    operation.Attributes().Add(QStringLiteral("Description"),
                               QStringLiteral("Imported from cache"));
    zentrel::CKeyedCollection kws;
    for (const QString& kw : picked)
        kws.Add(kw);
    dbaser.AddKWs(kws, operation);
    return !picked.isEmpty() && zentrel::CacheImportQuery::Unban(*dbaser.ProjectDB(), picked) > 0;
}

} // namespace

void MMisc::ImportFromCache(const CLogPtr& Log, Scripting& Scripting,
                            CollectOwner& OwnerForm) noexcept
{
    const LoggingGuard guard(LoggingGuard::writerOf(Log), 4,
                             QStringLiteral("MMisc.ImportFromCache"), LoggingGuard::kUnexpected);
    guard.run([&] {
        const QString filter =
            AskInput(StringTable::text(kAskFilter), StringTable::text(kAskFilterTitle)).trimmed();
        if (filter.isEmpty())
            return;
        zentrel::DBaser& dbaser = EngineParts::DBaser(Scripting);
        FImportFromCache dialog(OwnerForm.Window());
        {
            const WaitCursor wait;
            dialog.init(Log, dbaser.ProjectDB(), filter);
        }
        dialog.exec();
        if (!dialog.OKPressed())
            return;
        const bool unbanned = importPicked(dbaser, dialog.PickedKWs());
        OwnerForm.RefreshTab(Tab::Raw);
        if (unbanned)
            OwnerForm.RefreshTab(Tab::Banned);
    });
}
