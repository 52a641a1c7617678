#include "ui/rig_setup_groups.h"

RigSetupGroups GroupsForMethod(RigKeyingMethod method) {
    RigSetupGroups groups;
    switch (method) {
    case RigKeyingMethod::Tone:
        groups.continuousTone = true;
        break;
    case RigKeyingMethod::ILink:
        groups.ilink = true;
        break;
    case RigKeyingMethod::ComPort:
        // Only the COM method watches a modem line for the squelch.
        groups.comKeying = true;
        groups.squelchLines = true;
        break;
    case RigKeyingMethod::Halvek:
        groups.halvek = true;
        break;
    case RigKeyingMethod::Cm108:
        groups.cm108 = true;
        break;
    case RigKeyingMethod::Gpio:
        groups.gpio = true;
        break;
    case RigKeyingMethod::Vox:
        break;
    }
    return groups;
}
