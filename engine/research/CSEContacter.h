#pragma once

#include <cstdint>
#include <map>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CMessanger.h"
#include "engine/platform/NamedEvent.h"
#include "engine/platform/WorkerThreads.h"
#include "engine/research/CDownloader.h"
#include "engine/research/enSE.h"

namespace zentrel {

class DBaser;

// Starts the research jobs, each on a worker thread of its own: search jobs (a result page and
// its found pages), page jobs (one page) and search-count jobs (the suggestion service). Hands
// every worker the log's file, the shared downloader, the master's databases and change-event
// names, and turns a worker's completion into Complete. Lives on the user-interface thread.
class CSEContacter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSEContacter)

public:
    explicit CSEContacter(QObject* parent = nullptr);
    ~CSEContacter() override;

    void Init(CLogPtr Log, CDownloaderPtr Downloader, DBaser* DBaser);
    // A page job for a URL, or the meta keywords of a local HTML file stored at once.
    void LoadFromPage(const QString& Address, bool IsURL);
    QString GetSER(enSE SE, const QString& KW, CKeyedCollectionPtr Params);
    QString CrawlKWFromSite(enSE SE, const QString& SiteName, CKeyedCollectionPtr Params);
    QString GetGoogleSERbyGoogleURL(const QString& SearchURL, CKeyedCollectionPtr Params);
    QString RunOverture(const QString& KW, CKeyedCollectionPtr Params);
    void CancelAll();

    // Jobs whose worker has not ended or reported yet.
    int RunningJobs() const { return static_cast<int>(m_jobs.size()); }
    // Job threads that have not ended yet, also of jobs forgotten by CancelAll.
    int RunningThreads() const { return m_threads.count(); }
    // Cancels every job, asks every job's thread to stop and refuses new jobs (shutdown).
    void StopJobs();

signals:
    void Complete(const QString& Cookie, bool IsSuccess, std::int32_t ErrNumber,
                  const QString& ErrDescription);
    // The thread of the job has ended, whatever became of the job (engine only).
    void JobEnded(const QString& Cookie);

private:
    struct Job {
        NamedEvent event;
    };

    static int pagesCount(const CKeyedCollection& params, int fallback);
    static void requireGoogle(enSE se);
    DBaser& dbaser() const;
    void addWorkerKeys(CKeyedCollection& params, const QString& cookie) const;
    QString startJob(const QString& eventPrefix, const QString& progId, const QString& method,
                     const QString& cookie, CKeyedCollectionPtr params);
    void release(const QString& cookie);
    void moMessanger_MsgArrived(int Msg, const QVariant& Data, const QString& Sender,
                                const QString& Receiver);

    CMessangerPtr moMessanger;
    std::map<QString, Job> m_jobs; // by job cookie
    CLogPtr m_log;
    CDownloaderPtr m_downloader;
    QPointer<DBaser> m_dbaser;
    WorkerThreads m_threads; // by job cookie
    bool m_stopped = false;
};

} // namespace zentrel
