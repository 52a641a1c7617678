#include "tests/server/test_station.h"

#include "protocol/conference_messages.h"
#include "protocol/list_messages.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int ConnectTo(const std::string& host, uint16_t port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return -1;
    int fd = socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
        close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    return fd;
}

std::string UserEntry(const CUserMsg& entry) {
    const CUserInfo& u = entry.user;
    switch (entry.kind) {
    case kUserAdd:
        return "+" + u.name + (u.description.empty() ? "" : "(" + u.description + ")") +
               (u.talking ? "*" : "");
    case kUserRemove:
        return "-" + u.name;
    case kUserTalkStart:
        return u.name + "-on";
    case kUserTalkStop:
        return u.name + "-off";
    default:
        return "clear";
    }
}
} // namespace

std::string Summary(const CMsg& message) {
    switch (message.command) {
    case kCmdVersion:
    case kCmdVersionEx:
        return "version " + std::to_string(static_cast<const CVersionMessage&>(message).version);
    case kCmdOptUserList: {
        std::string text = "users";
        const auto& update = static_cast<const COptUserListMessage&>(message).update;
        if (update)
            for (const auto& entry : update->entries)
                text += " " + UserEntry(*entry);
        return text;
    }
    case kCmdRoomList: {
        const auto& list = static_cast<const CRoomListMessage&>(message);
        std::string text = "list";
        for (size_t i = 0; i < list.names.size(); ++i)
            text += " " + list.names[i] +
                    (list.descriptions[i].empty() ? "" : "(" + list.descriptions[i] + ")");
        return text;
    }
    case kCmdActiveRooms: {
        std::string text = "rooms";
        for (const std::string& room : static_cast<const CActiveRoomsMessage&>(message).rooms)
            text += " " + room;
        return text;
    }
    case kCmdTalking:
        return "talking \"" + static_cast<const CTalkingMessage&>(message).talker + "\"";
    case kCmdText:
        return "text \"" + static_cast<const CTextMessage&>(message).text + "\"";
    case kCmdSound:
        return "sound " + std::to_string(static_cast<const CSoundMessage&>(message).length);
    case kCmdSilence:
        return "silence";
    case kCmdDummy:
        return "filler " + std::to_string(static_cast<const CDummyMessage&>(message).length);
    default:
        return message.Describe();
    }
}

CTestStation::CTestStation(uint16_t port, const std::string& host)
    : stream_(ConnectTo(host, port)) {
    if (!stream_.IsOpen()) {
        ADD_FAILURE() << "cannot connect to " << host << ":" << port;
        ended_ = true;
        return;
    }
    reader_ = std::thread([this] { ReadLoop(); });
}

CTestStation::~CTestStation() {
    stop_.Set();
    if (reader_.joinable())
        reader_.join();
}

void CTestStation::ReadLoop() {
    for (;;) {
        int err = 0;
        std::unique_ptr<CMsg> message = ReadMessage(stream_, stop_, err);
        std::lock_guard lock(mutex_);
        if (!message) {
            ended_ = true;
            arrived_.notify_all();
            return;
        }
        received_.push_back(std::move(message));
        arrived_.notify_all();
    }
}

void CTestStation::Send(const CMsg& message) {
    EXPECT_TRUE(message.Write(stream_, stop_)) << "writing " << message.Describe();
}

void CTestStation::SendBytes(const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(WriteBytes(stream_, stop_, bytes.data(), bytes.size()));
}

std::unique_ptr<CMsg> CTestStation::Next(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [this] { return !received_.empty() || ended_; });
    if (received_.empty())
        return nullptr;
    std::unique_ptr<CMsg> message = std::move(received_.front());
    received_.pop_front();
    return message;
}

std::vector<std::string> CTestStation::Take(size_t n, std::chrono::milliseconds timeout) {
    std::vector<std::string> taken;
    while (taken.size() < n) {
        const std::unique_ptr<CMsg> message = Next(timeout);
        if (!message)
            break;
        taken.push_back(Summary(*message));
    }
    return taken;
}

std::string CTestStation::NextOf(uint8_t command, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (const std::unique_ptr<CMsg> message =
               Next(std::chrono::duration_cast<std::chrono::milliseconds>(
                   deadline - std::chrono::steady_clock::now()))) {
        if (message->command == command)
            return Summary(*message);
    }
    return "";
}

std::vector<std::string> CTestStation::Collect(std::chrono::milliseconds period) {
    std::this_thread::sleep_for(period);
    std::vector<std::string> taken;
    std::lock_guard lock(mutex_);
    for (const auto& message : received_)
        taken.push_back(Summary(*message));
    received_.clear();
    return taken;
}

bool CTestStation::WaitForEnd(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const bool ended = arrived_.wait_for(lock, timeout, [this] { return ended_; });
    received_.clear();
    return ended;
}

std::vector<std::string> CTestStation::Join(const std::string& callSign, const std::string& room,
                                            uint8_t command, const std::string& password,
                                            const std::string& comment) {
    const std::unique_ptr<CMsg> greeting = Next();
    EXPECT_TRUE(greeting && greeting->command == kCmdVersion)
        << "greeting: " << (greeting ? Summary(*greeting) : "none");
    CVersionMessage version;
    version.command = kCmdVersionEx;
    version.version = 134;
    version.machineValue = 7;
    Send(version);
    return Rejoin(callSign, room, command, password, comment);
}

void CTestStation::SendJoin(const std::string& callSign, const std::string& room, uint8_t command,
                            const std::string& password, const std::string& comment) {
    CJoinMessage join;
    join.command = command;
    join.callSign = callSign;
    join.room = room;
    join.comment = comment;
    join.password = password;
    join.codec = "AMR";
    Send(join);
}

std::vector<std::string> CTestStation::Rejoin(const std::string& callSign, const std::string& room,
                                              uint8_t command, const std::string& password,
                                              const std::string& comment) {
    SendJoin(callSign, room, command, password, comment);
    std::vector<std::string> taken;
    while (const std::unique_ptr<CMsg> message = Next()) {
        taken.push_back(Summary(*message));
        if (message->command == kCmdActiveRooms)
            break;
    }
    return taken;
}
