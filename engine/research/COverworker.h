#pragma once

#include <cstdint>

#include <QObject>
#include <QString>
#include <QStringList>

#include "engine/platform/CKeyedCollection.h"
#include "engine/research/ResearchJob.h"

namespace zentrel {

// Works a search-count job on a thread of its own: asks the suggestion service, one term after
// the other, for the keyword's words and the keyword whose counts are missing or older than
// 60 days, and stores every count of each page in the cache through its own database object.
class COverworker final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(COverworker)

public:
    // A count younger than this is not asked for again.
    static constexpr int kCountLifeDays = 60;

    explicit COverworker(QObject* parent = nullptr);
    ~COverworker() override;

    // The parameters of the contacter's search-count jobs ("KW").
    Q_INVOKABLE void Run(zentrel::CKeyedCollectionPtr Data);

private:
    void moDownloader_Complete(const QString& Cookie, const QString& Page, bool IsSuccess,
                               std::int32_t ErrNumber, const QString& ErrDescription);
    void pageArrived(const QString& page);
    bool needsCount(const QString& kw);
    void fetchNext();

    ResearchJob m_job;
    QString m_keyword; // as the job got it
    QString m_downloadCookie;
    bool m_done = false;
    QString m_term;
    QStringList m_queue;
};

} // namespace zentrel
