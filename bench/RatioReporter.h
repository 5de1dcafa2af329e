#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace trx::bench {

// The console report, plus the median real time of every benchmark, so that a program can print
// how its subject compares with the floor it measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                Median& m = m_medians[run.run_name.function_name];
                m.value = run.GetAdjustedRealTime();
                m.unit = benchmark::GetTimeUnitString(run.time_unit);
                m.seconds = m.value / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // In seconds; 0 when the benchmark did not run or failed.
    double median(const std::string& name) const {
        const auto it = m_medians.find(name);
        return it == m_medians.end() ? 0.0 : it->second.seconds;
    }

    // "label: 123.4 us / 98.7 us = 1.25x (goal <= 2.00x) ok"; without a goal when it is 0.
    bool printRatio(const char* label, const std::string& subject, const std::string& floor,
                    double goal = 0.0) const {
        const auto s = m_medians.find(subject);
        const auto f = m_medians.find(floor);
        if (s == m_medians.end() || f == m_medians.end() || s->second.seconds <= 0.0 ||
            f->second.seconds <= 0.0) {
            std::printf("%s: not measured\n", label);
            return false;
        }
        const double ratio = s->second.seconds / f->second.seconds;
        std::printf("%s: %s %s / %s %s = %.2fx", label, number(s->second.value).c_str(),
                    s->second.unit.c_str(), number(f->second.value).c_str(), f->second.unit.c_str(),
                    ratio);
        if (goal <= 0.0) {
            std::printf("\n");
            return true;
        }
        std::printf(" (goal <= %.2fx) %s\n", goal, ratio <= goal ? "ok" : "MISSED");
        return ratio <= goal;
    }

    // "label: 98.7 ms (goal < 150 ms) ok", for a goal in absolute time.
    bool printMilliseconds(const char* label, const std::string& name, double goalMs) const {
        const double seconds = median(name);
        if (seconds <= 0.0) {
            std::printf("%s: not measured\n", label);
            return false;
        }
        const double ms = seconds * 1e3;
        std::printf("%s: %.1f ms (goal < %.0f ms) %s\n", label, ms, goalMs,
                    ms < goalMs ? "ok" : "MISSED");
        return ms < goalMs;
    }

  private:
    // Three significant digits or more, never an exponent.
    static std::string number(double value) {
        char text[32];
        std::snprintf(text, sizeof text,
                      value >= 100.0  ? "%.0f"
                      : value >= 10.0 ? "%.1f"
                                      : "%.3f",
                      value);
        return text;
    }

    struct Median {
        double value = 0.0;
        std::string unit;
        double seconds = 0.0;
    };
    std::map<std::string, Median> m_medians;
};

// Runs the benchmarks the command line selects, the repetitions of different benchmarks
// interleaved at random: a machine that slows down for a while then slows subject and floor
// alike instead of whichever ran at that time.
inline void runInterleaved(int argc, char** argv, RatioReporter& reporter) {
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
}

}  // namespace trx::bench
