#pragma once

#include "platform/mixer_control.h"

#include <memory>
#include <string>

// The two volume controls of the window on ALSA's simple mixer.
//
// Microphone: the capture volume of "Mic", else "Mic Capture", else
// "Capture". Line: the capture volume of "Line", else "Capture". WaveOut:
// the playback volume of "PCM", else "Master". "Capture" and "Master" are
// what the sound servers' ALSA plugins offer on the "default" control.
enum class MixerSource { Microphone, Line, WaveOut };

// The control of source on card, an ALSA control name such as "default" or
// "hw:CARD=Device"; null when the card or the element is missing. Nothing
// is printed or thrown.
std::unique_ptr<IMixerControl> OpenAlsaMixer(MixerSource source, const std::string& card);

// The control name of the card behind an ALSA PCM name:
// "plughw:CARD=Device,DEV=0" and "front:CARD=Device,DEV=0" give
// "hw:CARD=Device", "hw:1,0" gives "hw:1", and a name that names no card
// ("default", a sound server's PCM) gives "default".
std::string AlsaMixerCardForPcm(const std::string& pcmName);
