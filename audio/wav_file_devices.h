#pragma once

#include "audio/mixin_sound.h"
#include "audio/wav_file.h"
#include "platform/wave_device.h"
#include "platform/wave_requests.h"

#include <functional>
#include <string>
#include <thread>

// Sound devices backed by WAV files, for a gateway without a sound card and
// for tests: the receiver's audio comes from a file, the transmitter's goes
// into one. They run at 8000 Hz only and keep real time: a buffer comes back
// when the time it covers has passed, on one schedule counted from Start, so
// no error builds up over a long run.

// The thread both file devices run: it hands each lent buffer to `process`
// once its time has come, then back to the owner through `done`.
class CPacedWaveThread {
public:
    using Process = std::function<void(WaveBuffer&)>;
    using Done = std::function<void(WaveBuffer)>;
    using Closed = std::function<void()>;

    CPacedWaveThread() = default;
    // Ends the thread without notifications.
    ~CPacedWaveThread();
    CPacedWaveThread(const CPacedWaveThread&) = delete;
    CPacedWaveThread& operator=(const CPacedWaveThread&) = delete;

    // The checks before an open: not open already, a file named, rate 8000.
    // Waits for the thread of the previous open to end.
    WaveStatus BeginOpen(const WaveDeviceId& device, int rate);
    // Completes a successful open.
    void Launch(Process process, Done done, Closed closed);
    CWaveRequests& Requests() { return requests_; }

private:
    void Join();
    void Run(const Process& process, const Done& done, const Closed& closed);

    CWaveRequests requests_;
    std::thread thread_;
};

// Records from the WAV file named by the device id, in any format that
// CMixInSound::LoadWave reads, as 8000 Hz mono. The file plays once across
// opens, as a receiver's audio would: opening the same file again goes on
// where the last buffer ended, and after its end the device records silence.
// Another file name starts that file from its beginning.
class CWavFileWaveIn final : public IWaveIn {
public:
    WaveStatus Open(const WaveDeviceId& device, int rate, IWaveInSink& sink) override;
    bool AddBuffer(WaveBuffer&& buffer) override;
    bool Start() override;
    void Reset() override;
    void Close() override;

private:
    void Record(WaveBuffer& buffer);

    std::string path_;
    CMixInSound sound_;
    CPacedWaveThread thread_; // last: stops before the members it uses go
};

// Plays into the WAV file named by the device id: 8000 Hz mono 16-bit, each
// buffer appended once it has played, with the header updated every time so
// the file is complete at any moment. The first open creates the file and
// later opens of the same name append to it; the file is completed when the
// device is destroyed or opens another file.
class CWavFileWaveOut final : public IWaveOut {
public:
    WaveStatus Open(const WaveDeviceId& device, int rate, IWaveOutSink& sink) override;
    bool Write(WaveBuffer&& buffer) override;
    bool Start() override;
    void Reset() override;
    void Close() override;

private:
    void Play(WaveBuffer& buffer);

    std::string path_;
    CWaveFileWriter writer_;
    bool writeFailed_ = false;
    CPacedWaveThread thread_; // last: stops before the members it uses go
};
