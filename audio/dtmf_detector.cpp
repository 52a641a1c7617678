#include "audio/dtmf_detector.h"

#include "audio/dtmf_decoder.h"
#include "audio/dtmf_sliding_detector.h"
#include "audio/sound_packet.h"

#include <algorithm>

namespace {

struct ProcessDetector {
    std::unique_ptr<IDtmfDetector> detector = std::make_unique<CDtmfDecoder>();
    IDtmfDetector::KeySink sink;
};

ProcessDetector& Shared() {
    static ProcessDetector process;
    return process;
}

} // namespace

void IDtmfDetector::Detect(CSoundPacket& packet, const int gain[kDtmfTones],
                           int level[kDtmfTones]) {
    const size_t count = std::min(packet.samples.size(), size_t(std::max(packet.sampleCount, 0)));
    if (Process(std::span<const int16_t>(packet.samples.data(), count), gain, level))
        packet.silent = true;
}

DtmfDetectorKind DtmfDetectorKindOf(int number) {
    return number == int(DtmfDetectorKind::Sliding106) ? DtmfDetectorKind::Sliding106
                                                       : DtmfDetectorKind::Blocks299;
}

std::unique_ptr<IDtmfDetector> MakeDtmfDetector(DtmfDetectorKind kind) {
    if (kind == DtmfDetectorKind::Sliding106)
        return std::make_unique<CDtmfSlidingDetector>();
    return std::make_unique<CDtmfDecoder>();
}

void UseDtmfDetector(DtmfDetectorKind kind) {
    ProcessDetector& process = Shared();
    process.detector = MakeDtmfDetector(kind);
    process.detector->SetKeySink(process.sink);
}

void InitDtmf() {
    Shared().detector->Init();
}

void DetectDtmf(CSoundPacket& packet, const int gain[kDtmfTones], int level[kDtmfTones]) {
    Shared().detector->Detect(packet, gain, level);
}

void SetDtmfKeySink(IDtmfDetector::KeySink sink) {
    ProcessDetector& process = Shared();
    process.sink = std::move(sink);
    process.detector->SetKeySink(process.sink);
}
