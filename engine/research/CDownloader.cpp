#include "engine/research/CDownloader.h"

#include <exception>
#include <utility>

#include <QMetaObject>
#include <QStringList>
#include <QThread>
#include <QVariantList>

#include "engine/ComponentRegistration.h"
#include "engine/EngineMessages.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/ZError.h"
#include "engine/research/CDLoadWorker.h"
#include "engine/research/ResearchHosts.h"

namespace zentrel {

namespace {

const ComponentRegistration registration{"Zentrel.CDownloader",
                                         [] { return std::make_unique<CDownloader>(); }};

const QString kEngineSource = QStringLiteral("Zentrel");
const QString kWorkerProgId = QStringLiteral("zentrel.cdloadworker");
const QString kEventPrefix = QStringLiteral("4c2b");

// The fields of a result message.
enum ResultField { Cookie, Page, Success, Number, Description, Url, FieldCount };

QString engineVersionLine()
{
    const QStringList version = QStringLiteral(ZENTREL_VERSION).split(QLatin1Char('.'));
    return QStringLiteral("%1.dll %2.%3.%4")
        .arg(QStringLiteral("Zentrel"), version.value(0, QStringLiteral("0")),
             version.value(1, QStringLiteral("0")), version.value(2, QStringLiteral("0")));
}

// The error Download raises for a start that failed: 650 stays 650, anything else is 642.
ZError startFailure(const QString& url, std::uint32_t number, const QString& description)
{
    const int id = number == objectError(EngineMessages::UrlAlreadyDownloaded)
                       ? EngineMessages::UrlAlreadyDownloaded
                       : EngineMessages::DownloadStartFailed;
    return ZError(objectError(id),
                  EngineMessages::text(EngineMessages::DownloadStartFailed, url) + description,
                  kEngineSource);
}

} // namespace

std::shared_ptr<CDownloader> CDownloader::create()
{
    // A research worker may drop the last reference; the object then goes on its own thread.
    return std::shared_ptr<CDownloader>(new CDownloader, [](CDownloader* downloader) {
        if (downloader->thread() == QThread::currentThread())
            delete downloader;
        else
            downloader->deleteLater();
    });
}

CDownloader::CDownloader(QObject* parent)
    : QObject(parent)
    , moMessanger(CMessanger::create())
    , m_timeLimit(CDLoadWorker::kDefaultTimeLimit)
{
    connect(moMessanger.get(), &CMessanger::MsgArrived, this, &CDownloader::moMessanger_MsgArrived);
}

CDownloader::~CDownloader()
{
    // Workers still running find the messenger closed and end without posting.
    moMessanger->close();
}

void CDownloader::Init(CLogPtr Log)
{
    m_log = std::move(Log);
    writeLog(0, engineVersionLine(), 5, {});
    m_downloadedURLs.Clear();
}

QString CDownloader::Download(const QString& URL, std::int32_t SizeB)
{
    if (QThread::currentThread() != thread())
        return downloadOnOwnerThread(URL, SizeB);
    return downloadHere(URL, SizeB);
}

QString CDownloader::downloadOnOwnerThread(const QString& url, std::int32_t sizeB)
{
    QString cookie;
    std::exception_ptr failure;
    bool ran = false;
    const bool delivered = QMetaObject::invokeMethod(
        this,
        [&] {
            ran = true;
            try {
                cookie = downloadHere(url, sizeB);
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
    if (!delivered || !ran)
        throw startFailure(url.trimmed(), 0, QStringLiteral("The downloader is gone. "));
    return cookie;
}

QString CDownloader::downloadHere(const QString& url, std::int32_t sizeB)
{
    const QString trimmed = url.trimmed();
    try {
        if (!isRepeatable(trimmed)) {
            const QString key = urlKey(trimmed);
            if (m_downloadedURLs.Exists(key))
                throw EngineMessages::error(EngineMessages::UrlAlreadyDownloaded, {},
                                            kEngineSource);
            m_downloadedURLs.Add(QString(), key);
        }
        if (m_stopped)
            throw ZError(kUnexpected, QStringLiteral("The engine is shutting down. "),
                         kEngineSource);
        const QString cookie = CUtilities::NewName();
        if (m_downloads.contains(cookie))
            throw EngineMessages::error(EngineMessages::UrlAlreadyDownloading, trimmed,
                                        kEngineSource);
        startOrQueue(cookie, workerData(trimmed, sizeB, cookie));
        emit StartDownload(cookie, trimmed);
        return cookie;
    } catch (const ZError& error) {
        throw startFailure(trimmed, error.number(), error.description());
    } catch (const std::exception& error) {
        throw startFailure(trimmed, kUnexpected, QString::fromLocal8Bit(error.what()));
    }
}

bool CDownloader::isRepeatable(const QString& url)
{
    return url.contains(QLatin1String("overture"), Qt::CaseInsensitive) ||
           ResearchHosts::IsSuggestURL(url);
}

CKeyedCollectionPtr CDownloader::workerData(const QString& url, std::int32_t sizeB,
                                            const QString& cookie)
{
    auto data = std::make_shared<CKeyedCollection>();
    data->Add(url, QStringLiteral("URL"));
    data->Add(sizeB, QStringLiteral("SizeB"));
    data->Add(m_log ? m_log->LogFile() : QString(), QStringLiteral("LogFile"));
    data->AddObject(moMessanger, QStringLiteral("Messanger"));
    data->Add(cookie, QStringLiteral("Cookie"));
    if (m_timeLimit != CDLoadWorker::kDefaultTimeLimit)
        data->Add(static_cast<qlonglong>(m_timeLimit.count()), QStringLiteral("TimeLimit"));
    return data;
}

void CDownloader::startOrQueue(const QString& cookie, CKeyedCollectionPtr data)
{
    m_downloads.emplace(cookie, Running{NamedEvent::create(kEventPrefix + cookie)});
    if (m_workerCookies.size() >= kMaxRunningWorkers) {
        m_queue.push_back({cookie, std::move(data)});
        return;
    }
    try {
        startWorker(cookie, data);
    } catch (...) {
        // A download that never started does not count as running.
        m_downloads.erase(cookie);
        throw;
    }
}

void CDownloader::startWorker(const QString& cookie, const CKeyedCollectionPtr& data)
{
    m_workers.add(cookie, CThreadLauncher().Run(kWorkerProgId, QStringLiteral("Run"), data));
    m_workerCookies.insert(cookie);
}

void CDownloader::startQueued()
{
    while (m_workerCookies.size() < kMaxRunningWorkers && !m_queue.empty()) {
        const Queued next = std::move(m_queue.front());
        m_queue.pop_front();
        try {
            startWorker(next.cookie, next.data);
        } catch (const ZError& error) {
            const QString url = next.data->Item(QStringLiteral("URL")).toString();
            postFailure(next.cookie, url, startFailure(url, error.number(), error.description()));
        }
    }
}

bool CDownloader::dropQueued(const QString& cookie)
{
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (it->cookie != cookie)
            continue;
        const QString url = it->data->Item(QStringLiteral("URL")).toString();
        m_queue.erase(it);
        postFailure(
            cookie, url,
            ZError(kCancelled, QStringLiteral("The download was cancelled. "), kEngineSource));
        return true;
    }
    return false;
}

void CDownloader::postFailure(const QString& cookie, const QString& url, const ZError& error)
{
    try {
        moMessanger->Post(0, QVariantList{cookie, QString(), false, error.signedNumber(),
                                          error.description(), url});
    } catch (const ZError&) {
        // Closed: the downloader is going away.
    }
}

void CDownloader::Cancel(const QString& Cookie)
{
    const auto it = m_downloads.find(Cookie);
    if (it == m_downloads.end())
        return;
    it->second.event.set();
    m_downloads.erase(it);
    // A download still waiting for a worker never starts; its result says it was cancelled.
    dropQueued(Cookie);
}

bool CDownloader::IsDownloadingNow() const
{
    return !m_downloads.empty();
}

void CDownloader::CancelAll()
{
    for (auto& [cookie, download] : m_downloads)
        download.event.set();
    m_downloads.clear();
    while (!m_queue.empty())
        dropQueued(m_queue.front().cookie);
}

void CDownloader::StopAll()
{
    m_stopped = true;
    CancelAll();
    m_workers.requestStopAll();
}

std::int32_t CDownloader::ActiveCount() const
{
    return static_cast<std::int32_t>(m_downloads.size());
}

void CDownloader::moMessanger_MsgArrived(int Msg, const QVariant& Data, const QString&,
                                         const QString&)
{
    if (Msg != 0)
        return;
    const QVariantList result = Data.toList();
    if (result.size() == FieldCount)
        m_workerCookies.remove(result.at(Cookie).toString());
    try {
        if (result.size() != FieldCount)
            throw ZError(kInvalidArgument, QStringLiteral("A download result is malformed. "),
                         kEngineSource);
        handleResult(result);
    } catch (const ZError& error) {
        writeLog(error.signedNumber(), error.description(), 0,
                 QStringLiteral("CDownloader.moMessanger_MsgArrived"));
    } catch (const std::exception& error) {
        writeLog(static_cast<std::int32_t>(kUnexpected), QString::fromLocal8Bit(error.what()), 0,
                 QStringLiteral("CDownloader.moMessanger_MsgArrived"));
    }
    startQueued();
}

void CDownloader::handleResult(const QVariantList& result)
{
    const QString cookie = result.at(Cookie).toString();
    const bool success = result.at(Success).toBool();
    const QString url = result.at(Url).toString();
    const QString key = urlKey(url);
    if (success) {
        if (!isRepeatable(url) && !m_downloadedURLs.Exists(key))
            m_downloadedURLs.Add(QString(), key);
    } else if (m_downloadedURLs.Exists(key)) {
        m_downloadedURLs.Remove(key); // a failed URL may be fetched again
    }
    emit Complete(cookie, success ? result.at(Page).toString() : QString(), success,
                  result.at(Number).toInt(), result.at(Description).toString());
    m_downloads.erase(cookie);
}

void CDownloader::writeLog(std::int32_t number, const QString& text, int level,
                           const QString& source)
{
    if (m_log)
        m_log->Write(number, text, level, source);
}

} // namespace zentrel
