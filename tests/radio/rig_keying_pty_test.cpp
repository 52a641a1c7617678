// The iLink and Halvek byte exchanges through the real serial layer, over a pseudo-terminal
// whose far end a small board simulator drives.
#include "platform/stop_flag.h"
#include "tests/radio/rig_test_support.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;

// Records the bytes arriving on the master side and writes back what `answer` gives for each.
class CBoardSimulator {
public:
    CBoardSimulator(int masterFd, std::function<Bytes(uint8_t)> answer)
        : fd_(masterFd), answer_(std::move(answer)), thread_([this] { Run(); }) {}
    ~CBoardSimulator() {
        stop_.Set();
        thread_.join();
    }

    bool WaitFor(const std::function<bool(const Bytes&)>& condition) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(3), [&] { return condition(bytes_); });
    }
    Bytes Received() {
        std::lock_guard lock(mutex_);
        return bytes_;
    }

private:
    void Run() {
        while (!stop_.IsSet()) {
            pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
            ::poll(fds, 2, -1);
            uint8_t byte;
            if (!(fds[0].revents & POLLIN) || ::read(fd_, &byte, 1) != 1) {
                // Hung up while the client has the slave side closed.
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            {
                std::lock_guard lock(mutex_);
                bytes_.push_back(byte);
                changed_.notify_all();
            }
            const Bytes reply = answer_(byte);
            ASSERT_EQ(::write(fd_, reply.data(), reply.size()), ssize_t(reply.size()));
        }
    }

    int fd_;
    std::function<Bytes(uint8_t)> answer_;
    CStopFlag stop_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Bytes bytes_;
    std::thread thread_;
};

size_t Count(const Bytes& bytes, uint8_t byte) {
    return size_t(std::count(bytes.begin(), bytes.end(), byte));
}

// A rig keying object whose COM port 4 is the slave side of a pseudo-terminal. Its squelch
// changes go to `events`, through `onSquelch` when one is given.
struct RigOnPty {
    explicit RigOnPty(std::function<void(bool)> onSquelch = nullptr) {
        ini.LoadText("[COM_PORTS]\nCOM4=" + pty.SlavePath() + "\n");
        RigKeyingOptions options;
        options.devicePath = [this](int port) { return ComPortDevicePath(ini, port); };
        options.onSquelch = [this, onSquelch = std::move(onSquelch)](bool open) {
            events.Callback()(open);
            if (onSquelch)
                onSquelch(open);
        };
        options.onError = [](const std::string& message, const std::string& detail) {
            ADD_FAILURE() << message << ": " << detail;
        };
        options.pollIntervalMs = 10;
        rig = std::make_unique<CRigKeying>(options);
        rig->SetSquelchSettlingMs(0);
    }

    CPseudoTerminal pty;
    CIniFile ini;
    CSquelchEvents events;
    std::unique_ptr<CRigKeying> rig;
};

TEST(RigKeyingOverPty, ILinkBoardReceivesTAndR) {
    RigOnPty r;
    ASSERT_TRUE(r.pty.IsOpen());
    CBoardSimulator board(r.pty.MasterFd(), [](uint8_t) { return Bytes{}; });
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::ILink;
    s.ilinkPort = 4;
    r.rig->OpenRigPort(s);
    r.rig->Key();
    r.rig->Unkey();
    r.rig->Key();
    r.rig->CloseRigPort();
    ASSERT_TRUE(board.WaitFor([](const Bytes& b) { return b.size() >= 5; }));
    EXPECT_EQ(board.Received(), (Bytes{'R', 'T', 'R', 'T', 'R'}));
}

// An answer that comes while the client waits for none (here: while the monitor reports the
// squelch, which the test holds it in) is not taken for the answer to the next poll.
TEST(RigKeyingOverPty, HalvekBoardExchangeSurvivesALateAnswer) {
    std::promise<void> reporting;
    std::promise<void> letGo;
    const std::shared_future<void> letGoSignal = letGo.get_future().share();
    std::atomic<bool> firstOpen{true};
    RigOnPty r([&](bool open) {
        if (!open || !firstOpen.exchange(false))
            return;
        reporting.set_value();
        letGoSignal.wait_for(std::chrono::seconds(3));
    });
    ASSERT_TRUE(r.pty.IsOpen());
    RigSettings s;
    s.keyingMethod = RigKeyingMethod::Halvek;
    s.halvekPort = 4;
    const uint8_t control = HalvekControlByte(s);
    std::atomic<uint8_t> status{0x0F}; // level 0
    CBoardSimulator board(r.pty.MasterFd(), [&](uint8_t byte) {
        return Bytes{byte == control ? status.load() : uint8_t(0)};
    });

    r.rig->OpenRigPort(s);
    ASSERT_TRUE(board.WaitFor([&](const Bytes& b) { return Count(b, control) >= 3; }));
    EXPECT_TRUE(r.events.Events().empty());
    status = 0x08; // level 7
    ASSERT_EQ(reporting.get_future().wait_for(std::chrono::seconds(3)), std::future_status::ready);
    // Read as a status the late byte would mean level 0, a closed squelch.
    const size_t polls = Count(board.Received(), control);
    const uint8_t late = 0x0F;
    ASSERT_EQ(::write(r.pty.MasterFd(), &late, 1), 1);
    letGo.set_value();
    // Once the board has the second poll after it, the first one's answer has been read.
    ASSERT_TRUE(board.WaitFor([&](const Bytes& b) { return Count(b, control) >= polls + 2; }));
    const auto events = r.events.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0].open);

    r.rig->Key();
    ASSERT_TRUE(board.WaitFor([](const Bytes& b) { return b.back() == kHalvekPtt; }));
    r.rig->CloseRigPort();
    ASSERT_TRUE(board.WaitFor([](const Bytes& b) { return b.back() == kHalvekEnd; }));
    const Bytes received = board.Received();
    EXPECT_EQ(Bytes(received.begin(), received.begin() + 2), (Bytes{kHalvekInit, control}));
}

} // namespace
