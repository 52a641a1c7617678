#pragma once

#include "audio/rig_link.h"

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

    bool operator==(const RigSettings&) const = default;
};

// Fills `settings` from section "TX_CTRL" and "AUDIO_IN" of section "Tavro_CLIENT"; a missing
// key gives its first-start value, and so does a keying method, key line or squelch line whose
// number names none of the choices.
void LoadRigSettings(const CIniFile& ini, RigSettings& settings);
// Writes the same keys in the same order.
void SaveRigSettings(CIniFile& ini, const RigSettings& settings);
