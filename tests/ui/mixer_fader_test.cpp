#include "tests/support/fake_mixer.h"
#include "ui/mixer_fader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Runs the event loop until done holds, for at most three seconds.
bool ProcessEventsUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(3000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST(MixerFader, ShowsTheLouderChannelAndWritesMovesWithTheBalance) {
    // A step is 1000 of volume.
    CFakeMixer mixer(2, 0, 100000, 100, MixerValues{40000, 20000});
    CMixerFader fader;
    ASSERT_TRUE(fader.Init(mixer.Control()));
    EXPECT_TRUE(fader.isEnabled());
    EXPECT_EQ(fader.maximum(), 100);
    EXPECT_EQ(fader.value(), 100 - 40); // the top is loudest
    EXPECT_EQ(mixer.WriteCount(), 0);

    fader.setValue(100 - 10);
    EXPECT_EQ(mixer.Values(), (MixerValues{10000, 5000}));

    // The arrow key up moves the handle up, which is louder.
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(&fader, &up);
    EXPECT_EQ(fader.value(), 100 - 11);
    EXPECT_EQ(mixer.Values(), (MixerValues{11000, 5500}));
}

TEST(MixerFader, FollowsChangesMadeElsewhereUntilTheCardGoes) {
    CFakeMixer mixer(2, 0, 100000, 100, MixerValues{50000, 50000});
    CMixerFader fader;
    ASSERT_TRUE(fader.Init(mixer.Control()));
    EXPECT_EQ(fader.value(), 50);

    mixer.ChangeElsewhere({10000, 20000});
    ASSERT_TRUE(ProcessEventsUntil([&] { return fader.value() == 80; }));
    EXPECT_EQ(mixer.WriteCount(), 0); // showing the change does not write it back
    // The next move keeps the new balance: the right channel is the louder.
    fader.setValue(70);
    EXPECT_EQ(mixer.Values(), (MixerValues{15000, 30000}));

    mixer.Unplug();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !fader.isEnabled(); }));
    EXPECT_FALSE(fader.IsBound());
    // The unplugged card's descriptor stays readable; the fader no longer
    // watches it.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(mixer.HandleEventsCount(), 2);
}

TEST(MixerFader, WithoutAUsableControlStaysDisabled) {
    CMixerFader fader;
    EXPECT_FALSE(fader.Init(nullptr));
    EXPECT_FALSE(fader.isEnabled());
    EXPECT_FALSE(fader.IsBound());

    CFakeMixer silent(1, 0, 0, 0);
    EXPECT_FALSE(fader.Init(silent.Control()));
    EXPECT_FALSE(fader.isEnabled());
    EXPECT_FALSE(fader.IsBound());
    fader.AlcStep();
    EXPECT_EQ(fader.value(), 0);
}

} // namespace
