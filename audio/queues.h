#pragma once

#include "audio/locked_queue.h"
#include "audio/sound_packet.h"
#include "protocol/msg.h"

// Control messages waiting for the transmit loop.
using CMsgQueue = CLockedQueue<CMsg>;
// Sound packets: capture to the transmit loop, and the receive loop to playback.
using CSoundQueue = CLockedQueue<CSoundPacket>;
