#include "client/queued_call.h"
#include "tests/client/event_loop.h"

#include <QEventLoop>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

// Two receive threads of two gateways post to the same event loop at once.
// Every call must run on the loop's thread, each poster's calls in order,
// with what the poster wrote before posting visible to the call.
TEST(QueuedCalls, CallsFromSeveralThreadsAllRunInOrderOnTheOwnerThread) {
    constexpr int kCalls = 2000;
    CQueuedCalls first;
    CQueuedCalls second;
    const std::thread::id owner = std::this_thread::get_id();
    std::vector<int> seen[2];
    std::vector<int> written[2];
    written[0].resize(kCalls);
    written[1].resize(kCalls);
    std::atomic<bool> offThread{false};
    std::atomic<int> ran[2] = {0, 0};

    auto poster = [&](int which, CQueuedCalls& calls) {
        for (int i = 0; i < kCalls; ++i) {
            written[which][i] = i * 3; // plain write, handed over by the post
            calls.Post([&, which, i] {
                if (std::this_thread::get_id() != owner)
                    offThread = true;
                seen[which].push_back(written[which][i] / 3);
                ran[which] = i + 1;
            });
            // Every other call waits for the loop, so that both threads
            // often wake it at the same moment, as receive threads do.
            while (i % 2 == 1 && ran[which] <= i)
                std::this_thread::yield();
        }
    };
    std::thread a(poster, 0, std::ref(first));
    std::thread b(poster, 1, std::ref(second));
    ASSERT_TRUE(RunUntil([&] {
        return seen[0].size() == kCalls && seen[1].size() == kCalls;
    }, 10000));
    a.join();
    b.join();
    EXPECT_FALSE(offThread);
    for (const std::vector<int>& calls : seen)
        for (int i = 0; i < kCalls; ++i)
            ASSERT_EQ(calls[i], i);
}

// A call that opens a nested event loop (a window's message box) still gets
// the calls posted meanwhile, and a call posted by a running call runs too.
TEST(QueuedCalls, CallsPostedDuringANestedLoopStillRun) {
    CQueuedCalls calls;
    bool innerRan = false;
    bool laterRan = false;
    calls.Post([&] {
        QEventLoop nested;
        std::thread([&] { calls.Post([&] { innerRan = true; nested.quit(); }); }).join();
        nested.exec();
        calls.Post([&] { laterRan = true; });
    });
    EXPECT_TRUE(RunUntil([&] { return innerRan && laterRan; }));
}
