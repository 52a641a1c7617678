// A gateway with Auto-Reconnect survives being dropped again and again, at
// each of the points in CSoakGateway's DropPoint: each drop is taken as a
// loss of the connection, the transmitter is released once the reconnect
// announcement has played, sound packets left on the transmit queue are
// deleted by the close of a running capture or else sent first on the new
// connection, and the process holds no more threads, descriptors or memory
// after fifty drops than after the first few.

#include "tests/client/soak_cycles.h"

#include <gtest/gtest.h>

namespace {

constexpr int kCycles = 50;
// Resident memory may move a little with the allocator's bookkeeping.
constexpr long kRssMarginKb = 4 * 1024;

TEST(Soak, FiftyDropsLeaveNothingBehind) {
    CSoakGateway gateway;
    ASSERT_EQ(gateway.Start(), "");
    ProcessFigures settled;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_EQ(gateway.RunCycle(cycle), "") << "cycle " << cycle;
        if (cycle + 1 == kSoakSettlingCycles)
            settled = ReadProcessFigures();
    }
    EXPECT_EQ(Growth(settled, ReadProcessFigures(), kRssMarginKb), std::vector<std::string>{});
}

} // namespace
