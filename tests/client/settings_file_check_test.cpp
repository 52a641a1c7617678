// The headless client as a service runs it: it refuses to start on settings
// it could not save or use, on a receiver file it cannot read, and beside
// another gateway on the same settings; SIGHUP closes it as SIGTERM does.

#include "tests/support/run_tool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string MakeTempDir() {
    std::string pattern = (fs::temp_directory_path() / "tavro-config-XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    return pattern;
}

TEST(ClientProgram, RefusesAnUnusableSettingsFileAtStart) {
    if (!fs::exists(ProgramPath("tavro-client")))
        GTEST_SKIP() << "no tavro-client at " << ProgramPath("tavro-client");
    const std::string dir = MakeTempDir();

    ToolResult run = RunProgram("tavro-client", "--headless --config '" + dir + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "tavro-client: " + dir +
                           " is a directory, not a settings file: give --config a file name\n");

    // A folder in the path is a file.
    const std::string file = dir + "/file";
    std::ofstream(file) << "not a folder";
    run = RunProgram("tavro-client", "--headless --config '" + file + "/client.ini'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "tavro-client: cannot create " + file + "/client.ini: " + file +
                           " is not a directory: give --config a file in a directory\n");
    EXPECT_EQ(fs::file_size(file), 12u);

    // A receiver file that is not there, and a stored value that the
    // window's field check refuses, name the file and the setting.
    run = RunProgram("tavro-client",
                     "--headless --config '" + dir + "/a.INI' --audio-in '" + dir + "/none.wav'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "tavro-client: --audio-in " + dir + "/none.wav: no such file\n");
    const std::string settings = dir + "/port.INI", silence = dir + "/silence.wav";
    ASSERT_EQ(RunTool("morse e '" + silence + "' --volume 0").exitCode, 0);
    std::ofstream(settings) << "[Tavro_CLIENT]\nHOST=127.0.0.1\nPORT=70000\nCALL=G4TST\n";
    run = RunProgram("tavro-client", "--headless --config '" + settings + "' --audio-in '" +
                                         silence + "' --audio-out '" + dir + "/out.wav'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("tavro-client: settings " + settings +
                           ": PORT: Enter an integer between 1 and 65535.\n"),
              std::string::npos)
        << run.out;
    fs::remove_all(dir);
}

// The second gateway names the first by its process id; SIGHUP then ends
// the first, which saves its settings (the first save adds every key).
TEST(ClientProgram, OneGatewayPerSettingsFileAndSighupClosesWithASave) {
    if (!fs::exists(ProgramPath("tavro-client")))
        GTEST_SKIP() << "no tavro-client at " << ProgramPath("tavro-client");
    const std::string dir = MakeTempDir();
    const std::string settings = dir + "/client.INI", silence = dir + "/silence.wav";
    ASSERT_EQ(RunTool("morse e '" + silence + "' --volume 0").exitCode, 0);
    // Port 9 of the loopback address refuses: the gateway keeps trying.
    std::ofstream(settings) << "[Tavro_CLIENT]\nHOST=127.0.0.1\nPORT=9\nCALL=G4TST\n";
    const std::string gateway = "--headless --config '" + settings + "' --audio-in '" + silence +
                                "' --audio-out '" + dir + "/out.wav'";
    const ToolResult run = RunProgram(
        "tavro-client",
        gateway + " 2> '" + dir +
            "/first.log' & pid=$!; for i in $(seq 100); do grep -q 'connecting within' '" + dir +
            "/first.log' && break; sleep 0.1; done; '" + ProgramPath("tavro-client") + "' " +
            gateway + " 2> '" + dir + "/second.log'; echo $? > '" + dir +
            "/second.status'; kill -HUP $pid; wait $pid");
    EXPECT_EQ(run.exitCode, 0);
    // The lock beside the settings holds the first one's process id.
    const std::string pid = ReadFile(settings + ".lock");
    ASSERT_FALSE(pid.empty());
    EXPECT_EQ(ReadFile(dir + "/second.status"), "1\n");
    EXPECT_EQ(ReadFile(dir + "/second.log"),
              "tavro-client: another tavro-client (process " + pid.substr(0, pid.size() - 1) +
                  ") runs on the settings " + settings +
                  ": stop it first, or give this one another --config file\n");
    const std::string log = ReadFile(dir + "/first.log");
    EXPECT_NE(log.find("Closing on SIGHUP"), std::string::npos) << log;
    EXPECT_NE(log.find("Closed"), std::string::npos) << log;
    EXPECT_NE(ReadFile(settings).find("ONTOP="), std::string::npos);
    fs::remove_all(dir);
}
} // namespace
