// The headless client refuses a settings file that it could not save, before it starts.

#include "tests/support/run_tool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {
namespace fs = std::filesystem;

TEST(ClientProgram, RefusesAnUnusableSettingsFileAtStart) {
    if (!fs::exists(ProgramPath("tavro-client")))
        GTEST_SKIP() << "no tavro-client at " << ProgramPath("tavro-client");
    std::string pattern = (fs::temp_directory_path() / "tavro-config-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string dir = pattern;

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
    fs::remove_all(dir);
}
} // namespace
