#include "protocol/admin_messages.h"
#include "protocol/conference_messages.h"
#include "protocol/list_messages.h"
#include "protocol/relay_messages.h"
#include "tests/protocol/message_test_support.h"

#include <algorithm>
#include <functional>
#include <typeindex>

namespace {

std::unique_ptr<CUserListUpdateMsg> SampleUsers() {
    auto users = std::make_unique<CUserListUpdateMsg>();
    users->ClearAll();
    users->AddUser("W1AW", "Newington", true);
    users->RemoveUser("K2XX");
    users->SetTalking("W1AW", false);
    users->SetTalking("N0CALL", true);
    return users;
}

std::unique_ptr<CRoomListUpdateMsg> SampleRooms() {
    auto rooms = std::make_unique<CRoomListUpdateMsg>();
    auto room = std::make_unique<CRoomMsg>();
    room->name = "Lobby";
    room->users = SampleUsers();
    rooms->entries.push_back(std::move(room));
    rooms->entries.push_back(std::make_unique<CRoomMsg>()); // kind 0 without users
    rooms->entries.back()->name = "Empty";
    rooms->entries.push_back(std::make_unique<CRoomMsg>());
    rooms->entries.back()->kind = kRoomRemove;
    rooms->entries.back()->name = "Old";
    rooms->entries.push_back(std::make_unique<CRoomMsg>());
    rooms->entries.back()->kind = kRoomClearAll;
    return rooms;
}

CRestrictedUserInfo SampleRestriction() {
    CRestrictedUserInfo r;
    r.reason = "noise";
    r.by = "admin";
    r.id = 0xCAFEF00D;
    r.address = {10, 0, 0, 7};
    r.callSign = "K2XX";
    r.restriction = kMuted;
    r.end = 1700000000;
    return r;
}

// One filled object of every class, for every command code of the shared
// classes.
std::vector<std::function<std::unique_ptr<CMsg>()>> AllMessages() {
    std::vector<std::function<std::unique_ptr<CMsg>()>> makers;
    for (uint8_t code : {kCmdNull, kCmdBye, kCmdSendId, kCmdCourtesy, kCmdIdleId, kCmdPing,
                         kCmdEndTx, kCmdGetRestrict})
        makers.push_back([code] { return std::make_unique<CMsg>(code); });
    makers.push_back([] {
        const Bytes payload = {1, 2, 3, 0, 255};
        return std::make_unique<CSoundMessage>(payload.data(), payload.size(), false);
    });
    makers.push_back([] { return std::make_unique<CSoundMessage>(); });
    makers.push_back([] { return std::make_unique<CDummyMessage>(); });
    makers.push_back([] { return std::make_unique<CDummyMessage>(7); });
    for (uint8_t code : {kCmdJoin, kCmdJoinWithPassword})
        makers.push_back([code] {
            auto m = std::make_unique<CJoinMessage>();
            m->command = code;
            m->callSign = "W1AW";
            m->room = "Lobby";
            m->comment = "Gateway";
            m->codec = "AMR";
            m->password = code == kCmdJoinWithPassword ? "secret" : "";
            return m;
        });
    makers.push_back([] {
        auto m = std::make_unique<CRoomListMessage>();
        m->names = {"W1AW", "K2XX"};
        m->descriptions = {"Newington", ""};
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CTalkingMessage>();
        m->talker = "K2XX";
        return m;
    });
    for (uint8_t code : {kCmdVersion, kCmdVersionEx})
        makers.push_back([code] {
            auto m = std::make_unique<CVersionMessage>();
            m->command = code;
            m->version = 134;
            m->machineValue = code == kCmdVersionEx ? -12345 : 0;
            return m;
        });
    makers.push_back([] {
        auto m = std::make_unique<CTextMessage>();
        m->text = std::string("line 1\nline \0 2", 15);
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CAdminRequestMessage>();
        m->password = "admin";
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CAdminNotifyMessage>();
        for (int i = 0; i < 2; ++i) {
            auto& st = *m->stations.emplace_back(std::make_unique<CAdminUserStuff>());
            st = {"Net", "W" + std::to_string(i), uint8_t(i), 3, 4, 134, 0xFFFFFFF0u, 6, -1};
        }
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CListRestrictionsMessage>();
        m->restrictions.push_back(std::make_unique<CRestrictedUserInfo>(SampleRestriction()));
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CAddRestrictionMessage>();
        m->restriction = SampleRestriction();
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CRemoveRestrictionMessage>();
        m->restriction = SampleRestriction();
        m->restriction.restriction = 9;
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CActiveRoomsMessage>();
        m->rooms = {"Lobby", "Net", ""};
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<COptUserListMessage>();
        m->update = SampleUsers();
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CRoomListToWebServerMessage>();
        m->rooms = SampleRooms();
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CConnectToWebServerMessage>();
        m->named = 1;
        m->name = "relay";
        m->port = 8080;
        return m;
    });
    makers.push_back([] {
        auto m = std::make_unique<CWebServerToClientMessage>();
        m->servers = std::make_unique<CServerListUpdateMsg>();
        auto& server = *m->servers->entries.emplace_back(std::make_unique<CServerMsg>());
        server.name = "alpha";
        server.value = 42;
        server.rooms = SampleRooms();
        auto& removed = *m->servers->entries.emplace_back(std::make_unique<CServerMsg>());
        removed.kind = kServerRemove;
        removed.name = "beta";
        return m;
    });
    return makers;
}

TEST(MessageRoundTrip, EveryClassReadsBackWhatItWrote) {
    const auto makers = AllMessages();
    std::vector<std::unique_ptr<CMsg>> sent;
    Bytes stream;
    for (const auto& make : makers) {
        sent.push_back(make());
        const Bytes wire = WireBytes(*sent.back());
        stream.insert(stream.end(), wire.begin(), wire.end());
    }
    // Every command code 0 to 27 is in the table.
    std::vector<bool> seen(kCommandCount, false);
    for (const auto& msg : sent)
        seen[msg->command] = true;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), kCommandCount);

    // All messages back to back on one connection: each must end exactly
    // where the next begins.
    int err = -1;
    const auto received = ReadAll(stream, err);
    EXPECT_EQ(err, kErrPeerClosed);
    ASSERT_EQ(received.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(sent[i]->Describe());
        EXPECT_EQ(std::type_index(typeid(*received[i])), std::type_index(typeid(*sent[i])));
        EXPECT_EQ(received[i]->command, sent[i]->command);
        EXPECT_EQ(received[i]->Describe(), sent[i]->Describe());
        EXPECT_EQ(WireBytes(*received[i]), WireBytes(*sent[i]));
    }
}

TEST(MessageFactory, CreatesTheClassOfEachCodeWithItsDescription) {
    struct Case {
        std::type_index type;
        const char* text;
    };
    const std::type_index plain = typeid(CMsg);
    const Case cases[kCommandCount] = {
        {plain, "Null"},
        {typeid(CSoundMessage), "Sound"},
        {typeid(CSoundMessage), "Silence"},
        {plain, "Bye"},
        {typeid(CJoinMessage), "Join : \"\" \"\" \"\" "},
        {typeid(CRoomListMessage), "RoomList 0 entries"},
        {typeid(CTalkingMessage), "Talking : \"\" "},
        {plain, "Send ID"},
        {plain, "Courtesy"},
        {plain, "IdleID"},
        {typeid(CVersionMessage), "Version 0 - HD = 0"},
        {typeid(CTextMessage), "Text : \"\" "},
        {plain, "Ping"},
        {plain, "End TX"},
        {typeid(CAdminRequestMessage), "Admin Request : \"\" "},
        {typeid(CAdminNotifyMessage), "Admin Notify"},
        {typeid(CListRestrictionsMessage), "List Restrictions Message 0 users"},
        {plain, "Get Restrict"},
        {typeid(CAddRestrictionMessage), "Add Restriction Message"},
        {typeid(CRemoveRestrictionMessage), "Remove Restriction Message"},
        {typeid(CActiveRoomsMessage), "ActiveRooms 0 entries"},
        {typeid(CVersionMessage), "Version 0 - HD = 0"},
        {typeid(COptUserListMessage), "Opt User List Message 0 bytes"},
        {typeid(CRoomListToWebServerMessage), "Room List to WebServer Message 0 bytes"},
        {typeid(CConnectToWebServerMessage), "Connect to Web Server As listener"},
        {typeid(CWebServerToClientMessage), "WebServer to client Message 0 bytes"},
        {typeid(CJoinMessage), "Join : \"\" \"\" \"\" "},
        {typeid(CDummyMessage), "Error CMsg with Command 27"},
    };
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const auto msg = CreateMessage(uint8_t(code));
        if (code >= kCommandCount) {
            EXPECT_EQ(msg, nullptr);
            continue;
        }
        ASSERT_NE(msg, nullptr);
        EXPECT_EQ(msg->command, code);
        EXPECT_EQ(std::type_index(typeid(*msg)), cases[code].type);
        EXPECT_EQ(msg->Describe(), cases[code].text);
    }
}

TEST(MessageDescribe, ForeignCodesNameTheClassAndCode) {
    const auto expectForeign = [](std::unique_ptr<CMsg> msg, const char* className) {
        for (uint8_t code : {uint8_t(kCmdRoomList), uint8_t(kCmdDummy), uint8_t(200)}) {
            msg->command = code;
            EXPECT_EQ(msg->Describe(),
                      "Error " + std::string(className) + " with Command " + std::to_string(code));
        }
    };
    expectForeign(std::make_unique<CSoundMessage>(), "CSoundMessage");
    expectForeign(std::make_unique<CJoinMessage>(), "CJoinMessage");
    expectForeign(std::make_unique<CTalkingMessage>(), "CTalkingMessage");
    expectForeign(std::make_unique<CTextMessage>(), "CTextMessage");
    expectForeign(std::make_unique<CAdminRequestMessage>(), "CAdminRequestMessage");
    expectForeign(std::make_unique<CAdminNotifyMessage>(), "CAdminNotifyMessage");
    expectForeign(std::make_unique<CListRestrictionsMessage>(), "CListRestrictionsMessage");
    expectForeign(std::make_unique<CAddRestrictionMessage>(), "CAddRestrictionMessage");
    expectForeign(std::make_unique<CRemoveRestrictionMessage>(), "CRemoveRestrictionMessage");
    expectForeign(std::make_unique<CConnectToWebServerMessage>(), "CConnectToWebServerMessage");
    expectForeign(std::make_unique<CDummyMessage>(), "CMsg");

    // These classes describe themselves whatever code they carry.
    CVersionMessage version;
    version.command = kCmdPing;
    version.version = 134;
    version.machineValue = 305419896;
    EXPECT_EQ(version.Describe(), "Version 134 - HD = 305419896");
    CRoomListMessage roomList;
    roomList.command = kCmdPing;
    roomList.names = {"a", "b"};
    EXPECT_EQ(roomList.Describe(), "RoomList 2 entries");
    CActiveRoomsMessage active;
    active.command = kCmdPing;
    active.rooms = {"a"};
    EXPECT_EQ(active.Describe(), "ActiveRooms 1 entries");
    COptUserListMessage opt;
    opt.command = kCmdPing;
    EXPECT_EQ(opt.Describe(), "Opt User List Message 0 bytes");
    CRoomListToWebServerMessage toWeb;
    toWeb.command = kCmdPing;
    EXPECT_EQ(toWeb.Describe(), "Room List to WebServer Message 0 bytes");
    CWebServerToClientMessage fromWeb;
    fromWeb.command = kCmdPing;
    EXPECT_EQ(fromWeb.Describe(), "WebServer to client Message 0 bytes");
}

} // namespace
