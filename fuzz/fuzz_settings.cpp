// libFuzzer target: an arbitrary settings file is loaded as at start-up and
// both records are saved; loading the saved file must give the same records,
// and saving those again must leave the file as it is. Aborts on a mismatch.

#include "fuzz/scratch_file.h"
#include "radio/client_settings.h"
#include "radio/rig_settings.h"
#include "radio/settings_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct Records {
    ClientSettings client;
    RigSettings rig;
};

Records LoadAndSave(CSettingsStore& store) {
    Records r;
    store.LoadStartup(r.client, r.rig);
    if (!store.SaveClient(r.client) || !store.SaveRig(r.rig))
        std::abort();
    return r;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = ScratchPath("tavro.ini");
    WriteScratch(path, data, size);

    CSettingsStore first(path);
    Records loaded = LoadAndSave(first);
    // The engines' device is read with default 0 at start-up, while the rig
    // record's default (-1) is what gets saved: the saved file names the rig's.
    loaded.client.audioDevice = loaded.rig.audioDevice;

    const std::string saved = ReadAll(path);
    CSettingsStore second(path);
    const Records reloaded = LoadAndSave(second);
    if (!(reloaded.client == loaded.client) || !(reloaded.rig == loaded.rig)) {
        std::fprintf(stderr, "records differ after a save and a load\n");
        std::abort();
    }
    if (ReadAll(path) != saved) {
        std::fprintf(stderr, "saving unchanged records changed the file\n");
        std::abort();
    }
    return 0;
}
