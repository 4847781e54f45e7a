#include "engine/research/Scripting.h"

#include <exception>
#include <utility>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>

#include "engine/ComponentRegistration.h"
#include "engine/database/CTimer.h"
#include "engine/database/DBaser.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/ZError.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/DueKeywords.h"

namespace zentrel {

namespace {

const ComponentRegistration registration{"Zentrel.Scripting",
                                         [] { return std::make_unique<Scripting>(); }};

const QString kOvertureSource = QStringLiteral("Scripting.moOvertureTimer_Timer");
const QString kLookupSource = QStringLiteral("Scripting.moLookupTimer_Timer");
const QString kLeadWordsSource = QStringLiteral("Scripting.moLeadWordsTimer_Timer");
const QString kWorkerDBaserProgId = QStringLiteral("zentrel.dbaser");
constexpr int kCandidatesCount = 123;

// Marks a handler as running for its scope; false when it already runs.
class HandlerTurn {
public:
    explicit HandlerTurn(bool& running)
        : m_running(running)
        , m_entered(!running)
    {
        m_running = true;
    }
    ~HandlerTurn()
    {
        if (m_entered)
            m_running = false;
    }
    HandlerTurn(const HandlerTurn&) = delete;
    HandlerTurn& operator=(const HandlerTurn&) = delete;
    bool entered() const { return m_entered; }

private:
    bool& m_running;
    const bool m_entered;
};

QString wordKey(const QString& word)
{
    return word + QLatin1Char('_');
}

bool neverCounted(const QDateTime& date)
{
    return !date.isValid() || date == SqlDate::zeroDate();
}

// Runs the work, turning every failure into a log entry through the callback.
template <class Work, class Log> void guarded(Work&& work, Log&& log) noexcept
{
    try {
        work();
    } catch (const ZError& error) {
        log(error.signedNumber(), error.description());
    } catch (const std::exception& error) {
        log(static_cast<std::int32_t>(kUnexpected), QString::fromLocal8Bit(error.what()));
    }
}

} // namespace

Scripting::Scripting(QObject* parent)
    : QObject(parent)
{
}

Scripting::~Scripting()
{
    Shutdown();
}

void Scripting::Init(CLogPtr Log)
{
    m_log = std::move(Log);
    m_downloader = CDownloader::create();
    m_contacter = std::make_unique<CSEContacter>();
    m_dbaser = std::make_unique<zentrel::DBaser>();
    m_dbaser->SetOwner(m_log, this);
    m_dbaser->InitMaster();
    m_downloader->Init(m_log);
    m_contacter->Init(m_log, m_downloader, m_dbaser.get());
    connect(m_contacter.get(), &CSEContacter::Complete, this,
            [this](const QString& cookie, bool success) { lookupJobEnded(cookie, !success); });
    connect(m_contacter.get(), &CSEContacter::JobEnded, this, [this](const QString& cookie) {
        countJobEnded(cookie);
        lookupJobEnded(cookie, true); // a job that ended without reporting failed
    });

    moOvertureTimer = startTimer(kOvertureInterval);
    connect(moOvertureTimer.get(), &CTimer::Timer, this, &Scripting::moOvertureTimer_Timer);
    moLookupTimer = startTimer(kFirstLookupInterval);
    connect(moLookupTimer.get(), &CTimer::Timer, this, &Scripting::moLookupTimer_Timer);
    moLeadWordsTimer = startTimer(kLeadWordsInterval);
    connect(moLeadWordsTimer.get(), &CTimer::Timer, this, &Scripting::moLeadWordsTimer_Timer);

    m_countedWords = std::make_unique<CKeyedCollection>();
    m_importedWords = std::make_unique<CKeyedCollection>();
}

std::unique_ptr<CTimer> Scripting::startTimer(int interval)
{
    auto timer = std::make_unique<CTimer>();
    timer->setInterval(interval);
    timer->setEnabled(true);
    return timer;
}

void Scripting::setSearchesCountInterval(std::int32_t seconds)
{
    if (!moLookupTimer)
        return;
    if (seconds < 15)
        moLookupTimer->setInterval(15000);
    else if (seconds <= 65)
        moLookupTimer->setInterval(seconds * 1000);
    else
        moLookupTimer->setInterval(65535);
}

std::int32_t Scripting::SearchesCountInterval() const
{
    return moLookupTimer ? moLookupTimer->Interval() / 1000 : 0;
}

void Scripting::Finalize()
{
    stopTimers();
    moOvertureTimer.reset();
    moLookupTimer.reset();
    moLeadWordsTimer.reset();
    if (m_dbaser) {
        try {
            m_dbaser->Finalize();
        } catch (...) {
            // Errors are ignored here.
        }
    }
    m_countedWords.reset();
    m_importedWords.reset();
}

bool Scripting::Shutdown(std::chrono::milliseconds wait)
{
    try {
        if (m_downloader)
            m_downloader->StopAll();
        if (m_contacter)
            m_contacter->StopJobs();
    } catch (...) {
        // Errors are ignored here: the threads are still waited for.
    }
    Finalize();
    const QDeadlineTimer deadline(wait);
    while (RunningThreads() > 0) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

int Scripting::RunningThreads() const
{
    return (m_downloader ? m_downloader->RunningWorkers() : 0) +
           (m_contacter ? m_contacter->RunningThreads() : 0);
}

void Scripting::stopTimers() noexcept
{
    for (CTimer* timer : {moOvertureTimer.get(), moLookupTimer.get(), moLeadWordsTimer.get()}) {
        if (!timer)
            continue;
        try {
            timer->setEnabled(false);
        } catch (...) {
            // Errors are ignored here.
        }
    }
}

void Scripting::moOvertureTimer_Timer()
{
    const HandlerTurn turn(m_inOverture);
    if (!turn.entered())
        return;
    guarded(
        [&] {
            if (!m_dbaser || !m_contacter || !m_dbaser->ProjectDBOpened())
                return;
            const QString kw = m_countTurns.pick(DueKeywords::counts(*m_dbaser));
            if (!kw.isEmpty())
                m_countTurns.started(
                    m_contacter->RunOverture(kw, std::make_shared<CKeyedCollection>()), kw);
        },
        [&](std::int32_t number, const QString& description) {
            logHandlerError(number, description, kOvertureSource);
        });
}

void Scripting::moLookupTimer_Timer()
{
    const HandlerTurn turn(m_inLookup);
    if (!turn.entered())
        return;
    guarded(
        [&] {
            if (m_autoResearchPaused || !m_dbaser || !m_contacter || !m_dbaser->ProjectDBOpened())
                return;
            if (m_downloader->ActiveCount() >= kMaxDownloadsForLookup)
                return;
            if (m_dbaser->GetCount(kCandidatesCount) > kMaxWaitingCandidates)
                return;
            const QString kw = m_lookupTurns.pick(DueKeywords::lookups(*m_dbaser));
            if (!kw.isEmpty())
                m_lookupTurns.started(
                    m_contacter->GetSER(seGoogle, kw, std::make_shared<CKeyedCollection>()), kw);
        },
        [&](std::int32_t number, const QString& description) {
            logHandlerError(number, description, kLookupSource);
        });
}

void Scripting::moLeadWordsTimer_Timer()
{
    const HandlerTurn turn(m_inLeadWords);
    if (!turn.entered() || m_autoResearchPaused)
        return;
    ++m_leadWordsTicks;
    if (m_leadWordsTicks < kLeadWordsTicksPerPass)
        return;
    leadWordsPass();
}

// A search-count job posts nothing: it failed when the keyword still has no count.
void Scripting::countJobEnded(const QString& cookie)
{
    const QString kw = m_countTurns.keywordOf(cookie);
    if (kw.isEmpty())
        return;
    bool failed = true;
    try {
        failed = !m_dbaser || neverCounted(m_dbaser->OverDate(kw));
    } catch (...) {
        // A keyword that cannot be read counts as failed.
    }
    m_countTurns.ended(cookie, failed);
}

void Scripting::lookupJobEnded(const QString& cookie, bool failed)
{
    m_lookupTurns.ended(cookie, failed);
}

void Scripting::leadWordsPass()
{
    // A second database object for this pass, writing through the master's databases.
    std::unique_ptr<QObject> object;
    zentrel::DBaser* worker = nullptr;
    QStringList words;
    bool ready = false;
    try {
        if (m_dbaser && m_countedWords && m_importedWords) {
            object = CThreadLauncher().CreateObject(kWorkerDBaserProgId);
            worker = qobject_cast<zentrel::DBaser*>(object.get());
            if (worker) {
                worker->Init(m_log);
                worker->AttachByObjects(m_log, m_dbaser->ProjectDB(), m_dbaser->CacheDB(),
                                        m_dbaser->NewKWsEventName(),
                                        m_dbaser->NewOvertureCountsEventName());
                words = worker->GetMostPopularWords();
                ready = true;
            }
        }
    } catch (...) {
        // A pass that cannot be set up is tried again at the next tick.
    }
    if (ready) {
        guarded(
            [&] {
                walkLeadWords(words, *worker);
                m_leadWordsTicks = 0;
            },
            [&](std::int32_t number, const QString& description) {
                logHandlerError(number, description, kLeadWordsSource);
            });
    }
    if (worker) {
        try {
            worker->Finalize();
        } catch (...) {
            // Errors are ignored in the clean-up.
        }
    }
}

void Scripting::walkLeadWords(const QStringList& words, zentrel::DBaser& worker)
{
    int imported = 0;
    for (const QString& word : words) {
        const QString key = wordKey(word);
        if (!m_countedWords->Exists(key)) {
            if (neverCounted(worker.OverDate(word)))
                m_contacter->RunOverture(word, std::make_shared<CKeyedCollection>());
            else
                m_countedWords->Add(word, key);
        }
        if (m_countedWords->Exists(key) && !m_importedWords->Exists(key)) {
            imported += worker.ImportFromCacheForWord(word);
            m_importedWords->Add(word, key);
            if (imported > kMaxImportedPerPass)
                break;
        }
    }
}

void Scripting::logHandlerError(std::int32_t number, const QString& description,
                                const QString& source)
{
    if (m_log)
        m_log->Write(number, description, 4, source);
}

} // namespace zentrel
