#include "protocol/directory.h"
#include "protocol/list_messages.h"
#include "tests/protocol/message_test_support.h"

#include <mutex>

namespace {

// "name:description:talking" for each record, in list order.
std::vector<std::string> Contents(CUserInfoList& list) {
    std::lock_guard guard(list);
    std::vector<std::string> out;
    for (const auto& user : list.Items())
        out.push_back(user->name + ":" + user->description + ":" + std::to_string(user->talking));
    return out;
}

using Texts = std::vector<std::string>;

TEST(UserInfoList, ApplyUpdateFollowsTheEntriesInOrder) {
    CUserInfoList list;
    CUserListUpdateMsg initial;
    initial.AddUser("X", "x", false);
    initial.AddUser("Y", "y", true);
    list.ApplyUpdate(&initial);

    // Clear, then A and B: the list is exactly A, B.
    CUserListUpdateMsg replace;
    replace.ClearAll();
    replace.AddUser("A", "a", false);
    replace.AddUser("B", "b", false);
    list.ApplyUpdate(&replace);
    EXPECT_EQ(Contents(list), (Texts{"A:a:0", "B:b:0"}));

    // Adding a name that exists replaces its fields in place; unknown names
    // are skipped; names are case-sensitive.
    CUserListUpdateMsg change;
    change.AddUser("C", "c", false);
    change.AddUser("A", "new", true);
    change.SetTalking("Z", true);
    change.RemoveUser("Z");
    change.RemoveUser("b");
    change.AddUser("a", "lower", false);
    change.SetTalking("B", true);
    list.ApplyUpdate(&change);
    EXPECT_EQ(Contents(list), (Texts{"A:new:1", "B:b:1", "C:c:0", "a:lower:0"}));

    CUserListUpdateMsg later;
    later.SetTalking("A", false);
    later.RemoveUser("B");
    list.ApplyUpdate(&later);
    list.ApplyUpdate(nullptr);
    EXPECT_EQ(Contents(list), (Texts{"A:new:0", "C:c:0", "a:lower:0"}));

    list.Lock();
    ASSERT_NE(list.Find("C"), nullptr);
    EXPECT_EQ(list.Find("C")->description, "c");
    EXPECT_EQ(list.Find("c"), nullptr);
    list.Unlock();

    // A copy replaces the copier's records and is independent of its source.
    CUserInfoList copy;
    copy.ApplyUpdate(&initial);
    copy.CopyFrom(list);
    list.RemoveAll();
    EXPECT_TRUE(Contents(list).empty());
    EXPECT_EQ(Contents(copy), (Texts{"A:new:0", "C:c:0", "a:lower:0"}));
}

TEST(UserListUpdate, EstimatedSizeCountsEachEntryByKind) {
    COptUserListMessage msg;
    msg.update = std::make_unique<CUserListUpdateMsg>();
    msg.update->AddUser("AB", "xyz", true); // 2 + 3 + 4
    msg.update->RemoveUser("ABC");          // 3 + 2
    msg.update->SetTalking("A", true);      // 1 + 2
    msg.update->SetTalking("", false);      // 0 + 2
    msg.update->ClearAll();                 // 1
    EXPECT_EQ(msg.Describe(), "Opt User List Message 20 bytes");
}

TEST(UserListUpdate, ReadDistinguishesAbsentEmptyAndBrokenUpdates) {
    int err;
    // Count 0: no update, and such a message puts nothing on the wire.
    auto msg = ReadOne(Cat({{kCmdOptUserList}, Le32(0)}), err);
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(As<COptUserListMessage>(msg).update, nullptr);
    EXPECT_EQ(msg->Describe(), "Opt User List Message 0 bytes");
    EXPECT_TRUE(WireBytes(*msg).empty());

    // A negative count gives an empty update.
    msg = ReadOne(Cat({{kCmdOptUserList}, Le32(-3)}), err);
    ASSERT_NE(msg, nullptr);
    ASSERT_NE(As<COptUserListMessage>(msg).update, nullptr);
    EXPECT_TRUE(As<COptUserListMessage>(msg).update->entries.empty());

    // Every kind's fields, then a kind out of range: the whole message fails.
    const Bytes good = Cat({Le32(kUserAdd),
                            Str("A"),
                            Str("d"),
                            {1},
                            Le32(kUserRemove),
                            Str("B"),
                            Le32(kUserTalkStart),
                            Str("C"),
                            Le32(kUserTalkStop),
                            Str("D"),
                            Le32(kUserClearAll)});
    msg = ReadOne(Cat({{kCmdOptUserList}, Le32(5), good}), err);
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(As<COptUserListMessage>(msg).update->entries.size(), 5u);
    for (int32_t badKind : {5, -1}) {
        EXPECT_EQ(ReadOne(Cat({{kCmdOptUserList}, Le32(6), good, Le32(badKind), Str("E")}), err),
                  nullptr);
        EXPECT_EQ(err, kErrOutOfBounds);
    }
    // Too many entries announced.
    EXPECT_EQ(ReadOne(Cat({{kCmdOptUserList}, Le32(kMaxListCount + 1)}), err), nullptr);
    EXPECT_EQ(err, kErrOutOfBounds);

    // A failed read leaves no update behind, even where one was held before.
    SocketPair pair;
    CStopFlag stop;
    const Bytes broken = Cat({Le32(2), Le32(kUserRemove), Str("A"), Le32(9)});
    ASSERT_TRUE(WriteBytes(*pair.a, stop, broken.data(), broken.size()));
    std::unique_ptr<CUserListUpdateMsg> update = std::make_unique<CUserListUpdateMsg>();
    EXPECT_FALSE(CUserListUpdateMsg::Read(*pair.b, stop, update, err));
    EXPECT_EQ(update, nullptr);
}

TEST(ListMessages, RoomListAndActiveRoomsLayout) {
    CRoomListMessage roomList;
    roomList.names = {"W1AW", "K2XX"};
    roomList.descriptions = {"Newington", "Home"};
    EXPECT_EQ(WireBytes(roomList),
              Cat({{0x05}, Le32(2), Str("W1AW"), Str("K2XX"), Str("Newington"), Str("Home")}));
    EXPECT_EQ(roomList.Describe(), "RoomList 2 entries");

    // One description per name goes out, whatever the descriptions list holds.
    roomList.descriptions = {"Newington"};
    EXPECT_EQ(WireBytes(roomList),
              Cat({{0x05}, Le32(2), Str("W1AW"), Str("K2XX"), Str("Newington"), Str("")}));
    roomList.descriptions = {"a", "b", "c"};
    EXPECT_EQ(WireBytes(roomList),
              Cat({{0x05}, Le32(2), Str("W1AW"), Str("K2XX"), Str("a"), Str("b")}));

    CActiveRoomsMessage active;
    active.rooms = {"Lobby", "Net"};
    EXPECT_EQ(WireBytes(active), Cat({{0x14}, Le32(2), Str("Lobby"), Str("Net")}));
    EXPECT_EQ(active.Describe(), "ActiveRooms 2 entries");

    int err;
    const auto read = ReadOne(Cat({{0x05}, Le32(-1), {0x14}, Le32(0)}), err);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(As<CRoomListMessage>(read).names.empty());
}

TEST(RoomAndServerLists, ApplyUpdateCreatesUpdatesAndRemoves) {
    CRoomInfoList rooms;
    CRoomListUpdateMsg first;
    first.entries.push_back(std::make_unique<CRoomMsg>());
    first.entries.back()->name = "R1";
    first.entries.back()->users = std::make_unique<CUserListUpdateMsg>();
    first.entries.back()->users->AddUser("A", "", false);
    first.entries.push_back(std::make_unique<CRoomMsg>());
    first.entries.back()->name = "R2";
    first.entries.push_back(std::make_unique<CRoomMsg>());
    first.entries.back()->name = "R1";
    first.entries.back()->users = std::make_unique<CUserListUpdateMsg>();
    first.entries.back()->users->AddUser("B", "", false);
    rooms.ApplyUpdate(&first);
    ASSERT_EQ(rooms.Items().size(), 2u);
    EXPECT_EQ(rooms.Items()[0]->name, "R1");
    EXPECT_EQ(Contents(rooms.Items()[0]->users), (Texts{"A::0", "B::0"}));
    EXPECT_TRUE(rooms.Items()[1]->users.Items().empty());

    CRoomListUpdateMsg removal;
    removal.entries.push_back(std::make_unique<CRoomMsg>());
    removal.entries.back()->kind = kRoomRemove;
    removal.entries.back()->name = "R1";
    rooms.ApplyUpdate(&removal);
    ASSERT_EQ(rooms.Items().size(), 1u);
    EXPECT_NE(rooms.Find("R2"), nullptr);
    removal.entries.back()->kind = kRoomClearAll;
    rooms.ApplyUpdate(&removal);
    EXPECT_TRUE(rooms.Items().empty());

    // A known server keeps its value; a new one takes it.
    CServerInfoList servers;
    CServerListUpdateMsg update;
    for (int32_t value : {7, 9}) {
        auto& entry = *update.entries.emplace_back(std::make_unique<CServerMsg>());
        entry.name = "S";
        entry.value = value;
        entry.rooms = std::make_unique<CRoomListUpdateMsg>();
        entry.rooms->entries.push_back(std::make_unique<CRoomMsg>());
        entry.rooms->entries.back()->name = "Room" + std::to_string(value);
    }
    servers.ApplyUpdate(&update);
    ASSERT_EQ(servers.Items().size(), 1u);
    EXPECT_EQ(servers.Find("S")->value, 7);
    EXPECT_EQ(servers.Find("S")->rooms.Items().size(), 2u);
    update.entries.resize(1);
    update.entries[0]->kind = kServerRemove;
    servers.ApplyUpdate(&update);
    EXPECT_TRUE(servers.Items().empty());
}

} // namespace
