#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include <QHash>
#include <QString>
#include <QStringList>

#include "engine/database/DueKeys.h"

namespace zentrel {

// Whose turn it is among the keywords a research timer works through. A keyword whose job failed
// (a host that refuses or limits its requests) goes behind the others for the rest of the run, so
// that every keyword gets its turn and the failed one is tried again after them. Kept in memory
// only, one entry per keyword however often it failed.
//
// The pick remembers how far into the timer's order every due keyword is known to be behind,
// with the stamp of what decides the due keywords then. While the stamp holds, the next pick
// reads on from there, so a failed keyword is read past once, not at every tick. The timers' own
// results only take keywords off and keep the stamp; after a write that may add a due keyword
// the next pick reads on from the first place written, and only where that place is not known
// (a count removed, another program's write) from the first keyword. A keyword done while behind
// is checked once at the next pick, which starts from the first keyword when it is still due.
class RetryOrder {
public:
    // What the pick reads of the timer's due keywords: the stamp (read first), what was written
    // since an earlier stamp (optional: without it any write starts from the first keyword), the
    // due keywords from a place in the order on (from the first when none), and whether one
    // keyword is due.
    struct Due {
        std::function<DueStamp()> stamp;
        std::function<DueSince(const DueStamp& then)> since;
        std::function<DuePage(const DueStamp& now, const std::optional<DueKey>& from, int n)> from;
        std::function<DueCheck(const DueStamp& now, const QString& kw)> check;
    };

    // The first due keyword not put behind; when all are, the one put behind longest ago.
    QString pick(const Due& due);
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
    // How far the last picks got, under one stamp.
    struct Position {
        DueStamp stamp;
        std::optional<DueKey> bound;   // every due keyword before it is behind; none: the first
        double keptUntil;              // the stamp's clock up to which that holds
        std::uint64_t checkedFrom = 0; // failures before it are known not to be due
    };

    bool holds(const Due& due, const DueStamp& now);
    bool doneBehindGone(const Due& due, const DueStamp& now);
    QString walk(const Due& due, const DueStamp& now);
    QString earliestDue(const Due& due, const DueStamp& now);
    int behindCount() const { return static_cast<int>(m_failedAt.size()); }

    QHash<QString, std::uint64_t> m_failedAt;     // keyword -> its latest failure
    std::map<std::uint64_t, QString> m_byFailure; // the same, latest failure -> keyword
    std::uint64_t m_failures = 0;                 // failures counted so far
    QHash<QString, QString> m_jobs;               // job cookie -> keyword
    QStringList m_doneBehind;                     // done since the last pick while behind
    std::optional<Position> m_at;
};

} // namespace zentrel
