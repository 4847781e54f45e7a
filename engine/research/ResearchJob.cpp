#include "engine/research/ResearchJob.h"

#include <QCoreApplication>
#include <QThread>
#include <QVariantList>

#include "engine/database/DBaser.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/ZError.h"

namespace zentrel {

namespace {
constexpr std::uint32_t kInvalidCall = 0x800A0005u;
constexpr unsigned long kPumpInterval = 50; // ms
} // namespace

ResearchJob::ResearchJob() = default;

ResearchJob::~ResearchJob()
{
    Finish();
}

const QVariant& ResearchJob::Required(const CKeyedCollection& data, const QString& key)
{
    if (!data.Exists(key))
        throw ZError(
            kInvalidCall,
            QStringLiteral("Invalid procedure call or argument: no parameter '%1'").arg(key),
            QStringLiteral("Zentrel"));
    return data.Item(key);
}

void ResearchJob::SetUp(const CKeyedCollection& data)
{
    m_log = std::make_shared<CLog>();
    m_log->Attach(Required(data, QStringLiteral("LogFile")).toString());
    m_messanger = Required(data, QStringLiteral("Messanger")).value<CMessangerPtr>();
    m_downloader = Required(data, QStringLiteral("Downloader")).value<CDownloaderPtr>();
    if (!m_downloader)
        throw ZError(kInvalidCall,
                     QStringLiteral("Invalid procedure call or argument: no downloader"),
                     QStringLiteral("Zentrel"));
    m_dbaser = std::make_unique<DBaser>();
    m_dbaser->AttachByObjects(
        m_log, Required(data, QStringLiteral("ProjectDB")).value<SqlDatabasePtr>(),
        Required(data, QStringLiteral("CacheDB")).value<SqlDatabasePtr>(),
        Required(data, QStringLiteral("NewKWsEventName")).toString(),
        Required(data, QStringLiteral("NewOvertureCountsEventName")).toString());
    m_cookie = Required(data, QStringLiteral("Cookie")).toString();
}

void ResearchJob::WaitUntil(const std::function<bool()>& done)
{
    QThread* const thread = QThread::currentThread();
    while (!done() && !thread->isInterruptionRequested()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (done())
            break;
        QThread::msleep(kPumpInterval);
    }
}

void ResearchJob::Finish() noexcept
{
    try {
        if (m_dbaser)
            m_dbaser->Finalize();
    } catch (...) {
    }
    m_dbaser.reset();
    m_downloader.reset();
    m_messanger.reset();
}

void ResearchJob::PostSuccess() noexcept
{
    try {
        if (m_messanger)
            m_messanger->Post(0, QVariantList{m_cookie, true});
    } catch (...) {
    }
}

void ResearchJob::PostFailure(std::int32_t number, const QString& description) noexcept
{
    try {
        if (m_messanger)
            m_messanger->Post(0, QVariantList{m_cookie, false, number, description});
    } catch (...) {
    }
}

void ResearchJob::Log(std::int32_t number, const QString& text, int level,
                      const QString& source) const
{
    if (m_log)
        m_log->Write(number, text, level, source);
}

DBaser& ResearchJob::dbaser() const
{
    if (!m_dbaser)
        throw ZError(kInvalidCall, QStringLiteral("The job's database object is not set up."),
                     QStringLiteral("Zentrel"));
    return *m_dbaser;
}

} // namespace zentrel
