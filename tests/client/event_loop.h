#pragma once

#include <functional>

// Runs the Qt event loop of the calling (main) thread until `done` holds or
// timeoutMs passes; returns whether `done` holds. The loop sleeps between
// events and looks at `done` every few milliseconds.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// Runs the event loop for ms milliseconds.
void RunFor(int ms);
