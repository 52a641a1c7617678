#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The HID reports of the C-Media CM108/CM119 USB sound chips, as /dev/hidrawN writes and reads
// them. The chips have GPIO pins 1 to 8 (the CM108AH only 1 to 4); interfaces key the
// transmitter with GPIO3 as a rule.
inline constexpr int kCm108FirstPin = 1;
inline constexpr int kCm108LastPin = 8;

// The output report that makes `pin` an output at the level `high` (the other pins inputs):
// the report id 0, then HID_OR0 = 0 (the next two bytes are GPIO data and direction), HID_OR1
// the GPIO data (bit n-1 for GPIOn, 1: high), HID_OR2 the GPIO direction (1: output) and HID_OR3
// = 0 (S/PDIF status).
std::array<uint8_t, 5> Cm108GpioReport(int pin, bool high);

// Whether an input report (HID_IR0 to HID_IR3) says that the volume-down input is pressed
// (bit 1 of HID_IR0); false for a report too short to say.
bool Cm108VolumeDownPressed(const uint8_t* report, size_t length);
