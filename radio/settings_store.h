#pragma once

#include "platform/ini_file.h"

#include <string>

struct ClientSettings;
struct RigSettings;

// The settings file and its contents between load and save. The contents stay in memory for
// the life of the store, so each save writes back the keys that the records do not hold
// (other sections, entries beyond a shortened list) as they were read.
class CSettingsStore {
public:
    // Reads the file at `path`; a missing or unreadable file gives empty contents.
    explicit CSettingsStore(std::string path);

    const std::string& Path() const { return path_; }
    CIniFile& Ini() { return ini_; }
    const CIniFile& Ini() const { return ini_; }

    // The start-up reading: the client settings, the rig settings, and then "AUDIO_IN" once
    // more, with default 0, as the capture and playback device (`client.audioDevice`). So on a
    // first start the engines use device 0 while the rig settings show the default device (-1).
    void LoadStartup(ClientSettings& client, RigSettings& rig) const;

    // Each puts a record into the contents and writes the file; false when the file could not
    // be written (logged; the old file stays as it was).
    bool SaveClient(const ClientSettings& client);
    bool SaveRig(const RigSettings& rig);
    // Writes the contents as they are, for changes made through Ini(). The file's directory
    // is created (mode 0700) when missing.
    bool Save() const;

private:
    std::string path_;
    CIniFile ini_;
};
