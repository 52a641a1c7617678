#pragma once

#include "audio/elapsed_timer.h"
#include "platform/stop_flag.h"
#include "radio/rig_lines.h"
#include "radio/rig_settings.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

struct RigKeyingOptions;

// The text of a failure to open the device of the CM108 or GPIO method, shown in a stop-icon
// message box.
inline constexpr char kCannotOpenKeyingDevice[] = "Cannot Open Keying Device";

// The CM108 and GPIO methods of CRigKeying: keys through a key line and watches a squelch
// input, and treats a device that goes or does not open as a serial port is treated. Set and
// the getters may be used from any thread, the rest from the window's.
class CRigLineKeying {
public:
    enum class Change {
        None,
        Gone, // the lines have gone: the transmitter counts as released
        Back, // they have opened again (released)
    };

    // Uses the factory, callbacks, clock and intervals of `options`, which must outlive it.
    explicit CRigLineKeying(const RigKeyingOptions& options);
    ~CRigLineKeying();
    CRigLineKeying(const CRigLineKeying&) = delete;
    CRigLineKeying& operator=(const CRigLineKeying&) = delete;

    // Whether the settings key by the CM108 or the GPIO method.
    static bool IsUsed(const RigSettings& settings);

    // For the CM108 and GPIO methods: opens the lines and starts watching the squelch input
    // when there is one; a failure goes to onError and the lines are tried again every
    // reopenIntervalMs. Other methods: nothing.
    void Open(const RigSettings& settings);
    // Ends the watch and gives the lines back.
    void Close();

    // Drives the key line; false when there is none (not open, or gone).
    bool Set(bool keyed);
    // Notices lines that have gone (the watch then reports a closed squelch and ends) and tries
    // missing ones again; call it from the window's timer.
    Change Check();

    bool IsOpen() const;
    bool IsWatching() const { return watch_.joinable(); }
    // Why the lines cannot key, while they cannot.
    std::string Problem() const;

private:
    enum class Reading { Closed, Open, Unknown, Gone };

    bool TryOpen();
    void StartWatch();
    void StopWatch();
    void Watch();
    Reading ReadSquelch();
    void Deliver(bool open);
    bool Wait(int ms);
    void Note(const std::string& line) const;

    const RigKeyingOptions& options_;
    RigSettings settings_;
    bool active_ = false; // the settings choose one of the two methods
    bool missing_ = false;
    CElapsedTimer reopenTimer_;

    // Guards the lines and the texts; held for each line operation, never while waiting or
    // calling back.
    mutable std::mutex mutex_;
    std::unique_ptr<IKeyingLine> key_;
    std::unique_ptr<ISquelchInput> squelch_;
    std::string name_;
    std::string problem_;

    CStopFlag stop_;
    std::thread watch_;
    std::atomic<bool> squelchOpen_{false}; // as last delivered
};
