#pragma once

#include "platform/wave_device.h"

#include <string>
#include <vector>

// The numbered sound device list ("AUDIO_IN" = number) made of ALSA's PCM
// name hints, and what an index stands for. Pure functions over the hints,
// so the rules do not depend on the cards of the machine.

// One of ALSA's PCM name hints: the PCM name, its description on one line,
// and its direction ("Input", "Output", or empty when it serves both).
struct AlsaPcmHint {
    std::string name;
    std::string description;
    std::string direction;
};

struct AlsaPcmDevice {
    int index = 0;
    std::string name;
    std::string description; // on one line
};

// The devices that can both record and play on a sound card, or that the
// user's ALSA configuration defines. ALSA's own software PCMs are left out:
// "null" takes and gives silence, and "default", "sysdefault" and the sound
// server and converter PCMs pass sound on to the default device, which index
// -1 stands for and which plays into nothing on a machine without a card.
// The cards' "plughw:" entries, which convert to any rate and channel count,
// come first, so device 0 is the first card in a form that opens at 8000 Hz
// mono; then the cards' other entries, then the user's PCMs, each in ALSA's
// order.
std::vector<AlsaPcmDevice> NumberAlsaPcmDevices(const std::vector<AlsaPcmHint>& hints);

// The PCM name that id stands for: its name when it has one, "default" for
// index -1, else entry index of devices. A NoDevice status, saying what to
// do, when there is no such entry.
WaveStatus PickAlsaPcmName(const WaveDeviceId& id, const std::vector<AlsaPcmDevice>& devices,
                           std::string& name);

// The start-up log line saying which device `use` ("capture and
// playback", "capture" or "playback") goes to for the "AUDIO_IN" index.
std::string DescribeAlsaDeviceUse(const std::string& use, int index,
                                  const std::vector<AlsaPcmDevice>& devices);
