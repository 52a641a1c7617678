#pragma once

// Whether a graphical program can reach a display: a Wayland socket, an X
// server's socket (or a remote X display, which is trusted), or a Qt
// platform chosen through QT_QPA_PLATFORM. Looked at before Qt starts,
// since Qt ends the program when it cannot connect.
bool DisplayAvailable();
