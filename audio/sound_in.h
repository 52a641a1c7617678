#pragma once

#include "audio/dtmf_decoder.h"
#include "audio/queues.h"
#include "platform/wave_device.h"

#include <array>
#include <cstdint>
#include <memory>

class CElapsedTimer;
class ISoundHost;

// The texts of the capture errors.
inline constexpr char kNoSoundDevice[] = "No Sound Device";
inline constexpr char kNoCaptureRate[] = "Sound Output Device is in use or, does not support 8kHz, "
                                         "11.025kHz or 22.05kHz 16bit mono sound mode";
inline constexpr char kCannotStartWaveIn[] = "Cannot Start Wave In !";
inline constexpr char kCannotAddBuffer[] = "Cannot Add Buffer !";

// The capture engine: records the receiver's audio in 200 ms buffers, two of
// them with the device at a time, turns each into an 8000 Hz packet, feeds
// the DTMF decoder and the input meter, decides by VOX, push-to-talk or the
// squelch input whether the packet goes to the room, and puts the encoded
// packets on transmitQueue for the transmit thread.
//
// Everything runs on the window's thread. The device reports to `sink` (the
// client's) from its own thread; the client queues each notification and
// calls OnData or OnClose here on the window's thread, in the order they came.
class CSoundIn {
public:
    CSoundIn(IWaveIn& device, IWaveInSink& sink, ISoundHost& host);
    // Closes a device still open; its notifications must then no longer reach
    // this engine.
    virtual ~CSoundIn();
    CSoundIn(const CSoundIn&) = delete;
    CSoundIn& operator=(const CSoundIn&) = delete;

    // Opens deviceId at 8000, 11025 or 22050 Hz and starts recording. Errors
    // are shown through the host; the engine then stays stopped.
    void Start();
    // Stops once every buffer with the device has come back; OnClose follows.
    void RequestStop();
    // A buffer has come back from the device.
    void OnData(WaveBuffer buffer);
    // The device has closed.
    void OnClose();

    // What the meters show, read on the window's thread, each 0 to 32768:
    // the input level, which is the last packet's peak (0 while stopped, and
    // for a packet that was muted, ignored or held a DTMF key), and the DTMF
    // decoder's levels of its last block.
    int LastPeak() const { return lastPeak; }
    const std::array<int32_t, kDtmfTones>& DtmfLevels() const { return dtmfLevel; }

    WaveDeviceId deviceId;
    // Start playback (and key) once the device has closed.
    bool startPlaybackOnClose = false;
    // VOX threshold for the next packet: voxLevel opens the channel,
    // silenceLevel holds it open.
    int32_t threshold = 0;
    int32_t voxLevel = 0;
    int32_t silentRun = 0;
    // Playback's stopwatch of the last audio sent to the transmitter (not
    // owned), and how long after it captured audio is ignored.
    CElapsedTimer* settleTimer = nullptr;
    int32_t settleMs = 0;
    // Push-to-talk or an open squelch forces transmission.
    bool pttActive = false;
    int32_t lastPeak = 0;
    bool voxEnabled = true;
    int32_t silenceLevel = 1280;
    int32_t buffersQueued = 0;
    bool stopped = true;
    CSoundQueue transmitQueue;
    std::array<int32_t, kDtmfTones> dtmfGain{};
    std::array<int32_t, kDtmfTones> dtmfLevel{};
    bool stopRequested = false;
    int32_t rate = 8000;
    int32_t bufferSamples = 1600;

private:
    enum class Device { Closed, Open, Closing };

    void AddBuffer();
    // Asks the device to close, once; OnClose follows.
    void CloseDevice();
    // Decides what becomes of one full packet and hands it on.
    void Process(std::unique_ptr<CSoundPacket> packet);

    IWaveIn& device_;
    IWaveInSink& sink_;
    ISoundHost& host_;
    Device state_ = Device::Closed;
};
