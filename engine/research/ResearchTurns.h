#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace zentrel {

// Whose turn it is among the keywords a research timer works through. A keyword whose job failed
// (a host that refuses or limits its requests) goes behind the others for the rest of the run, so
// that every keyword gets its turn and the failed one is tried again after them. Kept in memory
// only.
class ResearchTurns {
public:
    // How many keywords to ask for, first first, so that one not put behind is among them.
    int wanted() const { return static_cast<int>(m_behind.size()) + 1; }
    // The first candidate not put behind; when all are, the one put behind longest ago.
    QString pick(const QStringList& candidates) const;

    void started(const QString& cookie, const QString& kw);
    // The job under the cookie has ended; a failed keyword goes to the back, a done one is
    // forgotten. Jobs of other timers are ignored.
    void ended(const QString& cookie, bool failed);
    // The keyword of a job of this timer that has not ended yet; empty for any other cookie.
    QString keywordOf(const QString& cookie) const { return m_jobs.value(cookie); }

    const QStringList& behind() const { return m_behind; }

private:
    QStringList m_behind;           // the earliest failure first
    QHash<QString, QString> m_jobs; // job cookie -> keyword
};

} // namespace zentrel
