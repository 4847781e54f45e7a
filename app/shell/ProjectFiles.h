#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

class QWidget;

namespace zentrel {
class CLog;
class DBaser;
} // namespace zentrel

// The main window's project and cache database files: opening both at load (each until it opens
// or the user gives up), and the New Project, Open Project and Connect To Database commands. The
// files that open are remembered in the settings.
class ProjectFiles final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProjectFiles)

public:
    // The engine's database object; null while the engine is not running.
    using Database = std::function<zentrel::DBaser*()>;

    ProjectFiles(QWidget* window, Database database);

    void setLog(std::shared_ptr<zentrel::CLog> log) { m_log = std::move(log); }
    QString currentProjectFileName() const { return msCurrentProjectFileName; }
    QString cacheFileName() const { return msCacheFileName; }

    // Opens the cache, then the project; false when the program is to end.
    bool OpenAtLoad();
    void NewProject();
    void OpenProject();
    void ConnectToDatabase();

signals:
    // Another project is open (or, after a failed open, the previous one again).
    void projectChanged();
    void cacheChanged();

private:
    static QString storedOrDefault(const std::optional<QString>& stored,
                                   const QString& defaultFile);
    bool openWithRetry(QString& fileName, const QString& defaultFile, bool project);
    bool isOpenFile(const QString& fileName) const;
    void openProjectCommand(bool create);
    void openProject(const QString& fileName);
    // The engine's opens, off the user-interface thread with their progress shown.
    void openProjectFile(const QString& fileName) const;
    void openCacheFile(const QString& fileName) const;
    void reopenPreviousProject();
    zentrel::DBaser& dbaser() const;
    void writeLog(const QString& text, int level, const QString& source) const;

    QWidget* m_window;
    Database m_database;
    std::shared_ptr<zentrel::CLog> m_log;
    QString msCurrentProjectFileName;
    QString msCacheFileName;
};
