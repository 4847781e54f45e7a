#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include <QObject>
#include <QString>

#include "engine/database/IDBaserOwner.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/research/CDownloader.h"
#include "engine/research/RetryOrder.h"

namespace zentrel {

class CSEContacter;
class CTimer;
class DBaser;

// The engine's root: builds the downloader, the contacter and the master database object, hands
// them out, and runs the three research timers (search counts, result-page lookups, lead words)
// on its own thread.
class Scripting final : public QObject, public IDBaserOwner {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Scripting)

public:
    static constexpr int kOvertureInterval = 25535;
    static constexpr int kFirstLookupInterval = 20000;
    static constexpr int kLeadWordsInterval = 60000;
    // The lead-words pass runs on every fifth tick.
    static constexpr int kLeadWordsTicksPerPass = 5;
    // A pass stops once more keywords than this came from the cache.
    static constexpr int kMaxImportedPerPass = 200;
    // Lookups wait while this many downloads run or more candidates than this wait.
    static constexpr int kMaxDownloadsForLookup = 3;
    static constexpr int kMaxWaitingCandidates = 200;
    // How long Shutdown waits for the workers; they give up within a fraction of a second.
    static constexpr std::chrono::milliseconds kShutdownWait{3000};

    explicit Scripting(QObject* parent = nullptr);
    ~Scripting() override;

    bool AutoResearchPaused() const { return m_autoResearchPaused; }
    void setAutoResearchPaused(bool paused) { m_autoResearchPaused = paused; }
    // Builds the engine; any failure goes to the caller.
    void Init(CLogPtr Log);
    // Seconds between lookups: below 15 gives 15, above 65 gives 65.535.
    void setSearchesCountInterval(std::int32_t seconds);
    std::int32_t SearchesCountInterval() const;
    CDownloader* Downloader() const { return m_downloader.get(); }
    CSEContacter* SEContacter() const { return m_contacter.get(); }
    zentrel::DBaser* DBaser() const { return m_dbaser.get(); }
    // Stops the research; harmless when called again.
    void Finalize();
    // Ends the engine's work at once: cancels every download (their workers give up their
    // requests), stops every research and search-count job, stops the timers, finalizes, and
    // waits up to `wait` for the threads this engine started, running this thread's events
    // meanwhile (a worker may be waiting for them). True when every thread has ended. Harmless
    // when called again; the object's end calls it.
    bool Shutdown(std::chrono::milliseconds wait = kShutdownWait);
    // Threads started by this engine that have not ended yet (downloads and jobs).
    int RunningThreads() const;

    // The timers' handlers (entered directly too: ranking gives the lookup a turn).
    void moOvertureTimer_Timer();
    void moLookupTimer_Timer() override;
    void moLeadWordsTimer_Timer();

    std::int32_t leadWordsTicks() const { return m_leadWordsTicks; }

private:
    void countJobEnded(const QString& cookie);
    void lookupJobEnded(const QString& cookie, bool failed);
    void leadWordsPass();
    void walkLeadWords(const QStringList& words, zentrel::DBaser& worker);
    void logHandlerError(std::int32_t number, const QString& description, const QString& source);
    static std::unique_ptr<CTimer> startTimer(int interval);
    void stopTimers() noexcept;

    CLogPtr m_log;
    CDownloaderPtr m_downloader;
    std::unique_ptr<zentrel::DBaser> m_dbaser;
    bool m_autoResearchPaused = false;
    std::int32_t m_leadWordsTicks = 0;
    std::unique_ptr<CKeyedCollection> m_countedWords;  // words known to have a search count
    std::unique_ptr<CKeyedCollection> m_importedWords; // words already imported from the cache
    std::unique_ptr<CTimer> moLookupTimer;
    std::unique_ptr<CTimer> moLeadWordsTimer;
    std::unique_ptr<CSEContacter> m_contacter;
    std::unique_ptr<CTimer> moOvertureTimer;
    // Keywords whose counts or lookups failed wait behind the others.
    RetryOrder m_countTurns;
    RetryOrder m_lookupTurns;
    // Handlers that are half-way through are not entered again.
    bool m_inOverture = false;
    bool m_inLookup = false;
    bool m_inLeadWords = false;
};

} // namespace zentrel
