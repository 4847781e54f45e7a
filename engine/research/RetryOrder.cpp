#include "engine/research/RetryOrder.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace zentrel {

namespace {

constexpr int kFirstAsk = 16;

} // namespace

QString RetryOrder::pick(const Candidates& first) const
{
    const int most = behindCount() + 1;
    const int n = std::min(kFirstAsk, most);
    const QStringList candidates = first(n);
    const QString kw = pick(candidates);
    const bool allBehind = kw.isEmpty() || m_failedAt.contains(kw);
    if (!allBehind || candidates.size() < n || n == most)
        return kw;
    return pick(first(most));
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
    if (failed)
        m_failedAt.insert(kw, ++m_failures); // replaces an earlier failure of the keyword
    else
        m_failedAt.remove(kw);
}

QStringList RetryOrder::behind() const
{
    std::vector<std::pair<std::uint64_t, QString>> order;
    order.reserve(m_failedAt.size());
    for (auto it = m_failedAt.cbegin(); it != m_failedAt.cend(); ++it)
        order.emplace_back(it.value(), it.key());
    std::sort(order.begin(), order.end());
    QStringList keywords;
    keywords.reserve(static_cast<qsizetype>(order.size()));
    for (const auto& entry : order)
        keywords.append(entry.second);
    return keywords;
}

} // namespace zentrel
