#include "radio/client_settings.h"

#include "platform/ini_file.h"
#include "platform/string_format.h"

#include <algorithm>

const std::array<std::string_view, 2> kBuiltInServerHosts = {TAVRO_DEFAULT_SERVER_1,
                                                             TAVRO_DEFAULT_SERVER_2};

namespace {
// A stored list count beyond this is damage, not a list: reading stops there rather than
// building millions of empty entries.
constexpr int kMaxListEntries = 10000;

int ListLength(const CIniFile& ini, const char* countKey) {
    return std::clamp(ini.GetInt(kClientSection, countKey, 0), 0, kMaxListEntries);
}

std::string Key(const char* format, int index) {
    return StringPrintf(format, index);
}

void LoadPresets(const CIniFile& ini, std::vector<CPresetServer>& presets) {
    presets.clear();
    const int count = ListLength(ini, "nPreset");
    // An empty stored list stays empty: the built-in servers join only a list the user keeps.
    if (count == 0)
        return;
    std::array<bool, 2> seen{};
    for (int i = 0; i < count; ++i) {
        CPresetServer preset;
        preset.name = ini.GetText(kClientSection, Key("P%dName", i), "");
        preset.password = ini.GetText(kClientSection, Key("P%dPass", i), "");
        preset.room = ini.GetText(kClientSection, Key("P%dRoom", i), "");
        preset.server = ini.GetText(kClientSection, Key("P%dServer", i), "");
        preset.port = ini.GetInt(kClientSection, Key("P%dPort", i), 0);
        for (size_t h = 0; h < kBuiltInServerHosts.size(); ++h)
            seen[h] = seen[h] || preset.server == kBuiltInServerHosts[h];
        presets.push_back(std::move(preset));
    }
    for (size_t h = 0; h < kBuiltInServerHosts.size(); ++h) {
        if (seen[h])
            continue;
        const std::string host(kBuiltInServerHosts[h]);
        presets.push_back({host + " - 101", "", 10024, "101", host});
    }
}

void LoadAnnouncements(const CIniFile& ini, std::vector<CAnnounceMent>& announcements) {
    announcements.clear();
    const int count = ListLength(ini, "nAnnounce");
    for (int i = 0; i < count; ++i) {
        CAnnounceMent announcement;
        announcement.file = ini.GetText(kClientSection, Key("File%d", i), "");
        announcement.tick = ini.GetInt(kClientSection, Key("Tick%d", i), 0);
        announcement.morse = ini.GetInt(kClientSection, Key("Morse%d", i), 0);
        announcements.push_back(std::move(announcement));
    }
}

void LoadFixedMessage(const CIniFile& ini, const char* fileKey, const char* morseKey,
                      CAnnounceMent& message) {
    message.file = ini.GetText(kClientSection, fileKey, "");
    message.morse = ini.GetInt(kClientSection, morseKey, 1);
}

void SaveFixedMessage(CIniFile& ini, const char* fileKey, const char* morseKey,
                      const CAnnounceMent& message) {
    ini.SetText(kClientSection, fileKey, message.file);
    ini.SetInt(kClientSection, morseKey, message.morse);
}
} // namespace

void LoadClientSettings(const CIniFile& ini, ClientSettings& s) {
    auto text = [&](const char* key, std::string& field) {
        field = ini.GetText(kClientSection, key, field);
    };
    auto number = [&](const char* key, int& field) {
        field = ini.GetInt(kClientSection, key, field);
    };
    auto flag = [&](const char* key, bool& field) {
        field = ini.GetInt(kClientSection, key, field) != 0;
    };

    text("HOST", s.serverHost);
    text("CALL", s.callsign);
    text("COMM", s.comment);
    text("ROOM", s.room);
    text("PSWD", s.serverPassword);
    text("ID", s.idText);
    text("R", s.courtesyText);
    text("PASS", s.adminPassword);

    number("PORT", s.serverPort);
    number("WPM", s.cwSpeedWpm);
    number("FREQ", s.cwToneHz);
    number("VOL", s.cwVolume);
    flag("COUR", s.courtesyEnabled);
    flag("ALC", s.alcEnabled);
    flag("FRID", s.forceIdEnabled);
    flag("IDLE", s.idIfIdleEnabled);
    number("SQUE", s.squelchSettlingMs);
    flag("RECO", s.autoReconnect);
    flag("DIAL", s.dialUpOnConnect);
    number("VOX", s.silenceLevel);

    s.voxLevel = ini.GetInt(kClientSection, "VOXL", s.silenceLevel);
    // Only 1 switches VOX on; any other stored value leaves it off.
    s.voxEnabled = ini.GetInt(kClientSection, "VOVB", 1) == 1;
    s.alwaysOnTop = ini.GetInt(kClientSection, "ONTOP", 0) != 0;
    s.lineIn = ini.GetInt(kClientSection, "LINE", 0) != 0;

    for (int i = 0; i < int(s.dtmfGain.size()); ++i)
        s.dtmfGain[i] = ini.GetInt(kClientSection, Key("DTMF%d", i), 3000);
    s.dtmfDetector = DtmfDetectorKindOf(ini.GetInt(kClientSection, "DTMFDETECTOR", 0));

    LoadPresets(ini, s.presets);
    s.announcementTickSeconds = ini.GetInt(kClientSection, "IdleMessageTick", 60);
    LoadAnnouncements(ini, s.announcements);

    LoadFixedMessage(ini, "HelpWmf", "HelpMorse", s.connectMessage);
    LoadFixedMessage(ini, "DiscWmf", "DiscMorse", s.presetRoom1Message);
    LoadFixedMessage(ini, "DisableWmf", "DisableMorse", s.disconnectMessage);
    s.connectCode = ini.GetText(kClientSection, "ConnectDTMF", "");
    s.disconnectCode = ini.GetText(kClientSection, "DisconnectDTMF", "");
}

void SaveClientSettings(CIniFile& ini, const ClientSettings& s) {
    auto text = [&](const char* key, const std::string& value) {
        ini.SetText(kClientSection, key, value);
    };
    auto number = [&](const std::string& key, int value) {
        ini.SetInt(kClientSection, key, value);
    };

    text("HOST", s.serverHost);
    text("CALL", s.callsign);
    text("COMM", s.comment);
    text("ROOM", s.room);
    text("PSWD", s.serverPassword);
    text("ID", s.idText);
    text("R", s.courtesyText);
    text("PASS", s.adminPassword);

    number("PORT", s.serverPort);
    number("WPM", s.cwSpeedWpm);
    number("FREQ", s.cwToneHz);
    number("VOL", s.cwVolume);
    number("COUR", s.courtesyEnabled);
    number("ALC", s.alcEnabled);
    number("FRID", s.forceIdEnabled);
    number("IDLE", s.idIfIdleEnabled);
    number("SQUE", s.squelchSettlingMs);
    number("RECO", s.autoReconnect);
    number("DIAL", s.dialUpOnConnect);
    number("VOX", s.silenceLevel);
    number("VOVB", s.voxEnabled);
    number("VOXL", s.voxLevel);
    number("ONTOP", s.alwaysOnTop);
    number("LINE", s.lineIn);

    for (int i = 0; i < int(s.dtmfGain.size()); ++i)
        number(Key("DTMF%d", i), s.dtmfGain[i]);
    number("DTMFDETECTOR", int(s.dtmfDetector));

    number("nPreset", int(s.presets.size()));
    for (int i = 0; i < int(s.presets.size()); ++i) {
        const CPresetServer& preset = s.presets[i];
        ini.SetText(kClientSection, Key("P%dName", i), preset.name);
        ini.SetText(kClientSection, Key("P%dPass", i), preset.password);
        ini.SetText(kClientSection, Key("P%dRoom", i), preset.room);
        ini.SetText(kClientSection, Key("P%dServer", i), preset.server);
        number(Key("P%dPort", i), preset.port);
    }

    number("IdleMessageTick", s.announcementTickSeconds);
    number("nAnnounce", int(s.announcements.size()));
    for (int i = 0; i < int(s.announcements.size()); ++i) {
        const CAnnounceMent& announcement = s.announcements[i];
        ini.SetText(kClientSection, Key("File%d", i), announcement.file);
        number(Key("Tick%d", i), announcement.tick);
        number(Key("Morse%d", i), announcement.morse);
    }

    SaveFixedMessage(ini, "HelpWmf", "HelpMorse", s.connectMessage);
    SaveFixedMessage(ini, "DiscWmf", "DiscMorse", s.presetRoom1Message);
    SaveFixedMessage(ini, "DisableWmf", "DisableMorse", s.disconnectMessage);
    text("ConnectDTMF", s.connectCode);
    text("DisconnectDTMF", s.disconnectCode);
}
