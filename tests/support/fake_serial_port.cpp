#include "tests/support/fake_serial_port.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

struct CFakeSerialDevice::State {
    explicit State(IClock& c) : clock(c) {}

    // Called with the lock held after every change.
    void Changed() {
        ++changes;
        changed.notify_all();
    }
    void SetLine(char line, bool asserted) {
        bool& level = line == 'R' ? rts : dtr;
        level = asserted;
        lineChanges.push_back({line, asserted, clock.Ticks()});
        Changed();
    }

    IClock& clock;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    uint64_t changes = 0;

    SerialOpenError failOpen = SerialOpenError::None;
    bool cts = false;
    bool dsr = false;
    bool blipCts = false;
    int blipReads = 0; // status reads left that give blipCts
    bool failStatus = false;
    bool unplugged = false;
    Responder responder;

    bool open = false;
    int opens = 0;
    std::string path;
    int baud = 0;
    bool rts = false;
    bool dtr = false;
    int statusReads = 0;
    std::vector<Write> writes;
    std::vector<LineChange> lineChanges;
    std::deque<uint8_t> answers; // sent by the board, not yet read
};

// One port on a fake device. Only one port is open on a device at a time, as the real device
// is opened for exclusive use; this port knows whether it is the one that opened it.
class CFakeSerialPort : public ISerialPort {
public:
    explicit CFakeSerialPort(std::shared_ptr<CFakeSerialDevice::State> state)
        : state_(std::move(state)) {}
    ~CFakeSerialPort() override { Close(); }

    SerialOpenResult Open(const std::string& path, int baud, SerialRestLines rest) override {
        Close();
        std::lock_guard lock(state_->mutex);
        if (state_->failOpen != SerialOpenError::None)
            return {state_->failOpen, path + ": scripted failure"};
        if (state_->unplugged)
            return {SerialOpenError::Open, path + ": No such file or directory."};
        if (state_->open)
            return {SerialOpenError::Open, path + ": in use"};
        state_->open = true;
        owner_ = true;
        ++state_->opens;
        state_->path = path;
        state_->baud = baud;
        state_->rts = true;
        state_->dtr = true;
        state_->answers.clear();
        if (rest == SerialRestLines::BothLow) {
            state_->SetLine('R', false);
            state_->SetLine('D', false);
        }
        state_->Changed();
        return {};
    }
    void Close() override {
        std::lock_guard lock(state_->mutex);
        if (!owner_)
            return;
        owner_ = false;
        state_->open = false;
        state_->Changed();
    }
    bool IsOpen() const override {
        std::lock_guard lock(state_->mutex);
        return owner_;
    }
    bool IsLost() override {
        std::lock_guard lock(state_->mutex);
        return owner_ && state_->unplugged;
    }
    bool SetRts(bool asserted) override { return SetLine('R', asserted); }
    bool SetDtr(bool asserted) override { return SetLine('D', asserted); }
    std::optional<ModemLines> ModemStatus() override {
        std::lock_guard lock(state_->mutex);
        if (!owner_)
            return std::nullopt;
        ++state_->statusReads;
        state_->Changed();
        if (state_->failStatus || state_->unplugged)
            return std::nullopt;
        if (state_->blipReads > 0) {
            --state_->blipReads;
            return ModemLines{state_->blipCts, state_->dsr};
        }
        return ModemLines{state_->cts, state_->dsr};
    }
    bool WriteByte(uint8_t byte) override {
        CFakeSerialDevice::Responder responder;
        {
            std::lock_guard lock(state_->mutex);
            if (!owner_ || state_->unplugged)
                return false;
            state_->writes.push_back({byte, state_->clock.Ticks()});
            state_->Changed();
            responder = state_->responder;
        }
        // The responder runs unlocked, so that it may inspect the device.
        if (const std::optional<uint8_t> answer = responder ? responder(byte) : std::nullopt) {
            std::lock_guard lock(state_->mutex);
            state_->answers.push_back(*answer);
            state_->Changed();
        }
        return true;
    }
    std::optional<uint8_t> ReadByte(int timeoutMs) override {
        std::unique_lock lock(state_->mutex);
        state_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return !owner_ || !state_->answers.empty(); });
        if (!owner_ || state_->answers.empty())
            return std::nullopt;
        const uint8_t byte = state_->answers.front();
        state_->answers.pop_front();
        return byte;
    }
    void DiscardInput() override {
        std::lock_guard lock(state_->mutex);
        if (owner_)
            state_->answers.clear();
    }

private:
    bool SetLine(char line, bool asserted) {
        std::lock_guard lock(state_->mutex);
        if (!owner_ || state_->unplugged)
            return false;
        state_->SetLine(line, asserted);
        return true;
    }

    std::shared_ptr<CFakeSerialDevice::State> state_;
    bool owner_ = false; // guarded by the device's lock
};

CFakeSerialDevice::CFakeSerialDevice(IClock& clock) : state_(std::make_shared<State>(clock)) {}

CFakeSerialDevice::~CFakeSerialDevice() = default;

std::function<std::unique_ptr<ISerialPort>()> CFakeSerialDevice::Factory() {
    return [state = state_]() -> std::unique_ptr<ISerialPort> {
        return std::make_unique<CFakeSerialPort>(state);
    };
}

void CFakeSerialDevice::FailOpen(SerialOpenError step) {
    std::lock_guard lock(state_->mutex);
    state_->failOpen = step;
}

void CFakeSerialDevice::Unplug(bool unplugged) {
    std::lock_guard lock(state_->mutex);
    state_->unplugged = unplugged;
    state_->Changed();
}

void CFakeSerialDevice::SetCts(bool asserted) {
    std::lock_guard lock(state_->mutex);
    state_->cts = asserted;
}

void CFakeSerialDevice::BlipCts(bool asserted, int reads) {
    std::lock_guard lock(state_->mutex);
    state_->blipCts = asserted;
    state_->blipReads = reads;
}

void CFakeSerialDevice::SetDsr(bool asserted) {
    std::lock_guard lock(state_->mutex);
    state_->dsr = asserted;
}

void CFakeSerialDevice::FailModemStatus(bool fail) {
    std::lock_guard lock(state_->mutex);
    state_->failStatus = fail;
}

void CFakeSerialDevice::SetResponder(Responder responder) {
    std::lock_guard lock(state_->mutex);
    state_->responder = std::move(responder);
}

bool CFakeSerialDevice::IsOpen() const {
    std::lock_guard lock(state_->mutex);
    return state_->open;
}

int CFakeSerialDevice::Opens() const {
    std::lock_guard lock(state_->mutex);
    return state_->opens;
}

std::string CFakeSerialDevice::OpenedPath() const {
    std::lock_guard lock(state_->mutex);
    return state_->path;
}

int CFakeSerialDevice::OpenedBaud() const {
    std::lock_guard lock(state_->mutex);
    return state_->baud;
}

bool CFakeSerialDevice::Rts() const {
    std::lock_guard lock(state_->mutex);
    return state_->rts;
}

bool CFakeSerialDevice::Dtr() const {
    std::lock_guard lock(state_->mutex);
    return state_->dtr;
}

int CFakeSerialDevice::StatusReads() const {
    std::lock_guard lock(state_->mutex);
    return state_->statusReads;
}

std::vector<CFakeSerialDevice::Write> CFakeSerialDevice::Writes() const {
    std::lock_guard lock(state_->mutex);
    return state_->writes;
}

std::vector<uint8_t> CFakeSerialDevice::WrittenBytes() const {
    std::lock_guard lock(state_->mutex);
    std::vector<uint8_t> bytes;
    for (const Write& w : state_->writes)
        bytes.push_back(w.byte);
    return bytes;
}

std::vector<CFakeSerialDevice::LineChange> CFakeSerialDevice::LineChanges() const {
    std::lock_guard lock(state_->mutex);
    return state_->lineChanges;
}

bool CFakeSerialDevice::WaitUntil(const std::function<bool()>& condition, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        uint64_t seen;
        {
            std::lock_guard lock(state_->mutex);
            seen = state_->changes;
        }
        if (condition())
            return true;
        bool timedOut;
        {
            std::unique_lock lock(state_->mutex);
            timedOut = !state_->changed.wait_until(lock, deadline,
                                                   [&] { return state_->changes != seen; });
        }
        if (timedOut)
            return condition();
    }
}

bool CFakeSerialDevice::WaitForWrites(size_t count, int timeoutMs) const {
    return WaitUntil([&] { return Writes().size() >= count; }, timeoutMs);
}

bool CFakeSerialDevice::WaitForStatusReads(int count, int timeoutMs) const {
    return WaitUntil([&] { return StatusReads() >= count; }, timeoutMs);
}

CPseudoTerminal::CPseudoTerminal() {
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    const char* name = ::grantpt(fd) == 0 && ::unlockpt(fd) == 0 ? ::ptsname(fd) : nullptr;
    if (!name) {
        ::close(fd);
        return;
    }
    master_ = fd;
    slavePath_ = name;
}

CPseudoTerminal::~CPseudoTerminal() {
    HangUp();
}

void CPseudoTerminal::HangUp() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}
