#pragma once

#include "audio/locked_queue.h"
#include "audio/mixin_sound.h"

// Mix-in sounds waiting to be started by playback.
using CMixInQueue = CLockedQueue<CMixInSound>;
