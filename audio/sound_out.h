#pragma once

#include "audio/elapsed_timer.h"
#include "audio/mixin_queue.h"
#include "audio/queues.h"
#include "platform/wave_device.h"

#include <cstdint>
#include <memory>

class ISoundHost;

// The texts of the playback errors.
inline constexpr char kNoSoundOutputDevice[] = "No Sound Output Device";
inline constexpr char kCannotAddOutputBuffer[] = "Sound output Cannot Add Buffer !";

// Buffers of silence in a row, played while keyed, after which the
// connection is ended: the transmitter is stuck on an empty channel.
inline constexpr int kMaxKeyedSilence = 128;

// The playback engine: plays the room's audio into the transmitter. Each
// buffer the device finishes is replaced by the next received packet,
// decoded, with the current mix-in sound and (while keyed by tone) the keying
// tone added, or by a buffer of silence when nothing waits. Three buffers are
// with the device in steady state. Mixing is done at 8000 Hz; when the device
// runs at 11025 or 22050 Hz the mixed packet is resampled to that rate before
// it is written.
//
// Everything runs on the window's thread. The device reports to `sink` (the
// client's) from its own thread; the client queues each notification and
// calls OnDone or OnClose here on the window's thread, in the order they came.
class CSoundOut {
public:
    CSoundOut(IWaveOut& device, IWaveOutSink& sink, ISoundHost& host,
              IClock& clock = SystemClock());
    // Deletes what is still queued; closes a device still open, whose
    // notifications must then no longer reach this engine.
    virtual ~CSoundOut();
    CSoundOut(const CSoundOut&) = delete;
    CSoundOut& operator=(const CSoundOut&) = delete;

    // Opens deviceId at 8000, 11025 or 22050 Hz and starts playing silence.
    // False when no device opens: the engine then ends at once as if its
    // device had closed (see OnClose), so nothing waits on a device that is
    // not there. A running engine is left as it is.
    bool Start();
    // Stops once the receive queue has run dry and every buffer has come
    // back; OnClose follows. Received packets still play meanwhile.
    void Close();
    // A buffer has come back from the device.
    void OnDone(WaveBuffer buffer);
    // The device has closed: drops everything queued, hands the sound card
    // back to capture when asked to, and unkeys.
    void OnClose();

    // The output meter's level, read on the window's thread: the peak of the
    // last buffer written, mixed-in sounds included (0 while stopped).
    int LastPeak() const { return lastPeak; }

    WaveDeviceId deviceId;
    // Time since the last non-silent buffer went to the device.
    CElapsedTimer lastAudio;
    int32_t rate = 8000;
    int32_t bufferSamples = 1600;
    int32_t buffersQueued = 0;
    // True from construction and from OnClose until the next Start.
    bool stopped = true;
    bool stopRequested = false;
    bool restartCaptureOnClose = false;
    // Received packets, Silence packets and mix-in markers, each marker
    // owning its sound until it is played.
    CSoundQueue receiveQueue;
    CMixInQueue mixInQueue;
    int32_t fillerRun = 0;
    // Stop once drained, like Close, and start capture afterwards.
    bool stopWhenDrained = false;
    int32_t lastPeak = 0;
    std::unique_ptr<CMixInSound> currentMixIn;

private:
    enum class Device { Closed, Open, Closing };

    // The next packet to play at 8000 Hz; a buffer of silence when nothing
    // waits (filler set).
    std::unique_ptr<CSoundPacket> NextPacket(bool& filler);
    void MixCurrentSound(CSoundPacket& packet);
    void WriteSilence();
    void Write(std::vector<int16_t> samples);
    // Asks the device to close, once; OnClose follows.
    void CloseDevice();
    // Deletes every queued packet and sound.
    void DropQueued();

    IWaveOut& device_;
    IWaveOutSink& sink_;
    ISoundHost& host_;
    Device state_ = Device::Closed;
};
