#pragma once

#include <functional>

class QObject;

// Runs `call` later on the thread of `context`, through its event loop: the
// stand-in for posting a message to a window. Everything the calling thread
// wrote before the call is visible to `call` when it runs.
void PostQueuedCall(QObject* context, std::function<void()> call);
