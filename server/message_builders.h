#pragma once

#include "protocol/conference_messages.h"
#include "protocol/directory.h"
#include "protocol/list_messages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Ready-made messages for the server to queue. Each is built once and shared
// by every station it goes to.
using SharedMsg = std::shared_ptr<const CMsg>;

// A payload-less command (Ping, Send ID, Courtesy...).
SharedMsg MakeCommand(uint8_t command);
SharedMsg MakeVersion(int32_t version);
SharedMsg MakeText(const std::string& text);
SharedMsg MakeTalking(const std::string& talker);
SharedMsg MakeActiveRooms(std::vector<std::string> rooms);
SharedMsg MakeRoomList(std::vector<std::string> names, std::vector<std::string> descriptions);
// A command-22 update whose entries fill() appends.
SharedMsg MakeUserUpdate(const std::function<void(CUserListUpdateMsg&)>& fill);
// The filler that follows a relayed sound message, so that the two carry
// 1000 payload bytes.
SharedMsg MakeFiller(const CSoundMessage& sound);
