#include "platform/alsa_mixer.h"

#include <gtest/gtest.h>

namespace {

TEST(AlsaMixer, CardComesFromThePcmName) {
    EXPECT_EQ(AlsaMixerCardForPcm("plughw:CARD=Device,DEV=0"), "hw:CARD=Device");
    EXPECT_EQ(AlsaMixerCardForPcm("front:CARD=PCH,DEV=0"), "hw:CARD=PCH");
    EXPECT_EQ(AlsaMixerCardForPcm("sysdefault:CARD=Device"), "hw:CARD=Device");
    EXPECT_EQ(AlsaMixerCardForPcm("hw:1,0"), "hw:1");
    EXPECT_EQ(AlsaMixerCardForPcm("plughw:2"), "hw:2");
    EXPECT_EQ(AlsaMixerCardForPcm("default"), "default");
    EXPECT_EQ(AlsaMixerCardForPcm("pulse"), "default");
    EXPECT_EQ(AlsaMixerCardForPcm("mine:foo=1"), "default");
}

TEST(AlsaMixer, MissingCardGivesNoControl) {
    for (MixerSource source : {MixerSource::Microphone, MixerSource::Line, MixerSource::WaveOut})
        EXPECT_EQ(OpenAlsaMixer(source, "hw:CARD=TavroNoSuchCard"), nullptr);
}

} // namespace
