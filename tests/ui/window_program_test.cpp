// tavro-client as a program with its window: without a display, and closed
// by a signal as by its close box.

#include "server/stand_in_server.h"
#include "tests/support/run_tool.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Sets or clears environment variables for one test and puts them back after.
class ScopedEnvironment {
public:
    void Unset(const char* name) {
        Remember(name);
        unsetenv(name);
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_)
            if (value.has)
                setenv(name.c_str(), value.text.c_str(), 1);
            else
                unsetenv(name.c_str());
    }

private:
    struct Saved {
        bool has = false;
        std::string text;
    };
    void Remember(const char* name) {
        const char* value = getenv(name);
        saved_.emplace_back(name, Saved{value != nullptr, value ? value : ""});
    }
    std::vector<std::pair<std::string, Saved>> saved_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(WindowProgram, WithoutADisplayItSaysWhatToDo) {
    QTemporaryDir dir;
    ScopedEnvironment env;
    env.Unset("DISPLAY");
    env.Unset("WAYLAND_DISPLAY");
    env.Unset("QT_QPA_PLATFORM");
    const ToolResult run =
        RunProgram("tavro-client", "--config '" + dir.path().toStdString() + "/client.INI'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "tavro-client: no display: set DISPLAY or WAYLAND_DISPLAY, or run with "
                       "--headless\n");
}

TEST(WindowProgram, SigtermClosesTheWindowAsItsCloseBoxDoes) {
    std::mutex lock;
    std::vector<std::string> serverLog;
    CServerOptions options;
    options.listen = "127.0.0.1:0";
    options.log = [&](const std::string& line) {
        std::lock_guard<std::mutex> guard(lock);
        serverLog.push_back(line);
    };
    CStandInServer server(options);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;

    QTemporaryDir dir;
    const std::string settings = dir.path().toStdString() + "/client.INI";
    std::ofstream(settings) << "[Tavro_CLIENT]\nHOST=127.0.0.1\nPORT=" << server.Port()
                            << "\nCALL=G4WIN\n";
    const std::string silence = dir.path().toStdString() + "/silence.wav";
    ASSERT_EQ(RunTool("morse e '" + silence + "' --volume 0").exitCode, 0);
    // The room on the command line connects within the watchdog's 5 s;
    // SIGTERM comes once the join is logged.
    const ToolResult run =
        RunProgram("tavro-client",
                   "--config '" + settings + "' --audio-in '" + silence + "' --audio-out '" +
                       dir.path().toStdString() + "/out.wav' UK-1 2> '" + settings +
                       ".log' & pid=$!; for i in $(seq 200); do grep -q 'Members (' '" + settings +
                       ".log' && break; sleep 0.1; done; kill -TERM $pid; wait $pid");
    EXPECT_EQ(run.exitCode, 0);
    const std::string log = ReadFile(settings + ".log");
    EXPECT_NE(log.find("Window shown"), std::string::npos) << log;
    EXPECT_NE(log.find("Closing"), std::string::npos) << log;
    EXPECT_NE(log.find("Closed"), std::string::npos) << log;
    server.Stop();
    bool bye = false;
    for (const std::string& line : serverLog)
        bye = bye || line.find("G4WIN disconnected: said Bye") != std::string::npos;
    EXPECT_TRUE(bye);
    // The settings were saved: the first save writes every key.
    EXPECT_NE(ReadFile(settings).find("ONTOP="), std::string::npos);
}

} // namespace
