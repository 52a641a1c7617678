#include "platform/ini_file.h"
#include "radio/admin_settings.h"
#include "radio/client_settings.h"
#include "radio/rig_settings.h"
#include "radio/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
namespace fs = std::filesystem;

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tavro-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        path_ = (dir_ / "tavro.INI").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteFile(std::string_view text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string ReadFile() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    // Loads the client settings of an in-memory file onto a fresh record.
    static ClientSettings LoadClient(std::string_view text) {
        CIniFile ini;
        ini.LoadText(text);
        ClientSettings settings;
        LoadClientSettings(ini, settings);
        return settings;
    }
    static CPresetServer BuiltIn(int index) {
        const std::string host(kBuiltInServerHosts[index]);
        return {host + " - 101", "", 10024, "101", host};
    }

    fs::path dir_;
    std::string path_;
};

// Key names of one section in file order, separated by spaces.
std::string KeysOf(const std::string& text, const std::string& section) {
    std::string keys;
    std::istringstream lines(text);
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("["))
            inside = line == "[" + section + "]";
        else if (inside && line.find('=') != std::string::npos)
            keys += (keys.empty() ? "" : " ") + line.substr(0, line.find('='));
    }
    return keys;
}

TEST_F(SettingsTest, FirstStartGivesDefaults) {
    ClientSettings client;
    RigSettings rig;
    CSettingsStore(path_).LoadStartup(client, rig);
    EXPECT_EQ(client, ClientSettings());
    EXPECT_EQ(client.room, "UK-1");
    EXPECT_EQ(client.comment, "New User");
    EXPECT_EQ(client.serverPort, 10024);
    EXPECT_EQ(client.idText, "tavro");
    EXPECT_EQ(client.courtesyText, "K");
    EXPECT_EQ(client.cwSpeedWpm, 18);
    EXPECT_EQ(client.cwToneHz, 650);
    EXPECT_EQ(client.cwVolume, 5000);
    EXPECT_EQ(client.squelchSettlingMs, 300);
    EXPECT_EQ(client.voxLevel, 1280);
    EXPECT_EQ(rig.keyingMethod, RigKeyingMethod::Vox);
    // The engines get device 0 while the rig settings show the default device.
    EXPECT_EQ(client.audioDevice, 0);
    EXPECT_EQ(rig.audioDevice, -1);
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(SettingsTest, RoundTripThroughTheFile) {
    ClientSettings client;
    client.serverHost = "10.1.2.3";
    client.serverPort = 20000;
    client.callsign = "G0ABC";
    client.comment = "Gateway; 2m = 145.500";
    client.room = "TEST";
    client.serverPassword = "pw";
    client.idText = "G0ABC/R";
    client.courtesyText = "R";
    client.adminPassword = "admin";
    client.cwSpeedWpm = 25;
    client.cwToneHz = 800;
    client.cwVolume = 32767;
    client.courtesyEnabled = client.forceIdEnabled = client.idIfIdleEnabled = true;
    client.alcEnabled = false;
    client.squelchSettlingMs = 0;
    client.autoReconnect = client.dialUpOnConnect = true;
    client.silenceLevel = 300;
    client.voxEnabled = false;
    client.voxLevel = 32768;
    client.alwaysOnTop = client.lineIn = true;
    client.dtmfGain = {1, 2, 3, 4, 5, 6, 7, 32000};
    client.dtmfDetector = DtmfDetectorKind::Sliding106;
    client.presets = {BuiltIn(1), {"Home", "secret", 1, "", "home.example.org"}, BuiltIn(0)};
    client.announcementTickSeconds = 5;
    client.announcements = {{0, "/srv/id.wav", 3}, {1, "QRV", -7}};
    client.connectMessage = {0, "/srv/hello.wav", -1};
    client.presetRoom1Message = {1, "back", -1};
    client.disconnectMessage = {2, "", -1};
    client.connectCode = "123";
    client.disconnectCode = "#99";
    RigSettings rig;
    rig = {RigKeyingMethod::Halvek,
           2,
           3,
           1000,
           10000,
           RigKeyLine::Dtr,
           false,
           5,
           false,
           false,
           15,
           RigSquelchLine::Dsr,
           true,
           120,
           30,
           2};
    rig.audioDeviceName = "plughw:CARD=Device,DEV=0";
    client.audioDevice = rig.audioDevice;
    {
        CSettingsStore store(path_);
        ASSERT_TRUE(store.SaveClient(client));
        ASSERT_TRUE(store.SaveRig(rig));
    }
    struct stat st;
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ClientSettings loadedClient;
    RigSettings loadedRig;
    CSettingsStore(path_).LoadStartup(loadedClient, loadedRig);
    EXPECT_EQ(loadedClient, client);
    EXPECT_EQ(loadedRig, rig);
}

TEST_F(SettingsTest, KeysAreWrittenInFileOrder) {
    ClientSettings client;
    client.presets = {BuiltIn(0)};
    client.announcements = {{}};
    CSettingsStore store(path_);
    ASSERT_TRUE(store.SaveClient(client));
    ASSERT_TRUE(store.SaveRig(RigSettings()));
    const std::string text = ReadFile();
    EXPECT_EQ(KeysOf(text, "Tavro_CLIENT"),
              "HOST CALL COMM ROOM PSWD ID R PASS "
              "PORT WPM FREQ VOL COUR ALC FRID IDLE SQUE RECO DIAL VOX VOVB VOXL ONTOP LINE "
              "DTMF0 DTMF1 DTMF2 DTMF3 DTMF4 DTMF5 DTMF6 DTMF7 DTMFDETECTOR "
              "nPreset P0Name P0Pass P0Room P0Server P0Port IdleMessageTick "
              "nAnnounce File0 Tick0 Morse0 HelpWmf HelpMorse DiscWmf DiscMorse "
              "DisableWmf DisableMorse ConnectDTMF DisconnectDTMF AUDIO_IN");
    EXPECT_EQ(KeysOf(text, "TX_CTRL"), "TYPE COMPORT ILINK FREQ LEVEL LINE REV HVKCOMPORT "
                                       "HVKDIGSQL HVKDIGSQLACT HVKSQLLEVEL SQLLINE SQLREV "
                                       "TXTOT TxTimeout TxRestart CM108DEV CM108PIN CM108REV "
                                       "CM108SQLREV GPIOCHIP GPIOKEYLINE GPIOREV GPIOSQLLINE "
                                       "GPIOSQLREV");
    EXPECT_NE(text.find("\nVOXL=1280\n"), std::string::npos);
    EXPECT_NE(text.find("\nAUDIO_IN=-1\n"), std::string::npos);
}

TEST_F(SettingsTest, SaveWritesOnlyWhatThisProgramChanged) {
    ClientSettings client;
    client.callsign = "G0ABC";
    RigSettings rig;
    {
        CSettingsStore first(path_);
        ASSERT_TRUE(first.SaveClient(client));
        ASSERT_TRUE(first.SaveRig(rig));
    }

    CSettingsStore store(path_);
    store.LoadStartup(client, rig);
    // Someone edits the file while the program runs.
    std::string edited = ReadFile();
    const size_t room = edited.find("ROOM=UK-1\n");
    ASSERT_NE(room, std::string::npos);
    edited.replace(room, 9, "ROOM = EDITED");
    edited = "; edited by hand\n" + edited + "[Other]\nKeep=1\n";
    WriteFile(edited);

    // Nothing changed here: the file stays as it was, byte for byte.
    ASSERT_TRUE(store.SaveClient(client));
    ASSERT_TRUE(store.SaveRig(rig));
    EXPECT_EQ(ReadFile(), edited);

    // Changes made here join the edit, in this save and the next.
    client.comment = "Changed here";
    ASSERT_TRUE(store.SaveClient(client));
    rig.keyingMethod = RigKeyingMethod::ComPort;
    ASSERT_TRUE(store.SaveRig(rig));
    ClientSettings reloaded;
    RigSettings reloadedRig;
    CSettingsStore again(path_);
    again.LoadStartup(reloaded, reloadedRig);
    EXPECT_EQ(reloaded.room, "EDITED");
    EXPECT_EQ(reloaded.comment, "Changed here");
    EXPECT_EQ(reloaded.callsign, "G0ABC");
    EXPECT_EQ(reloadedRig.keyingMethod, RigKeyingMethod::ComPort);
    EXPECT_EQ(again.Ini().GetInt("Other", "Keep", 0), 1);

    // A key changed on both sides takes this program's value.
    client.room = "MINE";
    ASSERT_TRUE(store.SaveClient(client));
    EXPECT_EQ(CSettingsStore(path_).Ini().GetText(kClientSection, "ROOM", ""), "MINE");
}

TEST_F(SettingsTest, UnusableFileIsFoundWithoutTouchingIt) {
    auto check = [](const std::string& path) { return CSettingsStore(path).CheckUsable(); };
    // Missing files and folders are made by the first save.
    EXPECT_EQ(check(path_), "");
    EXPECT_EQ(check((dir_ / "a/b/t.INI").string()), "");
    WriteFile("[Tavro_CLIENT]\nCALL=G0ABC\n");
    EXPECT_EQ(check(path_), "");
    fs::create_symlink(dir_ / "nowhere/t.INI", dir_ / "dangling");
    EXPECT_EQ(check((dir_ / "dangling").string()), "");

    const std::string dir = dir_.string();
    EXPECT_EQ(check(dir), dir + " is a directory, not a settings file: give --config a file name");
    fs::create_symlink(dir_, dir_ / "to-dir");
    EXPECT_EQ(check(dir + "/to-dir"),
              dir + " is a directory, not a settings file: give --config a file name");
    EXPECT_EQ(check(dir + "/new/"),
              dir + "/new/ is a directory name, not a settings file: give --config a file name");
    EXPECT_EQ(check(path_ + "/sub/t.INI"),
              "cannot create " + path_ + "/sub/t.INI: " + path_ +
                  " is not a directory: give --config a file in a directory");
    EXPECT_EQ(check("/dev/null"), "/dev/null is not a regular file: give --config a file name");
    fs::create_symlink("loop", dir_ / "loop");
    EXPECT_TRUE(check(dir + "/loop").starts_with("cannot follow the links of " + dir + "/loop ("));

    EXPECT_EQ(ReadFile(), "[Tavro_CLIENT]\nCALL=G0ABC\n");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"dangling", "loop", "tavro.INI", "to-dir"}));
}

TEST_F(SettingsTest, BuiltInServersJoinAStoredPresetList) {
    const std::string own = "[Tavro_CLIENT]\nnPreset=1\nP0Name=Mine\nP0Pass=x\nP0Room=R1\n"
                            "P0Server=mine.example.org\nP0Port=10025\n";
    EXPECT_EQ(LoadClient(own).presets,
              (std::vector<CPresetServer>{
                  {"Mine", "x", 10025, "R1", "mine.example.org"}, BuiltIn(0), BuiltIn(1)}));

    const std::string second(kBuiltInServerHosts[1]);
    const std::string first(kBuiltInServerHosts[0]);
    std::string both =
        "[Tavro_CLIENT]\nnPreset=3\nP0Server=" + second + "\nP1Server=x\nP2Server=" + first + "\n";
    EXPECT_EQ(LoadClient(both).presets.size(), 3u);

    // Only an exact match counts; the missing one is appended.
    std::string upper = first;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    const auto presets =
        LoadClient("[Tavro_CLIENT]\nnPreset=2\nP0Server=" + upper + "\nP1Server=" + second + "\n")
            .presets;
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[2], BuiltIn(0));
    EXPECT_EQ(presets[0].port, 0); // a missing port reads as 0

    // No stored entries, no built-ins; a damaged count neither.
    EXPECT_TRUE(LoadClient("[Tavro_CLIENT]\nnPreset=0\nP0Server=a\n").presets.empty());
    EXPECT_TRUE(LoadClient("[Tavro_CLIENT]\nnPreset=-4\n").presets.empty());
    // An absurd count is bounded rather than filling memory.
    EXPECT_LT(LoadClient("[Tavro_CLIENT]\nnPreset=2147483647\nnAnnounce=999999999\n")
                  .announcements.size(),
              100000u);
}

TEST_F(SettingsTest, ShorterListsLeaveOldEntriesIgnored) {
    std::string text = "[Tavro_CLIENT]\nnPreset=5\nnAnnounce=2\nFile0=a\nFile1=b\n";
    for (int i = 0; i < 5; ++i)
        text += "P" + std::to_string(i) + "Name=n" + std::to_string(i) + "\nP" + std::to_string(i) +
                "Server=" + std::string(kBuiltInServerHosts[i % 2]) + "\n";
    WriteFile(text);
    CSettingsStore store(path_);
    ClientSettings client;
    RigSettings rig;
    store.LoadStartup(client, rig);
    ASSERT_EQ(client.presets.size(), 5u);
    client.presets.resize(3);
    client.announcements.clear();
    ASSERT_TRUE(store.SaveClient(client));

    const std::string saved = ReadFile();
    EXPECT_NE(saved.find("nPreset=3\n"), std::string::npos);
    EXPECT_NE(saved.find("P3Name=n3\n"), std::string::npos);
    EXPECT_NE(saved.find("P4Name=n4\n"), std::string::npos);
    EXPECT_NE(saved.find("File1=b\n"), std::string::npos);

    ClientSettings reloaded;
    CSettingsStore(path_).LoadStartup(reloaded, rig);
    EXPECT_EQ(reloaded.presets, client.presets);
    EXPECT_TRUE(reloaded.announcements.empty());
}

TEST_F(SettingsTest, ValueRules) {
    // Only a stored 1 switches VOX on, or picks the sliding DTMF detector.
    EXPECT_FALSE(LoadClient("[Tavro_CLIENT]\nVOVB=2\n").voxEnabled);
    EXPECT_TRUE(LoadClient("[Tavro_CLIENT]\nVOVB=1\n").voxEnabled);
    EXPECT_EQ(LoadClient("[Tavro_CLIENT]\nDTMFDETECTOR=1\n").dtmfDetector,
              DtmfDetectorKind::Sliding106);
    EXPECT_EQ(LoadClient("[Tavro_CLIENT]\nDTMFDETECTOR=2\n").dtmfDetector,
              DtmfDetectorKind::Blocks299);

    // The VOX level follows the silence level only while it has no value of its own.
    EXPECT_EQ(LoadClient("[Tavro_CLIENT]\nVOX=2000\n").voxLevel, 2000);
    EXPECT_EQ(LoadClient("[Tavro_CLIENT]\nVOX=2000\nVOXL=100\n").voxLevel, 100);

    // Texts and the integers up to "VOX" keep what the record held; later values do not.
    CIniFile empty;
    ClientSettings held;
    held.room = "KEEP";
    held.cwToneHz = 1000;
    held.alwaysOnTop = true;
    held.dtmfGain[3] = 1;
    held.announcementTickSeconds = 1;
    held.presets = {BuiltIn(0)};
    LoadClientSettings(empty, held);
    EXPECT_EQ(held.room, "KEEP");
    EXPECT_EQ(held.cwToneHz, 1000);
    EXPECT_FALSE(held.alwaysOnTop);
    EXPECT_EQ(held.dtmfGain[3], 3000);
    EXPECT_EQ(held.announcementTickSeconds, 60);
    EXPECT_TRUE(held.presets.empty());

    // "FREQ" and "LINE" mean different things in the two sections.
    CIniFile ini;
    ini.LoadText("[Tavro_CLIENT]\nFREQ=900\nLINE=1\n[TX_CTRL]\nFREQ=120\nLINE=1\nTYPE=abc\n");
    ClientSettings client;
    RigSettings rig;
    LoadClientSettings(ini, client);
    LoadRigSettings(ini, rig);
    EXPECT_EQ(client.cwToneHz, 900);
    EXPECT_TRUE(client.lineIn);
    EXPECT_EQ(rig.toneFrequencyHz, 120);
    EXPECT_EQ(rig.keyLine, RigKeyLine::Dtr);
    // Not a number: 0, as a private-profile reader gives.
    EXPECT_EQ(rig.keyingMethod, RigKeyingMethod::Tone);
    ini.LoadText("[TX_CTRL]\nFREQ=120\nLINE=1\n");
    client = {};
    LoadClientSettings(ini, client);
    EXPECT_EQ(client.cwToneHz, 650);
    EXPECT_FALSE(client.lineIn);
    rig.toneFrequencyHz = 55;
    SaveClientSettings(ini, client);
    LoadRigSettings(ini, rig);
    EXPECT_EQ(rig.toneFrequencyHz, 120);
}

TEST_F(SettingsTest, RigChoicesAreStoredAsNumbersAndUnknownNumbersGiveFirstStartValues) {
    CIniFile ini;
    ini.LoadText("[TX_CTRL]\nTYPE=4\nLINE=1\nSQLLINE=2\n");
    RigSettings rig;
    LoadRigSettings(ini, rig);
    EXPECT_EQ(rig.keyingMethod, RigKeyingMethod::Halvek);
    EXPECT_EQ(rig.keyLine, RigKeyLine::Dtr);
    EXPECT_EQ(rig.squelchLine, RigSquelchLine::Dsr);
    rig.keyingMethod = RigKeyingMethod::ComPort;
    rig.squelchLine = RigSquelchLine::Cts;
    SaveRigSettings(ini, rig);
    EXPECT_EQ(ini.GetInt(kRigSection, "TYPE", -1), 2);
    EXPECT_EQ(ini.GetInt(kRigSection, "LINE", -1), 1);
    EXPECT_EQ(ini.GetInt(kRigSection, "SQLLINE", -1), 1);

    // Numbers that name no choice, as a hand-edited file may hold.
    for (const char* text :
         {"[TX_CTRL]\nTYPE=7\nLINE=2\nSQLLINE=5\n", "[TX_CTRL]\nTYPE=-1\nLINE=-1\nSQLLINE=-1\n"}) {
        SCOPED_TRACE(text);
        ini.LoadText(text);
        LoadRigSettings(ini, rig);
        EXPECT_EQ(rig.keyingMethod, RigKeyingMethod::Vox);
        EXPECT_EQ(rig.keyLine, RigKeyLine::Rts);
        EXPECT_EQ(rig.squelchLine, RigSquelchLine::None);
    }
}

TEST_F(SettingsTest, DamagedFileGivesDefaultsAndSurvivesSaving) {
    std::string garbage = "\x7f"
                          "ELF\x01\x02[Tavro_CLIENT\n\xff\xfe=\x01]]]=\n[TX_CTRL]\nTYPE";
    garbage += std::string(100000, '\xaa') + "\n[Other]\nKeep=1\n";
    WriteFile(garbage);
    CSettingsStore store(path_);
    ClientSettings client;
    RigSettings rig;
    store.LoadStartup(client, rig);
    client.audioDevice = 0;
    EXPECT_EQ(client, ClientSettings());
    EXPECT_EQ(rig, RigSettings());
    EXPECT_TRUE(store.SaveRig(rig));
    EXPECT_EQ(CSettingsStore(path_).Ini().GetInt("TX_CTRL", "TYPE", -1), 3);

    // A store in a directory that does not exist yet creates it on saving, also at the end
    // of a link.
    CSettingsStore nested((dir_ / "a/b/t.INI").string());
    EXPECT_TRUE(nested.SaveClient(client));
    EXPECT_TRUE(fs::exists(dir_ / "a/b/t.INI"));
    fs::create_symlink(dir_ / "c/d/t.INI", dir_ / "link");
    EXPECT_TRUE(CSettingsStore((dir_ / "link").string()).SaveClient(client));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
    EXPECT_TRUE(fs::is_regular_file(dir_ / "c/d/t.INI"));
}

TEST_F(SettingsTest, AdminSection) {
    CIniFile ini;
    ini.LoadText("[admin]\nCol2=77\nCol5=x\n");
    const AdminColumnWidths defaults{30, 40, 50, 60, 70, 80, 90};
    EXPECT_EQ(LoadAdminColumnWidths(ini, defaults), (AdminColumnWidths{30, 40, 77, 60, 70, 0, 90}));
    EXPECT_EQ(LoadRestrictedBy(ini), "");
    SaveAdminColumnWidths(ini, {1, 2, 3, 4, 5, 6, 7});
    SaveRestrictedBy(ini, "G4XYZ");
    EXPECT_EQ(LoadAdminColumnWidths(ini, defaults), (AdminColumnWidths{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(LoadRestrictedBy(ini), "G4XYZ");
    EXPECT_EQ(KeysOf(ini.ToText(), "admin"), "Col2 Col5 Col0 Col1 Col3 Col4 Col6 RestrictedBy");
}

TEST(AnnouncementOrderTest, ByTickThenFileBytes) {
    std::vector<CAnnounceMent> list = {{0, "b", 5}, {1, "\xe9t\xe9", 2}, {0, "z", 2},
                                       {0, "Z", 2}, {0, "a", -1},        {1, "a", 5}};
    std::sort(list.begin(), list.end());
    EXPECT_EQ(list, (std::vector<CAnnounceMent>{{0, "a", -1},
                                                {0, "Z", 2},
                                                {0, "z", 2},
                                                {1, "\xe9t\xe9", 2},
                                                {1, "a", 5},
                                                {0, "b", 5}}));
    EXPECT_EQ(CAnnounceMent(), (CAnnounceMent{0, "", 0}));
    EXPECT_EQ(CPresetServer().port, -1);
}
} // namespace
