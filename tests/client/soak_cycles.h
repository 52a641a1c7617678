#pragma once

// A gateway that a server drops again and again, at the points where
// connections end in service, and what its process holds meanwhile. The soak
// test runs a few dozen cycles; the soak program (bench/soak.cpp) as many as
// it is asked for.

#include "client/client_dlg.h"
#include "client/client_events.h"
#include "radio/settings_store.h"
#include "tests/client/fake_user_prompt.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/manual_wave.h"
#include "tests/support/scripted_peer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the calling process holds, read from /proc/self.
struct ProcessFigures {
    int threads = 0;
    int fds = 0;
    long rssKb = 0;
};
ProcessFigures ReadProcessFigures();

// What grew from `before` to `after`, one line each: any thread or descriptor
// more, or resident memory more than rssMarginKb above. Empty when nothing did.
std::vector<std::string> Growth(const ProcessFigures& before, const ProcessFigures& after,
                                long rssMarginKb);

// The figures settle within this many cycles: each drop point has run twice
// and whatever is made once (caches, pools) exists.
constexpr int kSoakSettlingCycles = 8;

// Where the server drops the gateway; cycle n uses point n % 4.
enum class DropPoint {
    AfterJoin,    // at once after the join
    WhileKeyed,   // during room audio, with the transmitter keyed
    MidMessage,   // part of a message, then the connection closes
    AfterGarbage, // bytes that no message starts with, or a count out of bounds
};
DropPoint DropPointOf(int cycle);
const char* DropPointName(DropPoint point);

// A gateway with Auto-Reconnect, keying its transmitter on a fake serial
// device and playing on manual sound devices, joined to a scripted server.
// It lives on the thread of the Qt event loop, which must exist.
class CSoakGateway {
public:
    CSoakGateway();
    ~CSoakGateway();
    CSoakGateway(const CSoakGateway&) = delete;
    CSoakGateway& operator=(const CSoakGateway&) = delete;

    // Connects and joins. What went wrong; empty when nothing did.
    std::string Start();

    // One cycle, from joined to joined again. The server drops the gateway at
    // the cycle's point and stays away until the gateway has settled. The
    // gateway must take the drop as a loss of the connection (no Bye, no
    // message box), release the transmitter once what it plays has played
    // out, and reconnect by itself once the server is back.
    //
    // At the drop a speech and a silent packet are left on the transmit
    // queue, as the capture engine would have left them. Their fate depends
    // on the sound card: the reconnect announcement switches it to playback,
    // and the close of a running capture deletes what waits on the queue; a
    // card that was already playing keeps them, and the new connection sends
    // them first, each with its filler, before its version message.
    //
    // What went wrong; empty when nothing did.
    std::string RunCycle(int cycle);

private:
    // What the window would show, reduced to what the cycles look at: the
    // records of a test's event recorder would grow for ever in a long run.
    class Events : public IClientEvents {
    public:
        explicit Events(CSoakGateway& owner) : owner_(owner) {}
        void ConnectAttemptChanged(bool) override {}
        void Connected(const std::string&, int) override { ++connections; }
        void Disconnected(bool byUser) override;
        void Joined(const std::string&, const std::string&) override {}
        void MembersChanged(const std::vector<std::string>&) override {}
        void TalkerChanged(const std::string&) override {}
        void KeyingChanged(bool) override {}
        void Note(const std::string&) override {}

        int connections = 0;
        int drops = 0;
        bool droppedByUser = false;
        bool capturingAtDrop = false;

    private:
        CSoakGateway& owner_;
    };

    // The server's part of the drop; what went wrong, if anything.
    std::string Drop(DropPoint point, int cycle);
    // Room audio keys the transmitter and is heard.
    std::string KeyWithRoomAudio();
    // Runs the sound card until the reconnect announcement has been played
    // (playback opened more than `playbackOpens` times in all) and it is back
    // on capture with the transmitter released; false when it does not get
    // there.
    bool PlayOut(size_t playbackOpens);
    // What the capture device holds comes back as silence.
    void Capture();
    // A speech and a silent packet on the transmit queue, as the capture
    // engine leaves them when the connection ends.
    void LeaveOnTransmitQueue(int cycle);
    // The server's side of a new connection: accepts it, reads the packets
    // left at the drop when `leftOver`, the version, and after the server's
    // version the join.
    std::string Handshake(bool leftOver);

    Events events_;
    FakeUserPrompt prompt_;
    std::unique_ptr<CScriptedPeer> peer_;
    uint16_t port_ = 0;
    CFakeSerialDevice serial_;
    std::string dir_;
    std::unique_ptr<CSettingsStore> store_;
    std::unique_ptr<CClient_TavroDlg> client_;
    CManualWaveIn* waveIn_ = nullptr;
    CManualWaveOut* waveOut_ = nullptr;
    // The cycle whose packets are left at the next drop, and their speech.
    int cycle_ = 0;
    std::vector<uint8_t> leftSpeech_;
};
