#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
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

// flock() locks belong to an open file, so a second lock of this process
// stands in for a second program.
TEST(InstanceLock, RefusesASecondHolderAndIgnoresAStaleFile) {
    std::string pattern = (fs::temp_directory_path() / "tavro-lock-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string path = pattern + "/new folder/client.INI.lock";
    const std::string me = std::to_string(getpid()) + "\n";
    pid_t holder = -1;
    std::string error;
    {
        CInstanceLock first;
        ASSERT_EQ(first.Take(path, holder, error), CInstanceLock::Result::Taken) << error;
        EXPECT_EQ(ReadFile(path), me);

        CInstanceLock second;
        EXPECT_EQ(second.Take(path, holder, error), CInstanceLock::Result::HeldByOther);
        EXPECT_EQ(holder, getpid());
    }
    // The holder is gone: its file, with its process id, no longer blocks.
    std::ofstream(path) << "999999999\n";
    CInstanceLock next;
    EXPECT_EQ(next.Take(path, holder, error), CInstanceLock::Result::Taken) << error;
    EXPECT_EQ(ReadFile(path), me);

    const std::string notAFolder = pattern + "/file";
    std::ofstream(notAFolder) << "x";
    CInstanceLock blocked;
    EXPECT_EQ(blocked.Take(notAFolder + "/client.INI.lock", holder, error),
              CInstanceLock::Result::Failed);
    EXPECT_NE(error.find(notAFolder), std::string::npos) << error;
    fs::remove_all(pattern);
}
} // namespace
