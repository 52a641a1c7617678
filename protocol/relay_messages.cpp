#include "protocol/relay_messages.h"

#include "platform/string_format.h"
#include "protocol/conference_messages.h"

bool CConnectToWebServerMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    if (!ReadByte(s, stop, named, err))
        return false;
    if (named == 0) {
        port = 0;
        name.clear();
        return true;
    }
    return ReadInt32(s, stop, port, err) && ReadString(s, stop, name, err);
}

std::string CConnectToWebServerMessage::Describe() const {
    if (command != kCmdConnectToWebServer)
        return ForeignCommandText("CConnectToWebServerMessage", command);
    if (named == 0)
        return "Connect to Web Server As listener";
    return StringPrintf("Connect to Web Server As %s port %d", name.c_str(), port);
}

void CConnectToWebServerMessage::Encode(CByteWriter& out) const {
    out.Byte(command);
    out.Byte(named);
    if (named == 0)
        return;
    out.Int32(port);
    out.String(name);
}

bool CRoomListToWebServerMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return CRoomListUpdateMsg::Read(s, stop, rooms, err);
}

std::string CRoomListToWebServerMessage::Describe() const {
    return StringPrintf("Room List to WebServer Message %d bytes",
                        rooms ? int(rooms->EstimatedSize()) : 0);
}

void CRoomListToWebServerMessage::Encode(CByteWriter& out) const {
    if (!rooms)
        return;
    out.Byte(command);
    rooms->Encode(out);
}

bool CWebServerToClientMessage::Read(CSocketStream& s, const CStopFlag& stop, int& err) {
    return CServerListUpdateMsg::Read(s, stop, servers, err);
}

std::string CWebServerToClientMessage::Describe() const {
    return StringPrintf("WebServer to client Message %d bytes",
                        servers ? int(servers->EstimatedSize()) : 0);
}

void CWebServerToClientMessage::Encode(CByteWriter& out) const {
    if (!servers)
        return;
    out.Byte(command);
    servers->Encode(out);
}
