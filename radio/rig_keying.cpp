#include "radio/rig_keying.h"

#include "audio/elapsed_timer.h"
#include "platform/com_ports.h"
#include "platform/ini_file.h"
#include "platform/stop_flag.h"

#include <poll.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <utility>

namespace {

constexpr uint8_t kILinkKey = 'T';
constexpr uint8_t kILinkRelease = 'R';
constexpr int kKeyingToneMs = 200;
constexpr int kHalvekReadTimeoutMs = 150;
constexpr int kHalvekInitGapMs = 30;
constexpr int kHalvekInitSettleMs = 500;
constexpr uint32_t kHalvekPttRepeatMs = 5000;
constexpr uint8_t kHalvekReinitBit = 0x10;
// A closing squelch line must stay for this many status reads, one poll interval apart.
constexpr int kSquelchCloseReads = 10;

struct PortChoice {
    int number;
    int baud;
};

std::optional<PortChoice> PortFor(const RigSettings& s) {
    switch (s.keyingMethod) {
    case kKeyingILink:
        return PortChoice{s.ilinkPort, 2400};
    case kKeyingComPort:
        return PortChoice{s.comPort, 2400};
    case kKeyingHalvek:
        return PortChoice{s.halvekPort, 300};
    default:
        return std::nullopt;
    }
}

} // namespace

uint8_t HalvekControlByte(const RigSettings& s) {
    uint8_t control = s.halvekDigitalSquelch ? 0xA8 : 0xA9;
    if (s.halvekDigitalSquelchActiveHigh)
        control |= 0x02;
    return control;
}

struct CRigKeying::Shared {
    // Guards port and settings. Held for each port operation (a Halvek command with its
    // answer counts as one), never while waiting or calling back.
    std::mutex mutex;
    std::unique_ptr<ISerialPort> port;
    RigSettings settings;

    std::atomic<bool> keyed{false};
    std::atomic<int> settlingMs{300}; // the setting's first-start value
    std::atomic<int> halvekSquelchLevel{0};
};

// One run of the monitor thread. It may outlive its CRigKeying while a squelch callback is
// in progress, so it holds everything it uses.
struct CRigKeying::Monitor {
    RigSettings settings;
    std::function<void(bool open)> onSquelch;
    IClock* clock;
    int pollIntervalMs;

    CStopFlag stop;
    std::mutex deliverMutex;
    bool delivering = false; // guarded by deliverMutex
    std::atomic<bool> running{true};
};

namespace {

class CMonitorRun {
public:
    CMonitorRun(std::shared_ptr<CRigKeying::Shared> shared,
                std::shared_ptr<CRigKeying::Monitor> monitor)
        : shared_(std::move(shared)), m_(std::move(monitor)), s_(m_->settings),
          control_(HalvekControlByte(s_)), pttTimer_(*m_->clock) {}

    void Run() {
        // Lines that cannot be read count as both low until a read succeeds.
        if (s_.keyingMethod == kKeyingHalvek)
            InitialiseBoard();
        else
            watchedLevel_ = WatchedLevel(ReadStatus().value_or(ModemLines{}));
        while (!m_->stop.IsSet()) {
            if (s_.keyingMethod == kKeyingHalvek)
                HalvekPass();
            else
                SquelchLinePass();
            if (!Wait(m_->pollIntervalMs))
                break;
        }
        m_->running = false;
    }

private:
    // Waits ms milliseconds; false when the stop flag ended the wait.
    bool Wait(int ms) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (m_->stop.IsSet())
                return false;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return true;
            pollfd p{m_->stop.Fd(), POLLIN, 0};
            ::poll(&p, 1, int(left.count()));
        }
    }

    // The port, for one operation; none once the monitor has been told to stop, so a run that
    // was left behind never touches a port again.
    template <typename F>
    auto WithPort(F operation) -> decltype(operation(std::declval<ISerialPort&>())) {
        std::lock_guard lock(shared_->mutex);
        if (m_->stop.IsSet() || !shared_->port)
            return {};
        return operation(*shared_->port);
    }

    std::optional<ModemLines> ReadStatus() {
        return WithPort([](ISerialPort& port) { return port.ModemStatus(); });
    }

    // Sends one command byte and reads the board's answer. Input left over from an earlier
    // answer that came too late is dropped first, so the answer read is this command's.
    std::optional<uint8_t> Exchange(uint8_t byte) {
        return WithPort([byte](ISerialPort& port) -> std::optional<uint8_t> {
            port.DiscardInput();
            if (!port.WriteByte(byte))
                return std::nullopt;
            return port.ReadByte(kHalvekReadTimeoutMs);
        });
    }

    // Hands a squelch change to the callback unless the monitor has been told to stop.
    void Deliver(bool open) {
        {
            std::lock_guard lock(m_->deliverMutex);
            if (m_->stop.IsSet())
                return;
            m_->delivering = true;
        }
        if (m_->onSquelch)
            m_->onSquelch(open);
        std::lock_guard lock(m_->deliverMutex);
        m_->delivering = false;
    }

    bool WatchedLevel(const ModemLines& lines) const {
        return s_.squelchLine == 1 ? lines.cts : lines.dsr;
    }

    // Opening acts on the first read; closing must hold for kSquelchCloseReads reads. A read
    // that fails counts as no change.
    void SquelchLinePass() {
        const std::optional<ModemLines> lines = ReadStatus();
        if (!lines)
            return;
        const bool level = WatchedLevel(*lines);
        if (level == watchedLevel_)
            return;
        if (level == s_.invertSquelch) {
            watchedLevel_ = level;
            Deliver(true);
            return;
        }
        for (int i = 0; i < kSquelchCloseReads; ++i) {
            if (!Wait(m_->pollIntervalMs))
                return;
            const std::optional<ModemLines> again = ReadStatus();
            if (again && WatchedLevel(*again) == watchedLevel_)
                return;
        }
        watchedLevel_ = level;
        Deliver(false);
    }

    void InitialiseBoard() {
        Exchange(kHalvekInit);
        if (!Wait(kHalvekInitGapMs))
            return;
        Exchange(control_);
        Wait(kHalvekInitSettleMs);
    }

    void HalvekPass() {
        if (shared_->keyed) {
            // Nothing is heard while transmitting; a squelch that opens afterwards is new.
            squelchReported_ = false;
            if (!transmitting_ || pttTimer_.Elapsed() > kHalvekPttRepeatMs) {
                transmitting_ = true;
                pttTimer_.Restart();
                Exchange(kHalvekPtt);
            }
            return;
        }
        if (transmitting_) {
            // The receiver needs a moment after the transmitter; a new transmission in the
            // meantime is served by the next pass.
            transmitting_ = false;
            if (!Wait(shared_->settlingMs) || shared_->keyed)
                return;
        }
        std::optional<uint8_t> status = Exchange(control_);
        if (status && (*status & kHalvekReinitBit)) {
            if (!Wait(kHalvekInitGapMs))
                return;
            Exchange(kHalvekInit);
            if (!Wait(kHalvekInitGapMs))
                return;
            status = Exchange(control_);
            if (!Wait(kHalvekInitSettleMs))
                return;
        }
        if (!status)
            return;
        const int level = 15 - (*status & 0x0F);
        const int threshold = shared_->halvekSquelchLevel;
        if (level > threshold && !squelchReported_) {
            squelchReported_ = true;
            Deliver(true);
        } else if (level <= threshold && squelchReported_) {
            squelchReported_ = false;
            Deliver(false);
        }
    }

    std::shared_ptr<CRigKeying::Shared> shared_;
    std::shared_ptr<CRigKeying::Monitor> m_;
    const RigSettings& s_;
    const uint8_t control_;
    bool watchedLevel_ = false;
    bool transmitting_ = false;
    bool squelchReported_ = false;
    CElapsedTimer pttTimer_;
};

} // namespace

CRigKeying::CRigKeying(RigKeyingOptions options)
    : options_(std::move(options)), shared_(std::make_shared<Shared>()) {
    if (!options_.devicePath)
        options_.devicePath = [](int port) { return ComPortDevicePath(CIniFile(), port); };
    if (!options_.portFactory)
        options_.portFactory = [] { return std::make_unique<CSerialPort>(); };
}

CRigKeying::~CRigKeying() {
    CloseRigPort();
}

void CRigKeying::OpenRigPort(const RigSettings& settings) {
    CloseRigPort();
    {
        std::lock_guard lock(shared_->mutex);
        shared_->settings = settings;
    }
    shared_->halvekSquelchLevel = settings.halvekSquelchLevel;

    if (settings.keyingMethod == kKeyingTone) {
        keyingTone_.MakeTone(settings.toneFrequencyHz, kKeyingToneMs, settings.toneLevel, 0, 0);
        keyingTone_.position = 0;
    }

    if (const std::optional<PortChoice> choice = PortFor(settings)) {
        const std::string path = options_.devicePath(choice->number);
        std::unique_ptr<ISerialPort> port = options_.portFactory();
        // With inverted keying the released level is the asserted one, which the open gives.
        const SerialRestLines rest =
            settings.invertKeying ? SerialRestLines::Keep : SerialRestLines::BothLow;
        const SerialOpenResult result =
            path.empty()
                ? SerialOpenResult{SerialOpenError::Open, "COM" + std::to_string(choice->number) +
                                                              " names no serial device."}
                : port->Open(path, choice->baud, rest);
        if (result) {
            std::lock_guard lock(shared_->mutex);
            shared_->port = std::move(port);
        } else {
            ReportOpenFailure(result);
        }
    }

    const bool watch = settings.keyingMethod == kKeyingHalvek ||
                       (settings.keyingMethod == kKeyingComPort && settings.squelchLine != 0);
    if (watch && IsPortOpen()) {
        monitor_ = std::make_shared<Monitor>();
        monitor_->settings = settings;
        monitor_->onSquelch = options_.onSquelch;
        monitor_->clock = options_.clock;
        monitor_->pollIntervalMs = options_.pollIntervalMs;
        monitorThread_ = std::thread(
            [shared = shared_, monitor = monitor_] { CMonitorRun(shared, monitor).Run(); });
    }
    Unkey();
}

void CRigKeying::CloseRigPort() {
    Unkey();
    if (monitor_) {
        bool inCallback;
        {
            std::lock_guard lock(monitor_->deliverMutex);
            monitor_->stop.Set();
            inCallback = monitor_->delivering;
        }
        // Every wait of the monitor ends on the stop flag and every port operation within the
        // read time-out, so the join is short. A callback may take longer: that run is left
        // to finish by itself, and it touches neither the port nor the callback again.
        if (inCallback)
            monitorThread_.detach();
        else
            monitorThread_.join();
        monitor_.reset();
    }
    std::lock_guard lock(shared_->mutex);
    if (!shared_->port)
        return;
    if (shared_->settings.keyingMethod == kKeyingHalvek) {
        shared_->port->DiscardInput();
        if (shared_->port->WriteByte(kHalvekEnd))
            shared_->port->ReadByte(kHalvekReadTimeoutMs);
    }
    shared_->port->Close();
    shared_->port.reset();
}

void CRigKeying::Key() {
    lamp_ = true;
    deadline_ = 0;
    SetKeying(true);
    shared_->keyed = true;
}

void CRigKeying::Unkey() {
    lamp_ = false;
    SetKeying(false);
    shared_->keyed = false;
}

void CRigKeying::SetKeying(bool keyed) {
    std::lock_guard lock(shared_->mutex);
    if (!shared_->port)
        return;
    const RigSettings& s = shared_->settings;
    if (s.keyingMethod == kKeyingILink) {
        shared_->port->WriteByte(keyed ? kILinkKey : kILinkRelease);
    } else if (s.keyingMethod == kKeyingComPort) {
        const bool asserted = keyed != s.invertKeying;
        if (s.keyLine == 0)
            shared_->port->SetRts(asserted);
        else
            shared_->port->SetDtr(asserted);
    }
}

void CRigKeying::UnkeyAfter(uint32_t ms) {
    const uint32_t deadline = options_.clock->Ticks() + ms;
    deadline_ = deadline != 0 ? deadline : 1;
}

void CRigKeying::CheckReleaseDeadline() {
    uint32_t deadline = deadline_;
    if (deadline == 0 || int32_t(options_.clock->Ticks() - deadline) < 0)
        return;
    if (deadline_.compare_exchange_strong(deadline, 0))
        Unkey();
}

bool CRigKeying::IsKeyed() const {
    return shared_->keyed;
}

bool CRigKeying::IsPortOpen() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->port != nullptr;
}

bool CRigKeying::IsMonitorRunning() const {
    return monitor_ && monitor_->running;
}

int CRigKeying::KeyingMethod() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->settings.keyingMethod;
}

void CRigKeying::SetSquelchSettlingMs(int ms) {
    shared_->settlingMs = ms;
}

void CRigKeying::SetHalvekSquelchLevel(int level) {
    shared_->halvekSquelchLevel = level;
}

void CRigKeying::ReportOpenFailure(const SerialOpenResult& result) {
    if (!options_.onError)
        return;
    const char* message = result.error == SerialOpenError::Query       ? kCannotQueryCommPort
                          : result.error == SerialOpenError::Configure ? kCannotSetCommPortState
                                                                       : kCannotOpenCommPort;
    options_.onError(message, result.detail);
}

RigWindowLayout RigWindowLayoutFor(const RigSettings& settings, int voxLevel) {
    RigWindowLayout layout;
    layout.voxBoxCaption = settings.squelchLine != 0 ? "Mute" : "Vox";
    const bool halvek = settings.keyingMethod == kKeyingHalvek;
    layout.micSliderLabel = halvek ? "Sql  Vu  Vol" : "Vox  Vu  Vol";
    layout.showSilenceLevel = !halvek;
    layout.voxSliderMaximum = halvek ? 15 : 32768;
    layout.voxSliderPosition = halvek ? 15 - settings.halvekSquelchLevel : 32768 - voxLevel;
    layout.voxSliderSetsSquelchLevel = halvek;
    return layout;
}

int HalvekSquelchLevelFromSlider(int position) {
    return 15 - position;
}
