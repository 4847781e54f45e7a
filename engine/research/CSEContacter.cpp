#include "engine/research/CSEContacter.h"

#include <QThread>
#include <QVariantList>

#include "engine/ComponentRegistration.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CFileUtilities.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/SqlDatabase.h"
#include "engine/platform/ZError.h"
#include "engine/research/MetaKeywords.h"
#include "engine/research/TextDecoder.h"

namespace zentrel {

namespace {
const ComponentRegistration registration{"Zentrel.CSEContacter",
                                         [] { return std::make_unique<CSEContacter>(); }};

constexpr int kSearchPages = 10;
constexpr int kSitePages = 30;
} // namespace

CSEContacter::CSEContacter(QObject* parent)
    : QObject(parent)
    , moMessanger(CMessanger::create())
{
    connect(moMessanger.get(), &CMessanger::MsgArrived, this,
            &CSEContacter::moMessanger_MsgArrived);
    // A job's entry goes once its worker has ended, also for jobs that post no completion.
    connect(&m_threads, &WorkerThreads::ended, this, [this](const QString& cookie) {
        release(cookie);
        emit JobEnded(cookie);
    });
}

CSEContacter::~CSEContacter()
{
    moMessanger->close();
    CancelAll();
}

void CSEContacter::Init(CLogPtr Log, CDownloaderPtr Downloader, DBaser* DBaser)
{
    m_log = std::move(Log);
    m_downloader = std::move(Downloader);
    m_dbaser = DBaser;
}

DBaser& CSEContacter::dbaser() const
{
    if (!m_dbaser)
        throw ZError(kUnexpected, QStringLiteral("The contacter has no database object."),
                     QStringLiteral("Zentrel"));
    return *m_dbaser;
}

void CSEContacter::LoadFromPage(const QString& Address, bool IsURL)
{
    if (IsURL) {
        const QString cookie = CUtilities::NewName();
        auto params = std::make_shared<CKeyedCollection>();
        addWorkerKeys(*params, cookie);
        params->Add(Address, QStringLiteral("URL"));
        startJob(QStringLiteral("4ffb"), QStringLiteral("zentrel.csecworker"),
                 QStringLiteral("LoadFromPage"), cookie, params);
        return;
    }
    const QString text = TextDecoder::Decode(CFileUtilities::ReadFile(Address));
    const CKeyedCollection phrases =
        MetaKeywords::GetKWsFromPage(text, MetaKeywords::Rule::Contacter);
    CDataNode operation;
    operation.Attributes().Add(QStringLiteral("Description"),
                               CUtilities::Format(QStringLiteral("Loaded from '%1'."), {Address}));
    dbaser().AddKWs(phrases, operation);
}

void CSEContacter::requireGoogle(enSE se)
{
    if (se != seGoogle)
        throw ZError(kNotImplemented, QStringLiteral("Not implemented"), QStringLiteral("Zentrel"));
}

int CSEContacter::pagesCount(const CKeyedCollection& params, int fallback)
{
    const QString key = QStringLiteral("PagesCount");
    return params.Exists(key) ? params.Item(key).toInt() : fallback;
}

QString CSEContacter::GetSER(enSE SE, const QString& KW, CKeyedCollectionPtr Params)
{
    requireGoogle(SE);
    if (!Params)
        Params = std::make_shared<CKeyedCollection>();
    const QString url = MParser::GetGoogleSearchURL(KW, pagesCount(*Params, kSearchPages));
    Params->Add(KW, QStringLiteral("kw"));
    return GetGoogleSERbyGoogleURL(url, Params);
}

QString CSEContacter::CrawlKWFromSite(enSE SE, const QString& SiteName, CKeyedCollectionPtr Params)
{
    requireGoogle(SE);
    if (!Params)
        Params = std::make_shared<CKeyedCollection>();
    const QString url = MParser::GetGoogleSiteURL(SiteName, pagesCount(*Params, kSitePages));
    return GetGoogleSERbyGoogleURL(url, Params);
}

QString CSEContacter::GetGoogleSERbyGoogleURL(const QString& SearchURL, CKeyedCollectionPtr Params)
{
    if (!Params)
        Params = std::make_shared<CKeyedCollection>();
    const QString cookie = CUtilities::NewName();
    addWorkerKeys(*Params, cookie);
    Params->Add(SearchURL, QStringLiteral("SearchURL"));
    return startJob(QStringLiteral("4ffb"), QStringLiteral("zentrel.csecworker"),
                    QStringLiteral("Run"), cookie, Params);
}

QString CSEContacter::RunOverture(const QString& KW, CKeyedCollectionPtr Params)
{
    if (!Params)
        Params = std::make_shared<CKeyedCollection>();
    const QString cookie = CUtilities::NewName();
    addWorkerKeys(*Params, cookie);
    Params->Add(KW, QStringLiteral("KW"));
    return startJob(QStringLiteral("ov4ffb"), QStringLiteral("zentrel.coverworker"),
                    QStringLiteral("Run"), cookie, Params);
}

void CSEContacter::addWorkerKeys(CKeyedCollection& params, const QString& cookie) const
{
    const DBaser& master = dbaser();
    params.Add(m_log ? m_log->LogFile() : QString(), QStringLiteral("LogFile"));
    params.Add(QVariant::fromValue(moMessanger), QStringLiteral("Messanger"));
    params.Add(QVariant::fromValue(m_downloader), QStringLiteral("Downloader"));
    params.Add(master.NewKWsEventName(), QStringLiteral("NewKWsEventName"));
    params.Add(master.NewOvertureCountsEventName(), QStringLiteral("NewOvertureCountsEventName"));
    params.Add(master.ProjectDBFilename(), QStringLiteral("ProjectDBFilename"));
    params.Add(master.CacheDBFilename(), QStringLiteral("CacheDBFilename"));
    params.Add(QVariant::fromValue(master.ProjectDB()), QStringLiteral("ProjectDB"));
    params.Add(QVariant::fromValue(master.CacheDB()), QStringLiteral("CacheDB"));
    params.Add(cookie, QStringLiteral("Cookie"));
}

QString CSEContacter::startJob(const QString& eventPrefix, const QString& progId,
                               const QString& method, const QString& cookie,
                               CKeyedCollectionPtr params)
{
    if (m_stopped)
        throw ZError(kUnexpected, QStringLiteral("The engine is shutting down."),
                     QStringLiteral("Zentrel"));
    Job job{NamedEvent::create(eventPrefix + cookie)};
    ThreadHandle thread = CThreadLauncher().Run(progId, method, std::move(params));
    m_jobs.emplace(cookie, std::move(job));
    m_threads.add(cookie, std::move(thread));
    return cookie;
}

void CSEContacter::release(const QString& cookie)
{
    const auto found = m_jobs.find(cookie);
    if (found == m_jobs.end())
        return;
    found->second.event.close();
    m_jobs.erase(found);
}

void CSEContacter::CancelAll()
{
    for (auto& [cookie, job] : m_jobs) {
        job.event.set();
        job.event.close();
    }
    m_jobs.clear();
}

void CSEContacter::StopJobs()
{
    m_stopped = true;
    CancelAll();
    m_threads.requestStopAll();
}

void CSEContacter::moMessanger_MsgArrived(int Msg, const QVariant& Data, const QString&,
                                          const QString&)
{
    try {
        if (Msg != 0)
            return;
        const QVariantList data = Data.toList();
        const QString cookie = data.value(0).toString();
        if (!data.value(1).toBool())
            emit Complete(cookie, false, data.value(2).toInt(), data.value(3).toString());
        else
            emit Complete(cookie, true, 0, QString());
        release(cookie);
    } catch (const ZError& error) {
        if (m_log)
            m_log->Write(error.signedNumber(), error.description(), 0,
                         QStringLiteral("CSEContacter.moMessanger_MsgArrived"));
    } catch (const std::exception& error) {
        if (m_log)
            m_log->Write(static_cast<std::int32_t>(kUnexpected), QString::fromUtf8(error.what()), 0,
                         QStringLiteral("CSEContacter.moMessanger_MsgArrived"));
    }
}

} // namespace zentrel
