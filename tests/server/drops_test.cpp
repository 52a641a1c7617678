// Stations whose stream breaks or who stop reading are dropped, and their
// room hears that they left.

#include "protocol/conference_messages.h"
#include "tests/server/server_run.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Strings = std::vector<std::string>;

TEST(ServerDrops, AStreamThatDoesNotParseEndsTheStation) {
    CServerRun server;
    auto watcher = server.Joined("W", "R");
    auto unknown = server.Joined("U", "R");
    auto badKind = server.Joined("K", "R");
    watcher->Collect(kQuiet);

    // Command codes stop at 27.
    unknown->SendBytes({28, 0, 0});
    EXPECT_TRUE(unknown->WaitForEnd());
    EXPECT_EQ(watcher->Take(1), Strings{"users -U"});
    EXPECT_TRUE(server.WaitForLog("#2 U disconnected: sent an unknown command code"));

    // A user list entry of kind 9 does not exist.
    badKind->SendBytes({kCmdOptUserList, 1, 0, 0, 0, 9, 0, 0, 0});
    EXPECT_TRUE(badKind->WaitForEnd());
    EXPECT_EQ(watcher->Take(1), Strings{"users -K"});
    EXPECT_TRUE(server.WaitForLog("#3 K disconnected: sent a message that does not parse"));

    // Messages the server has no use for are read and ignored.
    CTextMessage text;
    watcher->Send(text);
    EXPECT_TRUE(server.WaitForLog("#1 W sent \"Text : \"\" \", which is ignored"));
    watcher->Send(CMsg(kCmdPing));
    EXPECT_EQ(watcher->Collect(kQuiet), Strings{});
}

// A station that joins and then never reads: it has no reader thread.
class CDeafStation {
public:
    explicit CDeafStation(uint16_t port) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        // A small window, so that the server's queue fills soon.
        const int size = 4096;
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        stream_ = std::make_unique<CSocketStream>(fd);
        CJoinMessage join;
        join.command = kCmdJoinWithPassword;
        join.callSign = "DEAF";
        join.room = "R";
        EXPECT_TRUE(join.Write(*stream_, stop_));
    }
    // True once the server has closed the connection (reading now drains
    // what the server had managed to send before).
    bool Closed() {
        int err = 0;
        while (ReadMessage(*stream_, stop_, err)) {
        }
        return err == kErrPeerClosed || err == ECONNRESET;
    }

private:
    CStopFlag stop_;
    std::unique_ptr<CSocketStream> stream_;
};

TEST(ServerDrops, AStationThatDoesNotReadIsDroppedWhenItsQueueOverflows) {
    CServerOptions options;
    options.maxQueuedMessages = 100;
    options.floorTimeout = 60s;
    CServerRun server(options);
    auto talker = server.Joined("T", "R");
    CDeafStation deaf(server.Port());
    EXPECT_EQ(talker->NextOf(kCmdOptUserList), "users +DEAF");

    // Each packet sends the deaf station about 1000 bytes.
    const std::vector<uint8_t> nothing;
    const CSoundMessage empty(nothing.data(), 0, false);
    for (int i = 0; i < 20000 && !server.WaitForLog("DEAF disconnected", 0ms); ++i)
        talker->Send(empty);
    EXPECT_TRUE(server.WaitForLog("#2 DEAF disconnected: does not read what it is sent"));
    EXPECT_EQ(talker->NextOf(kCmdOptUserList), "users T-on");
    EXPECT_EQ(talker->NextOf(kCmdOptUserList), "users -DEAF");
    EXPECT_TRUE(deaf.Closed());
}

} // namespace
