// Runs the tavro-tool audio commands as a user would. The tool's path comes
// from the build tree (or the environment variable TAVRO_TOOL).

#include "audio/mixin_sound.h"
#include "audio/morse.h"
#include "audio/wav_file.h"
#include "platform/string_format.h"
#include "tests/audio/wav_bytes.h"

#include "tests/support/run_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using Args = std::vector<std::string>;

struct Result {
    int exitCode = -1;
    std::string out, err;
};

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override { tool_ = ProgramPath("tavro-tool"); }

    // Runs the tool, its output and errors going to files.
    Result Run(Args args) {
        args.insert(args.begin(), tool_);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string out = dir_ / "stdout", err = dir_ / "stderr";
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        Result r;
        pid_t pid;
        int status = 0;
        if (posix_spawn(&pid, tool_.c_str(), &files, nullptr, argv.data(), environ) == 0 &&
            waitpid(pid, &status, 0) == pid)
            r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        posix_spawn_file_actions_destroy(&files);
        const Bytes o = ReadBytes(out), e = ReadBytes(err);
        r.out.assign(o.begin(), o.end());
        r.err.assign(e.begin(), e.end());
        return r;
    }

    static std::vector<int16_t> Load(const std::string& path) {
        CMixInSound sound;
        EXPECT_TRUE(sound.LoadWave(path)) << path;
        return sound.samples;
    }

    TempDir dir_;
    std::string tool_;
};

// 150 ms of each key's tone pair, then 100 ms of silence.
std::vector<int16_t> DtmfKeys(const std::string& keys) {
    static const std::string kKeys = "123A456B789C*0#D";
    static const double kLow[4] = {697, 770, 852, 941}, kHigh[4] = {1209, 1336, 1477, 1633};
    std::vector<int16_t> s;
    for (char key : keys) {
        const size_t k = kKeys.find(key);
        for (int i = 0; i < 1200; ++i)
            s.push_back(int16_t(std::lround(6000 * std::sin(2 * M_PI * kLow[k / 4] * i / 8000) +
                                            6000 * std::sin(2 * M_PI * kHigh[k % 4] * i / 8000))));
        s.insert(s.end(), 800, 0);
    }
    return s;
}

TEST_F(ToolTest, DtmfPrintsTheKeysOfAFile) {
    const std::string path = dir_ / "keys.wav";
    ASSERT_TRUE(WriteWaveFile(path, DtmfKeys("0123456789*#ABCD")));
    Result r = Run({"dtmf", path});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0123456789*#ABCD\n");
    EXPECT_EQ(Run({"dtmf", path, "--gain", "0"}).out, "\n");
}

TEST_F(ToolTest, MorseWritesTheRenderingWhichIsNoDtmf) {
    const std::string path = dir_ / "id.wav";
    Result r = Run({"morse", "de k1abc/r", path});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    CMorse morse;
    morse.Setup(650, 18, 5000);
    EXPECT_EQ(Load(path), morse.Build("de k1abc/r")->samples);
    EXPECT_EQ(Run({"dtmf", path}).out, "\n");

    r = Run({"morse", "e", path, "--wpm", "12", "--freq", "600", "--volume", "12000"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Load(path), CMorse().Build("e")->samples);
}

TEST_F(ToolTest, LoadWaveWritesTheLoadedSoundOrTheLoadersError) {
    const std::string in = dir_ / "in.wav", out = dir_ / "out.wav";
    WriteBytes(in, PcmWav(1, 11025, 8, Bytes(11025, 200)));
    Result r = Run({"load-wave", in, out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Load(out), Load(in));

    WriteBytes(in, Riff({Chunk("fmt ", FmtBody(3, 1, 8000, 32)), Chunk("data", Bytes(8))}));
    r = Run({"load-wave", in, out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, StringPrintf(kLoadWaveErrorFormat, in.c_str()) + "\n");
}

TEST_F(ToolTest, AmrRoundTripKeepsTheLengthWithOrWithoutTheFileHeader) {
    const std::string wav = dir_ / "in.wav", amr = dir_ / "in.amr", back = dir_ / "back.wav";
    std::vector<int16_t> speech(16000);
    for (size_t i = 0; i < speech.size(); ++i)
        speech[i] = int16_t(std::lround(8000 * std::sin(2 * M_PI * 440 * double(i) / 8000)));
    ASSERT_TRUE(WriteWaveFile(wav, speech));
    ASSERT_EQ(Run({"amr-encode", wav, amr}).exitCode, 0);
    // Players want the magic line; the frames follow it.
    const Bytes file = ReadBytes(amr);
    const Bytes header = {'#', '!', 'A', 'M', 'R', '\n'};
    ASSERT_EQ(file.size(), header.size() + 100u * 32u);
    ASSERT_TRUE(std::equal(header.begin(), header.end(), file.begin()));
    const Bytes payload(file.begin() + long(header.size()), file.end());
    for (size_t at = 0; at < payload.size(); at += 32)
        ASSERT_EQ(payload[at], 0x3C) << at;
    ASSERT_EQ(Run({"amr-decode", amr, back}).exitCode, 0);
    const std::vector<int16_t> decoded = Load(back);
    EXPECT_EQ(decoded.size(), 16000u);
    // A sound payload as a Sound message carries it: no header, same sound.
    WriteBytes(amr, payload);
    ASSERT_EQ(Run({"amr-decode", amr, back}).exitCode, 0);
    EXPECT_EQ(Load(back), decoded);

    // A length that is no whole frame is padded to one.
    speech.resize(1000);
    ASSERT_TRUE(WriteWaveFile(wav, speech));
    ASSERT_EQ(Run({"amr-encode", wav, amr}).exitCode, 0);
    Bytes broken = ReadBytes(amr);
    EXPECT_EQ(broken.size(), 6u + 7u * 32u);

    // A byte that starts no frame (type 9) ends decoding; what came before is
    // written, and the byte is counted from the start of the file.
    broken.push_back(0x4C);
    WriteBytes(amr, broken);
    const Result r = Run({"amr-decode", amr, back});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("byte 230"), std::string::npos) << r.err;
    EXPECT_EQ(Load(back).size(), 1120u);
}

TEST_F(ToolTest, BadArgumentsAndUnreadableFiles) {
    const std::string wav = dir_ / "ok.wav", missing = dir_ / "missing";
    ASSERT_TRUE(WriteWaveFile(wav, std::vector<int16_t>(100, 0)));
    for (const Args& args :
         {Args{"dtmf"}, Args{"dtmf", wav, "--gain"}, Args{"dtmf", wav, "--gain", "12x"},
          Args{"dtmf", wav, "--gain", "-1"}, Args{"dtmf", wav, "--loud", "5"},
          Args{"morse", "text"}, Args{"morse", "e", "o.wav", "--wpm", "99999999999"},
          Args{"morse", "e", "o.wav", "--volume", "+5"}, Args{"load-wave", wav},
          Args{"amr-encode", wav, "x", "y"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args.size();
        EXPECT_NE(r.err.find("Usage: tavro-tool " + args[0]), std::string::npos) << r.err;
    }
    // Nothing to key is no Morse text.
    const Result blank = Run({"morse", " ", dir_ / "blank.wav"});
    EXPECT_EQ(blank.exitCode, 2);
    EXPECT_TRUE(blank.err.starts_with("tavro-tool: \" \" has nothing to key")) << blank.err;
    for (const Args& args :
         {Args{"morse", "e", dir_ / "no/such.wav"}, Args{"load-wave", wav, dir_ / ""}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.exitCode, 1) << args[0];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST_F(ToolTest, InputFilesThatCannotBeReadAreNamedWithTheReason) {
    const std::string missing = dir_ / "missing", folder = dir_ / "folder", empty = dir_ / "empty";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    WriteBytes(empty, {});
    for (const auto& [path, reason] :
         {std::pair{missing, "no such file"}, std::pair{folder, "is a directory"},
          std::pair{empty, "empty file"}})
        for (const Args& args :
             {Args{"dtmf", path}, Args{"load-wave", path, dir_ / "o.wav"},
              Args{"amr-encode", path, dir_ / "o.amr"}, Args{"amr-decode", path, dir_ / "o.wav"},
              Args{"decode-stream", path}}) {
            const Result r = Run(args);
            EXPECT_EQ(r.exitCode, 1) << args[0] << " " << reason;
            EXPECT_EQ(r.err, "tavro-tool: " + path + ": " + reason + "\n") << args[0];
        }
}

} // namespace
