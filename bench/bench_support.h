#pragma once

// Helpers shared by the benchmark programs.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// Speech-like test audio at rate: two partials and some noise, well above the
// VOX threshold and without DTMF tone pairs.
inline std::vector<int16_t> TestAudio(int rate, int count) {
    std::vector<int16_t> out(static_cast<size_t>(count));
    uint32_t noise = 12345;
    for (int i = 0; i < count; ++i) {
        noise = noise * 1103515245u + 12345u;
        const double t = double(i) / rate;
        const double v = 6000 * std::sin(2 * M_PI * 310 * t) +
                         3000 * std::sin(2 * M_PI * 1270 * t) + double(int(noise >> 16) % 1000);
        out[size_t(i)] = int16_t(std::lround(v));
    }
    return out;
}
