#include "protocol/relay_messages.h"
#include "tests/protocol/message_test_support.h"

namespace {

TEST(RelayMessages, ConnectToWebServerForms) {
    CConnectToWebServerMessage connect;
    EXPECT_EQ(WireBytes(connect), (Bytes{0x18, 0x00}));
    EXPECT_EQ(connect.Describe(), "Connect to Web Server As listener");
    connect.named = 1;
    connect.port = 8080;
    connect.name = "web";
    EXPECT_EQ(WireBytes(connect), Cat({{0x18, 0x01, 0x90, 0x1F, 0x00, 0x00}, Str("web")}));
    EXPECT_EQ(connect.Describe(), "Connect to Web Server As web port 8080");

    // The listener form clears what the object held.
    SocketPair pair;
    CStopFlag stop;
    const uint8_t listener = 0;
    ASSERT_TRUE(WriteBytes(*pair.a, stop, &listener, 1));
    int err;
    ASSERT_TRUE(connect.Read(*pair.b, stop, err));
    EXPECT_EQ(connect.port, 0);
    EXPECT_EQ(connect.name, "");
}

TEST(RelayMessages, DirectoryLayoutNestsServersRoomsAndUsers) {
    CWebServerToClientMessage msg;
    msg.servers = std::make_unique<CServerListUpdateMsg>();
    auto& server = *msg.servers->entries.emplace_back(std::make_unique<CServerMsg>());
    server.name = "S";
    server.value = 5;
    server.rooms = std::make_unique<CRoomListUpdateMsg>();
    auto& room = *server.rooms->entries.emplace_back(std::make_unique<CRoomMsg>());
    room.name = "R";
    room.users = std::make_unique<CUserListUpdateMsg>();
    room.users->RemoveUser("U");
    server.rooms->entries.emplace_back(std::make_unique<CRoomMsg>())->name = "Q";
    msg.servers->entries.emplace_back(std::make_unique<CServerMsg>())->name = "T";

    const Bytes layout = Cat({{0x19},
                              Le32(2), //
                              Le32(0),
                              Str("S"),
                              Le32(5),
                              Le32(2), // server S
                              Le32(0),
                              Str("R"),
                              Le32(1),
                              Le32(1),
                              Str("U"), // room R, user U
                              Le32(0),
                              Str("Q"),
                              Le32(0), // room Q
                              Le32(0),
                              Str("T"),
                              Le32(0),
                              Le32(0)}); // server T
    EXPECT_EQ(WireBytes(msg), layout);
    // S: 1 + 2 + (R: 1 + 2 + 3) + (Q: 1 + 2); T: 1 + 2
    EXPECT_EQ(msg.Describe(), "WebServer to client Message 15 bytes");

    CRoomListToWebServerMessage rooms;
    rooms.rooms = std::move(server.rooms);
    EXPECT_EQ(WireBytes(rooms), Cat({{0x17},
                                     Le32(2),
                                     Le32(0),
                                     Str("R"),
                                     Le32(1),
                                     Le32(1),
                                     Str("U"),
                                     Le32(0),
                                     Str("Q"),
                                     Le32(0)}));
    EXPECT_EQ(rooms.Describe(), "Room List to WebServer Message 9 bytes");

    // Without an update nothing at all is written, and Write succeeds.
    EXPECT_TRUE(WireBytes(CWebServerToClientMessage()).empty());
    EXPECT_TRUE(WireBytes(CRoomListToWebServerMessage()).empty());
    int err;
    const auto empty = ReadOne(Cat({{0x19}, Le32(0), {0x17}, Le32(0)}), err);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(As<CWebServerToClientMessage>(empty).servers, nullptr);
}

TEST(RelayMessages, AKindOutOfRangeAtAnyLevelFailsTheWhole) {
    const Bytes user = Cat({Le32(kUserAdd), Str("A"), Str(""), {0}});
    const auto serverWithUser = [&](const Bytes& lastUser) {
        return Cat({{0x19},
                    Le32(1),
                    Le32(0),
                    Str("S"),
                    Le32(0),
                    Le32(1),
                    Le32(0),
                    Str("R"),
                    Le32(2),
                    user,
                    lastUser});
    };
    int err;
    ASSERT_NE(ReadOne(serverWithUser(Le32(kUserClearAll)), err), nullptr);
    EXPECT_EQ(ReadOne(serverWithUser(Cat({Le32(7), Str("B")})), err), nullptr);
    EXPECT_EQ(err, kErrOutOfBounds);
    EXPECT_EQ(ReadOne(Cat({{0x19}, Le32(1), Le32(3)}), err), nullptr);
    EXPECT_EQ(err, kErrOutOfBounds);
    EXPECT_EQ(ReadOne(Cat({{0x17}, Le32(2), Le32(kRoomClearAll), Le32(-1)}), err), nullptr);
    EXPECT_EQ(err, kErrOutOfBounds);

    // A failed read drops the update the object held before.
    SocketPair pair;
    CStopFlag stop;
    const Bytes broken = Cat({Le32(1), Le32(3)});
    ASSERT_TRUE(WriteBytes(*pair.a, stop, broken.data(), broken.size()));
    CWebServerToClientMessage msg;
    msg.servers = std::make_unique<CServerListUpdateMsg>();
    EXPECT_FALSE(msg.Read(*pair.b, stop, err));
    EXPECT_EQ(msg.servers, nullptr);
}

} // namespace
