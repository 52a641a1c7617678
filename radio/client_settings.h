#pragma once

#include "audio/dtmf_detector.h"
#include "radio/announcement.h"
#include "radio/preset_server.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

class CIniFile;

// Section of the main window's settings (and of the rig settings' "AUDIO_IN").
inline constexpr char kClientSection[] = "Tavro_CLIENT";

// The two public servers offered in every non-empty preset list, set at build time.
extern const std::array<std::string_view, 2> kBuiltInServerHosts;

// The main window's settings. The initial values are those of a first start.
struct ClientSettings {
    std::string serverHost;
    int serverPort = 10024;
    std::string callsign;
    std::string comment = "New User";
    std::string room = "UK-1";
    std::string serverPassword;
    std::string idText = "tavro";
    std::string courtesyText = "K";
    std::string adminPassword;
    int cwSpeedWpm = 18;
    int cwToneHz = 650;
    int cwVolume = 5000;
    bool courtesyEnabled = false;
    bool alcEnabled = true;
    bool forceIdEnabled = false;
    bool idIfIdleEnabled = false;
    int squelchSettlingMs = 300;
    bool autoReconnect = false;
    bool dialUpOnConnect = false;
    int silenceLevel = 1280;
    bool voxEnabled = true;
    int voxLevel = 1280; // loading takes silenceLevel when the file has no VOX level
    bool alwaysOnTop = false;
    bool lineIn = false;
    std::array<int, 8> dtmfGain{3000, 3000, 3000, 3000, 3000, 3000, 3000, 3000};
    // The DTMF detector that capture feeds, stored by its number.
    DtmfDetectorKind dtmfDetector = DtmfDetectorKind::Blocks299;
    std::vector<CPresetServer> presets;
    int announcementTickSeconds = 60;
    std::vector<CAnnounceMent> announcements;
    CAnnounceMent connectMessage{1, "", -1};
    CAnnounceMent presetRoom1Message{1, "", -1};
    CAnnounceMent disconnectMessage{1, "", -1};
    std::string connectCode;
    std::string disconnectCode;
    // Device index of the capture and playback engines; read at start-up only (see
    // CSettingsStore::LoadStartup), never written from here.
    int audioDevice = 0;

    bool operator==(const ClientSettings&) const = default;
};

// Fills `settings` from section "Tavro_CLIENT". The texts and the integers up to "VOX" keep
// their current value when their key is missing; every other value falls back to its
// first-start value, and the preset and announcement lists are replaced by the file's.
// A stored preset list that does not name a built-in server gets a default entry for it.
// The caller passes cwToneHz, cwSpeedWpm and cwVolume on to its Morse generator afterwards.
void LoadClientSettings(const CIniFile& ini, ClientSettings& settings);
// Writes `settings` to section "Tavro_CLIENT". Entries of a list beyond its new length stay in
// the file; loading ignores them because of the stored count.
void SaveClientSettings(CIniFile& ini, const ClientSettings& settings);
