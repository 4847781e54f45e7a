#include "engine/research/RetryOrder.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace zentrel {

namespace {

constexpr int kFirstAsk = 16;

} // namespace

// The position holds from one stamp to the next while nothing was written, and moves back to the
// first place written when that is known; a failure checked before may be due again then.
bool RetryOrder::holds(const Due& due, const DueStamp& now)
{
    if (!m_at || now.clock < m_at->stamp.clock || now.clock >= m_at->keptUntil)
        return false;
    if (now.sameWrites(m_at->stamp))
        return true;
    if (!due.since || !now.sameOthers(m_at->stamp))
        return false;
    const DueSince written = due.since(m_at->stamp);
    if (!written.known)
        return false;
    if (written.first && m_at->bound && written.first->before(*m_at->bound))
        m_at->bound = written.first;
    m_at->checkedFrom = 0;
    return true;
}

// A keyword done while behind may lie before the position, no longer behind: the position holds
// only while none of them is due.
bool RetryOrder::doneBehindGone(const Due& due, const DueStamp& now)
{
    for (const QString& kw : std::as_const(m_doneBehind)) {
        const DueCheck check = due.check(now, kw);
        if (check.due)
            return false;
        m_at->keptUntil = std::min(m_at->keptUntil, check.keptUntil);
    }
    return true;
}

QString RetryOrder::pick(const Due& due)
{
    const DueStamp now = due.stamp();
    if (holds(due, now) && doneBehindGone(due, now))
        m_at->stamp = now;
    else
        m_at = Position{now, std::nullopt, std::numeric_limits<double>::infinity(), 0};
    m_doneBehind.clear();
    const QString kw = walk(due, now);
    // A walk during which a write that matters came leaves nothing to build on.
    if (m_at && !due.stamp().sameWrites(now))
        m_at.reset();
    return kw;
}

// Reads on from the position: a few rows, and while all of those are behind, one more than there
// are keywords behind; moves the position on past the rows behind.
QString RetryOrder::walk(const Due& due, const DueStamp& now)
{
    int ask = std::min(kFirstAsk, behindCount() + 1);
    for (;;) {
        const std::optional<DueKey> from = m_at->bound;
        const DuePage page = due.from(now, from, ask);
        m_at->keptUntil = std::min(m_at->keptUntil, page.keptUntil);
        for (const DueRow& row : page.rows) {
            if (!m_failedAt.contains(row.kw)) {
                m_at->bound = row.key;
                return row.kw;
            }
        }
        if (!page.rows.empty())
            m_at->bound = page.rows.back().key.next();
        if (static_cast<int>(page.rows.size()) < ask)
            return m_at->bound ? earliestDue(due, now) : QString();
        ask = behindCount() + 1;
    }
}

// Every due keyword is behind: the one put behind longest ago, found in the order of failure.
QString RetryOrder::earliestDue(const Due& due, const DueStamp& now)
{
    for (auto it = m_byFailure.lower_bound(m_at->checkedFrom); it != m_byFailure.cend(); ++it) {
        const DueCheck check = due.check(now, it->second);
        if (check.due) {
            m_at->checkedFrom = it->first;
            return it->second;
        }
        m_at->keptUntil = std::min(m_at->keptUntil, check.keptUntil);
    }
    // The keywords read as due are gone now: read everything again next time.
    m_at.reset();
    return {};
}

QString RetryOrder::pick(const QStringList& candidates) const
{
    const QString* earliest = nullptr;
    std::uint64_t earliestAt = 0;
    for (const QString& kw : candidates) {
        const auto failed = m_failedAt.constFind(kw);
        if (failed == m_failedAt.cend())
            return kw;
        if (!earliest || *failed < earliestAt) {
            earliest = &kw;
            earliestAt = *failed;
        }
    }
    return earliest ? *earliest : QString();
}

void RetryOrder::started(const QString& cookie, const QString& kw)
{
    if (!cookie.isEmpty() && !kw.isEmpty())
        m_jobs.insert(cookie, kw);
}

void RetryOrder::ended(const QString& cookie, bool failed)
{
    const auto job = m_jobs.constFind(cookie);
    if (job == m_jobs.cend())
        return;
    const QString kw = *job;
    m_jobs.erase(job);
    const auto before = m_failedAt.constFind(kw);
    const bool wasBehind = before != m_failedAt.cend();
    if (wasBehind) {
        m_byFailure.erase(*before);
        m_failedAt.erase(before);
    }
    if (failed) {
        m_failedAt.insert(kw, ++m_failures);
        m_byFailure.emplace(m_failures, kw);
    } else if (wasBehind) {
        m_doneBehind.append(kw);
    }
}

QStringList RetryOrder::behind() const
{
    QStringList keywords;
    keywords.reserve(static_cast<qsizetype>(m_byFailure.size()));
    for (const auto& entry : m_byFailure)
        keywords.append(entry.second);
    return keywords;
}

} // namespace zentrel
