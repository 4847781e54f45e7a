#pragma once

#include <functional>

#include <QString>

#include "engine/platform/SqlDatabase.h"
#include "engine/platform/ZError.h"

namespace zentrel {

// The two database files of a database object on one connection: the cache attached as
// "cache", the project as "project", so that unqualified statements join both. Missing files
// are made from the templates; the project is upgraded and linked to the cache when it opens.
// The operations raise the underlying errors; the caller wraps them.
class DatabaseFiles {
public:
    explicit DatabaseFiles(QString templateFolder);

    void setTemplateFolder(const QString& folder) { m_templateFolder = folder; }
    // Told the name of each step of a project's open, for the user.
    void setStepNote(std::function<void(const QString&)> note) { m_stepNote = std::move(note); }

    // Closes the cache open before, then attaches the file (made from Cache.tdb when missing).
    // The open project's file, or a file without the table Cache, is refused with 644.
    void openCache(const QString& fileName);
    // Closes the project open before, then attaches the file (made from Project.tdb when
    // missing), links it to the cache file and upgrades it. A failed upgrade is reported to
    // upgradeFailed and raised as 656, as is the cache's own file; on any failure the new file
    // is closed again. Keyword indexes that cannot be built are reported to indexFailed, and
    // the file opens without them.
    void openProject(const QString& fileName, const QString& cacheFile,
                     const std::function<void(const ZError&)>& upgradeFailed,
                     const std::function<void(const ZError&)>& indexFailed);
    // A worker's view on databases opened elsewhere.
    void share(SqlDatabasePtr project, SqlDatabasePtr cache);
    // A worker's own connection on both existing files.
    void openExisting(const QString& projectFile, const QString& cacheFile);
    void releaseProject() { m_project.reset(); }

    const SqlDatabasePtr& project() const { return m_project; }
    const SqlDatabasePtr& cache() const { return m_cache; }

private:
    SqlConnection& connection();
    void linkTable(const QString& cacheFile);
    // The file attached under the cache's name; raises 644 (detached again) without Cache.
    SqlDatabasePtr attachedCache(const QString& fileName);
    void copyTemplate(const QString& templateName, const QString& fileName) const;
    void step(const QString& name) const;

    QString m_templateFolder;
    std::function<void(const QString&)> m_stepNote;
    SqlConnectionPtr m_connection;
    SqlDatabasePtr m_project;
    SqlDatabasePtr m_cache;
};

} // namespace zentrel
