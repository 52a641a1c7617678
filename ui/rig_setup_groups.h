#pragma once

#include "audio/rig_link.h"

// The setup groups of the rig keying dialog that a keying method uses; the dialog disables
// the others. The method choice, the transmit times and the audio device always apply.
struct RigSetupGroups {
    bool continuousTone = false; // tone frequency and level
    bool comKeying = false;      // port, key line and its "Invert Voltage"
    bool ilink = false;          // the iLink board's port
    bool halvek = false;         // the Halvek board's port and squelch
    bool squelchLines = false;   // squelch from CTS or DSR, and its "Invert Voltage"
    bool cm108 = false;          // the CM108/CM119 chip's device, pin and squelch
    bool gpio = false;           // the GPIO chip, its lines and their inversion

    bool operator==(const RigSetupGroups&) const = default;
};

RigSetupGroups GroupsForMethod(RigKeyingMethod method);
