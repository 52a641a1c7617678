#pragma once

#include "audio/elapsed_timer.h"
#include "audio/mixin_sound.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/stop_flag.h"
#include "radio/rig_line_keying.h"
#include "radio/rig_settings.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The texts of the three port failures, shown in stop-icon message boxes.
inline constexpr char kCannotOpenCommPort[] = "Cannot Open Comm Port";
inline constexpr char kCannotQueryCommPort[] = "Cannot Query Comm Port";
inline constexpr char kCannotSetCommPortState[] = "Cannot Set Comm Port state";

// The Halvek board's bytes.
inline constexpr uint8_t kHalvekInit = 0x66;
inline constexpr uint8_t kHalvekPtt = 0xCA;
inline constexpr uint8_t kHalvekEnd = 0xA0;
// The control byte: configures the board and, while not transmitting, polls its status.
uint8_t HalvekControlByte(const RigSettings& settings);

struct RigKeyingOptions {
    // The device of a COM port number: the window gives ComPortDevicePath with its settings
    // file; empty maps port n to /dev/ttyS<n-1>.
    std::function<std::string(int port)> devicePath;
    // Makes the port object; empty makes a CSerialPort.
    std::function<std::unique_ptr<ISerialPort>()> portFactory;
    // Opens the key line and squelch input of the CM108 and GPIO methods; empty opens the
    // devices themselves (OpenRigLines).
    std::function<RigLines(const RigSettings&)> linesFactory;
    // A squelch change seen by the monitor, called on the monitor's thread; the window queues
    // the push-to-talk command for it (open: start, closed: stop). CloseRigPort waits for a
    // call in progress, so it must not wait for the thread that closes the port.
    std::function<void(bool open)> onSquelch;
    // A port failure: `message` is one of the three texts above, `detail` the reason.
    std::function<void(const std::string& message, const std::string& detail)> onError;
    // A line for the log: the port gone or back, a keying that cannot happen. Called on the
    // thread that noticed it, never under the port lock.
    std::function<void(const std::string& line)> onNote;
    // The release deadline, the Halvek PTT repeat and the port retry are measured on this
    // clock.
    IClock* clock = &SystemClock();
    // A port that has gone, or failed to open, is tried again this often.
    uint32_t reopenIntervalMs = 2000;
    // The monitor's pass, also the step of the squelch close confirmation.
    int pollIntervalMs = 50;
};

// Keys the transmitter by the chosen method and watches the receiver's squelch on the serial
// port, the Halvek board or the input of the CM108 and GPIO methods (CRigLineKeying). Key, Unkey,
// UnkeyAfter, CheckReleaseDeadline and the getters may be used from any thread; OpenRigPort,
// CloseRigPort and IsMonitorRunning from one thread (the window's).
class CRigKeying {
public:
    explicit CRigKeying(RigKeyingOptions options);
    // Closes the port, leaving the transmitter released.
    ~CRigKeying();
    CRigKeying(const CRigKeying&) = delete;
    CRigKeying& operator=(const CRigKeying&) = delete;

    // Opens and configures the port of settings.keyingMethod, prepares the keying tone for
    // the tone method, starts the squelch monitor when there is something to watch, and
    // releases the transmitter. A port failure is reported through onError; the methods then
    // key nothing. A port that is open is closed first.
    void OpenRigPort(const RigSettings& settings);
    // Releases the transmitter, ends the monitor thread (after a squelch callback in progress)
    // and closes the port. The monitor's waits and board reads end as soon as it is asked.
    void CloseRigPort();

    // Keys the transmitter. With no port for a port method, or one that has gone, nothing is
    // keyed: the lamp stays off and the reason is logged once.
    void Key();
    void Unkey();
    // Releases the transmitter when ms milliseconds have passed (checked by
    // CheckReleaseDeadline). Keying again cancels the pending release.
    void UnkeyAfter(uint32_t ms);
    // Releases the transmitter when the deadline set by UnkeyAfter has passed; call it from
    // the window's timer.
    void CheckReleaseDeadline();
    // Notices a port that has gone (the keying lines then count as released and the squelch
    // monitor ends, reporting a closed squelch) and tries a missing port again every
    // reopenIntervalMs, restarting the monitor once it is back. Call it from the window's
    // timer.
    void CheckPort();

    // The TX lamp: on from the start of Key to the start of Unkey.
    bool IsLampOn() const { return lamp_.load(); }
    // Keyed: from the end of Key to the end of Unkey.
    bool IsKeyed() const;
    bool IsPortOpen() const;
    bool IsMonitorRunning() const;
    RigKeyingMethod KeyingMethod() const;

    // The tone that playback loops into its output while keyed with the tone method
    // (toneFrequencyHz, 200 ms, amplitude toneLevel). OpenRigPort rebuilds it, so playback
    // must not run across OpenRigPort.
    CMixInSound& KeyingTone() { return keyingTone_; }

    // Values the window may change while the port is open; the monitor reads them live.
    void SetSquelchSettlingMs(int ms);
    void SetHalvekSquelchLevel(int level);

private:
    // The monitor thread's loop (rig_keying.cpp).
    class CMonitor;

    // False when the method's port is missing or has gone, so nothing was switched.
    bool SetKeying(bool keyed);
    void ReportOpenFailure(const SerialOpenResult& result);
    // Opens the port chosen by OpenRigPort and keeps it; the reason when it fails.
    SerialOpenResult OpenPort();
    void StartMonitorIfWatched();
    void LosePort();
    void ReportCannotKey();
    void Note(const std::string& line) const;

    RigKeyingOptions options_;
    CMixInSound keyingTone_;

    // Guards port_ and settings_. Held for each port operation (a Halvek command with its
    // answer counts as one), never while waiting or calling back.
    mutable std::mutex portMutex_;
    std::unique_ptr<ISerialPort> port_;
    RigSettings settings_;
    // Why the method cannot key while port_ is missing.
    std::string portProblem_;

    // The port of the method in force, as OpenRigPort chose it (window's thread).
    std::string portPath_;
    std::string portName_; // "COM3 (/dev/ttyUSB0)", for the log
    int portBaud_ = 0;
    SerialRestLines portRest_ = SerialRestLines::BothLow;
    bool portMissing_ = false; // to be tried again
    CElapsedTimer reopenTimer_;
    std::atomic<bool> cannotKeyReported_{false};

    // Shared with the monitor thread, which reads them live.
    std::atomic<bool> keyed_{false};
    std::atomic<int> settlingMs_{300}; // the setting's first-start value
    std::atomic<int> halvekSquelchLevel_{0};
    CStopFlag monitorStop_;
    std::thread monitorThread_;

    std::atomic<bool> lamp_{false};
    std::atomic<uint32_t> deadline_{0}; // 0: none

    // The CM108 and GPIO methods' device, in place of the port.
    CRigLineKeying lines_{options_};
};

// What the main window shows for the rig settings.
struct RigWindowLayout {
    const char* voxBoxCaption;  // "Mute" with a squelch input, else "Vox"
    const char* micSliderLabel; // the label above the "Mic" sliders
    bool showSilenceLevel;      // the "Silence Level" group and its slider
    int voxSliderMaximum;       // the VOX slider's range starts at 0
    int voxSliderPosition;
    // The VOX slider sets halvekSquelchLevel (HalvekSquelchLevelFromSlider) and the rig
    // settings are written at once, instead of setting the VOX level.
    bool voxSliderSetsSquelchLevel;
};
RigWindowLayout RigWindowLayoutFor(const RigSettings& settings, int voxLevel);
int HalvekSquelchLevelFromSlider(int position);
