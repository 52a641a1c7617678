#include "platform/com_ports.h"
#include "platform/ini_file.h"
#include "platform/settings_path.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
namespace fs = std::filesystem;

class IniFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tavro-ini-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    static void Write(const std::string& path, std::string_view text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    // Names in the directory (or a folder in it), to see that no temporary file is left behind.
    std::vector<std::string> Entries(const std::string& folder = "") const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_ / folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

TEST(ParseProfileIntTest, TakesLeadingDigitsLikeAPrivateProfileReader) {
    EXPECT_EQ(ParseProfileInt("12x"), 12);
    EXPECT_EQ(ParseProfileInt("-5"), -5);
    EXPECT_EQ(ParseProfileInt("+7"), 7);
    EXPECT_EQ(ParseProfileInt("  42"), 42);
    EXPECT_EQ(ParseProfileInt("x"), 0);
    EXPECT_EQ(ParseProfileInt(""), 0);
    EXPECT_EQ(ParseProfileInt("-"), 0);
    EXPECT_EQ(ParseProfileInt("0x1F"), 0);
    EXPECT_EQ(ParseProfileInt("1 000"), 1);
    EXPECT_EQ(ParseProfileInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseProfileInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseProfileInt("-99999999999999999999"), INT_MIN);
}

TEST_F(IniFileTest, ReadsValuesWithoutRegardToCase) {
    const std::string path = PathOf("a.INI");
    Write(path, "; comment\n[Tavro_CLIENT]\nVOX=12x\nroom = UK-2 \nEMPTY=\nNEG=-1\n"
                "[tx_ctrl]\nfreq=80\n");
    CIniFile ini;
    ini.Load(path);
    EXPECT_EQ(ini.GetInt("TAVRO_client", "vox", 5), 12);
    EXPECT_EQ(ini.GetText("Tavro_CLIENT", "ROOM", "x"), "UK-2");
    EXPECT_EQ(ini.GetInt("TX_CTRL", "FREQ", 0), 80);
    EXPECT_EQ(ini.GetInt("Tavro_CLIENT", "NEG", 0), -1);
    // A key that is present reads as its text, even an empty one; only a missing key or
    // section gives the default.
    EXPECT_EQ(ini.GetInt("Tavro_CLIENT", "EMPTY", 9), 0);
    EXPECT_EQ(ini.GetText("Tavro_CLIENT", "EMPTY", "d"), "");
    EXPECT_EQ(ini.GetInt("Tavro_CLIENT", "MISSING", 9), 9);
    EXPECT_EQ(ini.GetText("Nowhere", "ROOM", "d"), "d");

    // Long texts are cut to what the read buffer holds.
    ini.SetText("S", "LONG", std::string(5000, 'a'));
    EXPECT_EQ(ini.GetText("S", "LONG", ""), std::string(CIniFile::kMaxTextLength, 'a'));
    EXPECT_EQ(ini.GetText("S", "NONE", std::string(5000, 'b')).size(), CIniFile::kMaxTextLength);
}

TEST_F(IniFileTest, OddFilesReadWithoutHarm) {
    CIniFile ini;
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(char((i * 7919 + 13) % 256));
    const std::string path = PathOf("odd.INI");
    Write(path, garbage);
    ini.Load(path);
    EXPECT_EQ(ini.GetInt("Tavro_CLIENT", "VOX", 1280), 1280);

    Write(path, "[S]\nnoequals\nA=1\nA=2\n=3\n[s]\nB=4\n[S\nC=5\nLONG=" +
                    std::string(1 << 20, 'z') + "\nD=6\n");
    ini.Load(path);
    EXPECT_EQ(ini.GetInt("S", "noequals", 7), 7);
    EXPECT_EQ(ini.GetInt("S", "A", 0), 1); // the first of repeated keys counts
    EXPECT_EQ(ini.GetInt("S", "B", 0), 4); // a repeated section adds to the first
    EXPECT_EQ(ini.GetInt("S", "C", 0), 5); // an unclosed section header is ignored
    EXPECT_EQ(ini.GetText("S", "LONG", "").size(), CIniFile::kMaxTextLength);
    EXPECT_EQ(ini.GetInt("S", "D", 0), 6);

    // Writing a repeated key leaves one line with the new value.
    ini.SetInt("S", "A", 8);
    EXPECT_EQ(ini.GetInt("S", "A", 0), 8);
    const std::string text = ini.ToText();
    EXPECT_EQ(text.find("A=1"), std::string::npos);
    EXPECT_EQ(text.find("A=2"), std::string::npos);

    // A directory or a missing file reads as empty.
    EXPECT_FALSE(ini.Load(dir_.string()));
    EXPECT_EQ(ini.ToText(), "");
    EXPECT_FALSE(ini.Load(PathOf("missing.INI")));
    EXPECT_EQ(ini.GetInt("S", "A", 3), 3);
}

TEST_F(IniFileTest, SaveKeepsEverythingAndWritesPrivately) {
    const std::string path = PathOf("t.INI");
    Write(path, "; kept comment\n[Other]\nUnknown=yes\n[Tavro_CLIENT]\nCALL=G0ABC\n");
    chmod(path.c_str(), 0644);
    CIniFile ini;
    ini.Load(path);
    ini.SetText("tavro_client", "call", "M0XYZ");
    ini.SetInt("Tavro_CLIENT", "PORT", -10024);
    ini.SetText("Tavro_CLIENT", "COMM", "two\r\nlines\nX=1");
    ini.SetText("New", "Key", "v");
    const mode_t oldMask = umask(0);
    ASSERT_TRUE(ini.Save(path));
    umask(oldMask);

    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"t.INI"});

    const std::string text = Read(path);
    EXPECT_EQ(text, "; kept comment\n\n\n[Other]\nUnknown=yes\n\n\n[Tavro_CLIENT]\nCALL=M0XYZ\n"
                    "PORT=-10024\nCOMM=two  lines X=1\n\n\n[New]\nKey=v\n");
    CIniFile again;
    again.Load(path);
    EXPECT_EQ(again.GetText("Other", "Unknown", ""), "yes");
    EXPECT_EQ(again.GetInt("Tavro_CLIENT", "PORT", 0), -10024);
    EXPECT_EQ(again.GetInt("Tavro_CLIENT", "X", 0), 0);
}

TEST_F(IniFileTest, FailedSaveLeavesOldFileUntouched) {
    const std::string path = PathOf("keep.INI");
    const std::string original = "[Tavro_CLIENT]\nCALL=G0ABC\n";
    Write(path, original);
    CIniFile ini;
    ini.Load(path);
    ini.SetText("Tavro_CLIENT", "COMM", std::string(100000, 'c'));

    // The disk fills up in the middle of the write.
    struct rlimit oldLimit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    struct rlimit small = oldLimit;
    small.rlim_cur = 4096;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = ini.Save(path);
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(Read(path), original);
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.INI"});

    // The target is a directory; or its directory does not exist.
    fs::create_directory(PathOf("sub"));
    EXPECT_FALSE(ini.Save(PathOf("sub")));
    EXPECT_TRUE(fs::is_directory(PathOf("sub")));
    EXPECT_TRUE(fs::is_empty(PathOf("sub")));
    EXPECT_FALSE(ini.Save(PathOf("none/x.INI")));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"keep.INI", "sub"}));
}

TEST_F(IniFileTest, SaveThroughLinksReplacesTheFileAtTheirEnd) {
    // A link to a link (relative) to a file in another directory.
    fs::create_directory(PathOf("real"));
    fs::create_directory(PathOf("links"));
    const std::string file = PathOf("real/t.INI");
    Write(file, "[S]\nA=1\n");
    chmod(file.c_str(), 0644);
    fs::create_symlink("../real/t.INI", PathOf("links/middle"));
    fs::create_symlink(PathOf("links/middle"), PathOf("links/t.INI"));
    CIniFile ini;
    ASSERT_TRUE(ini.Load(PathOf("links/t.INI")));
    ini.SetInt("S", "A", 2);
    ASSERT_TRUE(ini.Save(PathOf("links/t.INI")));
    EXPECT_TRUE(fs::is_symlink(PathOf("links/t.INI")));
    EXPECT_TRUE(fs::is_symlink(PathOf("links/middle")));
    EXPECT_EQ(Read(file), "[S]\nA=2\n");
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(Entries("real"), std::vector<std::string>{"t.INI"});
    EXPECT_EQ(Entries("links"), (std::vector<std::string>{"middle", "t.INI"}));

    // A dangling link gets the file it names.
    fs::create_symlink("../real/new.INI", PathOf("links/new"));
    ASSERT_TRUE(ini.Save(PathOf("links/new")));
    EXPECT_TRUE(fs::is_symlink(PathOf("links/new")));
    EXPECT_EQ(Read(PathOf("real/new.INI")), "[S]\nA=2\n");

    // Links that go round in a circle are left alone.
    fs::create_symlink("loop", PathOf("links/loop"));
    EXPECT_FALSE(ini.Save(PathOf("links/loop")));
    EXPECT_TRUE(fs::is_symlink(PathOf("links/loop")));
}

TEST_F(IniFileTest, ComPortsMapToConfiguredDevices) {
    CIniFile ini;
    EXPECT_EQ(ComPortDevicePath(ini, 1), "/dev/ttyS0");
    EXPECT_EQ(ComPortDevicePath(ini, 0), "");
    EXPECT_EQ(ComPortDevicePath(ini, -2), "");

    const std::string path = PathOf("com.INI");
    Write(path, "[com_ports]\ncom3=/dev/ttyUSB0\nCOM4=\nCOM12=/tmp/pty 1\n");
    ini.Load(path);
    EXPECT_EQ(ComPortDevicePath(ini, 3), "/dev/ttyUSB0");
    EXPECT_EQ(ComPortDevicePath(ini, 4), "/dev/ttyS3");
    EXPECT_EQ(ComPortDevicePath(ini, 12), "/tmp/pty 1");
}

TEST_F(IniFileTest, DefaultPathIsNamedAfterTheExecutable) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    const std::string path = DefaultSettingsPath();
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(path, PathOf("tavro/tavro_platform_tests.INI"));
}
} // namespace
