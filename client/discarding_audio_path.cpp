#include "client/discarding_audio_path.h"

#include "audio/mixin_sound.h"
#include "audio/sound_packet.h"

void CDiscardingAudioPath::Drain() {
    while (std::unique_ptr<CSoundPacket> packet = playback_.Get()) {
        if (!packet->silent)
            lastAudio_.Restart();
    }
    mixIn_.Clear();
}

void CDiscardingAudioPath::Heartbeat() {
    Drain();
}

void CDiscardingAudioPath::Stop(std::function<void()> whenStopped) {
    Drain();
    whenStopped();
}
