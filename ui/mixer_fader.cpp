#include "ui/mixer_fader.h"

#include "audio/peak_meter_logic.h"

#include <QSocketNotifier>

#include <algorithm>

CMixerFader::CMixerFader(QWidget* parent) : QSlider(Qt::Vertical, parent) {
    // Position 0 at the top, and the wheel and arrow keys move the handle the
    // way they point.
    setInvertedAppearance(true);
    setInvertedControls(true);
    setEnabled(false);
    connect(this, &QSlider::valueChanged, this, &CMixerFader::OnValueChanged);
}

CMixerFader::~CMixerFader() {
    Unbind();
}

bool CMixerFader::Init(std::unique_ptr<IMixerControl> control) {
    Unbind();
    setEnabled(false);
    if (!control)
        return false;
    const FaderScale scale{control->Minimum(), control->Maximum(), control->StepCount(), true};
    const int channels = control->ChannelCount();
    MixerValues values{};
    if (!scale.Usable() || channels < 1 || channels > kMaxMixerChannels || !control->Read(values))
        return false;

    control_ = std::move(control);
    scale_ = scale;
    channels_ = channels;
    balance_ = 0;
    showingMixer_ = true;
    setRange(0, scale_.steps);
    setPageStep(std::max(1, scale_.steps / 10));
    showingMixer_ = false;
    ShowValues(values);

    for (const pollfd& descriptor : control_->PollDescriptors()) {
        const auto type =
            descriptor.events & POLLOUT ? QSocketNotifier::Write : QSocketNotifier::Read;
        auto* notifier = new QSocketNotifier(descriptor.fd, type, this);
        connect(notifier, &QSocketNotifier::activated, this, &CMixerFader::OnMixerReady);
        notifiers_.push_back(notifier);
    }
    setEnabled(true);
    return true;
}

void CMixerFader::AlcStep() {
    if (IsBound())
        setValue(AlcPosition(value(), maximum()));
}

// The notifiers stop watching before the control closes its descriptors.
// They may be the sender of the call that got here, so they go later.
void CMixerFader::Unbind() {
    for (QSocketNotifier* notifier : notifiers_) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    notifiers_.clear();
    control_.reset();
}

void CMixerFader::ShowValues(const MixerValues& values) {
    const FaderReading reading = FaderFromChannels(scale_, channels_, values, balance_);
    balance_ = reading.balance;
    showingMixer_ = true;
    setValue(reading.position);
    showingMixer_ = false;
}

void CMixerFader::OnMixerReady() {
    if (!control_)
        return;
    MixerValues values{};
    switch (control_->HandleEvents()) {
    case MixerEvents::Unchanged:
        return;
    case MixerEvents::Changed:
        if (control_->Read(values))
            ShowValues(values);
        return;
    case MixerEvents::Lost:
        Unbind();
        setEnabled(false);
        return;
    }
}

void CMixerFader::OnValueChanged(int position) {
    if (showingMixer_ || !control_)
        return;
    control_->Write(ChannelsFromFader(scale_, channels_, position, balance_));
}
