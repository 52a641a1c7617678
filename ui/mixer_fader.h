#pragma once

#include "audio/mixer_fader_logic.h"
#include "platform/mixer_control.h"

#include <QSlider>

#include <memory>
#include <vector>

class QSocketNotifier;

// A vertical volume slider bound to a mixer control: the top is loudest.
// The slider follows changes made elsewhere (a mixer application, the
// desktop) through the control's poll descriptors on the event loop, and
// writes every move of the user's to the control, keeping the balance of
// the last reading. A fader whose control is missing stays disabled.
class CMixerFader : public QSlider {
    Q_OBJECT

public:
    explicit CMixerFader(QWidget* parent = nullptr);
    ~CMixerFader() override;

    // Binds the fader to control: disabled first; on success the slider
    // runs 0 to the control's step count, shows the control's value and is
    // enabled. A null or unusable control leaves it disabled.
    bool Init(std::unique_ptr<IMixerControl> control);
    bool IsBound() const { return control_ != nullptr; }
    // One step of the input meter's ALC: lowers the volume by a twentieth of
    // the remaining travel and writes it like a user move.
    void AlcStep();

private:
    void Unbind();
    void ShowValues(const MixerValues& values);
    void OnMixerReady();
    void OnValueChanged(int position);

    std::unique_ptr<IMixerControl> control_;
    std::vector<QSocketNotifier*> notifiers_; // children, on control_'s descriptors
    FaderScale scale_;
    int channels_ = 1;
    double balance_ = 0;
    bool showingMixer_ = false; // the position comes from the mixer, not the user
};
