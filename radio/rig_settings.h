#pragma once

#include "audio/rig_link.h"

#include <string>

class CIniFile;

// Section of the rig keying settings.
inline constexpr char kRigSection[] = "TX_CTRL";

// How the transmitter is keyed and the receiver's squelch is read. The initial values are
// those of a first start.
struct RigSettings {
    RigKeyingMethod keyingMethod = RigKeyingMethod::Vox;
    int comPort = 1;
    int ilinkPort = 1;
    int toneFrequencyHz = 80;
    int toneLevel = 200;
    RigKeyLine keyLine = RigKeyLine::Rts;
    bool invertKeying = true;
    int halvekPort = 1;
    bool halvekDigitalSquelch = true;
    bool halvekDigitalSquelchActiveHigh = true;
    int halvekSquelchLevel = 6;
    RigSquelchLine squelchLine = RigSquelchLine::None;
    bool invertSquelch = false;
    int txTimeoutSeconds = 60;
    int txRestartSeconds = 10;
    int audioDevice = -1; // -1: the system's default device
    // "AUDIO_DEVICE": an ALSA device name that takes precedence over the number, so that a USB
    // card keeps its place when cards are numbered anew (empty: the number alone).
    std::string audioDeviceName;
    // CM108/CM119 sound chip: its hidraw device (empty: the first chip with a C-Media USB id),
    // the GPIO pin that keys (1 to 8), and the levels: keying drives the pin high and a
    // pressed volume-down input is an open squelch, unless inverted.
    std::string cm108Device{};
    int cm108Pin = 3;
    bool cm108InvertKeying = false;
    bool cm108InvertSquelch = false;
    // GPIO chip (a name such as "gpiochip0", a path, a label or a number) and its key and
    // squelch lines (a line name or an offset; no squelch line: none is watched); keying
    // drives the key line high and a high squelch line is an open squelch, unless inverted.
    std::string gpioChip = "gpiochip0";
    std::string gpioKeyLine{};
    bool gpioInvertKeying = false;
    std::string gpioSquelchLine{};
    bool gpioInvertSquelch = false;
    // "TXTOT": releases a transmitter keyed for txTimeoutSeconds (off: as before).
    bool txTimeoutEnabled = false;

    bool operator==(const RigSettings&) const = default;
};

// Fills `settings` from section "TX_CTRL" and "AUDIO_IN" of section "Tavro_CLIENT"; a missing
// key gives its first-start value, and so does a keying method, key line or squelch line whose
// number names none of the choices, and a CM108 pin outside 1 to 8.
void LoadRigSettings(const CIniFile& ini, RigSettings& settings);
// Writes the same keys in the same order.
void SaveRigSettings(CIniFile& ini, const RigSettings& settings);
