// Stable device names: a USB card by its ALSA name, serial adapters by their by-id links.

#include "platform/alsa_wave.h"
#include "platform/com_ports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

TEST(DeviceNames, ACardNameWinsOverTheNumberUnlessTheCardIsNotPluggedIn) {
    std::string name;
    ASSERT_TRUE(ResolveAlsaPcmName({3, "plughw:1,0"}, name));
    EXPECT_EQ(name, "plughw:1,0");
    ASSERT_TRUE(ResolveAlsaPcmName({-1, "plughw:CARD=TavroNoSuchCard,DEV=0"}, name));
    EXPECT_EQ(name, "default");
}

TEST(DeviceNames, SerialAdaptersAreListedByTheirByIdNamesFirst) {
    std::string root = (fs::temp_directory_path() / "tavro-dev-XXXXXX").string();
    ASSERT_NE(::mkdtemp(root.data()), nullptr);
    for (const char* tty : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", "null"})
        std::ofstream(fs::path(root) / tty).put('x');
    fs::create_directories(fs::path(root) / "serial" / "by-id");
    const fs::path link = fs::path(root) / "serial" / "by-id" / "usb-FTDI_FT232R-if00-port0";
    fs::create_symlink("../../ttyUSB1", link);

    const std::vector<SerialDeviceEntry> ports = ListSerialDevices(root);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].name, link.string());
    EXPECT_EQ(ports[0].device, root + "/ttyUSB1");
    EXPECT_EQ(ports[1].name, root + "/ttyACM0");
    EXPECT_EQ(ports[2].name, root + "/ttyUSB0");
    fs::remove_all(root);
}

} // namespace
