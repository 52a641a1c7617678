#include "radio/rig_keying.h"

#include "audio/elapsed_timer.h"
#include "platform/com_ports.h"
#include "platform/ini_file.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <utility>

namespace {

constexpr uint8_t kILinkKey = 'T';
constexpr uint8_t kILinkRelease = 'R';
constexpr int kKeyingToneMs = 200;
constexpr int kHalvekReadTimeoutMs = 150;
// The monitor checks for a stop request this often while it waits for a board's answer.
constexpr int kReadSliceMs = 10;
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
    case RigKeyingMethod::ILink:
        return PortChoice{s.ilinkPort, 2400};
    case RigKeyingMethod::ComPort:
        return PortChoice{s.comPort, 2400};
    case RigKeyingMethod::Halvek:
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

// One run of the monitor thread, from OpenRigPort to CloseRigPort. CloseRigPort joins it, so
// it may use the keying object throughout.
class CRigKeying::CMonitor {
public:
    CMonitor(CRigKeying& rig, RigSettings settings)
        : rig_(rig), s_(std::move(settings)), control_(HalvekControlByte(s_)),
          pttTimer_(*rig.options_.clock) {}

    void Run() {
        // Lines that cannot be read count as both low until a read succeeds.
        if (s_.keyingMethod == RigKeyingMethod::Halvek)
            InitialiseBoard();
        else
            watchedLevel_ = WatchedLevel(ReadStatus().value_or(ModemLines{}));
        while (!Stopped()) {
            if (PortGone()) {
                // Nothing is heard any more: a squelch left open would hold push-to-talk.
                if (open_)
                    Deliver(false);
                return;
            }
            if (s_.keyingMethod == RigKeyingMethod::Halvek)
                HalvekPass();
            else
                SquelchLinePass();
            if (!Wait(rig_.options_.pollIntervalMs))
                break;
        }
    }

private:
    bool Stopped() const { return rig_.monitorStop_.IsSet(); }

    // Waits ms milliseconds; false when the stop flag ended the wait.
    bool Wait(int ms) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (Stopped())
                return false;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return true;
            pollfd p{rig_.monitorStop_.Fd(), POLLIN, 0};
            ::poll(&p, 1, int(left.count()));
        }
    }

    // The port, for one operation; none once the monitor has been told to stop.
    template <typename F>
    auto WithPort(F operation) -> decltype(operation(std::declval<ISerialPort&>())) {
        std::lock_guard lock(rig_.portMutex_);
        if (Stopped() || !rig_.port_)
            return {};
        return operation(*rig_.port_);
    }

    bool PortGone() {
        return WithPort([](ISerialPort& port) { return port.IsLost(); });
    }

    std::optional<ModemLines> ReadStatus() {
        return WithPort([](ISerialPort& port) { return port.ModemStatus(); });
    }

    // Sends one command byte and reads the board's answer. Input left over from an earlier
    // answer that came too late is dropped first, so the answer read is this command's.
    std::optional<uint8_t> Exchange(uint8_t byte) {
        return WithPort([this, byte](ISerialPort& port) -> std::optional<uint8_t> {
            port.DiscardInput();
            if (!port.WriteByte(byte))
                return std::nullopt;
            return ReadAnswer(port);
        });
    }

    // The board's answer within kHalvekReadTimeoutMs, read in slices so that a stop request
    // ends the wait within one slice; an answer ends it at once.
    std::optional<uint8_t> ReadAnswer(ISerialPort& port) {
        for (int left = kHalvekReadTimeoutMs; left > 0 && !Stopped(); left -= kReadSliceMs) {
            if (const std::optional<uint8_t> byte = port.ReadByte(std::min(left, kReadSliceMs)))
                return byte;
        }
        return std::nullopt;
    }

    void Deliver(bool open) {
        open_ = open;
        if (rig_.options_.onSquelch)
            rig_.options_.onSquelch(open);
    }

    bool WatchedLevel(const ModemLines& lines) const {
        return s_.squelchLine == RigSquelchLine::Cts ? lines.cts : lines.dsr;
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
            if (!Wait(rig_.options_.pollIntervalMs))
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
        if (rig_.keyed_) {
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
            if (!Wait(rig_.settlingMs_) || rig_.keyed_)
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
        const int threshold = rig_.halvekSquelchLevel_;
        if (level > threshold && !squelchReported_) {
            squelchReported_ = true;
            Deliver(true);
        } else if (level <= threshold && squelchReported_) {
            squelchReported_ = false;
            Deliver(false);
        }
    }

    CRigKeying& rig_;
    const RigSettings s_;
    const uint8_t control_;
    bool watchedLevel_ = false;
    bool transmitting_ = false;
    bool squelchReported_ = false;
    bool open_ = false; // the squelch as last delivered
    CElapsedTimer pttTimer_;
};

CRigKeying::CRigKeying(RigKeyingOptions options)
    : options_(std::move(options)), reopenTimer_(*options_.clock) {
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
        std::lock_guard lock(portMutex_);
        settings_ = settings;
    }
    halvekSquelchLevel_ = settings.halvekSquelchLevel;

    if (settings.keyingMethod == RigKeyingMethod::Tone) {
        keyingTone_.MakeTone(settings.toneFrequencyHz, kKeyingToneMs, settings.toneLevel, 0, 0);
        keyingTone_.position = 0;
    }

    cannotKeyReported_ = false;
    portMissing_ = false;
    portPath_.clear();
    portName_.clear();
    if (const std::optional<PortChoice> choice = PortFor(settings)) {
        portPath_ = options_.devicePath(choice->number);
        portName_ = "COM" + std::to_string(choice->number);
        if (!portPath_.empty())
            portName_ += " (" + portPath_ + ")";
        portBaud_ = choice->baud;
        // With inverted keying the released level is the asserted one, which the open gives.
        portRest_ = settings.invertKeying ? SerialRestLines::Keep : SerialRestLines::BothLow;
        if (const SerialOpenResult result = OpenPort(); !result) {
            ReportOpenFailure(result);
            // A device that is not plugged in yet may come; a port number without one cannot.
            portMissing_ = !portPath_.empty();
            reopenTimer_.Restart();
        }
    }
    lines_.Open(settings);
    StartMonitorIfWatched();
    Unkey();
}

SerialOpenResult CRigKeying::OpenPort() {
    SerialOpenResult result{SerialOpenError::Open, portName_ + " names no serial device."};
    std::unique_ptr<ISerialPort> port;
    if (!portPath_.empty()) {
        port = options_.portFactory();
        result = port->Open(portPath_, portBaud_, portRest_);
    }
    std::lock_guard lock(portMutex_);
    if (result)
        port_ = std::move(port);
    else
        portProblem_ = result.detail;
    return result;
}

void CRigKeying::StartMonitorIfWatched() {
    RigSettings settings;
    {
        std::lock_guard lock(portMutex_);
        settings = settings_;
    }
    const bool watch = settings.keyingMethod == RigKeyingMethod::Halvek ||
                       (settings.keyingMethod == RigKeyingMethod::ComPort &&
                        settings.squelchLine != RigSquelchLine::None);
    if (watch && IsPortOpen()) {
        monitorStop_.Reset();
        monitorThread_ = std::thread([this, settings] { CMonitor(*this, settings).Run(); });
    }
}

void CRigKeying::CheckPort() {
    switch (lines_.Check()) {
    case CRigLineKeying::Change::Gone:
        deadline_ = 0;
        lamp_ = false;
        keyed_ = false;
        return;
    case CRigLineKeying::Change::Back:
        cannotKeyReported_ = false;
        Unkey();
        return;
    case CRigLineKeying::Change::None:
        break;
    }
    bool lost = false;
    {
        std::lock_guard lock(portMutex_);
        lost = port_ && port_->IsLost();
    }
    if (lost) {
        LosePort();
        return;
    }
    if (!portMissing_ || reopenTimer_.Elapsed() < options_.reopenIntervalMs)
        return;
    reopenTimer_.Restart();
    if (!OpenPort())
        return;
    portMissing_ = false;
    cannotKeyReported_ = false;
    Note(portName_ + " is back: keying and squelch work again");
    StartMonitorIfWatched();
    Unkey();
}

// An unplugged adapter drops its lines, which releases the transmitter.
void CRigKeying::LosePort() {
    monitorStop_.Set();
    if (monitorThread_.joinable())
        monitorThread_.join();
    {
        std::lock_guard lock(portMutex_);
        port_->Close();
        port_.reset();
        portProblem_ = portName_ + " has gone.";
    }
    deadline_ = 0;
    lamp_ = false;
    keyed_ = false;
    portMissing_ = true;
    reopenTimer_.Restart();
    Note(portName_ + " has gone (unplugged?): the transmitter counts as released; trying the " +
         "port again every " + std::to_string(options_.reopenIntervalMs / 1000) + " s");
}

void CRigKeying::CloseRigPort() {
    // The stop comes first: it ends a board read in progress, which holds the port that the
    // release needs.
    monitorStop_.Set();
    Unkey();
    if (monitorThread_.joinable())
        monitorThread_.join();
    lines_.Close();
    std::lock_guard lock(portMutex_);
    if (!port_)
        return;
    if (settings_.keyingMethod == RigKeyingMethod::Halvek) {
        port_->DiscardInput();
        if (port_->WriteByte(kHalvekEnd))
            port_->ReadByte(kHalvekReadTimeoutMs);
    }
    port_->Close();
    port_.reset();
}

void CRigKeying::Key() {
    lamp_ = true;
    deadline_ = 0;
    if (!SetKeying(true)) {
        lamp_ = false;
        ReportCannotKey();
        return;
    }
    keyed_ = true;
}

void CRigKeying::ReportCannotKey() {
    if (cannotKeyReported_.exchange(true))
        return;
    std::string why;
    {
        std::lock_guard lock(portMutex_);
        why = lines_.IsUsed(settings_) ? lines_.Problem() : portProblem_;
    }
    Note("The transmitter cannot be keyed: " + why);
}

void CRigKeying::Note(const std::string& line) const {
    if (options_.onNote)
        options_.onNote(line);
}

void CRigKeying::Unkey() {
    lamp_ = false;
    SetKeying(false);
    keyed_ = false;
}

bool CRigKeying::SetKeying(bool keyed) {
    std::lock_guard lock(portMutex_);
    const RigSettings& s = settings_;
    if (lines_.IsUsed(s))
        return lines_.Set(keyed);
    if (!PortFor(s))
        return true; // VOX and tone need no port
    if (!port_)
        return false;
    if (s.keyingMethod == RigKeyingMethod::ILink) {
        port_->WriteByte(keyed ? kILinkKey : kILinkRelease);
    } else if (s.keyingMethod == RigKeyingMethod::ComPort) {
        const bool asserted = keyed != s.invertKeying;
        if (s.keyLine == RigKeyLine::Rts)
            port_->SetRts(asserted);
        else
            port_->SetDtr(asserted);
    }
    // A device without modem lines keys nothing either, but says so once itself.
    return !port_->IsLost();
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
    return keyed_;
}

bool CRigKeying::IsPortOpen() const {
    std::lock_guard lock(portMutex_);
    return port_ != nullptr || lines_.IsOpen();
}

bool CRigKeying::IsMonitorRunning() const {
    return monitorThread_.joinable() || lines_.IsWatching();
}

RigKeyingMethod CRigKeying::KeyingMethod() const {
    std::lock_guard lock(portMutex_);
    return settings_.keyingMethod;
}

void CRigKeying::SetSquelchSettlingMs(int ms) {
    settlingMs_ = ms;
}

void CRigKeying::SetHalvekSquelchLevel(int level) {
    halvekSquelchLevel_ = level;
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
    layout.voxBoxCaption = settings.squelchLine != RigSquelchLine::None ? "Mute" : "Vox";
    const bool halvek = settings.keyingMethod == RigKeyingMethod::Halvek;
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
