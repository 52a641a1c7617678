#include "audio/sound_in.h"

#include "audio/elapsed_timer.h"
#include "audio/sound_host.h"

#include <string>

namespace {

// Buffers kept with the device while recording: one fills while the other
// waits, and the one just returned is processed meanwhile.
constexpr int kBuffersInFlight = 2;
// Silent packets in a row (2 s) after which the opening threshold applies again.
constexpr int kHoldPackets = 10;

// A message with the device layer's explanation on a line of its own.
std::string WithDetail(const char* text, const std::string& detail) {
    return detail.empty() ? std::string(text) : std::string(text) + "\n" + detail;
}

} // namespace

CSoundIn::CSoundIn(IWaveIn& device, IWaveInSink& sink, ISoundHost& host)
    : device_(device), sink_(sink), host_(host) {}

CSoundIn::~CSoundIn() {
    if (state_ == Device::Open)
        device_.Close();
}

void CSoundIn::Start() {
    if (state_ != Device::Closed)
        return;
    const WaveOpenResult opened = OpenWaveIn(device_, deviceId, sink_);
    if (opened.status.error == WaveError::NoDevice) {
        host_.ShowError(WithDetail(kNoSoundDevice, opened.status.message));
        return;
    }
    threshold = voxLevel;
    silentRun = 0;
    if (opened.rate == 0) {
        if (!host_.IsTestMode())
            host_.ShowError(WithDetail(kNoCaptureRate, opened.status.message));
        return;
    }
    state_ = Device::Open;
    rate = opened.rate;
    bufferSamples = WaveBufferSamples(rate);
    for (int i = 0; i < kBuffersInFlight; ++i)
        AddBuffer();
    if (!device_.Start()) {
        host_.ShowError(kCannotStartWaveIn);
        // Give the device back rather than hold it open unused; the buffers
        // return and OnClose follows as after any stop.
        stopRequested = true;
        CloseDevice();
        return;
    }
    stopped = false;
    stopRequested = false;
}

void CSoundIn::RequestStop() {
    stopRequested = true;
    // With no buffer out, no returning buffer would close the device.
    if (buffersQueued <= 0)
        CloseDevice();
}

void CSoundIn::AddBuffer() {
    WaveBuffer buffer;
    buffer.samples.resize(size_t(bufferSamples));
    if (!device_.AddBuffer(std::move(buffer))) {
        host_.ShowError(kCannotAddBuffer);
        return;
    }
    ++buffersQueued;
}

void CSoundIn::CloseDevice() {
    if (state_ != Device::Open)
        return;
    state_ = Device::Closing;
    device_.Close();
}

void CSoundIn::OnData(WaveBuffer buffer) {
    --buffersQueued;
    // Refill first, so the device never runs dry while this buffer is
    // processed. Topping up to two also makes up for a buffer the device
    // refused, or one not added while a stop request was pending.
    if (!stopRequested)
        for (int missing = kBuffersInFlight - buffersQueued; missing > 0; --missing)
            AddBuffer();

    if (buffer.filled != buffer.samples.size() || stopRequested) {
        if (stopRequested && buffersQueued <= 0)
            CloseDevice();
        return; // a partly filled buffer is dropped
    }
    auto packet = std::make_unique<CSoundPacket>(buffer.samples.data(), int(buffer.samples.size()));
    packet->ConvertTo8k(rate);
    Process(std::move(packet));
}

void CSoundIn::Process(std::unique_ptr<CSoundPacket> packet) {
    // A recognised key marks the packet silent, so its tones stay off the air.
    DetectDtmf(*packet, dtmfGain.data(), dtmfLevel.data());
    if (!packet->silent)
        packet->MeasurePeak(threshold);

    bool drop = false;
    if (host_.SquelchLine() != RigSquelchLine::None && voxEnabled) {
        // The box reads "Mute": the squelch input alone would let audio
        // through, and it is muted.
        packet->peak = 0;
        packet->silent = true;
        drop = true;
    } else if (pttActive) {
        packet->silent = false;
    } else if (!voxEnabled) {
        packet->silent = true;
        drop = true;
    } else {
        packet->ZeroIfSilent();
    }

    // The receiver hears our own transmitter's tail: ignore it for a while
    // after playback last sent audio.
    if (settleTimer && int64_t(settleTimer->Elapsed()) < int64_t(settleMs)) {
        packet->silent = true;
        packet->peak = 0;
        drop = true;
    }

    if (packet->silent) {
        if (++silentRun > kHoldPackets)
            threshold = voxLevel;
    } else {
        silentRun = 0;
        threshold = silenceLevel;
    }
    lastPeak = packet->peak;

    if (!drop && host_.IsConnected() && host_.MayTalk(packet->silent)) {
        packet->EncodeAmr();
        transmitQueue.Add(std::move(packet));
    }
}

void CSoundIn::OnClose() {
    state_ = Device::Closed;
    transmitQueue.Clear();
    lastPeak = 0;
    stopped = true;
    if (startPlaybackOnClose) {
        startPlaybackOnClose = false;
        if (host_.StartPlayback() && !(pttActive && host_.SquelchLine() == RigSquelchLine::Cts))
            host_.Key();
    }
}
