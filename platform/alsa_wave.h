#pragma once

#include "platform/alsa_device_list.h"
#include "platform/wave_device.h"

#include <memory>
#include <string>
#include <vector>

// Sound cards through ALSA. Each open device has a thread that reads or
// writes whole buffers with blocking snd_pcm_readi / snd_pcm_writei and
// recovers from overruns and underruns. A playback buffer comes back once the
// card has played it, so the buffers the caller keeps lent are the whole
// latency. Reset and Close take effect when the read or write in progress
// ends, at most one buffer later.
//
// Device ids: a name is an ALSA PCM name ("default", "hw:1", "plughw:1,0",
// "null"); index -1 is "default"; index i >= 0 is entry i of
// ListAlsaWaveDevices, which holds real devices only (never "null"). The
// layer silences ALSA's own error printing and reports failures in its own
// words instead.

// The numbered device list of this machine (NumberAlsaPcmDevices over ALSA's
// PCM name hints).
std::vector<AlsaPcmDevice> ListAlsaWaveDevices();

// The PCM name that id stands for (PickAlsaPcmName over this machine's list). A name that
// names a card ("CARD=Device") that is not plugged in gives way to the index.
WaveStatus ResolveAlsaPcmName(const WaveDeviceId& id, std::string& name);

// The status for a failed snd_pcm_open of pcmName with ALSA's (negative)
// error code: what happened and what the user can do.
WaveStatus DescribeAlsaOpenError(int error, const std::string& pcmName);

class CAlsaStream;

class CAlsaWaveIn final : public IWaveIn {
public:
    CAlsaWaveIn();
    ~CAlsaWaveIn() override;

    WaveStatus Open(const WaveDeviceId& device, int rate, IWaveInSink& sink) override;
    bool AddBuffer(WaveBuffer&& buffer) override;
    bool Start() override;
    void Reset() override;
    void Close() override;

private:
    std::unique_ptr<CAlsaStream> stream_;
};

class CAlsaWaveOut final : public IWaveOut {
public:
    CAlsaWaveOut();
    ~CAlsaWaveOut() override;

    WaveStatus Open(const WaveDeviceId& device, int rate, IWaveOutSink& sink) override;
    bool Write(WaveBuffer&& buffer) override;
    bool Start() override;
    void Reset() override;
    void Close() override;

private:
    std::unique_ptr<CAlsaStream> stream_;
};
