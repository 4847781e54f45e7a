#include "engine/research/CSECWorker.h"

#include <memory>

#include "engine/ComponentRegistration.h"
#include "engine/EngineMessages.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/ZError.h"
#include "engine/research/CGP.h"
#include "engine/research/MetaKeywords.h"

namespace zentrel {

namespace {
const ComponentRegistration registration{"Zentrel.CSECWorker",
                                         [] { return std::make_unique<CSECWorker>(); }};

const QString kHandlerSource = QStringLiteral("CSECWorker.moDownloader_Complete");

ZError unexpected(const std::exception& error)
{
    return ZError(kUnexpected, QString::fromUtf8(error.what()), QStringLiteral("Zentrel"));
}
} // namespace

CSECWorker::CSECWorker(QObject* parent)
    : QObject(parent)
{
}

CSECWorker::~CSECWorker() = default;

void CSECWorker::setUp(const CKeyedCollection& data)
{
    m_job.SetUp(data);
    connect(m_job.downloader().get(), &CDownloader::Complete, this,
            &CSECWorker::moDownloader_Complete);
}

void CSECWorker::Run(CKeyedCollectionPtr Data)
{
    try {
        if (!Data)
            throw ZError(kInvalidArgument, QStringLiteral("No job parameters."));
        setUp(*Data);
        if (Data->Exists(QStringLiteral("kw")))
            m_keyword = Data->Item(QStringLiteral("kw")).toString();
        m_searchURL = ResearchJob::Required(*Data, QStringLiteral("SearchURL")).toString();
        m_resultCookie = m_job.downloader()->Download(m_searchURL, 0);
        ResearchJob::WaitUntil([this] { return m_done; });
    } catch (const ZError& error) {
        m_job.Log(error.signedNumber(), error.description(), 4, QStringLiteral("CSECWorker.Run"));
        // The lookup timer must not pick a keyword whose result page this run already read.
        if (error.number() == objectError(EngineMessages::UrlAlreadyDownloaded)) {
            try {
                updateLookupDate();
            } catch (const std::exception&) {
                // The database object has logged it; the failure is posted all the same.
            }
        }
        m_job.PostFailure(error.signedNumber(), error.description());
    } catch (const std::exception& error) {
        const ZError wrapped = unexpected(error);
        m_job.Log(wrapped.signedNumber(), wrapped.description(), 4,
                  QStringLiteral("CSECWorker.Run"));
        m_job.PostFailure(wrapped.signedNumber(), wrapped.description());
    }
    m_job.Finish();
}

void CSECWorker::LoadFromPage(CKeyedCollectionPtr Data)
{
    const QString source = QStringLiteral("CSECWorker.LoadFromPage");
    try {
        if (!Data)
            throw ZError(kInvalidArgument, QStringLiteral("No job parameters."));
        setUp(*Data);
        const QString url = ResearchJob::Required(*Data, QStringLiteral("URL")).toString();
        m_operation.setValue(CUtilities::NewName());
        m_operation.Attributes().Add(
            QStringLiteral("Description"),
            CUtilities::Format(QStringLiteral("Get keywords from '%1'"), {url}));
        m_pending.insert(m_job.downloader()->Download(url, 0));
        m_allStarted = true;
        ResearchJob::WaitUntil([this] { return m_done; });
    } catch (const ZError& error) {
        m_job.Log(error.signedNumber(), error.description(), 4, source);
    } catch (const std::exception& error) {
        m_job.Log(static_cast<std::int32_t>(kUnexpected), QString::fromUtf8(error.what()), 4,
                  source);
    }
    m_job.Finish();
}

void CSECWorker::moDownloader_Complete(const QString& Cookie, const QString& Page, bool IsSuccess,
                                       std::int32_t ErrNumber, const QString& ErrDescription)
{
    if (m_done)
        return;
    try {
        if (m_resultCookie.isEmpty() || Cookie != m_resultCookie)
            foundPageArrived(Cookie, Page, IsSuccess);
        else if (IsSuccess)
            resultPageArrived(Page);
        else
            resultPageFailed(ErrNumber, ErrDescription);
    } catch (const ZError& error) {
        fail(error, 0, kHandlerSource);
    } catch (const std::exception& error) {
        fail(unexpected(error), 0, kHandlerSource);
    }
}

void CSECWorker::foundPageArrived(const QString& cookie, const QString& page, bool isSuccess)
{
    if (!m_pending.contains(cookie))
        return;
    if (isSuccess) {
        const CKeyedCollection phrases =
            MetaKeywords::GetKWsFromPage(page, MetaKeywords::Rule::Worker);
        m_job.dbaser().AddKWs(phrases, m_operation);
    }
    m_pending.remove(cookie);
    completeWhenNothingPending();
}

void CSECWorker::resultPageArrived(const QString& page)
{
    m_resultCookie.clear(); // the result page comes once
    CGP parser;
    parser.Init(m_job.log());
    const CDataNode found = parser.Parse(page);

    m_operation.setValue(CUtilities::NewName());
    m_operation.Attributes().Add(QStringLiteral("Type"), QStringLiteral("GOOGLE_SEARCH"));
    m_operation.Attributes().Add(
        QStringLiteral("Description"),
        CUtilities::Format(QStringLiteral("Google search for '%1'"), {m_searchURL}));

    for (const CDataNode& foundPage : found.Children()) {
        const QString url =
            foundPage.Attributes().Item(QStringLiteral("URL")).Values().Item(1).toString();
        if (!MParser::IsCrawlable(url))
            continue;
        try {
            m_pending.insert(m_job.downloader()->Download(url, kFoundPageBytes));
        } catch (const ZError&) {
            // Refused, for one because this run fetched it already: skipped.
        }
    }
    m_allStarted = true;
    completeWhenNothingPending();
}

void CSECWorker::resultPageFailed(std::int32_t errNumber, const QString& errDescription)
{
    m_resultCookie.clear();
    if (static_cast<std::uint32_t>(errNumber) == objectError(EngineMessages::UrlAlreadyDownloaded))
        updateLookupDate();
    m_job.PostFailure(errNumber, errDescription);
    m_done = true;
}

void CSECWorker::completeWhenNothingPending()
{
    if (!m_pending.isEmpty() || !m_allStarted)
        return;
    updateLookupDate();
    m_job.PostSuccess();
    m_done = true;
}

void CSECWorker::updateLookupDate()
{
    if (!m_keyword.isEmpty())
        m_job.dbaser().UpdateLookupDate(m_keyword);
}

void CSECWorker::fail(const ZError& error, int level, const QString& source)
{
    m_job.Log(error.signedNumber(), error.description(), level, source);
    m_job.PostFailure(error.signedNumber(), error.description());
    m_done = true;
}

} // namespace zentrel
