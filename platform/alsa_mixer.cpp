#include "platform/alsa_mixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

namespace {

// ALSA volume ranges run up to 65536 steps (the sound servers' controls). A
// slider with that many positions moves inaudibly for each arrow key or
// wheel notch, so a fader gets at most this many; the fader arithmetic maps
// its positions onto the whole range.
constexpr long kMaxFaderSteps = 100;

void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// A missing card or element is not worth a word: the fader stays disabled.
void QuietAlsaErrors() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(DropAlsaMessage); });
}

struct ElementChoice {
    std::vector<const char*> names; // tried in this order
    bool capture;
};

ElementChoice ElementsFor(MixerSource source) {
    switch (source) {
    case MixerSource::Microphone:
        return {{"Mic", "Mic Capture", "Capture"}, true};
    case MixerSource::Line:
        return {{"Line", "Capture"}, true};
    case MixerSource::WaveOut:
        break;
    }
    return {{"PCM", "Master"}, false};
}

// One simple-mixer element's capture or playback volume. Values outside are
// counted from ALSA's minimum, so they run 0 to the range.
class CAlsaMixerControl final : public IMixerControl {
public:
    CAlsaMixerControl(snd_mixer_t* mixer, snd_mixer_elem_t* element, bool capture)
        : mixer_(mixer), element_(element), capture_(capture) {
        if (capture_)
            snd_mixer_selem_get_capture_volume_range(element_, &alsaMin_, &alsaMax_);
        else
            snd_mixer_selem_get_playback_volume_range(element_, &alsaMin_, &alsaMax_);
        range_ = static_cast<uint32_t>(
            std::clamp<long>(alsaMax_ - alsaMin_, 0, std::numeric_limits<uint32_t>::max()));
        steps_ = static_cast<int>(std::min<long>(range_, kMaxFaderSteps));
        const bool mono = capture_ ? snd_mixer_selem_is_capture_mono(element_) ||
                                         snd_mixer_selem_has_capture_volume_joined(element_)
                                   : snd_mixer_selem_is_playback_mono(element_) ||
                                         snd_mixer_selem_has_playback_volume_joined(element_);
        channels_ = mono || !HasChannel(SND_MIXER_SCHN_FRONT_RIGHT) ? 1 : 2;
        snd_mixer_elem_set_callback_private(element_, this);
        snd_mixer_elem_set_callback(element_, OnElementEvent);
    }

    ~CAlsaMixerControl() override {
        if (element_)
            snd_mixer_elem_set_callback(element_, nullptr);
        snd_mixer_close(mixer_);
    }

    CAlsaMixerControl(const CAlsaMixerControl&) = delete;
    CAlsaMixerControl& operator=(const CAlsaMixerControl&) = delete;

    int ChannelCount() const override { return channels_; }
    uint32_t Minimum() const override { return 0; }
    uint32_t Maximum() const override { return range_; }
    int StepCount() const override { return steps_; }

    bool Read(MixerValues& values) override {
        if (!element_)
            return false;
        for (int i = 0; i < channels_; ++i) {
            long volume = 0;
            const auto channel = static_cast<snd_mixer_selem_channel_id_t>(i);
            const int error = capture_
                                  ? snd_mixer_selem_get_capture_volume(element_, channel, &volume)
                                  : snd_mixer_selem_get_playback_volume(element_, channel, &volume);
            if (error < 0)
                return false;
            values[i] = static_cast<uint32_t>(std::clamp<long>(volume - alsaMin_, 0, range_));
        }
        return true;
    }

    bool Write(const MixerValues& values) override {
        if (!element_)
            return false;
        if (channels_ == 1)
            return SetAll(values[0]);
        bool written = Set(SND_MIXER_SCHN_FRONT_LEFT, values[0]);
        written = Set(SND_MIXER_SCHN_FRONT_RIGHT, values[1]) && written;
        // Channels beyond front left and right (surround outputs) follow the
        // louder of the two.
        for (int i = SND_MIXER_SCHN_FRONT_RIGHT + 1; i <= SND_MIXER_SCHN_LAST; ++i) {
            const auto channel = static_cast<snd_mixer_selem_channel_id_t>(i);
            if (HasChannel(channel))
                written = Set(channel, std::max(values[0], values[1])) && written;
        }
        return written;
    }

    std::vector<pollfd> PollDescriptors() const override {
        const int count = snd_mixer_poll_descriptors_count(mixer_);
        std::vector<pollfd> descriptors(static_cast<size_t>(std::max(count, 0)));
        const int filled = snd_mixer_poll_descriptors(mixer_, descriptors.data(),
                                                      static_cast<unsigned>(descriptors.size()));
        descriptors.resize(static_cast<size_t>(std::max(filled, 0)));
        return descriptors;
    }

    MixerEvents HandleEvents() override {
        MixerValues before{};
        const bool hadValues = Read(before);
        if (snd_mixer_handle_events(mixer_) < 0 || !element_)
            return MixerEvents::Lost;
        MixerValues after{};
        if (!Read(after))
            return MixerEvents::Lost;
        return hadValues && before == after ? MixerEvents::Unchanged : MixerEvents::Changed;
    }

private:
    // The element goes when its card does; forget it before ALSA frees it.
    static int OnElementEvent(snd_mixer_elem_t* element, unsigned int mask) {
        auto* self = static_cast<CAlsaMixerControl*>(snd_mixer_elem_get_callback_private(element));
        if (mask == SND_CTL_EVENT_MASK_REMOVE)
            self->element_ = nullptr;
        return 0;
    }

    bool HasChannel(snd_mixer_selem_channel_id_t channel) const {
        return capture_ ? snd_mixer_selem_has_capture_channel(element_, channel)
                        : snd_mixer_selem_has_playback_channel(element_, channel);
    }

    bool SetAll(uint32_t value) {
        const long volume = alsaMin_ + value;
        return (capture_ ? snd_mixer_selem_set_capture_volume_all(element_, volume)
                         : snd_mixer_selem_set_playback_volume_all(element_, volume)) >= 0;
    }

    bool Set(snd_mixer_selem_channel_id_t channel, uint32_t value) {
        const long volume = alsaMin_ + value;
        return (capture_ ? snd_mixer_selem_set_capture_volume(element_, channel, volume)
                         : snd_mixer_selem_set_playback_volume(element_, channel, volume)) >= 0;
    }

    snd_mixer_t* mixer_;
    snd_mixer_elem_t* element_;
    bool capture_;
    long alsaMin_ = 0;
    long alsaMax_ = 0;
    uint32_t range_ = 0;
    int steps_ = 0;
    int channels_ = 1;
};

// The first element of choice that exists and has the wanted volume.
snd_mixer_elem_t* FindElement(snd_mixer_t* mixer, const ElementChoice& choice) {
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    for (const char* name : choice.names) {
        snd_mixer_selem_id_set_name(id, name);
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_elem_t* element = snd_mixer_find_selem(mixer, id);
        if (element && (choice.capture ? snd_mixer_selem_has_capture_volume(element)
                                       : snd_mixer_selem_has_playback_volume(element)))
            return element;
    }
    return nullptr;
}

// The mixer of card with its simple elements loaded, reading events without
// waiting; null when the card has no control device.
snd_mixer_t* OpenLoadedMixer(const std::string& card) {
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0)
        return nullptr;
    snd_hctl_t* hctl = nullptr;
    if (snd_mixer_attach(mixer, card.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0 ||
        snd_mixer_get_hctl(mixer, card.c_str(), &hctl) < 0 || snd_hctl_nonblock(hctl, 1) < 0) {
        snd_mixer_close(mixer);
        return nullptr;
    }
    return mixer;
}

} // namespace

std::unique_ptr<IMixerControl> OpenAlsaMixer(MixerSource source, const std::string& card) {
    QuietAlsaErrors();
    snd_mixer_t* mixer = OpenLoadedMixer(card);
    if (!mixer)
        return nullptr;
    const ElementChoice choice = ElementsFor(source);
    snd_mixer_elem_t* element = FindElement(mixer, choice);
    if (!element) {
        snd_mixer_close(mixer);
        return nullptr;
    }
    return std::make_unique<CAlsaMixerControl>(mixer, element, choice.capture);
}

std::string AlsaMixerCardForPcm(const std::string& pcmName) {
    const size_t colon = pcmName.find(':');
    if (colon == std::string::npos)
        return "default";
    const std::string plugin = pcmName.substr(0, colon);
    std::vector<std::string> arguments;
    for (size_t start = colon + 1;;) {
        const size_t comma = pcmName.find(',', start);
        arguments.push_back(pcmName.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    for (const std::string& argument : arguments) {
        if (argument.starts_with("CARD=") && argument.size() > 5)
            return "hw:" + argument;
    }
    // Positional arguments of the hardware PCMs: card first, then device.
    const std::string& first = arguments.front();
    if ((plugin == "hw" || plugin == "plughw") && !first.empty() &&
        first.find('=') == std::string::npos)
        return "hw:" + first;
    return "default";
}
