// Opening and closing the server connection, and moving between servers.

#include "client/client_dlg.h"

#include "client/control_ids.h"
#include "client/dial_internet.h"
#include "client/program_version.h"
#include "protocol/conference_messages.h"
#include "protocol/directory.h"

#include <utility>

namespace {
constexpr char kRetryQuestion[] = "Failed connection, Retry?";
constexpr char kUnableToConnect[] = "Unable to connect to the Server";
} // namespace

// ---- connect

void CClient_TavroDlg::OnConnect() {
    // The window stays responsive while an attempt runs; a second Connect
    // during it changes nothing, and neither does one while connected (a
    // script or a test may send it though the button is disabled).
    if (attemptRunning_ || IsConnected())
        return;
    attemptRunning_ = true;
    ++attemptSerial_;
    link_->State().SetConnectInProgress(true);
    link_->ResetServerVersion();
    if (options_.events)
        options_.events->ConnectAttemptChanged(true);
    if (controls_.Check(IDC_DIAL_UP) == 0) {
        ConnectAfterInternetTest(true);
        return;
    }
    link_->TestInternet(DialTestUrl(store_.Ini()));
}

void CClient_TavroDlg::ConnectAfterInternetTest(bool reachable) {
    if (!reachable) {
        ShowServerError("Unable to connect to the internet");
        EndAttempt();
        return;
    }
    if (!SaveFieldsFromControls(!closing_)) {
        FailConnect(kUnableToConnect);
        return;
    }
    StartConnectAttempt();
}

void CClient_TavroDlg::StartConnectAttempt() {
    if (closing_) {
        FailConnect(kUnableToConnect);
        return;
    }
    link_->ConnectTo(settings_.serverHost, settings_.serverPort);
}

void CClient_TavroDlg::OnConnectDone(bool connected, bool resolved, const std::string& error) {
    if (connected) {
        ContinueConnect();
        return;
    }
    if (options_.events)
        options_.events->Warning("Connect failed: " + settings_.serverHost + ":" +
                                 std::to_string(settings_.serverPort) + ": " + error);
    // An automatic attempt fails silently; a person is asked whether to retry.
    const bool ask = resolved && !connectionWanted_ && !testMode_ && !closing_;
    if (!ask) {
        FailConnect(kUnableToConnect);
        return;
    }
    const uint64_t attempt = attemptSerial_;
    const bool retry = prompt_.AskYesNo(kRetryQuestion);
    // A move to another server, made while the question was open, has
    // replaced this attempt.
    if (attempt != attemptSerial_)
        return;
    if (!retry) {
        FailConnect(kUnableToConnect);
        return;
    }
    // A person needs a while to answer; a fixed answer would otherwise retry
    // as fast as the refusals come.
    if (prompt_.AnswersByItself())
        retryTimer_.start(link_->Times().watchdogPeriodMs);
    else
        StartConnectAttempt();
}

void CClient_TavroDlg::FailConnect(const std::string& line) {
    ShowServerError(line);
    EndAttempt();
}

void CClient_TavroDlg::EndAttempt() {
    retryTimer_.stop();
    const bool wasRunning = std::exchange(attemptRunning_, false);
    link_->State().SetConnectInProgress(false);
    if (wasRunning && options_.events)
        options_.events->ConnectAttemptChanged(false);
}

void CClient_TavroDlg::ContinueConnect() {
    ConnectionState& state = link_->State();
    state.SetConnected(true);
    state.SetConnectInProgress(false);

    auto version = std::make_unique<CVersionMessage>();
    version->version = ProgramVersionNumber();
    MessageQueue().Add(std::move(version));

    controls_.Enable(IDC_CALLSIGN, false);
    controls_.Enable(IDC_SEND, true);
    controls_.Enable(IDC_PTT, true);
    pttButton_.SetArmed(true);
    controls_.SetDefaultButton(IDC_SEND);
    SetPushToTalkActive(false);
    controls_.SetCheck(IDC_PTT, 0);
    controls_.Enable(IDC_CONNECTION_LOST, true);
    controls_.Enable(IDC_PRESETS, false);
    controls_.SetFocus(IDC_PTT);
    for (int id : {IDC_SERVER_PASSWORD, IDC_CONNECT, IDC_SERVER, IDC_PORT})
        controls_.Enable(id, false);
    controls_.Enable(IDC_DISCONNECT, true);
    roster_.Clear();
    members_ = std::make_unique<CUserInfoList>();
    audio_->PlaybackTimer().Restart();
    audio_->SetSquelchSettling(settings_.squelchSettlingMs);
    RestartActivity();
    connectionWanted_ = true;
    if (options_.events)
        options_.events->Connected(settings_.serverHost, settings_.serverPort);
    link_->Start();
    EndAttempt();
}

// ---- disconnect

void CClient_TavroDlg::Disconnect(bool updateKeying) {
    ConnectionState& state = link_->State();
    if (!state.Connected())
        return;

    OnPushToTalkStop();
    endOfTransmission_ = -1;
    rigKeying_->Unkey();
    // Back to capture without keying: the transmitter is released here.
    if (updateKeying)
        SwitchToCapture(false);
    rigKeying_->Unkey();
    controls_.SetColor(IDC_TX_LAMP, 0x808080);

    state.SetReconnectWanted(false);
    const bool rearm = connectionWanted_ && controls_.Check(IDC_AUTO_RECONNECT) != 0;
    const bool byUser = !connectionWanted_;
    // Listeners hear that the link is lost and about to come back.
    if (rearm)
        PlayAnnouncement(settings_.presetRoom1Message.file, settings_.presetRoom1Message.morse,
                         "reconnecting");
    link_->Stop(/*sayBye=*/byUser);

    roster_.Clear();
    RedrawMembers();

    SetIdleControls();
    controls_.Enable(IDC_PTT, false);
    state.SetConnected(false);
    state.SetReconnectWanted(rearm);
    rigKeying_->UnkeyAfter(1000);
    if (options_.events)
        options_.events->Disconnected(byUser);
}

void CClient_TavroDlg::OnDisconnect() {
    connectionWanted_ = false;
    link_->State().SetReconnectWanted(false);
    Disconnect(true);
}

void CClient_TavroDlg::OnConnectionLost() {
    Disconnect(true);
}

void CClient_TavroDlg::OnConnectionLost(const std::string& reason) {
    if (options_.events && link_->State().Connected())
        options_.events->Warning("Connection ended: " + reason);
    OnConnectionLost();
}

// A move reaches the named server, port and room even while a connect
// attempt runs: that attempt is abandoned (a connection it made is closed
// unused) and the move starts afresh.
void CClient_TavroDlg::GoToServer(const std::string& host, const std::string& room, int port) {
    auto store = [&] {
        ChangeSettings([&](ClientSettings& s) {
            s.serverPort = port;
            s.serverHost = host;
            s.room = room;
        });
    };
    if (attemptRunning_) {
        link_->CancelAttempt();
        EndAttempt();
    }
    if (!IsConnected()) {
        store();
        LoadFieldsIntoControls();
        OnConnect();
        return;
    }
    if (port == settings_.serverPort && host == settings_.serverHost) {
        if (room == settings_.room)
            return;
        store();
        LoadFieldsIntoControls();
        roster_.SetTalker("");
        OnSend();
        return;
    }
    OnDisconnect();
    store();
    LoadFieldsIntoControls();
    OnConnect();
}
