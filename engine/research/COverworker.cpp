#include "engine/research/COverworker.h"

#include <memory>

#include <QDateTime>

#include "engine/ComponentRegistration.h"
#include "engine/EngineMessages.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/ZError.h"
#include "engine/research/COP.h"

namespace zentrel {

namespace {
const ComponentRegistration registration{"Zentrel.COverworker",
                                         [] { return std::make_unique<COverworker>(); }};

const QString kRunSource = QStringLiteral("COverworker.Run");
const QString kHandlerSource = QStringLiteral("COverworker.moDownloader_Complete");
} // namespace

COverworker::COverworker(QObject* parent)
    : QObject(parent)
{
}

COverworker::~COverworker() = default;

bool COverworker::needsCount(const QString& kw)
{
    // A keyword never counted reads as the zero date, older than any limit.
    return m_job.dbaser().OverDate(kw).addDays(kCountLifeDays) < QDateTime::currentDateTime();
}

void COverworker::Run(CKeyedCollectionPtr Data)
{
    try {
        if (!Data)
            throw ZError(kInvalidArgument, QStringLiteral("No job parameters."));
        m_job.SetUp(*Data);
        connect(m_job.downloader().get(), &CDownloader::Complete, this,
                &COverworker::moDownloader_Complete);
        m_keyword = ResearchJob::Required(*Data, QStringLiteral("KW")).toString();

        if (m_keyword.contains(QLatin1Char(' '))) {
            for (const QString& word : m_keyword.split(QLatin1Char(' '))) {
                // Two blanks in a row leave an empty piece, which is no word.
                if (!word.isEmpty() && needsCount(word))
                    m_queue.append(MParser::NormalizeKW(word));
            }
        }
        if (needsCount(m_keyword))
            m_queue.append(m_keyword); // the service gets the keyword as written
        if (!m_queue.isEmpty()) {
            fetchNext();
            ResearchJob::WaitUntil([this] { return m_done; });
        }
    } catch (const ZError& error) {
        m_job.Log(error.signedNumber(), error.description(), 4, kRunSource);
    } catch (const std::exception& error) {
        m_job.Log(static_cast<std::int32_t>(kUnexpected), QString::fromUtf8(error.what()), 4,
                  kRunSource);
    }
    m_job.Finish();
}

void COverworker::fetchNext()
{
    m_term = m_queue.takeFirst();
    m_downloadCookie = m_job.downloader()->Download(MParser::GetOvertureURL(m_term), 0);
}

void COverworker::moDownloader_Complete(const QString& Cookie, const QString& Page, bool IsSuccess,
                                        std::int32_t ErrNumber, const QString& ErrDescription)
{
    if (m_done || Cookie != m_downloadCookie)
        return;
    try {
        if (IsSuccess) {
            pageArrived(Page);
            return;
        }
        if (static_cast<std::uint32_t>(ErrNumber) != objectError(EngineMessages::Offline))
            m_job.Log(ErrNumber, ErrDescription, 4, kHandlerSource);
        m_done = true;
    } catch (const ZError& error) {
        m_job.Log(error.signedNumber(), error.description(), 4, kHandlerSource);
        m_done = true;
    } catch (const std::exception& error) {
        m_job.Log(static_cast<std::int32_t>(kUnexpected), QString::fromUtf8(error.what()), 4,
                  kHandlerSource);
        m_done = true;
    }
}

void COverworker::pageArrived(const QString& page)
{
    COP parser;
    parser.Init(m_job.log());
    CDataNode counts = parser.Parse(page);

    // Counts are stored and found under the normalised keyword; a term the service did not list
    // counts as 0 searches.
    const QString termName = MParser::NormalizeKW(m_term);
    if (!termName.isEmpty() && !counts.Attributes().Exists(termName))
        counts.Attributes().Add(termName, 0);
    m_job.dbaser().AddOvertured(counts, m_keyword);

    if (counts.Attributes().Exists(MParser::NormalizeKW(m_keyword)) || m_queue.isEmpty()) {
        m_done = true;
        return;
    }
    fetchNext();
}

} // namespace zentrel
