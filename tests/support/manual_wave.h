#pragma once

// Wave devices that a test drives by hand, and a sink that records what any
// wave device notifies.

#include "platform/wave_device.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <vector>

// Records the notifications of wave devices, from any thread, for a test to
// inspect and wait for.
class CWaveEventLog final : public IWaveInSink, public IWaveOutSink {
public:
    enum class Kind { Data, Done, InClosed, OutClosed, InFailed, OutFailed };
    struct Event {
        Kind kind;
        WaveBuffer buffer; // of Data and Done
        std::chrono::steady_clock::time_point at;
    };

    void OnWaveInData(WaveBuffer buffer) override { Add(Kind::Data, std::move(buffer)); }
    void OnWaveInClose() override { Add(Kind::InClosed, {}); }
    void OnWaveOutDone(WaveBuffer buffer) override { Add(Kind::Done, std::move(buffer)); }
    void OnWaveOutClose() override { Add(Kind::OutClosed, {}); }
    void OnWaveInFailed(const std::string&) override { Add(Kind::InFailed, {}); }
    void OnWaveOutFailed(const std::string&) override { Add(Kind::OutFailed, {}); }

    // True once count events in all have arrived; false after the timeout.
    bool WaitFor(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::vector<Event> Events() const;
    // The tags of the buffers that came back, in order.
    std::vector<uint64_t> Tags() const;

private:
    void Add(Kind kind, WaveBuffer buffer);

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Event> events_;
};

// What both manual devices share: the scripted open results, the buffers
// lent, and the state. Notifications go to the sink at once, on the thread
// that calls the device; use it from one thread.
class CManualWaveDevice {
public:
    // Opening at rate fails with error (rate 0: at every rate).
    void FailOpen(WaveError error, int rate = 0) { openFailures_[rate] = error; }
    void ClearOpenFailures() { openFailures_.clear(); }
    // While set, buffers are refused, or Start fails.
    void FailAdd(bool fail) { failAdd_ = fail; }
    void FailStart(bool fail) { failStart_ = fail; }

    // Every rate an open was tried at, in order.
    const std::vector<int>& OpenAttempts() const { return openAttempts_; }
    const WaveDeviceId& Device() const { return device_; }
    int Rate() const { return rate_; }
    bool IsOpen() const { return open_; }
    bool IsStarted() const { return started_; }
    // Buffers lent and not yet handed back.
    size_t Pending() const { return pending_.size(); }

protected:
    WaveStatus TryOpen(const WaveDeviceId& device, int rate);
    bool Lend(WaveBuffer&& buffer);
    bool TryStart();
    // Stops and takes every buffer lent, marked unused.
    std::deque<WaveBuffer> TakeAll();
    // The oldest buffer, when started and one is lent.
    bool TakeOldest(WaveBuffer& buffer);
    void MarkClosed() { open_ = false; }
    // A failed device moves no more buffers until it is opened again.
    void Halt() { started_ = false; }

private:
    std::map<int, WaveError> openFailures_;
    std::vector<int> openAttempts_;
    WaveDeviceId device_;
    std::deque<WaveBuffer> pending_;
    int rate_ = 0;
    bool open_ = false;
    bool started_ = false;
    bool failAdd_ = false;
    bool failStart_ = false;
};

class CManualWaveIn final : public CManualWaveDevice, public IWaveIn {
public:
    WaveStatus Open(const WaveDeviceId& device, int rate, IWaveInSink& sink) override;
    bool AddBuffer(WaveBuffer&& buffer) override { return Lend(std::move(buffer)); }
    bool Start() override { return TryStart(); }
    void Reset() override;
    void Close() override;

    // Records samples into the oldest buffer and hands it back: fewer samples
    // than it holds make a partly filled buffer, more are cut off. False when
    // not started or no buffer is lent.
    bool Fill(std::span<const int16_t> samples);
    // Fails as an unplugged card does: reports it and records no more.
    void Fail(const std::string& reason);

private:
    IWaveInSink* sink_ = nullptr;
};

class CManualWaveOut final : public CManualWaveDevice, public IWaveOut {
public:
    WaveStatus Open(const WaveDeviceId& device, int rate, IWaveOutSink& sink) override;
    bool Write(WaveBuffer&& buffer) override;
    bool Start() override { return TryStart(); }
    void Reset() override;
    void Close() override;

    // Hands the oldest buffer back as played. False when not started or no
    // buffer is lent.
    bool Play();
    // Fails as an unplugged card does: reports it and plays no more.
    void Fail(const std::string& reason);
    // The samples of every buffer accepted by Write, in order.
    const std::vector<std::vector<int16_t>>& Written() const { return written_; }
    // Drops that record, so that a long run does not keep every buffer.
    void ForgetWritten() { written_.clear(); }

private:
    IWaveOutSink* sink_ = nullptr;
    std::vector<std::vector<int16_t>> written_;
};
