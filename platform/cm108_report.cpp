#include "platform/cm108_report.h"

namespace {
constexpr uint8_t kVolumeDownBit = 0x02;
}

std::array<uint8_t, 5> Cm108GpioReport(int pin, bool high) {
    const auto bit = uint8_t(1u << (pin - 1));
    return {0x00, 0x00, high ? bit : uint8_t(0), bit, 0x00};
}

bool Cm108VolumeDownPressed(const uint8_t* report, size_t length) {
    return length >= 1 && (report[0] & kVolumeDownBit) != 0;
}
