// The ALSA devices on ALSA's "null" PCM, which opens for capture and playback
// without a sound card. It takes and gives frames at once rather than in real
// time (the devices hold it to real time), and leaves capture buffers as they
// were.

#include "platform/alsa_wave.h"
#include "tests/support/manual_wave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

namespace {

using Kind = CWaveEventLog::Kind;
using namespace std::chrono_literals;

const WaveDeviceId kNull{-1, "null"};

WaveBuffer Buffer(uint64_t tag, size_t samples) {
    return {std::vector<int16_t>(samples, 7), 99, tag};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A device that delivers at once must not flood the engine: four 200 ms
// buffers take at least 600 ms to come back, each one paced after the first.
TEST(AlsaWave, NullDeviceIsHeldToRealTime) {
    CWaveEventLog log;
    CAlsaWaveIn in;
    ASSERT_TRUE(in.Open(kNull, 8000, log));
    for (uint64_t tag = 1; tag <= 4; ++tag)
        ASSERT_TRUE(in.AddBuffer(Buffer(tag, 1600)));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(log.WaitFor(4, 5s));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 600ms);
    in.Close();
    ASSERT_TRUE(log.WaitFor(5));
}

TEST(AlsaWave, CapturesFromTheNullDevice) {
    CWaveEventLog log;
    CAlsaWaveIn in;
    const WaveOpenResult opened = OpenWaveIn(in, kNull, log);
    ASSERT_TRUE(opened.status) << opened.status.message;
    EXPECT_EQ(opened.rate, 8000);
    EXPECT_EQ(in.Open(kNull, 8000, log).error, WaveError::Failed);

    // Buffers lent before Start wait; a reset hands them back unfilled.
    ASSERT_TRUE(in.AddBuffer(Buffer(1, 1600)));
    ASSERT_TRUE(in.AddBuffer(Buffer(2, 1600)));
    WaveBuffer noRoom;
    EXPECT_FALSE(in.AddBuffer(std::move(noRoom)));
    in.Reset();
    ASSERT_TRUE(log.WaitFor(2));
    // After the reset, new buffers wait for the next Start.
    ASSERT_TRUE(in.AddBuffer(Buffer(3, 1600)));
    ASSERT_TRUE(in.AddBuffer(Buffer(4, 2205)));
    EXPECT_FALSE(log.WaitFor(3, 100ms));
    ASSERT_TRUE(in.Start());
    ASSERT_TRUE(log.WaitFor(4));
    in.Close();
    ASSERT_TRUE(log.WaitFor(5));
    EXPECT_FALSE(in.AddBuffer(Buffer(5, 1600)));
    EXPECT_FALSE(in.Start());

    const auto events = log.Events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(log.Tags(), (std::vector<uint64_t>{1, 2, 3, 4}));
    EXPECT_EQ(events[0].buffer.filled, 0u);
    EXPECT_EQ(events[1].buffer.filled, 0u);
    for (size_t i : {2, 3}) {
        EXPECT_EQ(events[i].kind, Kind::Data);
        EXPECT_EQ(events[i].buffer.filled, events[i].buffer.samples.size());
    }
    EXPECT_EQ(events[3].buffer.samples.size(), 2205u);
    EXPECT_EQ(events[4].kind, Kind::InClosed);

    // It opens again, at another rate; a close hands back what it holds first.
    ASSERT_TRUE(in.Open(kNull, 22050, log));
    ASSERT_TRUE(in.AddBuffer(Buffer(6, 4410)));
    in.Close();
    ASSERT_TRUE(log.WaitFor(7));
    EXPECT_EQ(log.Events()[5].buffer.tag, 6u);
    EXPECT_EQ(log.Events()[5].buffer.filled, 0u);
    EXPECT_EQ(log.Events()[6].kind, Kind::InClosed);

    // Destroying an open device notifies nothing.
    {
        CAlsaWaveIn other;
        ASSERT_TRUE(other.Open(kNull, 8000, log));
        ASSERT_TRUE(other.AddBuffer(Buffer(8, 1600)));
    }
    EXPECT_EQ(log.Events().size(), 7u);
}

TEST(AlsaWave, PlaysIntoTheNullDevice) {
    CWaveEventLog log;
    CAlsaWaveOut out;
    const WaveOpenResult opened = OpenWaveOut(out, kNull, log);
    ASSERT_TRUE(opened.status) << opened.status.message;
    EXPECT_EQ(opened.rate, 8000);

    ASSERT_TRUE(out.Write(Buffer(1, 1600)));
    ASSERT_TRUE(out.Write(Buffer(2, 1600)));
    WaveBuffer nothing;
    EXPECT_FALSE(out.Write(std::move(nothing)));
    out.Reset();
    ASSERT_TRUE(log.WaitFor(2));
    for (uint64_t tag : {3, 4, 5})
        ASSERT_TRUE(out.Write(Buffer(tag, 1600)));
    EXPECT_FALSE(log.WaitFor(3, 100ms));
    ASSERT_TRUE(out.Start());
    ASSERT_TRUE(log.WaitFor(5));
    out.Close();
    ASSERT_TRUE(log.WaitFor(6));
    EXPECT_FALSE(out.Write(Buffer(6, 1600)));

    const auto events = log.Events();
    EXPECT_EQ(log.Tags(), (std::vector<uint64_t>{1, 2, 3, 4, 5}));
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(events[i].kind, Kind::Done);
        EXPECT_EQ(events[i].buffer.filled, i < 2 ? 0u : 1600u) << i;
    }
    EXPECT_EQ(events[5].kind, Kind::OutClosed);

    ASSERT_TRUE(out.Open(kNull, 11025, log));
    ASSERT_TRUE(out.Write(Buffer(7, 2205)));
    out.Close();
    ASSERT_TRUE(log.WaitFor(8));
    EXPECT_EQ(log.Events()[6].buffer.tag, 7u);
    EXPECT_EQ(log.Events()[7].kind, Kind::OutClosed);
}

AlsaPcmHint Hint(const std::string& name, const std::string& direction = "") {
    return {name, "about " + name, direction};
}

std::vector<std::string> Names(const std::vector<AlsaPcmDevice>& devices) {
    std::vector<std::string> names;
    for (const AlsaPcmDevice& device : devices)
        names.push_back(device.name);
    return names;
}

// What ALSA lists on a desktop with a sound server, an onboard card, a USB
// card and a PCM of the user's own: only the cards and the user's PCMs are
// numbered, the cards' converting entries first, and never "null".
TEST(AlsaWave, TheNumberedListHoldsRealDevicesOnly) {
    const std::vector<AlsaPcmDevice> devices = NumberAlsaPcmDevices({
        Hint("null"),
        Hint("radio"),
        Hint("samplerate"),
        Hint("samplerate_best"),
        Hint("pipewire"),
        Hint("pulse"),
        Hint("default"),
        Hint("sysdefault"),
        Hint("hw:CARD=PCH,DEV=0"),
        Hint("hw:CARD=PCH,DEV=3", "Output"),
        Hint("plughw:CARD=PCH,DEV=0"),
        Hint("sysdefault:CARD=PCH"),
        Hint("dmix:CARD=PCH,DEV=0", "Output"),
        Hint("dsnoop:CARD=PCH,DEV=0", "Input"),
        Hint("hw:CARD=Device,DEV=0"),
        Hint("plughw:CARD=Device,DEV=0"),
        Hint("file:FILE=/tmp/out.raw"),
    });
    EXPECT_EQ(Names(devices), (std::vector<std::string>{
                                  "plughw:CARD=PCH,DEV=0", "plughw:CARD=Device,DEV=0",
                                  "hw:CARD=PCH,DEV=0", "sysdefault:CARD=PCH",
                                  "hw:CARD=Device,DEV=0", "radio", "file:FILE=/tmp/out.raw"}));
    for (size_t i = 0; i < devices.size(); ++i) {
        EXPECT_EQ(devices[i].index, int(i));
        EXPECT_EQ(devices[i].description, "about " + devices[i].name);
    }

    std::string name;
    ASSERT_TRUE(PickAlsaPcmName({1, ""}, devices, name));
    EXPECT_EQ(name, "plughw:CARD=Device,DEV=0");
    ASSERT_TRUE(PickAlsaPcmName({-1, ""}, devices, name));
    EXPECT_EQ(name, "default");
    ASSERT_TRUE(PickAlsaPcmName({1, "null"}, {}, name)); // a name opens as it is
    EXPECT_EQ(name, "null");
    const WaveStatus past = PickAlsaPcmName({7, ""}, devices, name);
    EXPECT_EQ(past.error, WaveError::NoDevice);
    EXPECT_TRUE(Contains(past.message, "number 7")) << past.message;
    EXPECT_TRUE(Contains(past.message, "--list-audio"));

    EXPECT_EQ(DescribeAlsaDeviceUse("capture and playback", 1, devices),
              "Sound: capture and playback on device 1 (plughw:CARD=Device,DEV=0, "
              "about plughw:CARD=Device,DEV=0)");
    EXPECT_EQ(DescribeAlsaDeviceUse("capture", -1, devices),
              "Sound: capture on device -1 (ALSA's default device)");
    EXPECT_TRUE(Contains(DescribeAlsaDeviceUse("playback", 7, devices), "no device 7"));
}

// A machine without a sound card lists "null" alone: device 0 does not open
// the null device, it fails and says why and what to do.
TEST(AlsaWave, WithoutASoundCardDeviceZeroFailsAndSaysWhy) {
    const std::vector<AlsaPcmDevice> none = NumberAlsaPcmDevices({Hint("null"), Hint("default")});
    EXPECT_TRUE(none.empty());
    std::string name;
    const WaveStatus status = PickAlsaPcmName({0, ""}, none, name);
    EXPECT_EQ(status.error, WaveError::NoDevice);
    EXPECT_TRUE(Contains(status.message, "no sound card found")) << status.message;
    EXPECT_TRUE(Contains(status.message, "\"AUDIO_IN\" to -1")) << status.message;
    const std::string line = DescribeAlsaDeviceUse("capture and playback", 0, none);
    EXPECT_TRUE(Contains(line, "no sound card found")) << line;
    EXPECT_TRUE(Contains(line, "tavro-client --list-audio")) << line;

    // This machine's list, whatever its cards, never holds "null", and the
    // number past its end fails to open.
    const std::vector<AlsaPcmDevice> devices = ListAlsaWaveDevices();
    EXPECT_EQ(std::ranges::count(Names(devices), "null"), 0);
    CWaveEventLog log;
    CAlsaWaveIn in;
    const WaveOpenResult opened = OpenWaveIn(in, {int(devices.size()), ""}, log);
    EXPECT_EQ(opened.status.error, WaveError::NoDevice);
    if (devices.empty()) {
        EXPECT_TRUE(Contains(opened.status.message, "no sound card found"));
    }
}

TEST(AlsaWave, SaysWhatIsWrongWithADeviceAndWhatToDo) {
    CWaveEventLog log;
    CAlsaWaveIn in;
    const WaveOpenResult missing = OpenWaveIn(in, {-1, "hw:97"}, log);
    EXPECT_EQ(missing.status.error, WaveError::NoDevice);
    EXPECT_EQ(missing.rate, 0);
    EXPECT_TRUE(Contains(missing.status.message, "'hw:97'")) << missing.status.message;
    EXPECT_TRUE(Contains(missing.status.message, "--list-audio"));

    CAlsaWaveOut out;
    EXPECT_EQ(OpenWaveOut(out, {-1, "no-such-pcm"}, log).status.error, WaveError::NoDevice);
    EXPECT_EQ(OpenWaveOut(out, {100000, ""}, log).status.error, WaveError::NoDevice);
    EXPECT_TRUE(log.Events().empty());

    const WaveStatus busy = DescribeAlsaOpenError(-EBUSY, "hw:1");
    EXPECT_EQ(busy.error, WaveError::Busy);
    EXPECT_EQ(busy.message, "the sound card 'hw:1' is in use by another program; close it or "
                            "choose another device with --list-audio");
    const WaveStatus denied = DescribeAlsaOpenError(-EACCES, "hw:1");
    EXPECT_EQ(denied.error, WaveError::Failed);
    EXPECT_TRUE(Contains(denied.message, "/dev/snd/controlC1 belongs to group audio: add "
                                         "yourself to it (sudo usermod -aG audio $USER)"))
        << denied.message;
    const WaveStatus other = DescribeAlsaOpenError(-EIO, "hw:1");
    EXPECT_EQ(other.error, WaveError::Failed);
    EXPECT_TRUE(Contains(other.message, "'hw:1'")) << other.message;
}

} // namespace
