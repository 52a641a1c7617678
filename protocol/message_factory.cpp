#include "protocol/admin_messages.h"
#include "protocol/conference_messages.h"
#include "protocol/list_messages.h"
#include "protocol/msg.h"
#include "protocol/relay_messages.h"

namespace {

std::unique_ptr<CMsg> CreateObject(uint8_t command) {
    switch (command) {
    case kCmdSound:
    case kCmdSilence:
        return std::make_unique<CSoundMessage>();
    case kCmdJoin:
    case kCmdJoinWithPassword:
        return std::make_unique<CJoinMessage>();
    case kCmdRoomList:
        return std::make_unique<CRoomListMessage>();
    case kCmdTalking:
        return std::make_unique<CTalkingMessage>();
    case kCmdVersion:
    case kCmdVersionEx:
        return std::make_unique<CVersionMessage>();
    case kCmdText:
        return std::make_unique<CTextMessage>();
    case kCmdAdminRequest:
        return std::make_unique<CAdminRequestMessage>();
    case kCmdAdminNotify:
        return std::make_unique<CAdminNotifyMessage>();
    case kCmdListRestrictions:
        return std::make_unique<CListRestrictionsMessage>();
    case kCmdAddRestriction:
        return std::make_unique<CAddRestrictionMessage>();
    case kCmdRemoveRestriction:
        return std::make_unique<CRemoveRestrictionMessage>();
    case kCmdActiveRooms:
        return std::make_unique<CActiveRoomsMessage>();
    case kCmdOptUserList:
        return std::make_unique<COptUserListMessage>();
    case kCmdRoomListToWebServer:
        return std::make_unique<CRoomListToWebServerMessage>();
    case kCmdConnectToWebServer:
        return std::make_unique<CConnectToWebServerMessage>();
    case kCmdWebServerToClient:
        return std::make_unique<CWebServerToClientMessage>();
    case kCmdDummy:
        return std::make_unique<CDummyMessage>();
    case kCmdNull:
    case kCmdBye:
    case kCmdSendId:
    case kCmdCourtesy:
    case kCmdIdleId:
    case kCmdPing:
    case kCmdEndTx:
    case kCmdGetRestrict:
        return std::make_unique<CMsg>();
    default:
        return nullptr;
    }
}

} // namespace

std::unique_ptr<CMsg> CreateMessage(uint8_t command) {
    std::unique_ptr<CMsg> message = CreateObject(command);
    // Several codes share a class, and Read depends on the code.
    if (message)
        message->command = command;
    return message;
}
