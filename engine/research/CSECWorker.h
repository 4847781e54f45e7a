#pragma once

#include <cstdint>

#include <QObject>
#include <QSet>
#include <QString>

#include "engine/platform/CDataNode.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/research/ResearchJob.h"

namespace zentrel {

class ZError;

// Works a search job (the result page of the search engine, then the head of every found page)
// or a page job (one page), on a thread of its own, and stores the pages' meta-keyword phrases
// as candidates through its own database object.
class CSECWorker final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSECWorker)

public:
    // Found pages are read only this far: their meta tags stand at the head.
    static constexpr std::int32_t kFoundPageBytes = 2048;

    explicit CSECWorker(QObject* parent = nullptr);
    ~CSECWorker() override;

    // A search job: the parameters of the contacter's search jobs ("SearchURL", "kw" optional).
    Q_INVOKABLE void Run(zentrel::CKeyedCollectionPtr Data);
    // A page job: the parameters of the contacter's page jobs ("URL").
    Q_INVOKABLE void LoadFromPage(zentrel::CKeyedCollectionPtr Data);

private:
    void setUp(const CKeyedCollection& data);
    void moDownloader_Complete(const QString& Cookie, const QString& Page, bool IsSuccess,
                               std::int32_t ErrNumber, const QString& ErrDescription);
    void foundPageArrived(const QString& cookie, const QString& page, bool isSuccess);
    void resultPageArrived(const QString& page);
    void resultPageFailed(std::int32_t errNumber, const QString& errDescription);
    void completeWhenNothingPending();
    void updateLookupDate();
    void fail(const ZError& error, int level, const QString& source);

    ResearchJob m_job;
    QSet<QString> m_pending; // download cookies of the job's pages
    QString m_searchURL;
    QString m_keyword;
    QString m_resultCookie;
    CDataNode m_operation;
    bool m_done = false;
    bool m_allStarted = false;
};

} // namespace zentrel
