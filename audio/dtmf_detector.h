#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

class CSoundPacket;

// Number of DTMF tones: four of the low group, then four of the high group.
constexpr int kDtmfTones = 8;

// What capture needs of a DTMF detector: 8000 Hz audio in pieces of any
// size, the eight per-tone gains of the sliders in and the eight levels of
// the meters out, and each recognised key press handed to the key sink once.
class IDtmfDetector {
public:
    using KeySink = std::function<void(char key)>;

    virtual ~IDtmfDetector() = default;

    // Starts on fresh audio (what carries over is the detector's business).
    virtual void Init() = 0;
    // Runs the detector over samples. gain[k] scales tone k's filter output
    // into level[k] (0 to 32768, a full-scale sine giving as much with every
    // detector). Returns true when the samples held tone audio of a key.
    virtual bool Process(std::span<const int16_t> samples, const int gain[kDtmfTones],
                         int level[kDtmfTones]) = 0;

    void SetKeySink(KeySink sink) { sink_ = std::move(sink); }
    // Process over a packet's samples; marks the packet silent when it held
    // a key, so the tones are not sent on.
    void Detect(CSoundPacket& packet, const int gain[kDtmfTones], int level[kDtmfTones]);

protected:
    void Emit(char key) {
        if (sink_)
            sink_(key);
    }

private:
    KeySink sink_;
};

// The detectors to choose from, by their number in the settings.
enum class DtmfDetectorKind {
    Blocks299 = 0,  // CDtmfDecoder: three 37 ms blocks per key
    Sliding106 = 1, // CDtmfSlidingDetector: keys from 24 ms, frequency checked
};

// Kind 1 is the sliding detector; any other number the 299-sample one.
DtmfDetectorKind DtmfDetectorKindOf(int number);
std::unique_ptr<IDtmfDetector> MakeDtmfDetector(DtmfDetectorKind kind);

// The detector of the process, which capture feeds. It starts as the
// 299-sample one; UseDtmfDetector replaces it by a fresh detector of the
// kind given, which keeps the key sink.
void UseDtmfDetector(DtmfDetectorKind kind);
void InitDtmf();
void DetectDtmf(CSoundPacket& packet, const int gain[kDtmfTones], int level[kDtmfTones]);
// Where the process detector hands each recognised key press.
void SetDtmfKeySink(IDtmfDetector::KeySink sink);
