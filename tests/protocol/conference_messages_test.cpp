#include "protocol/conference_messages.h"
#include "tests/protocol/message_test_support.h"

namespace {

TEST(ConferenceMessages, SoundSilenceAndFillerWireBytes) {
    // A Silence message is the command byte alone, whatever length it holds.
    EXPECT_EQ(WireBytes(CSoundMessage()), Bytes{0x02});
    const Bytes payload(300, 0xA5);
    const CSoundMessage silence(payload.data(), payload.size(), true);
    EXPECT_EQ(silence.length, 300u);
    EXPECT_EQ(WireBytes(silence), Bytes{0x02});

    const CSoundMessage sound(payload.data(), payload.size(), false);
    EXPECT_EQ(WireBytes(sound), Cat({{0x01, 0x01, 0x2C}, payload}));
    // The filler that completes 1000 bytes after it.
    EXPECT_EQ(WireBytes(CDummyMessage(uint16_t(1000 - sound.length))),
              Cat({{0x1B, 0x02, 0xBC}, Bytes(700, 0)}));
    EXPECT_EQ(WireBytes(CDummyMessage()), Cat({{0x1B, 0x0B, 0xB8}, Bytes(3000, 0)}));

    // A payload longer than 16 bits can announce goes out cut to what the
    // length field says, so the reader stays in step.
    Bytes big(70000, 0x11);
    Bytes encoded;
    CByteWriter out(encoded);
    CSoundMessage(big.data(), big.size(), false).Encode(out);
    ASSERT_EQ(encoded.size(), 3u + 0xFFFF);
    EXPECT_EQ(Bytes(encoded.begin(), encoded.begin() + 3), (Bytes{0x01, 0xFF, 0xFF}));
}

TEST(ConferenceMessages, ReadingSoundAndFillerKeepsTheStreamInStep) {
    int err;
    const auto messages = ReadAll(Cat({{0x01, 0x00, 0x03, 7, 8, 9},
                                       {0x1B, 0x00, 0x02, 0xEE, 0xEE},
                                       {0x02},
                                       {0x01, 0x00, 0x00},
                                       {kCmdPing}}),
                                  err);
    ASSERT_EQ(messages.size(), 5u);
    const auto& sound = As<CSoundMessage>(messages[0]);
    EXPECT_EQ(sound.length, 3u);
    EXPECT_EQ(sound.payload, (Bytes{7, 8, 9}));
    EXPECT_EQ(As<CDummyMessage>(messages[1]).length, 2);
    EXPECT_EQ(messages[2]->command, kCmdSilence);
    EXPECT_TRUE(As<CSoundMessage>(messages[3]).payload.empty());
    EXPECT_EQ(messages[4]->command, kCmdPing);
}

TEST(ConferenceMessages, JoinCarriesThePasswordOnlyWithCommand26) {
    CJoinMessage join;
    join.callSign = "W1AW";
    join.room = "Net";
    join.comment = "Gw";
    join.password = "pw";
    join.codec = "AMR";
    EXPECT_EQ(WireBytes(join), Cat({{kCmdJoin}, Str("W1AW"), Str("Net"), Str("Gw"), Str("AMR")}));
    EXPECT_EQ(join.Describe(), "Join : \"W1AW\" \"Net\" \"Gw\" ");
    join.command = kCmdJoinWithPassword;
    EXPECT_EQ(
        WireBytes(join),
        Cat({{kCmdJoinWithPassword}, Str("W1AW"), Str("Net"), Str("Gw"), Str("AMR"), Str("pw")}));
    EXPECT_EQ(join.Describe(), "Join : \"W1AW\" \"Net\" \"Gw\" ");

    // Read back, the password of a command-26 join is the last string.
    int err;
    const auto read = ReadOne(WireBytes(join), err);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(As<CJoinMessage>(read).password, "pw");
    EXPECT_EQ(As<CJoinMessage>(read).codec, "AMR");
}

TEST(ConferenceMessages, VersionMachineValueTravelsFromVersion108) {
    CVersionMessage version;
    version.version = 134;
    version.machineValue = 99; // not sent with command 10
    EXPECT_EQ(WireBytes(version), (Bytes{0x0A, 0x86, 0x00, 0x00, 0x00}));
    version.command = kCmdVersionEx;
    EXPECT_EQ(WireBytes(version), Cat({{0x15}, Le32(134), Le32(99)}));

    // Version 107 with command 21 ends after the version: the next byte is
    // already the following message.
    int err;
    auto messages = ReadAll(Cat({{0x15}, Le32(107), {kCmdPing}}), err);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(As<CVersionMessage>(messages[0]).version, 107);
    EXPECT_EQ(As<CVersionMessage>(messages[0]).machineValue, 0);
    EXPECT_EQ(messages[1]->command, kCmdPing);

    messages = ReadAll(Cat({{0x15}, Le32(108), Le32(-2), {0x0A}, Le32(200), {kCmdPing}}), err);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(As<CVersionMessage>(messages[0]).machineValue, -2);
    EXPECT_EQ(As<CVersionMessage>(messages[1]).version, 200);
    EXPECT_EQ(messages[1]->Describe(), "Version 200 - HD = 0");
    EXPECT_EQ(messages[2]->command, kCmdPing);
}

TEST(ConferenceMessages, TalkingAndTextDescribeTheirString) {
    CTalkingMessage talking;
    talking.talker = "K2XX";
    EXPECT_EQ(WireBytes(talking), Cat({{0x06}, Str("K2XX")}));
    EXPECT_EQ(talking.Describe(), "Talking : \"K2XX\" ");
    CTextMessage text;
    text.text = "Welcome";
    EXPECT_EQ(WireBytes(text), Cat({{0x0B}, Str("Welcome")}));
    EXPECT_EQ(text.Describe(), "Text : \"Welcome\" ");
}

} // namespace
