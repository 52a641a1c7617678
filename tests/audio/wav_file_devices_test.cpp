// The WAV-file sound devices and the writer's running header. Timing is only
// checked one way: a buffer never comes back before its time.

#include "audio/wav_file_devices.h"
#include "tests/audio/wav_bytes.h"
#include "tests/support/manual_wave.h"

#include <gtest/gtest.h>

namespace {

using Kind = CWaveEventLog::Kind;
using Samples = std::vector<int16_t>;
using namespace std::chrono_literals;

constexpr size_t kShort = 400;     // 50 ms
constexpr size_t kLong = 4 * 8000; // 4 s: a reset or close always comes first

WaveBuffer Buffer(uint64_t tag, size_t samples) {
    return {Samples(samples, 3), 0, tag};
}

Samples Ramp(size_t n, int16_t first) {
    Samples s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = int16_t(first + int(i));
    return s;
}

Samples Concat(std::initializer_list<Samples> parts) {
    Samples all;
    for (const Samples& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

uint32_t Le32At(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

// The file is a complete 8 kHz mono 16-bit WAV file of exactly `samples`.
void ExpectCompleteWav(const std::string& path, const Samples& samples) {
    const Bytes bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 44 + 2 * samples.size());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(Le32At(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32At(bytes, 24), 8000u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(Le32At(bytes, 40), 2 * samples.size());
    EXPECT_EQ(Bytes(bytes.begin() + 44, bytes.end()), Le16Samples(samples));
}

TEST(WaveFileWriter, FlushKeepsTheFileCompleteWhileItGrows) {
    TempDir dir;
    CWaveFileWriter writer;
    ASSERT_TRUE(writer.Open(dir / "grow.wav"));
    ASSERT_TRUE(writer.Flush());
    ExpectCompleteWav(dir / "grow.wav", {});
    ASSERT_TRUE(writer.Write(Samples{1, -2, 3}));
    ASSERT_TRUE(writer.Flush());
    ExpectCompleteWav(dir / "grow.wav", {1, -2, 3});
    // Writing goes on at the end after the header was rewritten.
    ASSERT_TRUE(writer.Write(Samples{4}));
    ASSERT_TRUE(writer.Flush());
    ExpectCompleteWav(dir / "grow.wav", {1, -2, 3, 4});
    ASSERT_TRUE(writer.Write(Samples{5}));
    ASSERT_TRUE(writer.Close());
    ExpectCompleteWav(dir / "grow.wav", {1, -2, 3, 4, 5});
    EXPECT_FALSE(writer.Flush());
    // An empty recording is a complete file too.
    ASSERT_TRUE(WriteWaveFile(dir / "empty.wav", {}));
    ExpectCompleteWav(dir / "empty.wav", {});
}

TEST(WavFileWaveIn, DeliversTheFileThenSilenceAtRealTimePace) {
    TempDir dir;
    const std::string path = dir / "rx.wav";
    const Samples file = Ramp(1000, 100);
    WriteBytes(path, PcmWav(1, 8000, 16, Le16Samples(file)));

    CWaveEventLog log;
    CWavFileWaveIn in;
    EXPECT_EQ(in.Open({-1, path}, 11025, log).error, WaveError::BadFormat);
    EXPECT_EQ(in.Open({}, 8000, log).error, WaveError::NoDevice);
    const WaveOpenResult missing = OpenWaveIn(in, {-1, dir / "missing.wav"}, log);
    EXPECT_EQ(missing.status.error, WaveError::NoDevice);
    EXPECT_NE(missing.status.message.find("missing.wav"), std::string::npos);

    const WaveOpenResult opened = OpenWaveIn(in, {-1, path}, log);
    ASSERT_TRUE(opened.status) << opened.status.message;
    EXPECT_EQ(opened.rate, 8000);
    ASSERT_TRUE(in.AddBuffer(Buffer(1, kShort)));
    ASSERT_TRUE(in.AddBuffer(Buffer(2, kShort)));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(log.WaitFor(2));
    // A close hands back the buffer waiting for its time, unfilled.
    ASSERT_TRUE(in.AddBuffer(Buffer(3, kLong)));
    in.Close();
    ASSERT_TRUE(log.WaitFor(4));

    // Opening the same file again goes on where it stopped, then silence.
    ASSERT_TRUE(in.Open({-1, path}, 8000, log));
    ASSERT_TRUE(in.AddBuffer(Buffer(4, kShort)));
    ASSERT_TRUE(in.AddBuffer(Buffer(5, kShort)));
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(log.WaitFor(6));
    ASSERT_TRUE(in.AddBuffer(Buffer(6, kLong)));
    in.Reset();
    ASSERT_TRUE(log.WaitFor(7));
    in.Close();
    ASSERT_TRUE(log.WaitFor(8));

    const auto events = log.Events();
    ASSERT_EQ(events.size(), 8u);
    EXPECT_EQ(log.Tags(), (std::vector<uint64_t>{1, 2, 3, 4, 5, 6}));
    const auto Recorded = [&](size_t i) {
        EXPECT_EQ(events[i].kind, Kind::Data);
        EXPECT_EQ(events[i].buffer.filled, kShort);
        return events[i].buffer.samples;
    };
    EXPECT_EQ(Concat({Recorded(0), Recorded(1)}), Samples(file.begin(), file.begin() + 800));
    EXPECT_EQ(Concat({Recorded(4), Recorded(5)}),
              Concat({Samples(file.begin() + 800, file.end()), Samples(600, 0)}));
    for (size_t i : {2, 6}) {
        EXPECT_EQ(events[i].buffer.filled, 0u);
        EXPECT_EQ(events[i].buffer.samples, Samples(kLong, 3));
    }
    EXPECT_EQ(events[3].kind, Kind::InClosed);
    EXPECT_EQ(events[7].kind, Kind::InClosed);
    // Not ahead of real time: each buffer covers 50 ms (1 ms for clock rounding).
    EXPECT_GE(events[0].at - start, 49ms);
    EXPECT_GE(events[1].at - start, 99ms);
}

TEST(WavFileWaveOut, AppendsWhatHasPlayedWithTheFileCompleteThroughout) {
    TempDir dir;
    const std::string path = dir / "tx.wav";
    CWaveEventLog log;
    CWaveEventLog laterLog;
    const Samples a = Ramp(kShort, -500), b = Ramp(kShort, 1000), c = Ramp(kShort, 2000);
    {
        CWavFileWaveOut out;
        EXPECT_EQ(out.Open({-1, path}, 22050, log).error, WaveError::BadFormat);
        const WaveOpenResult unwritable = OpenWaveOut(out, {-1, dir / "no/such/dir.wav"}, log);
        EXPECT_EQ(unwritable.status.error, WaveError::NoDevice);
        EXPECT_NE(unwritable.status.message.find("dir.wav"), std::string::npos);

        const WaveOpenResult opened = OpenWaveOut(out, {-1, path}, log);
        ASSERT_TRUE(opened.status) << opened.status.message;
        EXPECT_EQ(opened.rate, 8000);
        ExpectCompleteWav(path, {});

        ASSERT_TRUE(out.Write({a, 0, 1}));
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(out.Start());
        ASSERT_TRUE(log.WaitFor(1));
        ExpectCompleteWav(path, a);
        ASSERT_TRUE(out.Write({b, 0, 2}));
        ASSERT_TRUE(out.Write({c, 0, 3}));
        ASSERT_TRUE(log.WaitFor(3));
        ExpectCompleteWav(path, Concat({a, b, c}));
        // A reset hands back what has not played, and none of it reaches the file.
        ASSERT_TRUE(out.Write(Buffer(4, kLong)));
        out.Reset();
        ASSERT_TRUE(log.WaitFor(4));
        out.Close();
        ASSERT_TRUE(log.WaitFor(5));
        ExpectCompleteWav(path, Concat({a, b, c}));

        const auto events = log.Events();
        EXPECT_EQ(log.Tags(), (std::vector<uint64_t>{1, 2, 3, 4}));
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(events[i].buffer.filled, kShort);
        EXPECT_EQ(events[3].buffer.filled, 0u);
        EXPECT_EQ(events[4].kind, Kind::OutClosed);
        EXPECT_GE(events[0].at - start, 49ms);
        EXPECT_GE(events[2].at - start, 149ms);

        // Opening the same file again appends to it.
        ASSERT_TRUE(out.Open({-1, path}, 8000, laterLog));
        ASSERT_TRUE(out.Write({a, 0, 5}));
        ASSERT_TRUE(out.Start());
        ASSERT_TRUE(laterLog.WaitFor(1));
        ExpectCompleteWav(path, Concat({a, b, c, a}));
    }
    ExpectCompleteWav(path, Concat({a, b, c, a}));
    EXPECT_EQ(laterLog.Events().size(), 1u);
}

} // namespace
