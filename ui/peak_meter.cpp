#include "ui/peak_meter.h"

#include "audio/peak_meter_logic.h"
#include "ui/mixer_fader.h"

#include <QPainter>

namespace {

constexpr int kRefreshMs = 50;

} // namespace

CPeakMeter::CPeakMeter(const QColor& background, QWidget* parent)
    : QWidget(parent), background_(background) {
    // paintEvent covers every pixel, so Qt need not clear the widget first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, &CPeakMeter::Refresh);
}

void CPeakMeter::Attach(std::function<int()> level, CMixerFader* fader) {
    level_ = std::move(level);
    fader_ = fader;
    timer_.start();
    Refresh();
}

void CPeakMeter::Refresh() {
    if (!level_)
        return;
    const int bars = MeterBars(level_());
    if (fader_ && fader_->IsBound() && AlcApplies(bars))
        fader_->AlcStep();
    if (bars == bars_)
        return;
    bars_ = bars;
    update();
}

// Narrow and tall: ten segments of a few pixels each, about 10 x 48 pixels
// at the usual font.
QSize CPeakMeter::sizeHint() const {
    const int line = fontMetrics().height();
    return {line * 5 / 8, line * 3};
}

void CPeakMeter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    for (int k = 0; k < bars_; ++k) {
        const MeterSegment segment = MeterSegmentAt(k, height());
        if (segment.height <= 0)
            continue;
        const MeterColour& colour = segment.colour;
        painter.fillRect(0, segment.y, width(), segment.height,
                         QColor(colour.red, colour.green, colour.blue));
    }
}
