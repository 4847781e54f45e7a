#include "engine/database/IndexBuild.h"

#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlTransaction.h"
#include "engine/platform/ZError.h"

namespace zentrel {

namespace {

// A rolled-back transaction leaves its pages in the write-ahead log, which keeps its size until
// the last connection closes: on a nearly full disk, the room every other file then lacks.
void giveJournalRoomBack(const SqlDatabase& db)
{
    if (db.connection().isInTransaction())
        return;
    try {
        db.scalar(QStringLiteral("PRAGMA %1.wal_checkpoint(TRUNCATE)")
                      .arg(SqlConnection::quoted(db.schema())));
    } catch (const ZError&) {
        // Another connection reading keeps the log; it shrinks when the last one closes.
    }
}

} // namespace

void IndexBuild::run(const SqlDatabase& db, const QString& what, const std::function<void()>& build)
{
    auto guard = db.lock();
    try {
        SqlTransaction transaction(db.connection());
        build();
        transaction.commit();
    } catch (const ZError& error) {
        giveJournalRoomBack(db);
        QString reason = error.description().trimmed();
        while (reason.endsWith(QLatin1Char('.')))
            reason.chop(1);
        throw ZError(error.number(),
                     QStringLiteral("Could not build %1 '%2' (%3). The file is used as it is; the "
                                    "next open tries again. ")
                         .arg(what, db.fileName(), reason));
    }
}

} // namespace zentrel
