#pragma once

#include "client/client_dlg.h"
#include "protocol/conference_messages.h"
#include "radio/settings_store.h"
#include "tests/client/event_recorder.h"
#include "tests/client/fake_user_prompt.h"
#include "tests/support/scripted_peer.h"

#include <cstdint>
#include <memory>
#include <string>

// Long enough for anything a working client does on loopback, even under the
// sanitizers; tests that expect nothing wait for kQuietMs instead.
constexpr int kWaitMs = 3000;
constexpr int kQuietMs = 150;

// Rig settings (ClientSetup::extraIni) that key the transmitter by asserting
// the RTS line of COM1, with no squelch input; the port's device name is for
// a fake serial device.
constexpr char kRtsKeyingIni[] = "[TX_CTRL]\nTYPE=2\nCOMPORT=1\nLINE=0\nREV=0\nSQLLINE=0\n"
                                 "[COM_PORTS]\nCOM1=/dev/tavro-test-rig\n";

// The settings a test client starts with.
struct ClientSetup {
    std::string host = "127.0.0.1";
    int port = 0;
    std::string callsign = "G4TST";
    std::string comment = "Test gateway";
    std::string room = "UK-1";
    std::string password;
    bool autoReconnect = false;
    int watchdogPeriodMs = 100;
    int receiveTimeoutMs = 10000;
    // More of the settings file after section "Tavro_CLIENT": keys of that
    // section, or sections of their own (rig keying, COM ports).
    std::string extraIni;
};

// One client controller on the test's thread, with its own settings file, a
// scripted prompt and a record of its events.
class ClientHarness {
public:
    explicit ClientHarness(const ClientSetup& setup);
    ~ClientHarness();

    // What Start gives the client: a test sets its sound devices, serial
    // ports or prompt here before Start.
    CClient_TavroDlg::Options& Options() { return options_; }
    // Runs the window's set-up with the given command line.
    void Start(const std::string& commandLine = "");
    CClient_TavroDlg& Client() { return *client_; }
    CDialogControls& Controls() { return client_->Controls(); }

    // Clicks Connect and waits until the connection is up.
    bool Connect();
    // Waits until the client has been connected `count` times in all.
    bool WaitForConnections(size_t count);
    // Waits until the connection is down and the window idle again.
    bool WaitForIdle();

    // The lines of the main list (1015).
    std::vector<std::string> ListLines();
    // The client's settings file.
    std::string SettingsPath() const { return dir_ + "/client.ini"; }

    FakeUserPrompt prompt;
    CEventRecorder events;

private:
    std::string dir_;
    std::unique_ptr<CSettingsStore> store_;
    CClient_TavroDlg::Options options_;
    std::unique_ptr<CClient_TavroDlg> client_;
};

// The server's side of the handshake on the peer's next connection: accepts
// it, expects the client's version (command 10), answers with serverVersion
// and returns the client's join, skipping the command-21 version. Null (with
// a test failure) when the client does not get that far.
std::unique_ptr<CJoinMessage> AcceptAndJoin(CScriptedPeer& peer, int32_t serverVersion);

// Reads the client's next message and checks its command; null (with a test
// failure) when another or none arrives.
std::unique_ptr<CMsg> ExpectMessage(CScriptedPeer& peer, uint8_t command, int timeoutMs = kWaitMs);

// The message as the class of its command, for reading its fields.
template <class T> const T& As(const std::unique_ptr<CMsg>& message) {
    return dynamic_cast<const T&>(*message);
}
