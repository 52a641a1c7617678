#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Sound devices for capture (IWaveIn) and playback (IWaveOut): mono 16-bit
// PCM, driven by buffers that the caller owns and lends to the device. The
// device hands each buffer back through a notification sink once it has been
// filled (capture) or played (playback), or when a reset or close returns it
// unused. Notifications come from the device's own thread: a sink only queues
// them for the thread that owns the engine, it never calls engine code
// directly and never waits for that thread.

// Rates a device is tried at, in this order.
inline constexpr int kWaveRates[] = {8000, 11025, 22050};

// Samples in one 200 ms device buffer at rate: 1600, 2205 or 4410.
constexpr int WaveBufferSamples(int rate) {
    return rate * 1600 / 8000;
}

// A buffer lent to a device. For capture, samples.size() is how much to record
// and filled says how much was; for playback, samples is what to play and
// filled how much of it was played. A buffer that a reset or close hands back
// unused has filled 0. tag is the caller's own.
struct WaveBuffer {
    std::vector<int16_t> samples;
    size_t filled = 0;
    uint64_t tag = 0;
};

// Which device to open: a non-empty name (an ALSA PCM name, or the path of a
// WAV file for the file devices) wins over the index; index -1 is the
// system's default device.
struct WaveDeviceId {
    int index = -1;
    std::string name;
};

enum class WaveError {
    None,
    NoDevice,  // the device does not exist
    Busy,      // another program holds it
    BadFormat, // it cannot do this rate with 16-bit mono
    Failed,    // anything else
};

// The result of an open; message says what went wrong and what to do, for
// the user.
struct WaveStatus {
    WaveError error = WaveError::None;
    std::string message;

    explicit operator bool() const { return error == WaveError::None; }
};

class IWaveInSink {
public:
    virtual ~IWaveInSink() = default;
    // A capture buffer comes back: filled, or partly or not at all after a
    // reset or close.
    virtual void OnWaveInData(WaveBuffer buffer) = 0;
    // The device has closed; every buffer has come back before this.
    virtual void OnWaveInClose() = 0;
    // The device failed in the middle (a USB card unplugged) and recovery
    // could not clear it; reason names the device and the error. It records
    // nothing more, and keeps its buffers until a Reset or Close.
    virtual void OnWaveInFailed(const std::string& reason) = 0;
};

class IWaveOutSink {
public:
    virtual ~IWaveOutSink() = default;
    // A playback buffer comes back: played, or unplayed after a reset or close.
    virtual void OnWaveOutDone(WaveBuffer buffer) = 0;
    // The device has closed; every buffer has come back before this.
    virtual void OnWaveOutClose() = 0;
    // As OnWaveInFailed: nothing more is played.
    virtual void OnWaveOutFailed(const std::string& reason) = 0;
};

// The operations of a capture device. Buffers come back in the order they
// were added. Reset and Close return at once; the buffers and the close
// notification follow from the device thread. The sink must outlive the
// open device; destroying an open device closes it without notifications.
class IWaveIn {
public:
    virtual ~IWaveIn() = default;
    // Opens the device at rate, 16-bit mono, stopped. Fails while the device
    // is open (until Close); opening again after Close waits for the previous
    // close to finish.
    virtual WaveStatus Open(const WaveDeviceId& device, int rate, IWaveInSink& sink) = 0;
    // Lends an empty buffer to be filled. False (and the buffer stays with the
    // caller) when the device is not open or the buffer has no room.
    virtual bool AddBuffer(WaveBuffer&& buffer) = 0;
    // Starts recording into the buffers, in order.
    virtual bool Start() = 0;
    // Stops recording and returns every buffer it holds; the device stays
    // open, and buffers added afterwards wait for the next Start.
    virtual void Reset() = 0;
    // Like Reset, then closes the device and notifies the sink.
    virtual void Close() = 0;
};

// The operations of a playback device; as IWaveIn, with buffers to play.
class IWaveOut {
public:
    virtual ~IWaveOut() = default;
    virtual WaveStatus Open(const WaveDeviceId& device, int rate, IWaveOutSink& sink) = 0;
    // Lends a buffer to play after those written before. False (and the buffer
    // stays with the caller) when the device is not open or the buffer is
    // empty.
    virtual bool Write(WaveBuffer&& buffer) = 0;
    // Starts playing; buffers written before wait until then.
    virtual bool Start() = 0;
    // Stops at once and returns every buffer not yet played.
    virtual void Reset() = 0;
    virtual void Close() = 0;
};

struct WaveOpenResult {
    WaveStatus status; // of the last rate tried
    int rate = 0;      // the rate opened, 0 when none
};

// Open the device at the first of kWaveRates it accepts. A missing or busy
// device ends the search at once, since no other rate would help.
WaveOpenResult OpenWaveIn(IWaveIn& device, const WaveDeviceId& id, IWaveInSink& sink);
WaveOpenResult OpenWaveOut(IWaveOut& device, const WaveDeviceId& id, IWaveOutSink& sink);
