#pragma once

// Helpers shared by the benchmark programs.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Mean, median and 99th percentile of a set of measurements.
struct Summary {
    double mean = 0, median = 0, p99 = 0;
};

inline Summary Summarize(std::vector<double> values) {
    Summary s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    for (double v : values)
        s.mean += v;
    s.mean /= double(values.size());
    s.median = values[values.size() / 2];
    s.p99 = values[std::min(values.size() - 1, values.size() * 99 / 100)];
    return s;
}

// Prints the runs as usual and keeps each benchmark's median CPU time, so
// that a program can print ratios measured in the same run.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                median[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
    std::map<std::string, double> median;
};
