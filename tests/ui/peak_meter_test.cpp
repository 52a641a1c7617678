#include "tests/support/fake_mixer.h"
#include "ui/mixer_fader.h"
#include "ui/peak_meter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QColor kGrey(192, 192, 192);

// Runs the event loop until done holds, for at most three seconds.
bool ProcessEventsUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(3000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QColor PixelAt(const QImage& image, int y) {
    return image.pixelColor(image.width() / 2, y);
}

TEST(PeakMeter, DrawsTheLitSegmentsOverTheBackground) {
    int level = 32768;
    CPeakMeter meter(kGrey);
    meter.resize(10, 48);
    meter.Attach([&] { return level; }, nullptr);

    QImage image = meter.grab().toImage();
    EXPECT_EQ(PixelAt(image, 0), kGrey);
    EXPECT_EQ(PixelAt(image, 3), kGrey);
    EXPECT_EQ(PixelAt(image, 4), QColor(255, 0, 0)); // the top segment
    EXPECT_EQ(PixelAt(image, 6), QColor(255, 0, 0));
    EXPECT_EQ(PixelAt(image, 7), kGrey);              // the gap line above the next
    EXPECT_EQ(PixelAt(image, 40), QColor(0, 155, 0)); // the lowest segment
    EXPECT_EQ(PixelAt(image, 42), QColor(0, 155, 0));
    EXPECT_EQ(PixelAt(image, 43), kGrey);

    level = 3277;
    meter.Refresh();
    image = meter.grab().toImage();
    EXPECT_EQ(PixelAt(image, 40), QColor(0, 155, 0));
    EXPECT_EQ(PixelAt(image, 36), kGrey);
}

TEST(PeakMeter, RepaintsOnlyWhenTheBarCountChanges) {
    int level = 0;
    CPeakMeter meter(kGrey);
    meter.resize(10, 48);
    PaintCounter counter;
    meter.installEventFilter(&counter);
    meter.show();
    meter.Attach([&] { return level; }, nullptr);
    ASSERT_TRUE(ProcessEventsUntil([&] { return counter.paints > 0; }));
    counter.paints = 0;

    level = 3000; // still no bar
    meter.Refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);

    level = 7000; // two bars
    meter.Refresh();
    ASSERT_TRUE(ProcessEventsUntil([&] { return counter.paints == 1; }));
    level = 7100;
    meter.Refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
}

TEST(PeakMeter, AlcLowersABoundFaderWhileTheLevelIsInTheTopSegments) {
    CFakeMixer mixer(1, 0, 100, 100, MixerValues{100, 0});
    CMixerFader fader;
    ASSERT_TRUE(fader.Init(mixer.Control()));
    ASSERT_EQ(fader.value(), 0);

    int level = 20000;
    CPeakMeter meter(kGrey);
    meter.Attach([&] { return level; }, &fader);
    EXPECT_EQ(fader.value(), 0);

    level = 30000;
    meter.Refresh();
    EXPECT_EQ(fader.value(), 5);
    EXPECT_EQ(mixer.Values()[0], 95u);
    meter.Refresh();
    EXPECT_EQ(fader.value(), 9);
    EXPECT_EQ(mixer.Values()[0], 91u);

    // An unbound fader is left alone.
    CMixerFader unbound;
    CPeakMeter other(kGrey);
    other.Attach([&] { return level; }, &unbound);
    other.Refresh();
    EXPECT_EQ(unbound.value(), 0);
}

} // namespace
