#include "tests/server/server_run.h"

#include <gtest/gtest.h>

#include <algorithm>

CServerRun::CServerRun(CServerOptions options) {
    options.listen = "127.0.0.1:0";
    options.log = [this](const std::string& line) {
        std::lock_guard lock(mutex_);
        log_.push_back(line);
        logged_.notify_all();
    };
    server_ = std::make_unique<CStandInServer>(std::move(options));
    std::string error;
    EXPECT_TRUE(server_->Start(error)) << error;
}

bool CServerRun::WaitForLog(const std::string& text, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return logged_.wait_for(lock, timeout, [&] {
        return std::any_of(log_.begin(), log_.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    });
}

std::unique_ptr<CTestStation> CServerRun::Connect() const {
    return std::make_unique<CTestStation>(Port());
}

std::unique_ptr<CTestStation> CServerRun::Joined(const std::string& callSign,
                                                 const std::string& room, uint8_t command) const {
    auto station = Connect();
    station->Join(callSign, room, command);
    return station;
}

std::function<std::chrono::steady_clock::time_point()> ServerClock(const CManualClock& clock) {
    return [&clock] {
        return std::chrono::steady_clock::time_point(std::chrono::milliseconds(clock.Ticks()));
    };
}
