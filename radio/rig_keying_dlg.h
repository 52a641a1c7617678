#pragma once

#include "radio/rig_settings.h"

#include <string>
#include <vector>

class CIniFile;

// A list box or drop-down list: its entries and the selected position (-1: none).
struct DlgList {
    std::vector<std::string> entries;
    int selection = -1;
};

// The controls of the "Rig Keying and Squelch Setup" dialog, as the view shows and edits them.
struct RigKeyingDlgFields {
    // "Rig Control Method"
    bool methodContinuousTone = false;
    bool methodILink = false;
    bool methodComPort = false;
    bool methodVox = false;
    bool methodHalvek = false;
    bool methodCm108 = false;
    bool methodGpio = false;

    // "Com Port" of the COM keying, iLink and Halvek groups: "COM1" to "COM9".
    DlgList comPort;
    DlgList ilinkPort;
    DlgList halvekPort;

    std::string toneLevel;
    std::string toneFrequency;
    bool txTimeoutEnabled = false;
    std::string txTimeout;
    std::string txRestart;

    bool rts = false; // "RTS "
    bool dtr = false; // "DTR"
    bool invertKeying = false;

    bool squelchVox = false;
    bool squelchCts = false;
    bool squelchDsr = false;
    bool invertSquelch = false;

    bool halvekDigitalSquelch = false;
    bool halvekDigitalSquelchActiveHigh = false;
    // "Analog Squelch Level": range 0 to kAnalogSquelchMaximum.
    int analogSquelchLevel = 0;

    // "Default Audio", then one entry per capture device.
    DlgList audioDevice;

    // "CM108/CM119 Sound Chip": the hidraw device (empty: the first chip found), the key pin
    // ("GPIO1" to "GPIO8"), squelch from the volume-down input, and the two inversions.
    std::string cm108Device;
    DlgList cm108Pin;
    bool cm108InvertKeying = false;
    bool cm108Squelch = false;
    bool cm108InvertSquelch = false;

    // "GPIO Lines": chip, key line and squelch line (empty: no squelch input), inversions.
    std::string gpioChip;
    std::string gpioKeyLine;
    bool gpioInvertKeying = false;
    std::string gpioSquelchLine;
    bool gpioInvertSquelch = false;
};

// The logic of the rig keying dialog: Open fills the fields from the settings, the view lets
// the user edit them, Ok turns them back into settings.
class CRigKeyingDlg {
public:
    static constexpr int kAnalogSquelchMaximum = 15;
    // The port lists offer COM1 to COM<kPortCount>.
    static constexpr int kPortCount = 9;

    // deviceNames: the audio list's entries for the capture devices in index order (see
    // AudioDeviceEntry); without any the audio list stays empty.
    void Open(const RigSettings& settings, const std::vector<std::string>& deviceNames);
    // The settings the fields give. Numbers in the edits are read as decimal integers (text
    // that does not start with one reads as 0). A list with nothing selected keeps the value
    // that was opened.
    RigSettings Ok() const;
    // Fills portDevices from the "COM_PORTS" section of the settings file.
    void ListPortDevices(const CIniFile& settings);

    RigKeyingDlgFields fields;
    // The device that each port of the lists opens, COM1 first; empty when not known. Open
    // leaves it alone.
    std::vector<std::string> portDevices;

private:
    RigSettings opened_;
};

// The audio list's entry for a sound device: its description with its name in brackets, or
// the name alone when it has no description.
std::string AudioDeviceEntry(const std::string& name, const std::string& description);
