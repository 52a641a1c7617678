// The gateway's DTMF detector follows setting DTMFDETECTOR: with 1 it hears
// keys of 40 ms on its receiver, which the default detector does not.

#include "audio/wav_file.h"
#include "audio/wav_file_devices.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"
#include "tests/support/dtmf_signals.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The notes of keys heard by a gateway with `extraIni` whose receiver plays
// `path`, once it has heard `last`.
std::vector<std::string> KeysHeard(const std::string& extraIni, const std::string& path,
                                   char last) {
    ClientSetup setup;
    setup.extraIni = extraIni;
    ClientHarness gateway(setup);
    gateway.Options().waveIn = std::make_unique<CWavFileWaveIn>();
    gateway.Options().waveOut = std::make_unique<CWavFileWaveOut>();
    gateway.Options().captureDeviceName = path;
    gateway.Options().playbackDeviceName = path + ".out.wav";
    gateway.Start();
    const std::string lastNote = std::string("DTMF key ") + last;
    EXPECT_TRUE(RunUntil([&] { return gateway.events.NotesStartingWith(lastNote) == 1; }, 10000));
    std::vector<std::string> keys;
    for (const std::string& note : gateway.events.notes)
        if (note.starts_with("DTMF key "))
            keys.push_back(note.substr(9, 1));
    return keys;
}

TEST(DtmfDetectorSetting, PicksTheDetectorCaptureFeeds) {
    std::string dir = (std::filesystem::temp_directory_path() / "tavro-dtmf-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::string path = dir + "/receiver.wav";
    // Two keys of 40 ms, then one of 150 ms that both detectors hear.
    std::vector<int16_t> receiver = DtmfKeys("12", {40, 40}, 1).samples;
    const std::vector<int16_t> last = DtmfKeys("3", {150, 100}, 2).samples;
    receiver.insert(receiver.end(), last.begin(), last.end());
    ASSERT_TRUE(WriteWaveFile(path, receiver));

    EXPECT_EQ(KeysHeard("DTMFDETECTOR=1\n", path, '3'), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(KeysHeard("", path, '3'), std::vector<std::string>{"3"});
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

} // namespace
