#pragma once

#include <functional>
#include <mutex>
#include <string>

// The server's event log: hands each line to the sink one call at a time, so
// that sinks need not be thread-safe. Without a sink lines are dropped.
class CServerLog {
public:
    explicit CServerLog(std::function<void(const std::string&)> sink) : sink_(std::move(sink)) {}

    void operator()(const std::string& line) {
        if (!sink_)
            return;
        std::lock_guard lock(mutex_);
        sink_(line);
    }

private:
    std::mutex mutex_;
    std::function<void(const std::string&)> sink_;
};
