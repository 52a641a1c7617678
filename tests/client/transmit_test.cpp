// What the client sends: sound with its filler, the end of a transmission,
// and the answers to pings, against a scripted server.

#include "client/control_ids.h"
#include "tests/client/client_harness.h"
#include "tests/client/event_loop.h"

#include <gtest/gtest.h>

namespace {

struct Connected {
    explicit Connected(int32_t serverVersion) {
        ClientSetup setup;
        setup.port = peer.Port();
        harness = std::make_unique<ClientHarness>(setup);
        harness->Start();
        ok = harness->Connect() && AcceptAndJoin(peer, serverVersion) != nullptr;
    }
    CClient_TavroDlg& Client() { return harness->Client(); }

    CScriptedPeer peer;
    std::unique_ptr<ClientHarness> harness;
    bool ok = false;
};

// Reads a sound unit: a Sound or Silence message and its filler.
void ExpectSoundUnit(CScriptedPeer& peer, uint8_t command, const std::vector<uint8_t>& payload,
                     uint16_t fillerLength) {
    auto sound = ExpectMessage(peer, command);
    ASSERT_TRUE(sound);
    if (command == kCmdSound) {
        EXPECT_EQ(As<CSoundMessage>(sound).payload, payload);
    }
    auto filler = ExpectMessage(peer, kCmdDummy);
    ASSERT_TRUE(filler);
    EXPECT_EQ(As<CDummyMessage>(filler).length, fillerLength);
}

TEST(ClientTransmit, SoundGoesOutWithFillerToAThousandBytes) {
    Connected c(113);
    ASSERT_TRUE(c.ok);
    std::vector<uint8_t> speech(300);
    for (size_t i = 0; i < speech.size(); ++i)
        speech[i] = uint8_t(i * 7);
    const std::vector<uint8_t> shortSpeech(32, 0x3C);

    c.Client().TransmitQueue().Add(
        std::make_unique<CSoundPacket>(int(speech.size()), speech.data()));
    // A silent packet that was never encoded keeps its 330 bytes, which size its filler.
    auto silent = std::make_unique<CSoundPacket>();
    silent->silent = true;
    c.Client().TransmitQueue().Add(std::move(silent));
    c.Client().TransmitQueue().Add(
        std::make_unique<CSoundPacket>(int(shortSpeech.size()), shortSpeech.data()));

    ExpectSoundUnit(c.peer, kCmdSound, speech, 700);
    ExpectSoundUnit(c.peer, kCmdSilence, {}, 670);
    ExpectSoundUnit(c.peer, kCmdSound, shortSpeech, 968);
    EXPECT_FALSE(c.peer.Read(kQuietMs));
}

TEST(ClientTransmit, EndOfTransmissionDependsOnTheServerVersion) {
    for (int32_t serverVersion : {106, 107}) {
        SCOPED_TRACE(serverVersion);
        Connected c(serverVersion);
        ASSERT_TRUE(c.ok);
        c.Client().OnCommand(IDC_PTT_START);
        EXPECT_TRUE(c.Client().PushToTalkActive());
        c.Client().OnCommand(IDC_PTT_STOP);
        EXPECT_FALSE(c.Client().PushToTalkActive());

        // The end follows the second capture buffer after the release.
        c.Client().AdvanceEndOfTransmission();
        EXPECT_FALSE(c.peer.Read(kQuietMs));
        c.Client().AdvanceEndOfTransmission();
        if (serverVersion < 107) {
            for (int i = 0; i < 15; ++i)
                ExpectSoundUnit(c.peer, kCmdSilence, {}, 670);
        } else {
            EXPECT_TRUE(ExpectMessage(c.peer, kCmdEndTx));
        }
        // Once only.
        c.Client().AdvanceEndOfTransmission();
        c.Client().AdvanceEndOfTransmission();
        EXPECT_FALSE(c.peer.Read(kQuietMs));
    }
}

TEST(ClientTransmit, ReleaseDuringDisconnectSignalsNothing) {
    Connected c(113);
    ASSERT_TRUE(c.ok);
    c.Client().OnCommand(IDC_PTT_START);
    c.Client().OnCommand(IDC_DISCONNECT);
    c.Client().AdvanceEndOfTransmission();
    c.Client().AdvanceEndOfTransmission();
    EXPECT_TRUE(ExpectMessage(c.peer, kCmdBye));
    EXPECT_TRUE(c.peer.WaitClosed(kWaitMs));
    EXPECT_TRUE(c.Client().MessageQueue().IsEmpty());
    EXPECT_TRUE(c.Client().TransmitQueue().IsEmpty());
}

TEST(ClientTransmit, PingIsAnsweredBeforeTheNextQueuedMessage) {
    Connected c(113);
    ASSERT_TRUE(c.ok);
    // Texts too big for the socket buffers: while this end reads nothing,
    // the client's transmit thread blocks in the middle of one of them.
    constexpr int kTexts = 12;
    for (int i = 0; i < kTexts; ++i) {
        auto text = std::make_unique<CTextMessage>();
        text->text = std::string(1000000, char('a' + i));
        c.Client().MessageQueue().Add(std::move(text));
    }
    ASSERT_TRUE(RunUntil([&] { return c.Client().MessageQueue().Size() < size_t(kTexts); }));
    RunFor(kQuietMs);
    // Two pings before the answer could go out get one answer.
    c.peer.Send(CMsg(kCmdPing));
    c.peer.Send(CMsg(kCmdPing));
    RunFor(kQuietMs);
    const size_t waiting = c.Client().MessageQueue().Size();
    ASSERT_GE(waiting, 2u) << "the socket buffers took nearly everything";

    std::vector<uint8_t> commands;
    int textsAfterPing = 0;
    bool pinged = false;
    while (std::unique_ptr<CMsg> message = c.peer.Read(kQuietMs)) {
        commands.push_back(message->command);
        if (message->command == kCmdPing)
            pinged = true;
        else if (pinged)
            ++textsAfterPing;
    }
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kCmdPing), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kCmdText), kTexts);
    EXPECT_EQ(size_t(textsAfterPing), waiting);
}

} // namespace
