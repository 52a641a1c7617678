#include "radio/rig_line_keying.h"

#include "radio/rig_keying.h"
#include "radio/rig_line_devices.h"

#include <poll.h>

#include <chrono>

namespace {
// A closing squelch must stay for this many reads, one poll interval apart.
constexpr int kSquelchCloseReads = 10;
} // namespace

bool CRigLineKeying::IsUsed(const RigSettings& s) {
    return s.keyingMethod == RigKeyingMethod::Cm108 || s.keyingMethod == RigKeyingMethod::Gpio;
}

CRigLineKeying::CRigLineKeying(const RigKeyingOptions& options)
    : options_(options), reopenTimer_(*options.clock) {}

CRigLineKeying::~CRigLineKeying() {
    Close();
}

void CRigLineKeying::Open(const RigSettings& settings) {
    Close();
    settings_ = settings;
    active_ = IsUsed(settings);
    if (!active_)
        return;
    if (TryOpen()) {
        StartWatch();
        return;
    }
    missing_ = true;
    reopenTimer_.Restart();
    if (options_.onError)
        options_.onError(kCannotOpenKeyingDevice, Problem());
}

bool CRigLineKeying::TryOpen() {
    RigLines lines =
        options_.linesFactory ? options_.linesFactory(settings_) : OpenRigLines(settings_);
    std::lock_guard lock(mutex_);
    name_ = lines.name;
    problem_ = lines.problem;
    if (!lines.key)
        return false;
    key_ = std::move(lines.key);
    squelch_ = std::move(lines.squelch);
    return true;
}

void CRigLineKeying::Close() {
    StopWatch();
    std::lock_guard lock(mutex_);
    key_.reset();
    squelch_.reset();
    active_ = false;
    missing_ = false;
}

bool CRigLineKeying::Set(bool keyed) {
    std::lock_guard lock(mutex_);
    if (!key_)
        return false;
    if (key_->Set(keyed) && !key_->IsLost())
        return true;
    if (key_->IsLost())
        problem_ = name_ + " has gone.";
    return false;
}

CRigLineKeying::Change CRigLineKeying::Check() {
    if (!active_)
        return Change::None;
    bool lost = false;
    {
        std::lock_guard lock(mutex_);
        lost = (key_ && key_->IsLost()) || (squelch_ && squelch_->IsLost());
    }
    if (lost) {
        StopWatch();
        // Nothing is heard any more: a squelch left open would hold push-to-talk.
        if (squelchOpen_)
            Deliver(false);
        std::string name;
        {
            std::lock_guard lock(mutex_);
            key_.reset();
            squelch_.reset();
            problem_ = name_ + " has gone.";
            name = name_;
        }
        missing_ = true;
        reopenTimer_.Restart();
        Note(name + " has gone (unplugged?): the transmitter counts as released; trying it " +
             "again every " + std::to_string(options_.reopenIntervalMs / 1000) + " s");
        return Change::Gone;
    }
    if (!missing_ || reopenTimer_.Elapsed() < options_.reopenIntervalMs)
        return Change::None;
    reopenTimer_.Restart();
    if (!TryOpen())
        return Change::None;
    missing_ = false;
    Note(name_ + " is back: keying and squelch work again");
    StartWatch();
    return Change::Back;
}

bool CRigLineKeying::IsOpen() const {
    std::lock_guard lock(mutex_);
    return key_ != nullptr;
}

std::string CRigLineKeying::Problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

void CRigLineKeying::StartWatch() {
    {
        std::lock_guard lock(mutex_);
        if (!squelch_)
            return;
    }
    stop_.Reset();
    squelchOpen_ = false;
    watch_ = std::thread([this] { Watch(); });
}

void CRigLineKeying::StopWatch() {
    stop_.Set();
    if (watch_.joinable())
        watch_.join();
}

// Opening acts on the first read; closing must hold for kSquelchCloseReads reads. A read that
// fails counts as no change. An input that has gone leaves the squelch closed.
void CRigLineKeying::Watch() {
    do {
        const bool open = squelchOpen_;
        Reading reading = ReadSquelch();
        if (reading == Reading::Closed && open) {
            for (int i = 0; i < kSquelchCloseReads && reading != Reading::Open; ++i) {
                if (!Wait(options_.pollIntervalMs))
                    return;
                if (const Reading again = ReadSquelch(); again != Reading::Unknown)
                    reading = again;
                if (reading == Reading::Gone)
                    break;
            }
        }
        if (reading == Reading::Gone) {
            if (open)
                Deliver(false);
            return;
        }
        if (reading != Reading::Unknown && (reading == Reading::Open) != open)
            Deliver(reading == Reading::Open);
    } while (Wait(options_.pollIntervalMs));
}

void CRigLineKeying::Deliver(bool open) {
    squelchOpen_ = open;
    if (options_.onSquelch)
        options_.onSquelch(open);
}

CRigLineKeying::Reading CRigLineKeying::ReadSquelch() {
    std::lock_guard lock(mutex_);
    if (!squelch_ || squelch_->IsLost())
        return Reading::Gone;
    const std::optional<bool> open = squelch_->IsOpen();
    if (squelch_->IsLost())
        return Reading::Gone;
    return !open ? Reading::Unknown : *open ? Reading::Open : Reading::Closed;
}

// Waits ms milliseconds; false when the stop flag ended the wait.
bool CRigLineKeying::Wait(int ms) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (stop_.IsSet())
            return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return true;
        pollfd p{stop_.Fd(), POLLIN, 0};
        ::poll(&p, 1, int(left.count()));
    }
}

void CRigLineKeying::Note(const std::string& line) const {
    if (options_.onNote)
        options_.onNote(line);
}
