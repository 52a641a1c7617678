#pragma once

#include "platform/mixer_control.h"
#include "platform/wake_signal.h"

#include <memory>

// A mixer volume control for tests, seen from both ends. The code under test
// gets controls on it from Control() and drives them like a card's; the test
// reads back what was written and, with ChangeElsewhere, changes the values
// as another program would, which makes the controls' poll descriptor (an
// eventfd) readable until HandleEvents takes the change in. The mixer
// outlives the controls made on it.
class CFakeMixer {
public:
    CFakeMixer(int channels, uint32_t minimum, uint32_t maximum, int steps,
               MixerValues values = {});
    CFakeMixer(const CFakeMixer&) = delete;
    CFakeMixer& operator=(const CFakeMixer&) = delete;

    std::unique_ptr<IMixerControl> Control();

    void ChangeElsewhere(const MixerValues& values);
    // The card is unplugged: the descriptor stays readable from now on,
    // reads and writes fail and HandleEvents reports the mixer lost.
    void Unplug();
    const MixerValues& Values() const { return values_; }
    int WriteCount() const { return writes_; }
    int HandleEventsCount() const { return handled_; }

private:
    class CControl;

    int channels_;
    uint32_t minimum_;
    uint32_t maximum_;
    int steps_;
    MixerValues values_;
    bool changed_ = false;
    bool unplugged_ = false;
    int writes_ = 0;
    int handled_ = 0;
    CWakeSignal wake_;
};
