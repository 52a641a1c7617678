#pragma once

// The choices of the rig link: how the transmitter is keyed and where the receiver's squelch
// is read. The values are the numbers the settings file stores.

// How the transmitter is keyed.
enum class RigKeyingMethod {
    Tone = 0,    // a continuous tone mixed into playback
    ILink = 1,   // an iLink board on a serial port
    ComPort = 2, // a control line of a serial port
    Vox = 3,     // the radio's own VOX: nothing to key
    Halvek = 4,  // a Halvek board on a serial port
    Cm108 = 5,   // a GPIO pin of a CM108/CM119 USB sound chip
    Gpio = 6,    // a line of a GPIO chip
};

// The serial port's control line that keys the transmitter (RigKeyingMethod::ComPort).
enum class RigKeyLine {
    Rts = 0,
    Dtr = 1,
};

// The input that carries the receiver's squelch: a modem input of the serial port
// (RigKeyingMethod::ComPort), the volume-down input of the CM108/CM119 chip
// (RigKeyingMethod::Cm108) or a GPIO line (RigKeyingMethod::Gpio).
enum class RigSquelchLine {
    None = 0, // no squelch input: capture decides by VOX level
    Cts = 1,
    Dsr = 2,
    Cm108VolumeDown = 3,
    Gpio = 4,
};
