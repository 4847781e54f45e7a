#include "engine/database/DatabaseFiles.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/EngineMessages.h"
#include "engine/database/KeywordIndexes.h"
#include "engine/database/ProjectSchema.h"

namespace zentrel {

namespace {

const QString kCacheSchema = QStringLiteral("cache");
const QString kProjectSchema = QStringLiteral("project");
constexpr std::uint32_t kFileNotFound = 0x800A0035u;    // file not found
constexpr std::uint32_t kFileAccessError = 0x800A004Bu; // path/file access error

void removeWithCompanions(const QString& fileName)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(fileName + QLatin1String(suffix));
}

// One file under two names (a link, another spelling of the path) is still one file.
bool isSameFile(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

ZError upgradeError(const ZError& cause)
{
    return ZError(objectError(EngineMessages::CannotUpgradeProject),
                  EngineMessages::text(EngineMessages::CannotUpgradeProject) + cause.description());
}

ZError cannotLink(const QString& reason)
{
    return ZError(objectError(EngineMessages::CannotLinkCache),
                  EngineMessages::text(EngineMessages::CannotLinkCache) + reason);
}

// Temporary files in memory: with them on disk every statement of a long write transaction
// copied the pages it changed to a statement journal file, as much work as the write itself.
// Set before any temporary table exists, as changing it drops them.
SqlConnectionPtr openConnection()
{
    auto connection = SqlConnection::open(QStringLiteral(":memory:"));
    connection->exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
    return connection;
}

} // namespace

DatabaseFiles::DatabaseFiles(QString templateFolder)
    : m_templateFolder(std::move(templateFolder))
{
}

SqlConnection& DatabaseFiles::connection()
{
    if (!m_connection)
        m_connection = openConnection();
    return *m_connection;
}

void DatabaseFiles::step(const QString& name) const
{
    if (m_stepNote)
        m_stepNote(name);
}

void DatabaseFiles::copyTemplate(const QString& templateName, const QString& fileName) const
{
    const QString source = QDir(m_templateFolder).filePath(templateName);
    if (!QFileInfo::exists(source))
        throw ZError(kFileNotFound, QStringLiteral("File not found: '%1'").arg(source));
    removeWithCompanions(fileName);
    if (!QFile::copy(source, fileName))
        throw ZError(kFileAccessError,
                     QStringLiteral("Path/File access error: '%1'").arg(fileName));
    QFile::setPermissions(fileName, QFile::permissions(fileName) | QFileDevice::WriteOwner |
                                        QFileDevice::ReadOwner);
}

void DatabaseFiles::linkTable(const QString& cacheFile)
{
    if (!QFileInfo::exists(cacheFile))
        throw EngineMessages::error(EngineMessages::CacheFileNotFound, cacheFile);
    if (m_cache && m_cache->isOpen() && m_cache->fileName() == cacheFile)
        return;
    try {
        if (m_cache)
            m_cache->close();
        connection().attach(cacheFile, kCacheSchema);
    } catch (const ZError& error) {
        throw cannotLink(error.description());
    }
    m_cache = attachedCache(cacheFile);
}

SqlDatabasePtr DatabaseFiles::attachedCache(const QString& fileName)
{
    auto attached = std::make_shared<SqlDatabase>(m_connection, kCacheSchema, fileName);
    if (!attached->hasTable(QStringLiteral("Cache"))) {
        attached->close();
        throw cannotLink(QStringLiteral("The file has no table 'Cache'."));
    }
    return attached;
}

void DatabaseFiles::openCache(const QString& fileName)
{
    auto guard = connection().lock();
    if (m_cache)
        m_cache->close();
    // One file attached under both names would wait on its own lock at the first write.
    if (m_project && m_project->isOpen() && isSameFile(m_project->fileName(), fileName))
        throw cannotLink(QStringLiteral("The file is the open project database."));
    if (!QFileInfo::exists(fileName))
        copyTemplate(QStringLiteral("Cache.tdb"), fileName);
    connection().attach(fileName, kCacheSchema);
    m_cache = attachedCache(fileName);
    if (m_project && m_project->isOpen())
        linkTable(fileName);
}

void DatabaseFiles::openProject(const QString& fileName, const QString& cacheFile,
                                const std::function<void(const ZError&)>& upgradeFailed,
                                const std::function<void(const ZError&)>& indexFailed)
{
    auto guard = connection().lock();
    if (m_project)
        m_project->close();
    if (isSameFile(cacheFile, fileName)) {
        const ZError refused(kFileAccessError, QStringLiteral("The file is the open keywords cache "
                                                              "database."));
        upgradeFailed(refused);
        throw upgradeError(refused);
    }
    if (!QFileInfo::exists(fileName))
        copyTemplate(QStringLiteral("Project.tdb"), fileName);
    connection().attach(fileName, kProjectSchema);
    auto opened = std::make_shared<SqlDatabase>(m_connection, kProjectSchema, fileName);
    try {
        // Linked before the upgrade: a transaction would otherwise touch a cache file that
        // has gone.
        linkTable(cacheFile);
        try {
            step(QStringLiteral("Updating the project database..."));
            ProjectSchema::upgrade(*opened);
        } catch (const ZError& error) {
            upgradeFailed(error);
            throw upgradeError(error);
        }
        ProjectSchema::addLookupDateField(*opened);
        try {
            step(QStringLiteral("Building the keyword indexes of the project..."));
            KeywordIndexes::ensure(*opened);
        } catch (const ZError& error) {
            indexFailed(error);
        }
    } catch (...) {
        opened->close();
        throw;
    }
    m_project = std::move(opened);
}

void DatabaseFiles::share(SqlDatabasePtr project, SqlDatabasePtr cache)
{
    m_project = std::move(project);
    m_cache = std::move(cache);
}

void DatabaseFiles::openExisting(const QString& projectFile, const QString& cacheFile)
{
    auto shared = openConnection();
    shared->attach(cacheFile, kCacheSchema);
    shared->attach(projectFile, kProjectSchema);
    m_connection = shared;
    share(std::make_shared<SqlDatabase>(shared, kProjectSchema, projectFile),
          std::make_shared<SqlDatabase>(shared, kCacheSchema, cacheFile));
}

} // namespace zentrel
