#include "engine/research/ResearchTurns.h"

namespace zentrel {

QString ResearchTurns::pick(const QStringList& candidates) const
{
    for (const QString& kw : candidates) {
        if (!m_behind.contains(kw))
            return kw;
    }
    for (const QString& kw : m_behind) {
        if (candidates.contains(kw))
            return kw;
    }
    return {};
}

void ResearchTurns::started(const QString& cookie, const QString& kw)
{
    if (!cookie.isEmpty() && !kw.isEmpty())
        m_jobs.insert(cookie, kw);
}

void ResearchTurns::ended(const QString& cookie, bool failed)
{
    const auto job = m_jobs.constFind(cookie);
    if (job == m_jobs.cend())
        return;
    const QString kw = *job;
    m_jobs.erase(job);
    m_behind.removeAll(kw);
    if (failed)
        m_behind.append(kw);
}

} // namespace zentrel
