#pragma once

#include "platform/clock.h"
#include "server/stand_in_server.h"
#include "tests/server/test_station.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A stand-in server on a free loopback port for one test, with its log kept
// for the test to look at.
class CServerRun {
public:
    explicit CServerRun(CServerOptions options = {});

    uint16_t Port() const { return server_->Port(); }
    // Waits for a log line that contains the text.
    bool WaitForLog(const std::string& text, std::chrono::milliseconds timeout = kWait);

    std::unique_ptr<CTestStation> Connect() const;
    // A station that has joined; what the join brought is dropped.
    std::unique_ptr<CTestStation> Joined(const std::string& callSign, const std::string& room,
                                         uint8_t command = 26) const;

private:
    std::mutex mutex_;
    std::condition_variable logged_;
    std::vector<std::string> log_;
    std::unique_ptr<CStandInServer> server_; // last: stops before the log goes
};

// A server clock (CServerOptions::now) that reads `clock`, which moves only when
// the test moves it: the timing rules then hold whatever the machine's load.
std::function<std::chrono::steady_clock::time_point()> ServerClock(const CManualClock& clock);
