#include "radio/settings_store.h"

#include "platform/paths.h"
#include "radio/client_settings.h"
#include "radio/rig_settings.h"

CSettingsStore::CSettingsStore(std::string path) : path_(std::move(path)) {
    ini_.Load(path_);
}

void CSettingsStore::LoadStartup(ClientSettings& client, RigSettings& rig) const {
    LoadClientSettings(ini_, client);
    LoadRigSettings(ini_, rig);
    client.audioDevice = ini_.GetInt(kClientSection, "AUDIO_IN", 0);
}

bool CSettingsStore::SaveClient(const ClientSettings& client) {
    SaveClientSettings(ini_, client);
    return Save();
}

bool CSettingsStore::SaveRig(const RigSettings& rig) {
    SaveRigSettings(ini_, rig);
    return Save();
}

bool CSettingsStore::Save() const {
    const size_t slash = path_.rfind('/');
    if (slash != std::string::npos && slash > 0)
        MakeDirectories(path_.substr(0, slash));
    return ini_.Save(path_);
}
