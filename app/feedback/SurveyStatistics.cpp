#include "app/feedback/SurveyStatistics.h"

#include <chrono>
#include <optional>

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "app/shell/ProgramSettings.h"
#include "engine/ComponentRegistry.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlError.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Count {
    const char* key;
    int code;
};

constexpr Count kCounts[] = {{"fc", 123}, {"kc", 433}, {"gc", 542}, {"gkc", 511}, {"bc", 434}};

// How long the survey waits, in all, for files that other programs keep locked.
constexpr std::chrono::milliseconds kLockedWait{1000};
constexpr int kLockedRetryMs = 10;

std::optional<QString> existingFile(const std::optional<QString>& setting)
{
    if (!setting || setting->isEmpty() || !QFileInfo(*setting).isFile())
        return std::nullopt;
    return setting;
}

// SQLite's busy handler: retries until the survey's deadline, then gives up.
int waitUntilDeadline(void* deadline, int /*count*/)
{
    if (Clock::now() >= *static_cast<const Clock::time_point*>(deadline))
        return 0;
    sqlite3_sleep(kLockedRetryMs);
    return 1;
}

// Whether the file's header says write-ahead logging (bytes 18 and 19 both 2).
bool isWalFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.startsWith(QByteArrayLiteral("SQLite format 3")) &&
           header.at(18) == 2 && header.at(19) == 2;
}

// Read-only, so that SQLite neither switches the journal mode nor writes the file. A reader of a
// file in write-ahead logging would make -wal and -shm files beside it and leave them there, or
// fail where the user may not write; without a -wal file nothing is pending, so such a file is
// read as it stands, without locks.
QString readOnlyUri(const QString& fileName)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
    const bool settled =
        isWalFile(fileName) && !QFileInfo::exists(fileName + QStringLiteral("-wal"));
    url.setQuery(settled ? QStringLiteral("mode=ro&immutable=1") : QStringLiteral("mode=ro"));
    return url.toString(QUrl::FullyEncoded);
}

struct Opened {
    zentrel::SqlDatabasePtr database; // null when the file was locked
    bool failed = false;
};

// The file on a connection of its own, so that one locked file does not stop the statements
// of the other.
Opened openReadOnly(const QString& fileName, const QString& schema, Clock::time_point& deadline,
                    const std::shared_ptr<zentrel::CLog>& log)
{
    try {
        auto connection = zentrel::SqlConnection::open(QStringLiteral(":memory:"));
        sqlite3_busy_handler(connection->handle(), waitUntilDeadline, &deadline);
        connection
            ->prepare(QStringLiteral("ATTACH DATABASE ?1 AS ") +
                      zentrel::SqlConnection::quoted(schema))
            .bind(1, readOnlyUri(fileName))
            .execute();
        // Attaching reads the schema, which proves that the file is a database.
        return {std::make_shared<zentrel::SqlDatabase>(connection, schema, fileName)};
    } catch (const zentrel::SqlError& error) {
        if (error.primaryCode() != SQLITE_BUSY && error.primaryCode() != SQLITE_LOCKED)
            return {nullptr, true};
        if (log)
            log->Write(error.signedNumber(),
                       QStringLiteral("'%1' is locked: its counts are left out. %2")
                           .arg(fileName, error.description()),
                       4, QStringLiteral("FSendInfo.BuildParams"));
        return {};
    } catch (const std::exception&) {
        return {nullptr, true};
    }
}

} // namespace

void SurveyStatistics::Add(zentrel::CAttributes& record, const std::shared_ptr<zentrel::CLog>& log)
{
    const std::optional<QString> cacheFile = existingFile(ProgramSettings::cache());
    if (!cacheFile)
        return;
    const std::optional<QString> projectFile = existingFile(ProgramSettings::project());
    if (!projectFile)
        return;
    // Outlives the connections, whose busy handlers read it.
    Clock::time_point deadline = Clock::now() + kLockedWait;
    const Opened project = openReadOnly(*projectFile, QStringLiteral("project"), deadline, log);
    const Opened cache = openReadOnly(*cacheFile, QStringLiteral("cache"), deadline, log);
    if (project.failed || cache.failed)
        return;
    std::unique_ptr<QObject> object;
    zentrel::DBaser* db = nullptr;
    try {
        object = zentrel::ComponentRegistry::instance().create(QStringLiteral("Zentrel.DBaser"));
        db = qobject_cast<zentrel::DBaser*>(object.get());
        if (db == nullptr)
            return;
        db->AttachByObjects(log, project.database, cache.database, zentrel::CUtilities::NewName(),
                            zentrel::CUtilities::NewName());
    } catch (const std::exception&) {
        return;
    }
    if (project.database) {
        for (const Count& count : kCounts) {
            try {
                record.Add(QString::fromLatin1(count.key), db->GetCount(count.code));
            } catch (const std::exception&) {
                // Left out rather than sent as 0.
            }
        }
    }
    std::optional<int> cacheRows;
    if (cache.database) {
        try {
            cacheRows = db->CacheSize();
        } catch (const std::exception&) {
        }
    }
    try {
        db->Finalize();
    } catch (const std::exception&) {
    }
    if (cacheRows)
        record.Add(QStringLiteral("cc"), *cacheRows);
}
