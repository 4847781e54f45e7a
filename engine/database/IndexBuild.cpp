#include "engine/database/IndexBuild.h"

#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlTransaction.h"
#include "engine/platform/ZError.h"

namespace zentrel {

namespace {

// Copies the log's pages into the file and empties the log. Before a build it leaves nothing
// committed that a checkpoint after a failed build would still have to copy, for which a full
// disk has no room; after it, it gives the room of the rolled-back pages back, which the log
// would otherwise keep until the last connection closes.
void checkpoint(const SqlDatabase& db)
{
    db.scalar(QStringLiteral("PRAGMA %1.wal_checkpoint(TRUNCATE)")
                  .arg(SqlConnection::quoted(db.schema())));
}

ZError buildError(const ZError& error, const QString& what, const SqlDatabase& db)
{
    QString reason = error.description().trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return ZError(error.number(),
                  QStringLiteral("Could not build %1 '%2' (%3). The file is used as it is; the "
                                 "next open tries again. ")
                      .arg(what, db.fileName(), reason));
}

} // namespace

void IndexBuild::run(const SqlDatabase& db, const QString& what, const std::function<void()>& build)
{
    auto guard = db.lock();
    const bool outermost = !db.connection().isInTransaction();
    try {
        if (outermost)
            checkpoint(db);
        SqlTransaction transaction(db.connection());
        build();
        transaction.commit();
    } catch (const ZError& error) {
        if (outermost) {
            try {
                checkpoint(db);
            } catch (const ZError&) {
                // The log shrinks when the last connection closes.
            }
        }
        throw buildError(error, what, db);
    }
}

} // namespace zentrel
