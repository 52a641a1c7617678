#include "radio/rig_keying_dlg.h"

#include "platform/cm108_report.h"
#include "platform/com_ports.h"
#include "platform/ini_file.h"

#include <algorithm>

namespace {

DlgList PortList(int port) {
    DlgList list;
    for (int i = 1; i <= CRigKeyingDlg::kPortCount; ++i)
        list.entries.push_back("COM" + std::to_string(i));
    list.selection = port >= 1 && port <= CRigKeyingDlg::kPortCount ? port - 1 : -1;
    return list;
}

int PortOf(const DlgList& list, int opened) {
    return list.selection >= 0 ? list.selection + 1 : opened;
}

} // namespace

void CRigKeyingDlg::Open(const RigSettings& s, const std::vector<std::string>& deviceNames) {
    opened_ = s;
    RigKeyingDlgFields& f = fields;
    f = {};
    f.methodContinuousTone = s.keyingMethod == RigKeyingMethod::Tone;
    f.methodILink = s.keyingMethod == RigKeyingMethod::ILink;
    f.methodComPort = s.keyingMethod == RigKeyingMethod::ComPort;
    f.methodHalvek = s.keyingMethod == RigKeyingMethod::Halvek;
    f.methodCm108 = s.keyingMethod == RigKeyingMethod::Cm108;
    f.methodGpio = s.keyingMethod == RigKeyingMethod::Gpio;
    f.methodVox = !f.methodContinuousTone && !f.methodILink && !f.methodComPort &&
                  !f.methodHalvek && !f.methodCm108 && !f.methodGpio;

    f.comPort = PortList(s.comPort);
    f.ilinkPort = PortList(s.ilinkPort);
    f.halvekPort = PortList(s.halvekPort);

    f.toneLevel = std::to_string(s.toneLevel);
    f.toneFrequency = std::to_string(s.toneFrequencyHz);
    f.txTimeoutEnabled = s.txTimeoutEnabled;
    f.txTimeout = std::to_string(s.txTimeoutSeconds);
    f.txRestart = std::to_string(s.txRestartSeconds);

    f.rts = s.keyLine == RigKeyLine::Rts;
    f.dtr = !f.rts;
    f.invertKeying = s.invertKeying;

    f.squelchCts = s.squelchLine == RigSquelchLine::Cts;
    f.squelchDsr = s.squelchLine == RigSquelchLine::Dsr;
    f.squelchVox = !f.squelchCts && !f.squelchDsr;
    f.invertSquelch = s.invertSquelch;

    f.halvekDigitalSquelch = s.halvekDigitalSquelch;
    f.halvekDigitalSquelchActiveHigh = s.halvekDigitalSquelchActiveHigh;
    f.analogSquelchLevel = std::clamp(s.halvekSquelchLevel, 0, kAnalogSquelchMaximum);

    f.cm108Device = s.cm108Device;
    for (int pin = kCm108FirstPin; pin <= kCm108LastPin; ++pin)
        f.cm108Pin.entries.push_back("GPIO" + std::to_string(pin));
    f.cm108Pin.selection = s.cm108Pin - kCm108FirstPin;
    f.cm108InvertKeying = s.cm108InvertKeying;
    f.cm108Squelch = s.squelchLine == RigSquelchLine::Cm108VolumeDown;
    f.cm108InvertSquelch = s.cm108InvertSquelch;
    f.gpioChip = s.gpioChip;
    f.gpioKeyLine = s.gpioKeyLine;
    f.gpioInvertKeying = s.gpioInvertKeying;
    f.gpioSquelchLine = s.gpioSquelchLine;
    f.gpioInvertSquelch = s.gpioInvertSquelch;

    if (!deviceNames.empty()) {
        f.audioDevice.entries.push_back("Default Audio");
        f.audioDevice.entries.insert(f.audioDevice.entries.end(), deviceNames.begin(),
                                     deviceNames.end());
        const int position = s.audioDevice + 1;
        if (position >= 0 && position < int(f.audioDevice.entries.size()))
            f.audioDevice.selection = position;
    }
}

RigSettings CRigKeyingDlg::Ok() const {
    const RigKeyingDlgFields& f = fields;
    RigSettings s = opened_;
    s.keyingMethod = f.methodVox              ? RigKeyingMethod::Vox
                     : f.methodContinuousTone ? RigKeyingMethod::Tone
                     : f.methodILink          ? RigKeyingMethod::ILink
                     : f.methodComPort        ? RigKeyingMethod::ComPort
                     : f.methodHalvek         ? RigKeyingMethod::Halvek
                     : f.methodCm108          ? RigKeyingMethod::Cm108
                     : f.methodGpio           ? RigKeyingMethod::Gpio
                                              : RigKeyingMethod::Vox;
    s.comPort = PortOf(f.comPort, opened_.comPort);
    s.ilinkPort = PortOf(f.ilinkPort, opened_.ilinkPort);
    s.halvekPort = PortOf(f.halvekPort, opened_.halvekPort);

    s.toneFrequencyHz = ParseProfileInt(f.toneFrequency);
    s.toneLevel = ParseProfileInt(f.toneLevel);
    s.txTimeoutEnabled = f.txTimeoutEnabled;
    s.txTimeoutSeconds = ParseProfileInt(f.txTimeout);
    s.txRestartSeconds = ParseProfileInt(f.txRestart);

    s.keyLine = f.rts ? RigKeyLine::Rts : RigKeyLine::Dtr;
    s.invertKeying = f.invertKeying;
    s.invertSquelch = f.invertSquelch;
    s.halvekDigitalSquelch = f.halvekDigitalSquelch;
    s.halvekDigitalSquelchActiveHigh = f.halvekDigitalSquelchActiveHigh;
    s.squelchLine = f.squelchDsr   ? RigSquelchLine::Dsr
                    : f.squelchCts ? RigSquelchLine::Cts
                                   : RigSquelchLine::None;
    // The CM108 and GPIO methods watch their own squelch input or none.
    if (s.keyingMethod == RigKeyingMethod::Cm108)
        s.squelchLine = f.cm108Squelch ? RigSquelchLine::Cm108VolumeDown : RigSquelchLine::None;
    if (s.keyingMethod == RigKeyingMethod::Gpio)
        s.squelchLine = f.gpioSquelchLine.empty() ? RigSquelchLine::None : RigSquelchLine::Gpio;
    s.cm108Device = f.cm108Device;
    if (f.cm108Pin.selection >= 0)
        s.cm108Pin = f.cm108Pin.selection + kCm108FirstPin;
    s.cm108InvertKeying = f.cm108InvertKeying;
    s.cm108InvertSquelch = f.cm108InvertSquelch;
    s.gpioChip = f.gpioChip;
    s.gpioKeyLine = f.gpioKeyLine;
    s.gpioInvertKeying = f.gpioInvertKeying;
    s.gpioSquelchLine = f.gpioSquelchLine;
    s.gpioInvertSquelch = f.gpioInvertSquelch;
    s.halvekSquelchLevel = f.analogSquelchLevel;
    if (f.audioDevice.selection >= 0)
        s.audioDevice = f.audioDevice.selection - 1;
    return s;
}

void CRigKeyingDlg::ListPortDevices(const CIniFile& settings) {
    portDevices.clear();
    for (int port = 1; port <= kPortCount; ++port)
        portDevices.push_back(ComPortDevicePath(settings, port));
}

std::string AudioDeviceEntry(const std::string& name, const std::string& description) {
    return description.empty() ? name : description + " (" + name + ")";
}
