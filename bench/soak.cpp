// soak: the soak test's cycles for as long as asked. A gateway with
// Auto-Reconnect is dropped by a scripted server once per cycle, at the four
// points of CSoakGateway in turn; every 100 cycles the program prints the
// threads, file descriptors and resident memory of its process, and at the
// end whether any of them grew after the first cycles.
//
//   soak [--cycles N]     (default 1000)
//
// Exit status: 0 when every cycle went as it should and nothing grew, 1
// otherwise, 2 for bad arguments.

#include "tests/client/soak_cycles.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultCycles = 1000;
constexpr int kReportEvery = 100;
// Resident memory may move a little with the allocator's bookkeeping.
constexpr long kRssMarginKb = 4 * 1024;

bool ParseArgs(int argc, char** argv, int& cycles) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cycles") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < kSoakSettlingCycles || n > 10000000)
                return false;
            cycles = int(n);
        } else {
            return false;
        }
    }
    return true;
}

void PrintRow(const char* label, int cycle, const ProcessFigures& figures, double seconds) {
    std::printf("%-8s %7d %8d %5d %9ld %9.1f\n", label, cycle, figures.threads, figures.fds,
                figures.rssKb, seconds);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    int cycles = kDefaultCycles;
    if (!ParseArgs(argc, argv, cycles)) {
        std::fprintf(stderr, "usage: soak [--cycles N]   (N at least %d)\n", kSoakSettlingCycles);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const auto start = std::chrono::steady_clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };

    CSoakGateway gateway;
    if (const std::string failure = gateway.Start(); !failure.empty()) {
        std::printf("FAIL: the gateway did not start: %s\n", failure.c_str());
        return 1;
    }
    std::printf("%-8s %7s %8s %5s %9s %9s\n", "", "cycles", "threads", "fds", "RSS KiB", "seconds");
    PrintRow("start", 0, ReadProcessFigures(), seconds());
    ProcessFigures settled, now;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (const std::string failure = gateway.RunCycle(cycle); !failure.empty()) {
            std::printf("FAIL: cycle %d: %s\n", cycle, failure.c_str());
            return 1;
        }
        // Read after every cycle: each reading hands freed memory back first,
        // so the heap does not spread between readings.
        now = ReadProcessFigures();
        const int done = cycle + 1;
        if (done == kSoakSettlingCycles) {
            settled = now;
            PrintRow("settled", done, settled, seconds());
        }
        if (done % kReportEvery == 0 || done == cycles)
            PrintRow("", done, now, seconds());
    }
    const std::vector<std::string> grown = Growth(settled, now, kRssMarginKb);
    if (!grown.empty()) {
        std::printf("FAIL: after %d cycles, compared with cycle %d:\n", cycles,
                    kSoakSettlingCycles);
        for (const std::string& line : grown)
            std::printf("  %s\n", line.c_str());
        return 1;
    }
    std::printf("PASS: %d drops, each noticed, the transmitter released and the gateway back; "
                "no thread, descriptor or memory growth after cycle %d (%.1f s)\n",
                cycles, kSoakSettlingCycles, seconds());
    return 0;
}
