#pragma once

#include "platform/ini_file.h"

#include <string>

struct ClientSettings;
struct RigSettings;

// The settings file and its contents between load and save. The contents stay in memory for
// the life of the store, so the records need not hold the keys they do not use.
//
// A save writes only what this program changed: the keys whose value differs from the one
// loaded or last saved are put into the file as it is on the disk at that moment, so keys
// that someone else edited meanwhile keep the edit, and so do other sections, unknown keys
// and entries beyond a shortened list. A save that changes nothing leaves the file as it is.
// Only a file that does not exist gets the whole contents, in the order they were set.
class CSettingsStore {
public:
    // Reads the file at `path`; a missing or unreadable file gives empty contents.
    explicit CSettingsStore(std::string path);

    const std::string& Path() const { return path_; }
    CIniFile& Ini() { return ini_; }
    const CIniFile& Ini() const { return ini_; }

    // Empty when later saves can read and replace the file; otherwise one line that names the
    // path, what is wrong and what to do. Looks at the file and its folder (following a
    // symbolic link to its end) without creating or changing anything.
    std::string CheckUsable() const;

    // The start-up reading: the client settings, the rig settings, and then "AUDIO_IN" once
    // more, with default 0, as the capture and playback device (`client.audioDevice`). So on a
    // first start the engines use device 0 while the rig settings show the default device (-1).
    void LoadStartup(ClientSettings& client, RigSettings& rig) const;

    // Each puts a record into the contents and saves; false when the file could not be written
    // (logged; the old file stays as it was).
    bool SaveClient(const ClientSettings& client);
    bool SaveRig(const RigSettings& rig);
    // Saves the changes made through Ini(). The file's directory is created (mode 0700) when
    // missing. A symbolic link stays a link: the file at its end is replaced.
    bool Save();

private:
    void RememberSaved();

    std::string path_;
    CIniFile ini_;
    // The values as loaded or last saved, against which a save finds the changes.
    CIniFile saved_;
};
