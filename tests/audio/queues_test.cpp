#include "audio/queues.h"
#include "platform/stop_flag.h"
#include "platform/wake_signal.h"
#include "tests/support/counted_sound.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Counted {
    Counted(int p, int s, std::atomic<int>* alive) : producer(p), sequence(s), live(alive) {
        ++*live;
    }
    ~Counted() { --*live; }
    int producer;
    int sequence;
    std::atomic<int>* live;
};

// A mix-in marker owns its sound: a cleared or destroyed sound queue deletes
// the sounds of the markers it held (the leak checker watches this too).
TEST(SoundQueue, DeletesTheSoundsOfTheMarkersItDrops) {
    int deleted = 0;
    {
        CSoundQueue queue;
        queue.Add(std::make_unique<CSoundPacket>(std::make_unique<CountedSound>(deleted)));
        queue.Add(std::make_unique<CSoundPacket>(std::make_unique<CountedSound>(deleted)));
        queue.Clear();
        EXPECT_EQ(deleted, 2);
        queue.Add(std::make_unique<CSoundPacket>(std::make_unique<CountedSound>(deleted)));
    }
    EXPECT_EQ(deleted, 3);
}

TEST(LockedQueue, KeepsOrderAndOwnsWhatItHolds) {
    std::atomic<int> live{0};
    {
        CLockedQueue<Counted> queue;
        EXPECT_TRUE(queue.IsEmpty());
        EXPECT_EQ(queue.Get(), nullptr);
        EXPECT_TRUE(queue.IsEmpty());

        for (int i = 0; i < 5; ++i)
            queue.Add(std::make_unique<Counted>(0, i, &live));
        queue.Add(nullptr);
        EXPECT_EQ(queue.Size(), 5u);
        for (int i = 0; i < 3; ++i) {
            std::unique_ptr<Counted> head = queue.Get();
            ASSERT_NE(head, nullptr);
            EXPECT_EQ(head->sequence, i);
        }
        EXPECT_EQ(live.load(), 2);
        queue.Clear();
        EXPECT_EQ(live.load(), 0);
        EXPECT_TRUE(queue.IsEmpty());

        queue.Add(std::make_unique<Counted>(0, 9, &live));
    }
    // Destroying a queue deletes what is left in it.
    EXPECT_EQ(live.load(), 0);
}

TEST(LockedQueue, TwoProducersAndAWakeSignalledConsumerLoseNothing) {
    constexpr int kPerProducer = 800;
    std::atomic<int> live{0};
    CWakeSignal wake;
    CStopFlag stop;
    CLockedQueue<Counted> queue(&wake);

    std::vector<int> received[2];
    std::thread consumer([&] {
        while (true) {
            while (std::unique_ptr<Counted> item = queue.Get())
                received[item->producer].push_back(item->sequence);
            if (stop.IsSet() && queue.IsEmpty())
                break;
            wake.Wait(&stop);
        }
    });
    std::vector<std::thread> producers;
    for (int p = 0; p < 2; ++p)
        producers.emplace_back([&, p] {
            for (int i = 0; i < kPerProducer; ++i)
                queue.Add(std::make_unique<Counted>(p, i, &live));
        });
    for (std::thread& t : producers)
        t.join();
    stop.Set();
    consumer.join();

    for (int p = 0; p < 2; ++p) {
        ASSERT_EQ(received[p].size(), size_t(kPerProducer)) << p;
        for (int i = 0; i < kPerProducer; ++i)
            ASSERT_EQ(received[p][i], i) << p;
    }
    EXPECT_EQ(live.load(), 0);
}

TEST(LockedQueue, OneSignalServesTwoQueuesAndTheStopFlag) {
    CWakeSignal wake;
    CStopFlag stop;
    CMsgQueue messages;
    CSoundQueue sounds;
    messages.AttachWakeSignal(&wake);
    sounds.AttachWakeSignal(&wake);

    std::atomic<int> gotMessages{0}, gotSounds{0};
    std::atomic<bool> waiting{false};
    std::thread consumer([&] {
        while (!stop.IsSet()) {
            while (messages.Get())
                ++gotMessages;
            while (sounds.Get())
                ++gotSounds;
            waiting = true;
            wake.Wait(&stop);
        }
    });
    auto waitFor = [](const std::atomic<int>& counter, int value) {
        while (counter.load() < value)
            std::this_thread::yield();
    };
    messages.Add(std::make_unique<CMsg>(kCmdPing));
    waitFor(gotMessages, 1);
    sounds.Add(std::make_unique<CSoundPacket>());
    waitFor(gotSounds, 1);
    while (!waiting.load())
        std::this_thread::yield();
    stop.Set(); // the consumer blocks without a time-out, so only the stop ends it
    consumer.join();
    EXPECT_EQ(gotMessages.load(), 1);
    EXPECT_EQ(gotSounds.load(), 1);
}

} // namespace
