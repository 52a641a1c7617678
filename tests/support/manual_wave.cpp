#include "tests/support/manual_wave.h"

#include "platform/string_format.h"

#include <algorithm>

bool CWaveEventLog::WaitFor(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
}

std::vector<CWaveEventLog::Event> CWaveEventLog::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<uint64_t> CWaveEventLog::Tags() const {
    std::lock_guard lock(mutex_);
    std::vector<uint64_t> tags;
    for (const Event& event : events_)
        if (event.kind == Kind::Data || event.kind == Kind::Done)
            tags.push_back(event.buffer.tag);
    return tags;
}

void CWaveEventLog::Add(Kind kind, WaveBuffer buffer) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back({kind, std::move(buffer), std::chrono::steady_clock::now()});
    }
    arrived_.notify_all();
}

WaveStatus CManualWaveDevice::TryOpen(const WaveDeviceId& device, int rate) {
    openAttempts_.push_back(rate);
    if (open_)
        return {WaveError::Failed, "the manual device is already open"};
    for (int key : {rate, 0}) {
        if (auto failure = openFailures_.find(key); failure != openFailures_.end())
            return {failure->second, StringPrintf("scripted open failure at %d Hz", rate)};
    }
    device_ = device;
    rate_ = rate;
    open_ = true;
    started_ = false;
    return {};
}

bool CManualWaveDevice::Lend(WaveBuffer&& buffer) {
    if (!open_ || failAdd_ || buffer.samples.empty())
        return false;
    pending_.push_back(std::move(buffer));
    return true;
}

bool CManualWaveDevice::TryStart() {
    if (!open_ || failStart_)
        return false;
    started_ = true;
    return true;
}

std::deque<WaveBuffer> CManualWaveDevice::TakeAll() {
    started_ = false;
    std::deque<WaveBuffer> taken = std::move(pending_);
    pending_.clear();
    for (WaveBuffer& buffer : taken)
        buffer.filled = 0;
    return taken;
}

bool CManualWaveDevice::TakeOldest(WaveBuffer& buffer) {
    if (!started_ || pending_.empty())
        return false;
    buffer = std::move(pending_.front());
    pending_.pop_front();
    return true;
}

WaveStatus CManualWaveIn::Open(const WaveDeviceId& device, int rate, IWaveInSink& sink) {
    WaveStatus status = TryOpen(device, rate);
    if (status)
        sink_ = &sink;
    return status;
}

void CManualWaveIn::Reset() {
    if (!IsOpen())
        return;
    for (WaveBuffer& buffer : TakeAll())
        sink_->OnWaveInData(std::move(buffer));
}

void CManualWaveIn::Close() {
    if (!IsOpen())
        return;
    Reset();
    MarkClosed();
    sink_->OnWaveInClose();
}

bool CManualWaveIn::Fill(std::span<const int16_t> samples) {
    WaveBuffer buffer;
    if (!TakeOldest(buffer))
        return false;
    buffer.filled = std::min(samples.size(), buffer.samples.size());
    std::copy_n(samples.begin(), buffer.filled, buffer.samples.begin());
    sink_->OnWaveInData(std::move(buffer));
    return true;
}

void CManualWaveIn::Fail(const std::string& reason) {
    if (!IsOpen())
        return;
    Halt();
    sink_->OnWaveInFailed(reason);
}

WaveStatus CManualWaveOut::Open(const WaveDeviceId& device, int rate, IWaveOutSink& sink) {
    WaveStatus status = TryOpen(device, rate);
    if (status)
        sink_ = &sink;
    return status;
}

bool CManualWaveOut::Write(WaveBuffer&& buffer) {
    std::vector<int16_t> copy = buffer.samples;
    if (!Lend(std::move(buffer)))
        return false;
    written_.push_back(std::move(copy));
    return true;
}

void CManualWaveOut::Reset() {
    if (!IsOpen())
        return;
    for (WaveBuffer& buffer : TakeAll())
        sink_->OnWaveOutDone(std::move(buffer));
}

void CManualWaveOut::Close() {
    if (!IsOpen())
        return;
    Reset();
    MarkClosed();
    sink_->OnWaveOutClose();
}

bool CManualWaveOut::Play() {
    WaveBuffer buffer;
    if (!TakeOldest(buffer))
        return false;
    buffer.filled = buffer.samples.size();
    sink_->OnWaveOutDone(std::move(buffer));
    return true;
}

void CManualWaveOut::Fail(const std::string& reason) {
    if (!IsOpen())
        return;
    Halt();
    sink_->OnWaveOutFailed(reason);
}
