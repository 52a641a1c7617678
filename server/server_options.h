#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

// How a CStandInServer listens and behaves. Intervals are in milliseconds so
// that tests can run the timing rules quickly.
struct CServerOptions {
    // HOST:PORT to listen on; an IPv6 host goes in brackets ("[::1]:0").
    // Port 0 picks a free port (see CStandInServer::Port).
    std::string listen = "0.0.0.0:10024";
    // The version announced in the greeting.
    int32_t version = 120;
    // When set, every join must carry it (a command-4 join carries none).
    std::string password;
    // Sent as a text message to each station when it first joins a room.
    std::string welcome;
    // Ping to every station at this interval; zero for never.
    std::chrono::milliseconds pingInterval{10000};
    // Send ID to every joined station at this interval; zero for never.
    std::chrono::milliseconds idInterval{0};
    // A station that sends nothing for this long is dropped.
    std::chrono::milliseconds idleTimeout{60000};
    // The talker loses the floor when no audio arrives for this long.
    std::chrono::milliseconds floorTimeout{2000};
    // A station whose outgoing queue grows beyond this many messages is not
    // reading and is dropped, so that it cannot hold unbounded memory.
    size_t maxQueuedMessages = 5000;
    // When set, an Admin Request with it makes the connection an
    // administration station; when empty, every Admin Request is refused.
    std::string adminPassword;
    // Admin Notify to every administration station at this interval (and
    // whenever a station joins or leaves a room); zero for changes only.
    std::chrono::milliseconds adminNotifyInterval{2000};
    // The clock that the intervals and time-outs run on. Tests replace it
    // with one that moves only when they move it; the chores see a move
    // within the time that was left to their next deadline.
    std::function<std::chrono::steady_clock::time_point()> now = [] {
        return std::chrono::steady_clock::now();
    };
    // The time that restriction ends are measured against, in seconds since
    // 1970 UTC. Tests replace it with a clock they move.
    std::function<int64_t()> utcSeconds = [] { return int64_t(std::time(nullptr)); };
    // Receives one line per event, from any thread, one call at a time.
    std::function<void(const std::string&)> log;
};
