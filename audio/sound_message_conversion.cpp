#include "audio/sound_message_conversion.h"

#include <algorithm>

std::unique_ptr<CSoundMessage> MakeSoundMessage(const CSoundPacket& packet) {
    const size_t size = std::min(size_t(std::max(packet.encodedSize, 0)), packet.encoded.size());
    return std::make_unique<CSoundMessage>(packet.encoded.data(), size, packet.silent);
}

std::unique_ptr<CSoundPacket> MakeSoundPacket(const CSoundMessage& message) {
    if (message.command == kCmdSilence) {
        auto packet = std::make_unique<CSoundPacket>();
        packet->silent = true;
        return packet;
    }
    const size_t size = std::min(size_t(message.length), message.payload.size());
    return std::make_unique<CSoundPacket>(int(size), message.payload.data());
}
