#include "server/message_builders.h"

#include <algorithm>

namespace {
// The payload bytes that a sound message and its filler carry together.
constexpr uint32_t kSoundUnitBytes = 1000;
} // namespace

SharedMsg MakeCommand(uint8_t command) {
    return std::make_shared<CMsg>(command);
}

SharedMsg MakeVersion(int32_t version) {
    auto message = std::make_shared<CVersionMessage>();
    message->version = version;
    return message;
}

SharedMsg MakeText(const std::string& text) {
    auto message = std::make_shared<CTextMessage>();
    message->text = text;
    return message;
}

SharedMsg MakeTalking(const std::string& talker) {
    auto message = std::make_shared<CTalkingMessage>();
    message->talker = talker;
    return message;
}

SharedMsg MakeActiveRooms(std::vector<std::string> rooms) {
    auto message = std::make_shared<CActiveRoomsMessage>();
    message->rooms = std::move(rooms);
    return message;
}

SharedMsg MakeRoomList(std::vector<std::string> names, std::vector<std::string> descriptions) {
    auto message = std::make_shared<CRoomListMessage>();
    message->names = std::move(names);
    message->descriptions = std::move(descriptions);
    return message;
}

SharedMsg MakeUserUpdate(const std::function<void(CUserListUpdateMsg&)>& fill) {
    auto message = std::make_shared<COptUserListMessage>();
    message->update = std::make_unique<CUserListUpdateMsg>();
    fill(*message->update);
    return message;
}

SharedMsg MakeFiller(const CSoundMessage& sound) {
    return std::make_shared<CDummyMessage>(
        uint16_t(kSoundUnitBytes - std::min(sound.length, kSoundUnitBytes)));
}
