// The open helper's choice of rate, and the manual devices that tests of the
// capture and playback engines drive.

#include "tests/support/manual_wave.h"

#include <gtest/gtest.h>

namespace {

using Kind = CWaveEventLog::Kind;
using Samples = std::vector<int16_t>;

WaveBuffer Buffer(uint64_t tag, size_t samples) {
    return {Samples(samples, 5), 0, tag};
}

TEST(OpenWave, TriesTheRatesInOrderAndStopsAtAMissingOrBusyDevice) {
    CWaveEventLog log;
    CManualWaveIn in;
    in.FailOpen(WaveError::BadFormat, 8000);
    WaveOpenResult result = OpenWaveIn(in, {2, ""}, log);
    ASSERT_TRUE(result.status);
    EXPECT_EQ(result.rate, 11025);
    EXPECT_EQ(in.Rate(), 11025);
    EXPECT_EQ(in.Device().index, 2);
    EXPECT_EQ(in.OpenAttempts(), (std::vector<int>{8000, 11025}));
    in.Close();

    in.FailOpen(WaveError::BadFormat, 11025);
    in.FailOpen(WaveError::Failed, 22050);
    result = OpenWaveIn(in, {}, log);
    EXPECT_EQ(result.status.error, WaveError::Failed);
    EXPECT_FALSE(result.status.message.empty());
    EXPECT_EQ(result.rate, 0);
    EXPECT_FALSE(in.IsOpen());

    in.ClearOpenFailures();
    in.FailOpen(WaveError::Busy);
    EXPECT_EQ(OpenWaveIn(in, {}, log).status.error, WaveError::Busy);
    EXPECT_EQ(in.OpenAttempts(), (std::vector<int>{8000, 11025, 8000, 11025, 22050, 8000}));

    CManualWaveOut out;
    out.FailOpen(WaveError::NoDevice);
    EXPECT_EQ(OpenWaveOut(out, {-1, "gone"}, log).status.error, WaveError::NoDevice);
    EXPECT_EQ(out.OpenAttempts(), (std::vector<int>{8000}));
    out.ClearOpenFailures();
    out.FailOpen(WaveError::BadFormat, 8000);
    out.FailOpen(WaveError::BadFormat, 11025);
    EXPECT_EQ(OpenWaveOut(out, {-1, "card"}, log).rate, 22050);
    EXPECT_EQ(out.Device().name, "card");
    // 200 ms at each rate.
    EXPECT_EQ(WaveBufferSamples(8000), 1600);
    EXPECT_EQ(WaveBufferSamples(11025), 2205);
    EXPECT_EQ(WaveBufferSamples(22050), 4410);
}

TEST(ManualWave, CaptureHandsBackWhatTheTestRecords) {
    CWaveEventLog log;
    CManualWaveIn in;
    EXPECT_FALSE(in.AddBuffer(Buffer(1, 4)));
    ASSERT_TRUE(in.Open({}, 8000, log));
    EXPECT_EQ(in.Open({}, 8000, log).error, WaveError::Failed);
    ASSERT_TRUE(in.AddBuffer(Buffer(1, 4)));
    ASSERT_TRUE(in.AddBuffer(Buffer(2, 4)));
    ASSERT_TRUE(in.AddBuffer(Buffer(3, 4)));
    in.FailAdd(true);
    WaveBuffer refused = Buffer(9, 4);
    EXPECT_FALSE(in.AddBuffer(std::move(refused)));
    EXPECT_EQ(refused.samples.size(), 4u); // still the caller's
    in.FailAdd(false);

    const Samples full = {1, 2, 3, 4, 5};
    EXPECT_FALSE(in.Fill(full)); // not started
    in.FailStart(true);
    EXPECT_FALSE(in.Start());
    in.FailStart(false);
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(in.Fill(full));
    ASSERT_TRUE(in.Fill(Samples{-1, -2}));
    EXPECT_EQ(in.Pending(), 1u);
    in.Close();
    EXPECT_FALSE(in.IsOpen());
    EXPECT_FALSE(in.Fill(full));

    const auto events = log.Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(log.Tags(), (std::vector<uint64_t>{1, 2, 3}));
    EXPECT_EQ(events[0].buffer.samples, (Samples{1, 2, 3, 4}));
    EXPECT_EQ(events[0].buffer.filled, 4u);
    EXPECT_EQ(events[1].buffer.samples, (Samples{-1, -2, 5, 5}));
    EXPECT_EQ(events[1].buffer.filled, 2u);
    EXPECT_EQ(events[2].buffer.filled, 0u);
    EXPECT_EQ(events[3].kind, Kind::InClosed);
}

TEST(ManualWave, PlaybackRecordsWritesAndPlaysWhenTheTestSays) {
    CWaveEventLog log;
    CManualWaveOut out;
    ASSERT_TRUE(out.Open({}, 22050, log));
    ASSERT_TRUE(out.Write({{1, 2}, 0, 1}));
    ASSERT_TRUE(out.Write({{3}, 0, 2}));
    EXPECT_FALSE(out.Write({}));
    EXPECT_FALSE(out.Play());
    ASSERT_TRUE(out.Start());
    ASSERT_TRUE(out.Play());
    EXPECT_TRUE(out.IsStarted());
    out.Reset();
    EXPECT_FALSE(out.IsStarted());
    ASSERT_TRUE(out.Write({{4, 5, 6}, 0, 3}));
    EXPECT_FALSE(out.Play());
    ASSERT_TRUE(out.Start());
    ASSERT_TRUE(out.Play());
    out.Close();
    EXPECT_FALSE(out.Write({{7}, 0, 4}));

    EXPECT_EQ(out.Written(), (std::vector<Samples>{{1, 2}, {3}, {4, 5, 6}}));
    const auto events = log.Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(log.Tags(), (std::vector<uint64_t>{1, 2, 3}));
    EXPECT_EQ(events[0].buffer.filled, 2u);
    EXPECT_EQ(events[1].buffer.filled, 0u); // handed back by the reset
    EXPECT_EQ(events[2].buffer.filled, 3u);
    EXPECT_EQ(events[3].kind, Kind::OutClosed);
}

} // namespace
