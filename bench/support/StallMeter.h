#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

#include <QElapsedTimer>
#include <QTimer>

namespace benchsupport {

// The gaps between the turns of a 1 ms timer on the user-interface thread.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            const double gap = static_cast<double>(now - m_last) / 1e6;
            m_gaps.push_back(gap);
            if (gap > 50) {
                std::fprintf(stderr, "stall of %.1f ms at %.1f s, %.1f s after %s\n", gap,
                             static_cast<double>(now) / 1e9,
                             static_cast<double>(now - m_eventAt) / 1e9, m_event);
            }
            m_last = now;
        });
        m_clock.start();
        m_last = m_clock.nsecsElapsed();
        m_timer.start();
    }
    // The engine event that came last (stalls are reported with it).
    void note(const char* event)
    {
        m_event = event;
        m_eventAt = m_clock.nsecsElapsed();
    }
    double longest() const
    {
        return m_gaps.empty() ? 0 : *std::max_element(m_gaps.begin(), m_gaps.end());
    }
    int over(double ms) const
    {
        return static_cast<int>(
            std::count_if(m_gaps.begin(), m_gaps.end(), [ms](double gap) { return gap > ms; }));
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<double> m_gaps;
    const char* m_event = "nothing";
    qint64 m_eventAt = 0;
};

} // namespace benchsupport
