// Where the server listens: HOST:PORT parsing, IPv4 and IPv6, and the errors
// Start reports.

#include "server/host_port.h"
#include "server/stand_in_server.h"
#include "tests/server/test_station.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerListen, ParsesHostAndPort) {
    HostPort where;
    std::string error;
    ASSERT_TRUE(ParseHostPort("localhost:10024", where, error));
    EXPECT_EQ(where.host, "localhost");
    EXPECT_EQ(where.port, 10024);
    ASSERT_TRUE(ParseHostPort("[::1]:0", where, error));
    EXPECT_EQ(where.host, "::1");
    EXPECT_EQ(where.port, 0);
    ASSERT_TRUE(ParseHostPort(":65535", where, error));
    EXPECT_EQ(where.host, "");
    EXPECT_EQ(where.port, 65535);

    for (const char* bad : {"localhost", "host:65536", "host:", "host:12x", "host:-1", "[::1]",
                            "[::1:80", "[::1]80", "::1:80"})
        EXPECT_FALSE(ParseHostPort(bad, where, error)) << bad;
    EXPECT_EQ(error, "an IPv6 address needs brackets: [::1]:80");
}

// Starts a server on the address; returns the error when it cannot.
std::string StartOn(CStandInServer& server) {
    std::string error;
    server.Start(error);
    return error;
}

TEST(ServerListen, ServesIPv4AndIPv6AndPicksAFreePort) {
    for (const char* address : {"localhost:0", "127.0.0.1:0", "[::1]:0"}) {
        CServerOptions options;
        options.listen = address;
        options.version = 121;
        CStandInServer server(options);
        const std::string error = StartOn(server);
        if (std::string(address) == "[::1]:0" && error.find("Cannot assign") != std::string::npos)
            continue; // no IPv6 loopback here
        ASSERT_EQ(error, "") << address;
        EXPECT_NE(server.Port(), 0);
        CTestStation station(server.Port(),
                             std::string(address).starts_with("[") ? "::1" : "127.0.0.1");
        EXPECT_EQ(station.Take(1), std::vector<std::string>{"version 121"}) << address;
    }
}

TEST(ServerListen, StartSaysWhyItCannotListen) {
    CServerOptions options;
    options.listen = "127.0.0.1:0";
    CStandInServer first(options);
    ASSERT_EQ(StartOn(first), "");

    options.listen = "127.0.0.1:" + std::to_string(first.Port());
    CStandInServer second(options);
    EXPECT_EQ(StartOn(second), "cannot listen on " + options.listen + ": Address already in use");

    options.listen = "no-such-host.invalid:0";
    CStandInServer third(options);
    EXPECT_TRUE(StartOn(third).starts_with("cannot resolve \"no-such-host.invalid\""));

    options.listen = "127.0.0.1";
    CStandInServer fourth(options);
    EXPECT_EQ(StartOn(fourth), "\"127.0.0.1\" is not HOST:PORT");
}

} // namespace
