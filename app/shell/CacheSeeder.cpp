#include "app/shell/CacheSeeder.h"

#include <QFile>

#include "app/shell/ProgramSettings.h"
#include "app/shell/SetupLines.h"
#include "engine/database/CacheIndex.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CFileUtilities.h"
#include "engine/platform/CLog.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/SqlTransaction.h"
#include "engine/platform/ZError.h"
#include "engine/research/Scripting.h"

namespace {

constexpr std::uint32_t kFileNotFound = 0x800A0035u;
constexpr std::uint32_t kDeviceIOError = 0x800A0039u;
constexpr std::uint32_t kInputPastEndOfFile = 0x800A003Eu;

} // namespace

QByteArray CacheSeeder::ReadSetupFile(const QString& setupFile,
                                      const std::function<void()>& sizeTaken)
{
    // Read, not mapped: a mapped file cut by another program ends the process when a page
    // past its new end is touched.
    QFile file(setupFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw zentrel::ZError(kFileNotFound, file.errorString(), QStringLiteral("CacheSeeder"));
    const qint64 size = file.size();
    if (sizeTaken)
        sizeTaken();
    QByteArray text(static_cast<qsizetype>(size), Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const qint64 read = file.read(text.data() + done, size - done);
        if (read < 0)
            throw zentrel::ZError(kDeviceIOError, file.errorString(),
                                  QStringLiteral("CacheSeeder"));
        if (read == 0)
            throw zentrel::ZError(
                kInputPastEndOfFile,
                QStringLiteral("The file '%1' became shorter while it was read.").arg(setupFile),
                QStringLiteral("CacheSeeder"));
        done += read;
    }
    return text;
}

QString CacheSeeder::setupFile()
{
    return zentrel::Folders::dataPath(QStringLiteral("SetupKWs.txt"));
}

CacheSeeder::Result CacheSeeder::SeedCache(const QString& cacheFile, const QString& setupFile)
{
    Result result;
    const SetupLines lines(ReadSetupFile(setupFile));
    result.skipped = lines.skipped();

    const auto connection = zentrel::SqlConnection::open(QStringLiteral(":memory:"));
    connection->attach(cacheFile, QStringLiteral("cache"));
    const zentrel::SqlDatabase cache(connection, QStringLiteral("cache"), cacheFile);
    // The whole table fits in the page cache: no page is written twice.
    connection->exec(QStringLiteral("PRAGMA cache.cache_size = -262144"));
    const double now = zentrel::SqlDate::now();
    zentrel::SqlTransaction transaction(*connection);
    // The keyword index is built again after the load, in one pass.
    zentrel::CacheIndex::drop(cache);
    auto insert = connection->prepare(
        QStringLiteral("INSERT INTO cache.Cache (KW, Count, dte) VALUES (?1, ?2, ?3)"));
    lines.forEachInKeyOrder([&](QByteArrayView keyword, int count) {
        try {
            // Every binding is set again, and execute() leaves the statement reset.
            insert.bindTextNoCopy(1, keyword).bindInt64(2, count).bindDouble(3, now).execute();
            ++result.stored;
        } catch (const zentrel::ZError&) {
            // A row the table refuses is skipped; once SQLite has rolled the whole load back
            // (a full disk, a failed write), the rows after it would each commit on their own.
            if (!connection->isInTransaction())
                throw;
            ++result.skipped;
        }
    });
    transaction.commit();
    result.committed = true;
    return result;
}

void CacheSeeder::BuildIndex(const QString& cacheFile, const std::shared_ptr<zentrel::CLog>& log)
{
    const auto connection = zentrel::SqlConnection::open(QStringLiteral(":memory:"));
    connection->attach(cacheFile, QStringLiteral("cache"));
    connection->exec(QStringLiteral("PRAGMA cache.cache_size = -262144"));
    zentrel::CacheIndex::ensure(
        zentrel::SqlDatabase(connection, QStringLiteral("cache"), cacheFile),
        [&](const QString& text) {
            if (log)
                log->Write(0, text, 5, QStringLiteral("Main.MMain"));
        });
}

void CacheSeeder::Run(const std::shared_ptr<zentrel::CLog>& log)
{
    QString cacheFile = ProgramSettings::cache().value_or(QString());
    if (cacheFile.isEmpty()) {
        zentrel::CFileUtilities::CreateFolder(ProgramSettings::projectFolder());
        cacheFile = ProgramSettings::defaultCacheFile();
    }
    {
        // The engine makes the cache file from its template when it is missing.
        zentrel::Scripting engine;
        engine.Init(log);
        try {
            engine.DBaser()->OpenCacheDB(cacheFile);
        } catch (...) {
            engine.Shutdown();
            throw;
        }
        engine.Shutdown();
    }
    if (!QFile::exists(setupFile()))
        return;
    const Result result = SeedCache(cacheFile, setupFile());
    if (result.committed)
        QFile::remove(setupFile());
    try {
        BuildIndex(cacheFile, log);
    } catch (const zentrel::ZError&) {
        // The engine builds the index at the cache's next open.
    }
}
