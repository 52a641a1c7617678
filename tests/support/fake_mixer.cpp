#include "tests/support/fake_mixer.h"

class CFakeMixer::CControl final : public IMixerControl {
public:
    explicit CControl(CFakeMixer& mixer) : mixer_(mixer) {}

    int ChannelCount() const override { return mixer_.channels_; }
    uint32_t Minimum() const override { return mixer_.minimum_; }
    uint32_t Maximum() const override { return mixer_.maximum_; }
    int StepCount() const override { return mixer_.steps_; }

    bool Read(MixerValues& values) override {
        if (mixer_.unplugged_)
            return false;
        values = mixer_.values_;
        return true;
    }

    bool Write(const MixerValues& values) override {
        if (mixer_.unplugged_)
            return false;
        for (int i = 0; i < mixer_.channels_; ++i)
            mixer_.values_[i] = values[i];
        ++mixer_.writes_;
        return true;
    }

    std::vector<pollfd> PollDescriptors() const override {
        return {{mixer_.wake_.Fd(), POLLIN, 0}};
    }

    MixerEvents HandleEvents() override {
        ++mixer_.handled_;
        // An unplugged card's descriptor stays readable for good.
        if (mixer_.unplugged_)
            return MixerEvents::Lost;
        mixer_.wake_.Wait(nullptr, 0);
        const bool changed = mixer_.changed_;
        mixer_.changed_ = false;
        return changed ? MixerEvents::Changed : MixerEvents::Unchanged;
    }

private:
    CFakeMixer& mixer_;
};

CFakeMixer::CFakeMixer(int channels, uint32_t minimum, uint32_t maximum, int steps,
                       MixerValues values)
    : channels_(channels), minimum_(minimum), maximum_(maximum), steps_(steps), values_(values) {}

std::unique_ptr<IMixerControl> CFakeMixer::Control() {
    return std::make_unique<CControl>(*this);
}

void CFakeMixer::ChangeElsewhere(const MixerValues& values) {
    values_ = values;
    changed_ = true;
    wake_.Notify();
}

void CFakeMixer::Unplug() {
    unplugged_ = true;
    wake_.Notify();
}
