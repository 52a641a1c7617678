#include "audio/wav_file_devices.h"

#include "platform/string_format.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kRate = 8000;
using Clock = CWaveRequests::Clock;
using Next = CWaveRequests::Next;

// The real-time schedule of a stream of frames. Due(n) is when the next n
// frames end, counted from the first buffer on. When the owner lends buffers
// so late that the schedule lags the clock by more than one buffer's time,
// it starts again from now rather than catching up in a burst.
class CPacer {
public:
    void Restart() { running_ = false; }

    Clock::time_point Due(size_t frames) {
        const Clock::time_point now = Clock::now();
        if (!running_ || End() + kMaxLag < now) {
            start_ = now;
            frames_ = 0;
            running_ = true;
        }
        frames_ += frames;
        return End();
    }

private:
    static constexpr std::chrono::milliseconds kMaxLag{200};

    Clock::time_point End() const {
        return start_ + std::chrono::nanoseconds(frames_ * 1'000'000'000 / kRate);
    }

    bool running_ = false;
    Clock::time_point start_;
    uint64_t frames_ = 0;
};

} // namespace

CPacedWaveThread::~CPacedWaveThread() {
    requests_.Quit();
    Join();
}

void CPacedWaveThread::Join() {
    if (thread_.joinable())
        thread_.join();
}

WaveStatus CPacedWaveThread::BeginOpen(const WaveDeviceId& device, int rate) {
    if (requests_.IsOpen())
        return {WaveError::Failed, "the WAV file device is already open"};
    if (device.name.empty())
        return {WaveError::NoDevice, "no WAV file is named for the sound device"};
    if (rate != kRate)
        return {WaveError::BadFormat, "WAV file sound devices run at 8000 Hz only"};
    Join();
    return {};
}

void CPacedWaveThread::Launch(Process process, Done done, Closed closed) {
    requests_.Open();
    thread_ = std::thread([this, process = std::move(process), done = std::move(done),
                           closed = std::move(closed)] { Run(process, done, closed); });
}

void CPacedWaveThread::Run(const Process& process, const Done& done, const Closed& closed) {
    CPacer pacer;
    for (;;) {
        WaveBuffer buffer;
        std::deque<WaveBuffer> returned;
        const Next next = requests_.Wait(buffer, returned, std::nullopt);
        if (next == Next::Quit)
            return;
        if (next == Next::Buffer) {
            // A reset or close during the wait returns the buffer unused.
            buffer.filled = 0;
            if (requests_.SleepUntil(pacer.Due(buffer.samples.size())))
                process(buffer);
            done(std::move(buffer));
            continue;
        }
        // A reset or close (without a deadline there is no time-out).
        pacer.Restart();
        for (WaveBuffer& unused : returned) {
            unused.filled = 0;
            done(std::move(unused));
        }
        if (next == Next::Close) {
            closed();
            return;
        }
    }
}

WaveStatus CWavFileWaveIn::Open(const WaveDeviceId& device, int rate, IWaveInSink& sink) {
    if (WaveStatus status = thread_.BeginOpen(device, rate); !status)
        return status;
    if (device.name != path_) {
        path_.clear();
        if (!sound_.LoadWave(device.name))
            return {WaveError::NoDevice,
                    StringPrintf("cannot load the WAV file '%s' for the receiver audio; it must "
                                 "be a PCM WAV file of 8, 16, 24 or 32 bits",
                                 device.name.c_str())};
        path_ = device.name;
        sound_.position = 0;
    }
    thread_.Launch([this](WaveBuffer& buffer) { Record(buffer); },
                   [&sink](WaveBuffer buffer) { sink.OnWaveInData(std::move(buffer)); },
                   [&sink] { sink.OnWaveInClose(); });
    return {};
}

void CWavFileWaveIn::Record(WaveBuffer& buffer) {
    const size_t position = size_t(sound_.position);
    const size_t fromFile = std::min(buffer.samples.size(), sound_.samples.size() - position);
    const auto from = sound_.samples.begin() + ptrdiff_t(position);
    std::copy(from, from + ptrdiff_t(fromFile), buffer.samples.begin());
    std::fill(buffer.samples.begin() + ptrdiff_t(fromFile), buffer.samples.end(), int16_t(0));
    sound_.position += int32_t(fromFile);
    buffer.filled = buffer.samples.size();
}

bool CWavFileWaveIn::AddBuffer(WaveBuffer&& buffer) {
    return thread_.Requests().Add(std::move(buffer));
}

bool CWavFileWaveIn::Start() {
    return thread_.Requests().Start();
}

void CWavFileWaveIn::Reset() {
    thread_.Requests().Reset();
}

void CWavFileWaveIn::Close() {
    thread_.Requests().Close();
}

WaveStatus CWavFileWaveOut::Open(const WaveDeviceId& device, int rate, IWaveOutSink& sink) {
    if (WaveStatus status = thread_.BeginOpen(device, rate); !status)
        return status;
    if (device.name != path_) {
        path_.clear();
        if (!writer_.Open(device.name) || !writer_.Flush())
            return {WaveError::NoDevice,
                    StringPrintf("cannot create the WAV file '%s' for the transmitter audio: %s",
                                 device.name.c_str(), std::strerror(errno))};
        path_ = device.name;
        writeFailed_ = false;
    }
    thread_.Launch([this](WaveBuffer& buffer) { Play(buffer); },
                   [&sink](WaveBuffer buffer) { sink.OnWaveOutDone(std::move(buffer)); },
                   [&sink] { sink.OnWaveOutClose(); });
    return {};
}

void CWavFileWaveOut::Play(WaveBuffer& buffer) {
    if (writer_.Write(buffer.samples) && writer_.Flush()) {
        buffer.filled = buffer.samples.size();
    } else if (!writeFailed_) {
        // Said once: the writer refuses everything after its first failure.
        std::fprintf(stderr, "tavro: cannot write the WAV file %s for the transmitter audio\n",
                     path_.c_str());
        writeFailed_ = true;
    }
}

bool CWavFileWaveOut::Write(WaveBuffer&& buffer) {
    return thread_.Requests().Add(std::move(buffer));
}

bool CWavFileWaveOut::Start() {
    return thread_.Requests().Start();
}

void CWavFileWaveOut::Reset() {
    thread_.Requests().Reset();
}

void CWavFileWaveOut::Close() {
    thread_.Requests().Close();
}
