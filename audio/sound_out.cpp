#include "audio/sound_out.h"

#include "audio/mixing.h"
#include "audio/sound_host.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kInternalRate = 8000;
// Buffers written at the start, and the fewest kept with the device besides
// the one written for each returned buffer.
constexpr int kStartBuffers = 3;
constexpr int kMinBuffersQueued = 2;
// Buffers the transmitter stays keyed after a mixed-in sound has ended: the
// sound's tail is still with the device.
constexpr int kUnkeyDelayBuffers = 3;

// Resamples 8000 Hz samples to rate, 1600 samples (one packet) at a time, so
// that a packet of any length plays for as long as it lasts.
std::vector<int16_t> ResampleFrom8k(const std::vector<int16_t>& in, int rate) {
    std::vector<int16_t> out;
    out.reserve(size_t(int64_t(in.size()) * rate / kInternalRate) + 1);
    for (size_t start = 0; start < in.size(); start += kPacketSamples) {
        const int count = int(std::min<size_t>(kPacketSamples, in.size() - start));
        CSoundPacket piece(in.data() + start, count);
        piece.ConvertFrom8k(rate);
        // A short last piece keeps only what its own samples cover.
        const int keep = int(int64_t(count) * rate / kInternalRate);
        out.insert(out.end(), piece.samples.begin(), piece.samples.begin() + keep);
    }
    return out;
}

} // namespace

CSoundOut::CSoundOut(IWaveOut& device, IWaveOutSink& sink, ISoundHost& host, IClock& clock)
    : lastAudio(clock), device_(device), sink_(sink), host_(host) {}

CSoundOut::~CSoundOut() {
    if (state_ == Device::Open)
        device_.Close();
    DropQueued();
}

bool CSoundOut::Start() {
    if (state_ != Device::Closed)
        return state_ == Device::Open;
    lastPeak = 0;
    currentMixIn.reset();
    const WaveOpenResult opened = OpenWaveOut(device_, deviceId, sink_);
    if (opened.rate == 0) {
        if (opened.status.error == WaveError::NoDevice) {
            std::string text = kNoSoundOutputDevice;
            if (!opened.status.message.empty())
                text += "\n" + opened.status.message;
            host_.ShowError(text);
        }
        OnClose();
        return false;
    }
    state_ = Device::Open;
    rate = opened.rate;
    bufferSamples = WaveBufferSamples(rate);
    for (int i = 0; i < kStartBuffers; ++i)
        WriteSilence();
    stopped = false;
    stopRequested = false;
    device_.Start();
    fillerRun = 0;
    return true;
}

void CSoundOut::Close() {
    stopRequested = true;
    // With buffers out, the last of them to come back closes the device.
    if (buffersQueued <= 0)
        CloseDevice();
}

void CSoundOut::CloseDevice() {
    if (state_ != Device::Open)
        return;
    state_ = Device::Closing;
    device_.Close();
}

void CSoundOut::WriteSilence() {
    Write(std::vector<int16_t>(size_t(bufferSamples), 0));
}

void CSoundOut::Write(std::vector<int16_t> samples) {
    WaveBuffer buffer;
    buffer.samples = std::move(samples);
    // Only a buffer the device took comes back, so only that one counts:
    // a count that never returns to 0 would keep the device from closing.
    if (!device_.Write(std::move(buffer))) {
        host_.ShowError(kCannotAddOutputBuffer);
        return;
    }
    ++buffersQueued;
}

std::unique_ptr<CSoundPacket> CSoundOut::NextPacket(bool& filler) {
    while (std::unique_ptr<CSoundPacket> packet = receiveQueue.Get()) {
        fillerRun = 0;
        if (packet->mixIn) {
            // The sound starts at the next buffer at the earliest.
            mixInQueue.Add(std::move(packet->mixIn));
            continue;
        }
        packet->DecodeAmr(); // a Silence packet keeps its zero samples
        return packet;
    }
    auto packet = std::make_unique<CSoundPacket>(nullptr, kPacketSamples);
    packet->silent = true;
    ++fillerRun;
    filler = true;
    return packet;
}

void CSoundOut::MixCurrentSound(CSoundPacket& packet) {
    CMixInSound& sound = *currentMixIn;
    const int length = int(sound.samples.size());
    const int start = std::min(sound.position, length);
    sound.position = start + MixInto(packet.samples.data(), packet.sampleCount,
                                     sound.samples.data() + start, length - start);
    if (sound.position >= length) {
        currentMixIn.reset();
        // Three buffers' time, whatever the device rate: 600 ms.
        host_.UnkeyAfter(uint32_t(kUnkeyDelayBuffers * bufferSamples * 1000 / rate));
    }
}

void CSoundOut::OnDone(WaveBuffer /*buffer: freed here*/) {
    --buffersQueued;

    if (!currentMixIn) {
        currentMixIn = mixInQueue.Get();
        if (currentMixIn && host_.SquelchLine() != RigSquelchLine::Cts)
            host_.Key();
    }

    bool filler = false;
    std::unique_ptr<CSoundPacket> packet = NextPacket(filler);

    if (currentMixIn) {
        MixCurrentSound(*packet);
        packet->silent = false;
        filler = false;
        fillerRun = 0;
    }
    if (host_.IsKeyed() && host_.KeyingMethod() == RigKeyingMethod::Tone) {
        CMixInSound& tone = host_.KeyingTone();
        tone.position = MixLooped(packet->samples.data(), packet->sampleCount, tone.samples.data(),
                                  int(tone.samples.size()), tone.position);
        packet->silent = false;
    }

    // Keyed over nothing but silence for too long: something is stuck.
    if (host_.IsKeyed() && fillerRun > kMaxKeyedSilence)
        host_.PostConnectionLost();

    packet->MeasurePeak(0);
    lastPeak = packet->peak;
    if (!packet->silent)
        lastAudio.Restart();

    if ((stopRequested || stopWhenDrained) && filler) {
        // Drained: write nothing more; the last buffer back closes the device.
        if (buffersQueued <= 0)
            CloseDevice();
        return;
    }

    for (int missing = kMinBuffersQueued - buffersQueued; missing > 0; --missing)
        WriteSilence();

    if (packet->sampleCount > 0) {
        std::vector<int16_t> samples = packet->TakeSamples();
        if (rate != kInternalRate)
            samples = ResampleFrom8k(samples, rate);
        Write(std::move(samples));
    }
}

void CSoundOut::DropQueued() {
    currentMixIn.reset();
    mixInQueue.Clear();
    receiveQueue.Clear();
}

void CSoundOut::OnClose() {
    state_ = Device::Closed;
    stopped = true;
    DropQueued();
    lastPeak = 0;
    if (restartCaptureOnClose || stopWhenDrained) {
        restartCaptureOnClose = false;
        stopWhenDrained = false;
        host_.StartCapture();
    }
    host_.Unkey();
}
