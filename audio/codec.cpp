#include "audio/codec.h"

#include <opencore-amrnb/interf_dec.h>
#include <opencore-amrnb/interf_enc.h>

#include <gsm.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The process-wide AMR states, created on first use (thread-safe) and never
// released.
struct AmrStates {
    void* encoder = Encoder_Interface_init(0);
    void* decoder = Decoder_Interface_init();
};

AmrStates& SharedAmrStates() {
    static AmrStates states;
    return states;
}

} // namespace

int AmrFrameSize(uint8_t header) {
    static constexpr int kSizes[16] = {13, 14, 16, 18, 20, 21, 27, 32, 6, 0, 0, 0, 0, 0, 0, 1};
    return kSizes[(header >> 3) & 0x0F];
}

CCodec::CCodec() : gsm_(gsm_create()) {
    if (!gsm_)
        std::abort();
    SharedAmrStates();
}

CCodec::~CCodec() {
    gsm_destroy(gsm_);
}

bool CCodec::EncodeAmr(uint8_t* out, const int16_t* in, int& outSize) {
    // The encoder writes into the samples it is given, so it works on a copy.
    int16_t speech[kFrameSamples];
    std::copy_n(in, kFrameSamples, speech);
    const int n = Encoder_Interface_Encode(SharedAmrStates().encoder, MR122, speech, out, 0);
    outSize = std::clamp(n, 0, kAmrFrameBytes);
    return outSize > 0;
}

void CCodec::EncodeGsm(uint8_t* out, const int16_t* in) {
    gsm_signal scaled[kFrameSamples];
    for (int i = 0; i < kFrameSamples; ++i)
        scaled[i] = gsm_signal(in[i] / 8);
    gsm_encode(gsm_, scaled, out);
}

bool CCodec::DecodeAmr(const uint8_t* in, int available, int16_t* out, int& frameSize) {
    frameSize = available > 0 ? AmrFrameSize(in[0]) : 0;
    if (frameSize == 0 || frameSize > available)
        return false;
    Decoder_Interface_Decode(SharedAmrStates().decoder, in, out, 0);
    return true;
}

bool CCodec::DecodeGsm(const uint8_t* in, int16_t* out) {
    // libgsm takes a non-const frame but only reads it.
    gsm_byte frame[kGsmFrameBytes];
    std::copy_n(in, kGsmFrameBytes, frame);
    if (gsm_decode(gsm_, frame, out) != 0) {
        std::fill_n(out, kFrameSamples, int16_t(0));
        return false;
    }
    for (int i = 0; i < kFrameSamples; ++i)
        out[i] = int16_t(uint16_t(uint32_t(out[i]) * 8u));
    return true;
}
