#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace trx::bench {

// The console report, plus the median real time of every benchmark, so that a program can print
// how its subject compares with the floor it measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_medians[run.run_name.function_name] = run.GetAdjustedRealTime();
                m_unit = benchmark::GetTimeUnitString(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    double median(const std::string& name) const
    {
        const auto it = m_medians.find(name);
        return it == m_medians.end() ? 0.0 : it->second;
    }

    // "label: 123.4 us / 98.7 us = 1.25x (goal <= 2.00x) ok"
    bool printRatio(const char* label, const std::string& subject, const std::string& floor,
                    double goal) const
    {
        const double s = median(subject);
        const double f = median(floor);
        if (s <= 0.0 || f <= 0.0) {
            std::printf("%s: not measured\n", label);
            return false;
        }
        const double ratio = s / f;
        std::printf("%s: %.1f %s / %.1f %s = %.2fx (goal <= %.2fx) %s\n", label, s,
                    m_unit.c_str(), f, m_unit.c_str(), ratio, goal,
                    ratio <= goal ? "ok" : "MISSED");
        return ratio <= goal;
    }

private:
    std::map<std::string, double> m_medians;
    std::string m_unit;
};

}  // namespace trx::bench
