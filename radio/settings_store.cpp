#include "radio/settings_store.h"

#include "platform/file_target.h"
#include "platform/paths.h"
#include "radio/client_settings.h"
#include "radio/rig_settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
// Plain-text arguments, so that nothing built for the call can change errno before it is read.
std::string Unusable(const char* what, const std::string& path, int error, const char* advice) {
    return std::string(what) + " " + path + " (" + std::strerror(error) + "): " + advice;
}

// The nearest folder of `file` that exists (a save creates the missing ones below it);
// empty, with errno set, when looking fails for another reason than a missing folder.
std::string NearestExistingFolder(const std::string& file, struct stat& st) {
    std::string folder = FolderOf(file);
    while (stat(folder.c_str(), &st) != 0) {
        if ((errno != ENOENT && errno != ENOTDIR) || folder == FolderOf(folder))
            return {};
        folder = FolderOf(folder);
    }
    return folder;
}
} // namespace

CSettingsStore::CSettingsStore(std::string path) : path_(std::move(path)) {
    ini_.Load(path_);
    RememberSaved();
}

std::string CSettingsStore::CheckUsable() const {
    constexpr char kNameAFile[] = "give --config a file name";
    constexpr char kChooseWritable[] =
        "choose a writable --config file or fix the folder's permissions";
    if (path_.ends_with('/'))
        return path_ + " is a directory name, not a settings file: " + kNameAFile;
    const std::optional<std::string> target = FinalLinkTarget(path_);
    if (!target)
        return Unusable("cannot follow the links of", path_, errno, kNameAFile);
    const std::string& file = *target;

    struct stat st;
    if (stat(file.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return file + " is a directory, not a settings file: " + kNameAFile;
        if (!S_ISREG(st.st_mode))
            return file + " is not a regular file: " + kNameAFile;
        if (access(file.c_str(), R_OK) != 0)
            return Unusable("cannot read", file, errno,
                            "choose a readable --config file or fix its permissions");
        // A save puts a new file into the folder and renames it over the old one.
        if (access(FolderOf(file).c_str(), W_OK | X_OK) != 0)
            return Unusable("cannot write", file, errno, kChooseWritable);
        return {};
    }
    if (errno != ENOENT && errno != ENOTDIR)
        return Unusable("cannot use", file, errno, kChooseWritable);
    const std::string folder = NearestExistingFolder(file, st);
    if (folder.empty())
        return Unusable("cannot use", file, errno, kChooseWritable);
    if (!S_ISDIR(st.st_mode))
        return "cannot create " + file + ": " + folder +
               " is not a directory: give --config a file in a directory";
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return Unusable("cannot write", file, errno, kChooseWritable);
    return {};
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

bool CSettingsStore::Save() {
    struct stat st;
    const bool missing = stat(path_.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
    bool saved = false;
    if (missing) {
        if (const std::optional<std::string> target = FinalLinkTarget(path_))
            MakeDirectories(FolderOf(*target));
        saved = ini_.Save(path_);
    } else {
        std::vector<CIniFile::Value> changes;
        for (CIniFile::Value& value : ini_.Values())
            if (saved_.Find(value.section, value.key) != value.text)
                changes.push_back(std::move(value));
        if (changes.empty())
            return true;
        CIniFile onDisk;
        if (!onDisk.Load(path_)) {
            std::fprintf(stderr,
                         "tavro: cannot save settings file %s: it cannot be read, and its other "
                         "keys would be lost\n",
                         path_.c_str());
            return false;
        }
        for (const CIniFile::Value& change : changes)
            onDisk.SetText(change.section, change.key, change.text);
        saved = onDisk.Save(path_);
    }
    if (saved)
        RememberSaved();
    return saved;
}

void CSettingsStore::RememberSaved() {
    saved_ = CIniFile();
    for (const CIniFile::Value& value : ini_.Values())
        saved_.SetText(value.section, value.key, value.text);
}
