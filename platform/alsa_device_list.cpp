#include "platform/alsa_device_list.h"

#include "platform/string_format.h"

#include <algorithm>
#include <string_view>

namespace {

// ALSA's PCMs that are no sound card of their own: silence, the default
// device under other names, and the sound servers and rate or channel
// converters in front of the default device. Each name also stands for its
// variants ("samplerate_best").
constexpr std::string_view kSoftwarePcms[] = {
    "null", "default", "sysdefault", "pulse", "pipewire", "jack",     "oss",
    "a52",  "lavrate", "samplerate", "speex", "speexrate", "upmix", "vdownmix",
};

constexpr char kNoSoundCard[] =
    "no sound card found: ALSA lists none that can both record and play; connect one (it shows "
    "in 'arecord -l' and 'aplay -l' once the system sees it), or set \"AUDIO_IN\" to -1 for "
    "ALSA's default device";

bool IsSoftwarePcm(std::string_view name) {
    return std::ranges::any_of(kSoftwarePcms, [name](std::string_view pcm) {
        return name == pcm || (name.starts_with(pcm) && name.substr(pcm.size()).starts_with('_'));
    });
}

// Where a hint goes in the list: 0 a card converting to any format, 1 a card's
// other PCMs, 2 the user's own; -1 left out.
int Rank(const AlsaPcmHint& hint) {
    if (hint.name.empty() || !hint.direction.empty())
        return -1;
    const std::string_view name = hint.name;
    const size_t colon = name.find(':');
    if (colon == std::string_view::npos)
        return IsSoftwarePcm(name) ? -1 : 2;
    // ALSA names a card's PCMs "base:CARD=id" or "base:CARD=id,DEV=n"; other
    // names with arguments are hints of the user's configuration.
    const std::string_view arguments = name.substr(colon + 1);
    if (!arguments.starts_with("CARD=") && arguments.find(",CARD=") == std::string_view::npos)
        return 2;
    return name.starts_with("plughw:") ? 0 : 1;
}

} // namespace

std::vector<AlsaPcmDevice> NumberAlsaPcmDevices(const std::vector<AlsaPcmHint>& hints) {
    std::vector<const AlsaPcmHint*> kept;
    for (const AlsaPcmHint& hint : hints)
        if (Rank(hint) >= 0)
            kept.push_back(&hint);
    std::ranges::stable_sort(kept, {}, [](const AlsaPcmHint* hint) { return Rank(*hint); });
    std::vector<AlsaPcmDevice> devices;
    for (const AlsaPcmHint* hint : kept)
        devices.push_back({int(devices.size()), hint->name, hint->description});
    return devices;
}

WaveStatus PickAlsaPcmName(const WaveDeviceId& id, const std::vector<AlsaPcmDevice>& devices,
                           std::string& name) {
    if (!id.name.empty()) {
        name = id.name;
        return {};
    }
    if (id.index < 0) {
        name = "default";
        return {};
    }
    if (devices.empty())
        return {WaveError::NoDevice, kNoSoundCard};
    if (size_t(id.index) >= devices.size())
        return {WaveError::NoDevice,
                StringPrintf("there is no sound device number %d (ALSA lists %zu that can record "
                             "and play); choose one with --list-audio",
                             id.index, devices.size())};
    name = devices[size_t(id.index)].name;
    return {};
}

std::string DescribeAlsaDeviceUse(const std::string& use, int index,
                                  const std::vector<AlsaPcmDevice>& devices) {
    if (index < 0)
        return "Sound: " + use + " on device -1 (ALSA's default device)";
    if (devices.empty())
        return "Sound: no sound card found for " + use +
               "; `tavro-client --list-audio` lists the sound devices";
    if (size_t(index) >= devices.size())
        return StringPrintf("Sound: there is no device %d for %s (%zu found); "
                            "`tavro-client --list-audio` lists them",
                            index, use.c_str(), devices.size());
    const AlsaPcmDevice& device = devices[size_t(index)];
    return StringPrintf("Sound: %s on device %d (%s, %s)", use.c_str(), index, device.name.c_str(),
                        device.description.c_str());
}
