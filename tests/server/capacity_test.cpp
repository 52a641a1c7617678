// A hundred stations at once: every one gets its lists, and one talker's
// audio reaches the 99 others.

#include "protocol/conference_messages.h"
#include "protocol/directory.h"
#include "protocol/list_messages.h"
#include "tests/server/server_run.h"

#include <gtest/gtest.h>

namespace {

constexpr int kStations = 100;
constexpr int kPackets = 5;

std::string CallSign(int i) {
    return "S" + std::to_string(100 + i);
}

// Every tenth station joins with command 4 and keeps the command-5 list; the
// others apply the command-22 updates, as a client does.
bool UsesUpdates(int i) {
    return i % 10 != 0;
}

// Reads the station's messages until its view of the room holds want
// members; returns that view.
std::vector<std::string> RoomView(CTestStation& station, bool updates, size_t want) {
    CUserInfoList users;
    std::vector<std::string> names;
    while (names.size() != want) {
        std::unique_ptr<CMsg> message = station.Next();
        if (!message)
            break;
        if (updates && message->command == kCmdOptUserList) {
            users.ApplyUpdate(static_cast<COptUserListMessage&>(*message).update.get());
            names.clear();
            for (const auto& user : users.Items())
                names.push_back(user->name);
        } else if (!updates && message->command == kCmdRoomList) {
            names = static_cast<CRoomListMessage&>(*message).names;
        }
    }
    return names;
}

TEST(ServerCapacity, ServesAHundredStationsInOneRoom) {
    CServerRun server;
    std::vector<std::unique_ptr<CTestStation>> stations;
    std::vector<std::string> everyone;
    for (int i = 0; i < kStations; ++i) {
        stations.push_back(server.Connect());
        EXPECT_EQ(stations.back()->Take(1), std::vector<std::string>{"version 120"});
        stations.back()->SendJoin(CallSign(i), "NET",
                                  UsesUpdates(i) ? kCmdJoinWithPassword : kCmdJoin);
        // One after the other, so that the room's order is the joining order.
        ASSERT_TRUE(server.WaitForLog(CallSign(i) + " joined room"));
        everyone.push_back(CallSign(i));
    }
    // The join brought each its list; later joins brought the rest.
    for (int i = 0; i < kStations; ++i)
        EXPECT_EQ(RoomView(*stations[i], UsesUpdates(i), kStations), everyone) << CallSign(i);

    const std::vector<uint8_t> bytes(320, 0x33);
    const CSoundMessage sound(bytes.data(), bytes.size(), false);
    for (int p = 0; p < kPackets; ++p) {
        stations[0]->Send(sound);
        stations[0]->Send(CDummyMessage(680));
    }
    stations[0]->Send(CMsg(kCmdEndTx));
    for (int i = 1; i < kStations; ++i) {
        EXPECT_EQ(stations[i]->NextOf(kCmdTalking), "talking \"S100\"");
        for (int p = 0; p < kPackets; ++p)
            EXPECT_EQ(stations[i]->NextOf(kCmdSound), "sound 320") << CallSign(i);
        EXPECT_EQ(stations[i]->NextOf(kCmdCourtesy), "Courtesy") << CallSign(i);
    }
}

} // namespace
