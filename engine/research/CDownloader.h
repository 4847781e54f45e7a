#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>

#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>

#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CMessanger.h"
#include "engine/platform/NamedEvent.h"
#include "engine/platform/WorkerThreads.h"
#include "engine/platform/ZError.h"

namespace zentrel {

// Fetches web pages, each on a worker thread of its own, and reports every download's start and
// end as events on its own thread. A URL is fetched at most once per run of the engine unless its
// download failed; the suggestion service's URLs may be fetched any number of times.
class CDownloader final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDownloader)

public:
    // Workers beyond this number wait in a queue; queued downloads count as running.
    static constexpr int kMaxRunningWorkers = 8;
    // The error number of a cancelled download's result (E_ABORT): the user's own action, not a
    // failure of the download.
    static constexpr std::uint32_t kCancelled = 0x80004004u;

    // Shared with the research workers; the last release deletes it on its own thread.
    static std::shared_ptr<CDownloader> create();

    explicit CDownloader(QObject* parent = nullptr);
    ~CDownloader() override;

    // Starts a download and returns its cookie; SizeB > 0 asks for the first SizeB bytes only.
    // Callable from any thread: the call runs on the downloader's thread.
    QString Download(const QString& URL, std::int32_t SizeB = 0);
    // Forgets a running download; its Complete still arrives.
    void Cancel(const QString& Cookie);
    bool IsDownloadingNow() const;
    // Forgets every running download.
    void CancelAll();
    // Cancels every download, has every worker give up its request at once and refuses new
    // downloads (the engine is shutting down). The workers' failures still arrive.
    void StopAll();
    // Worker threads that have not ended yet, cancelled downloads' included.
    int RunningWorkers() const { return m_workers.count(); }

    void Init(CLogPtr Log);
    std::int32_t ActiveCount() const;

    // How long a worker waits for its page after sending (60 s unless set, for tests).
    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }

signals:
    void StartDownload(const QString& Cookie, const QString& Page);
    void Complete(const QString& Cookie, const QString& Page, bool IsSuccess,
                  std::int32_t ErrNumber, const QString& ErrDescription);

private:
    struct Running {
        NamedEvent event;
    };
    struct Queued {
        QString cookie;
        CKeyedCollectionPtr data;
    };

    QString downloadHere(const QString& url, std::int32_t sizeB);
    QString downloadOnOwnerThread(const QString& url, std::int32_t sizeB);
    static bool isRepeatable(const QString& url);
    static QString urlKey(const QString& url) { return url.trimmed().toLower(); }
    CKeyedCollectionPtr workerData(const QString& url, std::int32_t sizeB, const QString& cookie);
    void startOrQueue(const QString& cookie, CKeyedCollectionPtr data);
    void startWorker(const QString& cookie, const CKeyedCollectionPtr& data);
    void startQueued();
    bool dropQueued(const QString& cookie);
    void postFailure(const QString& cookie, const QString& url, const ZError& error);
    void moMessanger_MsgArrived(int Msg, const QVariant& Data, const QString& Sender,
                                const QString& Receiver);
    void handleResult(const QVariantList& result);
    void writeLog(std::int32_t number, const QString& text, int level, const QString& source);

    CMessangerPtr moMessanger;
    std::map<QString, Running> m_downloads; // by cookie
    CLogPtr m_log;
    CKeyedCollection m_downloadedURLs; // key: the trimmed URL in lower case
    std::deque<Queued> m_queue;
    QSet<QString> m_workerCookies; // downloads whose worker runs, cancelled ones included
    std::chrono::milliseconds m_timeLimit;
    WorkerThreads m_workers; // by cookie
    bool m_stopped = false;
};

using CDownloaderPtr = std::shared_ptr<CDownloader>;

} // namespace zentrel

Q_DECLARE_METATYPE(zentrel::CDownloaderPtr)
