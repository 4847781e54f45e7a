#pragma once

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

namespace benchsupport {

// Prints the console report and, at the end, each program benchmark beside its raw-SQLite
// baseline: the median time of one iteration over the repetitions (aggregates are left out,
// so --benchmark_repetitions gives sound figures) and the ratio baseline / program (1 is the
// floor; 0.9 means 10 % slower than the baseline).
class PairReporter : public benchmark::ConsoleReporter {
public:
    // Program benchmark name (with its arguments, as "BM_X/123") and its baseline's.
    explicit PairReporter(std::vector<std::pair<std::string, std::string>> pairs)
        : m_pairs(std::move(pairs))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            m_times[name].push_back(run.GetAdjustedRealTime() /
                                    benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printPairs(int keywords) const
    {
        std::printf("\nAt %d keywords (median ms per iteration):\n", keywords);
        std::printf("%-40s %12s %-28s %12s %7s\n", "program", "ms", "baseline", "ms", "ratio");
        for (const auto& [program, baseline] : m_pairs) {
            const double p = median(program);
            const double b = median(baseline);
            if (p <= 0 || b <= 0)
                continue;
            std::printf("%-40s %12.3f %-28s %12.3f %7.2f\n", program.c_str(), p, baseline.c_str(),
                        b, b / p);
        }
    }

private:
    double median(const std::string& name) const
    {
        const auto found = m_times.find(name);
        if (found == m_times.end() || found->second.empty())
            return 0;
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        const size_t n = times.size();
        return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    }

    std::vector<std::pair<std::string, std::string>> m_pairs;
    std::map<std::string, std::vector<double>> m_times;
};

} // namespace benchsupport
