#pragma once

#include "audio/sound_packet.h"
#include "protocol/conference_messages.h"

#include <memory>

// The message that carries a packet to the server: Silence (command 2) for a
// silent packet, else Sound (command 1) with the first encodedSize bytes of
// `encoded`. A Silence message keeps the packet's encoded length, which sizes
// the filler that follows it.
std::unique_ptr<CSoundMessage> MakeSoundMessage(const CSoundPacket& packet);

// The packet for a received message: for Silence a packet of 1600 zero
// samples marked silent, for Sound a packet holding the payload's bytes.
std::unique_ptr<CSoundPacket> MakeSoundPacket(const CSoundMessage& message);
