#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CMessanger.h"
#include "engine/research/CDownloader.h"

namespace zentrel {

class DBaser;

// What a research worker takes from its job parameters: its own log on the job's log file, the
// contacter's messenger, the shared downloader, its own database object attached to the master's
// databases, and the job cookie.
class ResearchJob {
public:
    ResearchJob();
    ~ResearchJob();
    ResearchJob(const ResearchJob&) = delete;
    ResearchJob& operator=(const ResearchJob&) = delete;

    // The set-up of both research workers; raises when a parameter is missing.
    void SetUp(const CKeyedCollection& data);

    // Lets the thread's events run, 50 ms apart, until `done` holds or the job's thread is asked
    // to stop (the engine is shutting down).
    static void WaitUntil(const std::function<bool()>& done);

    // Finalizes the database object and lets go of everything; errors are ignored.
    void Finish() noexcept;

    // Posts the job's completion to the contacter; a messenger that is gone is ignored.
    void PostSuccess() noexcept;
    void PostFailure(std::int32_t number, const QString& description) noexcept;

    void Log(std::int32_t number, const QString& text, int level, const QString& source) const;

    const CLogPtr& log() const { return m_log; }
    const CDownloaderPtr& downloader() const { return m_downloader; }
    DBaser& dbaser() const;
    const QString& cookie() const { return m_cookie; }

    // A parameter that must be there; raises "Invalid procedure call" naming it otherwise.
    static const QVariant& Required(const CKeyedCollection& data, const QString& key);

private:
    CLogPtr m_log;
    CMessangerPtr m_messanger;
    CDownloaderPtr m_downloader;
    std::unique_ptr<DBaser> m_dbaser;
    QString m_cookie;
};

} // namespace zentrel
