#pragma once

// Whether a D-Bus session bus can be reached: DBUS_SESSION_BUS_ADDRESS is
// set, or the user's bus socket exists in XDG_RUNTIME_DIR. A system service
// has neither; asking Qt for the bus then would only start its D-Bus thread
// to try to launch one.
bool SessionBusReachable();
