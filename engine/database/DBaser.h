#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "engine/database/DatabaseFiles.h"
#include "engine/database/DueChanges.h"
#include "engine/database/DueKeys.h"
#include "engine/database/KeywordOptions.h"
#include "engine/database/KeywordTable.h"
#include "engine/database/enKWKind.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CDataNodes.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/NamedEvent.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/ZError.h"

namespace zentrel {

class CTimer;
class IDBaserOwner;

// The engine's database layer: the cache database (search counts shared by every project) and
// the project database (keywords, operations, groups), both seen through one connection so
// that one statement can join them. Three kinds of instance: the master (InitMaster), which
// owns the change events and their 10 s poll and raises the events on its own thread; workers
// (AttachByObjects, AttachByFileNames), which set the change events instead; and stand-alone
// instances, which open the databases themselves. Every operation holds the databases' lock
// for its whole run, so workers may call from their own threads.
class DBaser final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DBaser)

public:
    explicit DBaser(QObject* parent = nullptr);
    ~DBaser() override;

    // Keyword store.
    bool UpdateKW(const QString& KW);
    int GetCount(int i);
    int CacheSize();
    void SetRelevancy(const CKeyedCollection& KWs, int Relevancy);
    void DeleteKWs(const CKeyedCollection& KWs);
    // Stores the keywords with their operation (whose Value, the operation's id, is filled by
    // the first store); returns the rejected keywords.
    CKeyedCollection AddKWsEx(const CKeyedCollection& KWs, CDataNode& Operation,
                              const CAttributes* Params = nullptr);
    CKeyedCollection AddKWsEx(const CKeyedCollection& KWs, CDataNode& Operation,
                              const KeywordOptions& Options);
    CKeyedCollection AddKWs(const CKeyedCollection& KWs, CDataNode& Operation);
    KeywordTable getKWs(enKWKind Kind);
    KeywordTable getKWsForGroup(int GroupId, const CAttributes* Params);
    KeywordTable getKWsForGroup(int GroupId, KeywordOptions Options);
    KeywordTable getKWsEx(enKWKind Kind, const CAttributes* Params = nullptr);
    KeywordTable getKWsEx(enKWKind Kind, const KeywordOptions& Options);
    QVariant NormalizeAllDBkws();

    // Files.
    SqlDatabasePtr CacheDB() const { return m_files.cache(); }
    SqlDatabasePtr ProjectDB() const { return m_files.project(); }
    QString CacheDBFilename() const { return m_cacheDBFilename; }
    QString ProjectDBFilename() const { return m_projectDBFilename; }
    void Init(CLogPtr Log);
    void OpenCacheDB(const QString& CacheDBFilename);
    void OpenProjectDB(const QString& ProjectDBFilename);
    void CloseDBs();
    void Finalize();

    // Groups.
    void RemoveFromGroup(const CKeyedCollection& KWs, int GroupId);
    void MoveGroup(int GroupId, int NewParentId);
    void MoveToGroup(const CKeyedCollection& KWs, int FromGroup, int GroupId);
    void AddToGroup(const CKeyedCollection& KWs, int GroupId);
    int AddGroup(const QString& Name, int ParentId = 0);
    void RemoveGroup(int Id);
    int UpdateGroup(int Id, const QString& NewName = {}, std::optional<int> NewParent = {});
    CDataNodes GetGroups(const CAttributes* Params);

    // Search counts.
    void AddOvertured(CDataNode& KWs, const QString& OriginatingKW);
    QDateTime OverDate(const QString& KW);
    void RecalcOverTimes();
    QString get1stNotOvertured();

    // For the engine only.
    // False during an open or a recount (on another thread, perhaps): the research waits.
    bool ProjectDBOpened() const { return m_projectDBOpened && !m_busy; }
    void SetOwner(CLogPtr Log, IDBaserOwner* Scripting);
    QStringList GetMostPopularWords();
    int ImportFromCacheForWord(const QString& Word);
    QString get1stForLookup();
    // The first Count keywords get1stNotOvertured and get1stForLookup would pick, in that order.
    QStringList NotOverturedFirst(int Count);
    QStringList ForLookupFirst(int Count);
    // What the timers' pick reads beside them: the stamp of what decides which keywords are due
    // and their order (read before the keywords), what was written since an earlier stamp, the
    // keywords due from a place in the order on, as the two above give them, and whether one
    // keyword is due. The lookup's ages are taken at Now, the stamp's clock.
    DueStamp NotOverturedStamp();
    DueSince NotOverturedSince(const DueStamp& Then);
    DuePage NotOverturedFrom(const std::optional<DueKey>& From, int Count);
    DueCheck NotOverturedDue(const QString& KW);
    DueStamp ForLookupStamp();
    DueSince ForLookupSince(const DueStamp& Then);
    DuePage ForLookupFrom(const std::optional<DueKey>& From, int Count, double Now);
    DueCheck ForLookupDue(const QString& KW, double Now);
    void UpdateLookupDate(const QString& KW);
    void InitMaster();
    void AttachByFileNames(CLogPtr Log, const QString& ProjectDBFilename,
                           const QString& CacheDBFilename, const QString& NewKWsEventName,
                           const QString& NewOvertureCountsEventName);
    void AttachByObjects(CLogPtr Log, SqlDatabasePtr ProjectDB, SqlDatabasePtr CacheDB,
                         const QString& NewKWsEventName, const QString& NewOvertureCountsEventName);
    QString NewKWsEventName() const { return m_newKWsEventName; }
    QString NewOvertureCountsEventName() const { return m_newOvertureCountsEventName; }
    // The change poll (every 10 s on the master).
    void moEventTimer_Timer();
    // Runs long work of the master's refresh (the copy of every count) on a thread of its own
    // while the user-interface thread waits for it; set by the program. Without one, the work
    // runs on the caller's thread.
    using WorkRunner = std::function<void(const std::function<void()>& work)>;
    void setWorkRunner(WorkRunner runner) { m_workRunner = std::move(runner); }
    // Where the template databases are taken from (the engine's folder unless set).
    void setTemplateFolder(const QString& folder) { m_files.setTemplateFolder(folder); }

signals:
    void NewKws(zentrel::CKeyedCollectionPtr KWs, zentrel::CDataNodePtr Operation);
    void NewOvertureCounts(zentrel::CDataNodePtr newKws, zentrel::CDataNodePtr updatedKWs);
    void GroupInfoChanged();
    // The step an open or a recount has come to, named for the user (from the thread that
    // does the work).
    void WorkStep(const QString& step);

private:
    template <class Work> auto guarded(const char* name, Work&& work) -> decltype(work());
    void logError(const ZError& error, int level, const QString& source) const;

    const SqlDatabase& project() const;
    const SqlDatabase& cache() const;
    void refreshCounts();
    void refreshCountsAfterOpen();
    void copyEverythingAside();
    void watchDueChanges();
    DueStamp dueStamp(bool counts);
    DueSince dueSince(bool counts, const DueStamp& then);
    template <class Page> auto uncountedOrMended(Page&& page) -> decltype(page(false));
    void raiseNewKws();
    void raiseNewOvertureCounts();
    void signalNewKws();
    void signalNewOvertureCounts();

    void openEvents(const QString& newKWsEventName, const QString& newOvertureCountsEventName);
    [[noreturn]] void raiseOpenError(const ZError& error, int messageId, const QString& fileName,
                                     const QString& source) const;

    CLogPtr m_log;
    IDBaserOwner* m_owner = nullptr;
    DatabaseFiles m_files;
    std::atomic<bool> m_projectDBOpened = false;
    std::atomic<bool> m_cacheDBOpened = false;
    std::atomic<bool> m_busy = false;
    std::atomic<bool> m_connectionHeld = false; // by this thread, around a nested addition
    QString m_cacheDBFilename;
    QString m_projectDBFilename;
    bool m_master = false;
    NamedEvent m_newKWsEvent;
    NamedEvent m_newOvertureCountsEvent;
    QString m_newKWsEventName;
    QString m_newOvertureCountsEventName;
    std::unique_ptr<CTimer> moEventTimer;
    WorkRunner m_workRunner;
    // Writes on the connection that may change the timers' due keywords, while files are open.
    std::unique_ptr<DueChanges> m_dueChanges;
    quint64 m_opens = 0;
    quint64 m_unwatchedStamps = 0;
};

} // namespace zentrel
