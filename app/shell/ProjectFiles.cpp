#include "app/shell/ProjectFiles.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "app/shell/DatabaseWork.h"
#include "app/shell/MsgService.h"
#include "app/shell/ProgramSettings.h"
#include "app/shell/StringTable.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CFileUtilities.h"
#include "engine/platform/CLog.h"
#include "engine/platform/Folders.h"
#include "engine/platform/ZError.h"

namespace {

const QString kProjectFilter = QStringLiteral("Project (*.vxp)|*.vxp");
const QString kCacheFilter = QStringLiteral("Keywords Database (*.vxc)|*.vxc");

// Deletes a database file with its journal files.
void deleteDatabaseFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.remove())
        throw zentrel::ZError(0x800A0035u,
                              file.errorString() + QStringLiteral(": '") + fileName +
                                  QStringLiteral("'. "),
                              QStringLiteral("FMain.mnuNewProject_Click"));
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(fileName + QLatin1String(suffix));
}

// The name as typed when that file exists (earlier builds made files without an extension),
// else with the filter's extension when it has none.
QString chosenFile(const QString& typed, const QString& filter)
{
    if (QFileInfo(typed).isFile())
        return typed;
    return MsgService::withDefaultSuffix(typed, filter);
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    return first.exists() && second.exists() &&
           first.canonicalFilePath() == second.canonicalFilePath();
}

} // namespace

ProjectFiles::ProjectFiles(QWidget* window, Database database)
    : QObject(window)
    , m_window(window)
    , m_database(std::move(database))
{
}

void ProjectFiles::writeLog(const QString& text, int level, const QString& source) const
{
    if (m_log)
        m_log->Write(0, text, level, source);
}

zentrel::DBaser& ProjectFiles::dbaser() const
{
    zentrel::DBaser* database = m_database ? m_database() : nullptr;
    if (database == nullptr)
        throw zentrel::ZError(zentrel::kInvalidArgument,
                              QStringLiteral("The engine is not running. "),
                              QStringLiteral("FMain"));
    return *database;
}

bool ProjectFiles::OpenAtLoad()
{
    msCacheFileName =
        storedOrDefault(ProgramSettings::cache(), ProgramSettings::defaultCacheFile());
    if (!openWithRetry(msCacheFileName, ProgramSettings::defaultCacheFile(), false))
        return false;
    ProgramSettings::setCache(msCacheFileName);

    msCurrentProjectFileName =
        storedOrDefault(ProgramSettings::project(), ProgramSettings::defaultProjectFile());
    if (!openWithRetry(msCurrentProjectFileName, ProgramSettings::defaultProjectFile(), true))
        return false;
    ProgramSettings::setProject(msCurrentProjectFileName);
    return true;
}

// The stored path; when none is stored, the default file, whose folder is made.
QString ProjectFiles::storedOrDefault(const std::optional<QString>& stored,
                                      const QString& defaultFile)
{
    if (stored.has_value() && !stored->isEmpty())
        return *stored;
    zentrel::CFileUtilities::CreateFolder(ProgramSettings::projectFolder());
    return defaultFile;
}

bool ProjectFiles::openWithRetry(QString& fileName, const QString& defaultFile, bool project)
{
    const QString source = QStringLiteral("FMain.Form_Load");
    const auto open = [this, project](const QString& name) {
        if (project)
            openProjectFile(name);
        else
            openCacheFile(name);
    };
    for (;;) {
        try {
            if (project)
                writeLog(QStringLiteral("msCurrentProjectFileName == ") + fileName, 5, source);
            open(fileName);
            return true;
        } catch (const zentrel::ZError& error) {
            const bool isDefault = QDir::cleanPath(fileName) == QDir::cleanPath(defaultFile);
            const QString advice = isDefault ? StringTable::text(122)
                                   : project ? StringTable::format(125, {StringTable::text(123)})
                                             : StringTable::text(121);
            const int answer =
                MsgService::showMsg(m_window, error.description() + advice, isDefault ? 53 : 50);
            if (answer == MsgService::Retry)
                continue;
            if (answer == MsgService::Cancel || answer == MsgService::Abort)
                return false;
            if (answer != MsgService::Ignore)
                return true;
        }
        fileName = defaultFile;
        try {
            // The default file's folder may not be there yet when another file was stored.
            zentrel::CFileUtilities::CreateFolder(QFileInfo(defaultFile).path());
            open(fileName);
            return true;
        } catch (const zentrel::ZError& error) {
            MsgService::showMsg(m_window, error.description(), MsgService::Critical);
            return false;
        }
    }
}

// No file the program has open is deleted under it: the two databases, the logs and the lock.
bool ProjectFiles::isOpenFile(const QString& fileName) const
{
    QStringList open = {msCurrentProjectFileName, msCacheFileName,
                        zentrel::Folders::dataPath(QStringLiteral("short.log")),
                        zentrel::Folders::dataPath(QStringLiteral("VXWorking"))};
    if (m_log)
        open << m_log->LogFile();
    return std::any_of(open.cbegin(), open.cend(),
                       [&](const QString& path) { return sameFile(fileName, path); });
}

void ProjectFiles::NewProject()
{
    openProjectCommand(true);
}

void ProjectFiles::OpenProject()
{
    openProjectCommand(false);
}

void ProjectFiles::openProjectCommand(bool create)
{
    const QString title =
        create ? QStringLiteral("File New Project") : QStringLiteral("Open Project");
    const QString fileName = chosenFile(
        MsgService::openFileName(m_window, title, kProjectFilter, ProgramSettings::projectFolder()),
        kProjectFilter);
    if (fileName.isEmpty())
        return;
    try {
        if (create && QFileInfo::exists(fileName)) {
            if (MsgService::showMsg(m_window, StringTable::format(126, {fileName}), 49) !=
                MsgService::OK)
                return;
            if (isOpenFile(fileName))
                throw zentrel::ZError(0x800A0037u,
                                      QStringLiteral("File already open: '") + fileName +
                                          QStringLiteral("'. "),
                                      QStringLiteral("FMain.mnuNewProject_Click"));
            deleteDatabaseFile(fileName);
        }
        if (!create && !QFileInfo::exists(fileName)) {
            MsgService::showMsg(m_window, StringTable::format(127, {fileName}),
                                MsgService::Exclamation);
            return;
        }
        openProject(fileName);
    } catch (const zentrel::ZError& error) {
        MsgService::showMsg(m_window, error.description(), MsgService::Exclamation);
    } catch (const std::exception& error) {
        MsgService::showMsg(m_window, QString::fromUtf8(error.what()), MsgService::Exclamation);
    }
}

void ProjectFiles::openProjectFile(const QString& fileName) const
{
    zentrel::DBaser& db = dbaser();
    DatabaseWork::run(m_window, db, [&] { db.OpenProjectDB(fileName); });
}

void ProjectFiles::openCacheFile(const QString& fileName) const
{
    zentrel::DBaser& db = dbaser();
    DatabaseWork::run(m_window, db, [&] { db.OpenCacheDB(fileName); });
}

void ProjectFiles::openProject(const QString& fileName)
{
    try {
        openProjectFile(fileName);
    } catch (const zentrel::ZError& error) {
        MsgService::showMsg(m_window, error.description(), MsgService::Exclamation);
        reopenPreviousProject();
        return;
    }
    msCurrentProjectFileName = fileName;
    ProgramSettings::setProject(msCurrentProjectFileName);
    emit projectChanged();
}

// After a failed open the previous project is opened again; when that fails too, the program
// says so and runs with no project open.
void ProjectFiles::reopenPreviousProject()
{
    if (msCurrentProjectFileName.isEmpty())
        return;
    try {
        openProjectFile(msCurrentProjectFileName);
    } catch (const zentrel::ZError& error) {
        MsgService::showMsg(m_window, error.description(), MsgService::Exclamation);
        msCurrentProjectFileName.clear();
    }
    emit projectChanged();
}

void ProjectFiles::ConnectToDatabase()
{
    const QString fileName =
        chosenFile(MsgService::openFileName(m_window, QStringLiteral("Select Keywords Database"),
                                            kCacheFilter, ProgramSettings::projectFolder()),
                   kCacheFilter);
    if (fileName.isEmpty())
        return;
    try {
        if (!QFileInfo::exists(fileName) &&
            MsgService::showMsg(m_window, StringTable::format(128, {fileName}), 49) !=
                MsgService::OK)
            return;
        openCacheFile(fileName);
        msCacheFileName = fileName;
        ProgramSettings::setCache(msCacheFileName);
        emit cacheChanged();
    } catch (const zentrel::ZError& error) {
        MsgService::showMsg(m_window, error.description(), MsgService::Exclamation);
        try {
            openCacheFile(msCacheFileName);
        } catch (const std::exception&) {
            // The previous database stays as it is.
        }
    }
}
