#pragma once

#include <cstdint>

struct gsm_state;

// Number of samples in one codec frame (20 ms at 8000 Hz).
constexpr int kFrameSamples = 160;
// Size of an AMR-NB 12.2 kbit/s storage frame (header byte 0x3C and 31 bytes).
constexpr int kAmrFrameBytes = 32;
// Size of a GSM 06.10 frame.
constexpr int kGsmFrameBytes = 33;

// Total size, header byte included, of an AMR storage-format frame whose
// header byte is `header`; 0 for the frame types 9 to 14, which carry no size.
int AmrFrameSize(uint8_t header);

// Turns one 160-sample frame into one compressed frame and back.
//
// AMR-NB runs in mode MR122 with DTX off. Its encoder and decoder states are
// shared by every CCodec of the process: the first CCodec creates them and they
// live until the process ends, so they carry their history from one packet to
// the next. They are not locked: the encoder is used by capture only and the
// decoder by playback only, each on one thread.
//
// GSM 06.10 has a state per object. Samples are divided by 8 before encoding
// and multiplied by 8 (kept to 16 bits) after decoding.
class CCodec {
public:
    CCodec();
    virtual ~CCodec();
    CCodec(const CCodec&) = delete;
    CCodec& operator=(const CCodec&) = delete;

    // Encodes 160 samples into `out` (room for kAmrFrameBytes) and stores the
    // frame size in outSize. The samples in `in` are left untouched. Returns
    // false (outSize 0) if the encoder produced no frame.
    virtual bool EncodeAmr(uint8_t* out, const int16_t* in, int& outSize);
    // Encodes 160 samples into one 33-byte frame.
    virtual void EncodeGsm(uint8_t* out, const int16_t* in);
    // Decodes the frame at `in`, of which `available` bytes may be read, into
    // 160 samples. frameSize receives the frame's size from its header byte.
    // Returns false and writes nothing when the frame type has no size (9 to
    // 14) or the frame is longer than `available`.
    virtual bool DecodeAmr(const uint8_t* in, int available, int16_t* out, int& frameSize);
    // Decodes one 33-byte frame into 160 samples. A frame that libgsm rejects
    // decodes to silence and the result is false.
    virtual bool DecodeGsm(const uint8_t* in, int16_t* out);

private:
    gsm_state* gsm_;
};
