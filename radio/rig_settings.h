#pragma once

class CIniFile;

// Section of the rig keying settings.
inline constexpr char kRigSection[] = "TX_CTRL";

// How the transmitter is keyed and the receiver's squelch is read. The initial values are
// those of a first start.
struct RigSettings {
    int keyingMethod = 3; // 0 tone, 1 iLink board, 2 COM port lines, 3 VOX, 4 Halvek board
    int comPort = 1;
    int ilinkPort = 1;
    int toneFrequencyHz = 80;
    int toneLevel = 200;
    int keyLine = 0; // 0 RTS, 1 DTR
    bool invertKeying = true;
    int halvekPort = 1;
    bool halvekDigitalSquelch = true;
    bool halvekDigitalSquelchActiveHigh = true;
    int halvekSquelchLevel = 6;
    int squelchLine = 0; // 0 none (VOX), 1 CTS, 2 DSR
    bool invertSquelch = false;
    int txTimeoutSeconds = 60;
    int txRestartSeconds = 10;
    int audioDevice = -1; // -1: the system's default device

    bool operator==(const RigSettings&) const = default;
};

// Fills `settings` from section "TX_CTRL" and "AUDIO_IN" of section "Tavro_CLIENT"; a missing
// key gives its first-start value.
void LoadRigSettings(const CIniFile& ini, RigSettings& settings);
// Writes the same keys in the same order.
void SaveRigSettings(CIniFile& ini, const RigSettings& settings);
