#include "tests/radio/fake_rig_lines.h"

#include <condition_variable>
#include <mutex>

struct CFakeRigLines::State {
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::string openProblem;
    bool unplugged = false;
    int generation = 0; // lines of an older one are lost
    int opens = 0;
    bool keyed = false;
    std::vector<KeyChange> changes;
    bool squelchOpen = false;
    bool failReads = false;
    int squelchReads = 0;
};

namespace {

using State = std::shared_ptr<struct CFakeRigLines::State>;

class CFakeKeyLine : public IKeyingLine {
public:
    CFakeKeyLine(State state, int generation) : state_(std::move(state)), generation_(generation) {}
    bool Set(bool keyed) override {
        std::lock_guard lock(state_->mutex);
        if (Lost())
            return false;
        state_->keyed = keyed;
        state_->changes.push_back({keyed, std::chrono::steady_clock::now()});
        state_->changed.notify_all();
        return true;
    }
    bool IsLost() override {
        std::lock_guard lock(state_->mutex);
        return Lost();
    }

private:
    bool Lost() const { return state_->unplugged || state_->generation != generation_; }
    State state_;
    int generation_;
};

class CFakeSquelch : public ISquelchInput {
public:
    CFakeSquelch(State state, int generation) : state_(std::move(state)), generation_(generation) {}
    std::optional<bool> IsOpen() override {
        std::lock_guard lock(state_->mutex);
        ++state_->squelchReads;
        state_->changed.notify_all();
        if (Lost() || state_->failReads)
            return std::nullopt;
        return state_->squelchOpen;
    }
    bool IsLost() override {
        std::lock_guard lock(state_->mutex);
        return Lost();
    }

private:
    bool Lost() const { return state_->unplugged || state_->generation != generation_; }
    State state_;
    int generation_;
};

} // namespace

CFakeRigLines::CFakeRigLines() : state_(std::make_shared<State>()) {}
CFakeRigLines::~CFakeRigLines() = default;

std::function<RigLines(const RigSettings&)> CFakeRigLines::Factory(const std::string& name) {
    return [state = state_, name](const RigSettings& s) {
        RigLines lines;
        lines.name = name;
        std::lock_guard lock(state->mutex);
        ++state->opens;
        if (state->unplugged || !state->openProblem.empty()) {
            lines.problem =
                state->unplugged ? name + ": No such file or directory." : state->openProblem;
            return lines;
        }
        const int generation = ++state->generation;
        lines.key = std::make_unique<CFakeKeyLine>(state, generation);
        if (s.squelchLine == RigSquelchLine::Cm108VolumeDown ||
            s.squelchLine == RigSquelchLine::Gpio)
            lines.squelch = std::make_unique<CFakeSquelch>(state, generation);
        return lines;
    };
}

void CFakeRigLines::FailOpen(const std::string& problem) {
    std::lock_guard lock(state_->mutex);
    state_->openProblem = problem;
}

void CFakeRigLines::Unplug(bool unplugged) {
    std::lock_guard lock(state_->mutex);
    state_->unplugged = unplugged;
}

void CFakeRigLines::SetSquelchOpen(bool open) {
    std::lock_guard lock(state_->mutex);
    state_->squelchOpen = open;
}

void CFakeRigLines::FailSquelchReads(bool fail) {
    std::lock_guard lock(state_->mutex);
    state_->failReads = fail;
}

int CFakeRigLines::Opens() const {
    std::lock_guard lock(state_->mutex);
    return state_->opens;
}

bool CFakeRigLines::Keyed() const {
    std::lock_guard lock(state_->mutex);
    return state_->keyed;
}

std::vector<CFakeRigLines::KeyChange> CFakeRigLines::KeyChanges() const {
    std::lock_guard lock(state_->mutex);
    return state_->changes;
}

int CFakeRigLines::SquelchReads() const {
    std::lock_guard lock(state_->mutex);
    return state_->squelchReads;
}

bool CFakeRigLines::WaitForSquelchReads(int count) const {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, std::chrono::seconds(3),
                                    [&] { return state_->squelchReads >= count; });
}
