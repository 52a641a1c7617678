#pragma once

#include "platform/stop_flag.h"
#include "protocol/msg.h"
#include "protocol/socket_stream.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

// How long a test waits for a message that should come.
constexpr std::chrono::milliseconds kWait = 5s;
// How long a test watches for a message that should not come.
constexpr std::chrono::milliseconds kQuiet = 200ms;

// A scripted station built from the protocol library: it connects over
// loopback, a thread reads every message the server sends into a queue, and
// the test takes them with a time limit and writes its own messages.
class CTestStation {
public:
    explicit CTestStation(uint16_t port, const std::string& host = "127.0.0.1");
    ~CTestStation();

    bool Connected() const { return stream_.IsOpen(); }
    void Send(const CMsg& message);
    void SendBytes(const std::vector<uint8_t>& bytes);

    // The next message; null when none comes within the timeout or the
    // server ended the connection.
    std::unique_ptr<CMsg> Next(std::chrono::milliseconds timeout = kWait);
    // The summaries (see Summary) of the next n messages; fewer on time-out.
    std::vector<std::string> Take(size_t n, std::chrono::milliseconds timeout = kWait);
    // The summary of the next message with this command, skipping others;
    // empty on time-out.
    std::string NextOf(uint8_t command, std::chrono::milliseconds timeout = kWait);
    // Everything that arrives within the period.
    std::vector<std::string> Collect(std::chrono::milliseconds period);
    // True when the server ends the connection within the timeout; messages
    // still waiting are discarded.
    bool WaitForEnd(std::chrono::milliseconds timeout = kWait);

    // Reads the greeting (the server's version), answers with version 21 and
    // the join, and returns the summaries of what the join brought, up to and
    // with the active rooms list that ends it.
    std::vector<std::string> Join(const std::string& callSign, const std::string& room,
                                  uint8_t command = 26, const std::string& password = "",
                                  const std::string& comment = "");
    // Sends a join message and nothing else.
    void SendJoin(const std::string& callSign, const std::string& room, uint8_t command = 26,
                  const std::string& password = "", const std::string& comment = "");
    // Another join, for a station that is already greeted; returns what it
    // brought, as Join does.
    std::vector<std::string> Rejoin(const std::string& callSign, const std::string& room,
                                    uint8_t command = 26, const std::string& password = "",
                                    const std::string& comment = "");

private:
    void ReadLoop();

    CSocketStream stream_;
    CStopFlag stop_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::unique_ptr<CMsg>> received_;
    bool ended_ = false;
    std::thread reader_;
};

// A short text for a message that tests compare: "version 120",
// "users clear +A(comment) +B* -C A-on A-off", "list A(comment) B",
// "rooms R1 R2", "talking \"A\"", "text \"...\"", "sound 300", "silence",
// "filler 700", and the Describe text for the rest ("Ping", "Courtesy").
std::string Summary(const CMsg& message);
