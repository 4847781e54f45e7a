#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace zentrel {

// Whose turn it is among the keywords a research timer works through. A keyword whose job failed
// (a host that refuses or limits its requests) goes behind the others for the rest of the run, so
// that every keyword gets its turn and the failed one is tried again after them. Kept in memory
// only, one entry per keyword however often it failed.
class RetryOrder {
public:
    // The first n keywords due, first first.
    using Candidates = std::function<QStringList(int n)>;

    // The first candidate not put behind; when all are, the one put behind longest ago. Asks for
    // a few candidates first, and for one more than there are keywords behind only when all of
    // those were put behind; each candidate costs one hash lookup.
    QString pick(const Candidates& first) const;
    // The same over a list already read.
    QString pick(const QStringList& candidates) const;

    void started(const QString& cookie, const QString& kw);
    // The job under the cookie has ended; a failed keyword goes to the back, a done one is
    // forgotten. Jobs of other timers are ignored.
    void ended(const QString& cookie, bool failed);
    // The keyword of a job of this timer that has not ended yet; empty for any other cookie.
    QString keywordOf(const QString& cookie) const { return m_jobs.value(cookie); }

    // The keywords put behind, the earliest failure first.
    QStringList behind() const;

private:
    int behindCount() const { return static_cast<int>(m_failedAt.size()); }

    QHash<QString, std::uint64_t> m_failedAt; // keyword -> its latest failure
    std::uint64_t m_failures = 0;             // failures counted so far
    QHash<QString, QString> m_jobs;           // job cookie -> keyword
};

} // namespace zentrel
