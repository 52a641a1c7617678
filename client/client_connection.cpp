// Opening and closing the server connection, and the reconnect watchdog.

#include "client/client_dlg.h"

#include "client/control_ids.h"
#include "client/dial_internet.h"
#include "client/program_version.h"
#include "platform/clock.h"
#include "platform/tcp_connect.h"
#include "protocol/conference_messages.h"

#include <QMetaObject>

#include <sys/socket.h>

void CClient_TavroDlg::PostToUi(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

// ---- connect

void CClient_TavroDlg::OnConnect() {
    // The window stays responsive while an attempt runs; a second Connect
    // during it changes nothing.
    if (attemptRunning_)
        return;
    attemptRunning_ = true;
    state_.SetConnectInProgress(true);
    serverVersion_ = 0;
    if (controls_.Check(IDC_DIAL_UP) == 0) {
        ConnectAfterInternetTest(true);
        return;
    }
    JoinConnectThread();
    const std::string url = DialTestUrl(store_.Ini());
    connectThread_ = std::thread([this, url] {
        const bool reachable = CDialInternet::TestConnection(url, connectStop_);
        PostToUi([this, reachable] { ConnectAfterInternetTest(reachable); });
    });
}

void CClient_TavroDlg::ConnectAfterInternetTest(bool reachable) {
    if (!reachable) {
        ShowServerError("Unable to connect to the internet");
        attemptRunning_ = false;
        state_.SetConnectInProgress(false);
        return;
    }
    if (!SaveFieldsFromControls(!closing_)) {
        FailConnect("Unable to connect to the Server");
        return;
    }
    StartConnectAttempt();
}

void CClient_TavroDlg::StartConnectAttempt() {
    JoinConnectThread();
    const std::string host = settings_.serverHost;
    const int port = settings_.serverPort;
    if (options_.events)
        options_.events->Note("Connecting to " + host + ":" + std::to_string(port));
    connectThread_ = std::thread([this, host, port] {
        std::string error;
        const int fd = ConnectTcp(host, port, options_.connectTimeoutMs, connectStop_, error);
        PostToUi([this, fd, error] { ConnectAttemptDone(fd < 0 ? -1 : fd, fd != -2, error); });
    });
}

void CClient_TavroDlg::ConnectAttemptDone(int fd, bool resolved, const std::string& error) {
    JoinConnectThread();
    if (fd >= 0) {
        ContinueConnect(fd);
        return;
    }
    if (options_.events)
        options_.events->Note("Connect failed: " + error);
    // An automatic attempt fails silently; a person is asked whether to retry.
    if (resolved && !connectionWanted_ && !testMode_ && !closing_ &&
        prompt_.AskYesNo("Failed connection, Retry?")) {
        StartConnectAttempt();
        return;
    }
    FailConnect("Unable to connect to the Server");
}

void CClient_TavroDlg::FailConnect(const std::string& line) {
    ShowServerError(line);
    attemptRunning_ = false;
    state_.SetConnectInProgress(false);
}

void CClient_TavroDlg::JoinConnectThread() {
    if (!connectThread_.joinable())
        return;
    if (closing_ || ended_)
        connectStop_.Set();
    connectThread_.join();
    connectStop_.Reset();
}

void CClient_TavroDlg::ContinueConnect(int fd) {
    stream_ = std::make_unique<CSocketStream>(fd);
    state_.SetConnected(true);
    state_.SetConnectInProgress(false);

    auto version = std::make_unique<CVersionMessage>();
    version->version = ProgramVersionNumber();
    messageQueue_.Add(std::move(version));

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
    {
        std::lock_guard<std::mutex> guard(displayLock_);
        talker_.clear();
    }
    stop_.Reset();
    audio_->PlaybackTimer().Restart();
    audio_->SetSquelchSettling(settings_.squelchSettlingMs);
    RestartActivity();
    connectionWanted_ = true;
    if (options_.events)
        options_.events->Connected(settings_.serverHost, settings_.serverPort);

    transmitThread_ = std::thread(&CClient_TavroDlg::TransmitThread, this);
    receiveThread_ = std::thread(&CClient_TavroDlg::ReceiveThread, this);
    ArmReceiveTimeout();
    attemptRunning_ = false;
    state_.SetConnectInProgress(false);
}

// ---- the receive time-out

void CClient_TavroDlg::ArmReceiveTimeout() {
    lastMessageTicks_ = SystemClock().Ticks();
    receiveTimeout_.start(options_.receiveTimeoutMs);
}

// The timer runs once per time-out period rather than being restarted for
// every message: when it fires it looks at the time of the last message and
// waits for the rest of the period if one came since.
void CClient_TavroDlg::ReceiveTimeoutFired() {
    if (!state_.Connected())
        return;
    const uint32_t quiet = SystemClock().Ticks() - lastMessageTicks_;
    if (quiet < uint32_t(options_.receiveTimeoutMs)) {
        receiveTimeout_.start(options_.receiveTimeoutMs - int(quiet));
        return;
    }
    OnTimer(kReceiveTimeoutTimer);
}

// ---- disconnect

void CClient_TavroDlg::Disconnect(bool updateKeying) {
    if (!controls_.IsEnabled(IDC_CONNECTION_LOST))
        return;
    disconnecting_ = true;

    OnPushToTalkStop();
    endOfTransmission_ = -1;
    rigKeying_->Unkey();
    if (updateKeying)
        SwitchToCapture();
    rigKeying_->Unkey();
    controls_.SetColor(IDC_TX_LAMP, 0x808080);

    state_.SetReconnectWanted(false);
    const bool rearm = connectionWanted_ && controls_.Check(IDC_AUTO_RECONNECT) != 0;

    stop_.Set();
    receiveTimeout_.stop();
    if (transmitThread_.joinable())
        transmitThread_.join();
    if (receiveThread_.joinable())
        receiveThread_.join();

    const bool byUser = !connectionWanted_;
    // The stop flag is already set, so a server that no longer reads cannot
    // hold the window here: the Bye goes out only if the socket takes it now.
    if (byUser && state_.Connected())
        CMsg(kCmdBye).Write(*stream_, stop_);
    shutdown(stream_->Fd(), SHUT_RDWR);
    stream_.reset();

    {
        std::lock_guard<std::mutex> guard(displayLock_);
        names_.clear();
        descriptions_.clear();
        talker_.clear();
    }
    RedrawMembers();

    SetIdleControls();
    controls_.Enable(IDC_PTT, false);
    state_.SetConnected(false);
    state_.SetReconnectWanted(rearm);
    disconnecting_ = false;
    rigKeying_->UnkeyAfter(1000);
    if (options_.events)
        options_.events->Disconnected(byUser);
}

void CClient_TavroDlg::OnDisconnect() {
    connectionWanted_ = false;
    state_.SetReconnectWanted(false);
    Disconnect(true);
}

void CClient_TavroDlg::OnConnectionLost() {
    Disconnect(true);
}

void CClient_TavroDlg::GoToServer(const std::string& host, const std::string& room, int port) {
    auto store = [&] {
        std::lock_guard<std::mutex> guard(settingsLock_);
        settings_.serverPort = port;
        settings_.serverHost = host;
        settings_.room = room;
    };
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
        {
            std::lock_guard<std::mutex> guard(displayLock_);
            talker_.clear();
        }
        OnSend();
        return;
    }
    OnDisconnect();
    store();
    LoadFieldsIntoControls();
    OnConnect();
}

// ---- watchdog

void CClient_TavroDlg::WatchdogThread() {
    std::unique_lock<std::mutex> lock(watchdogLock_);
    for (;;) {
        watchdogWake_.wait_for(lock, std::chrono::milliseconds(options_.watchdogPeriodMs),
                               [this] { return watchdogStop_; });
        if (watchdogStop_)
            return;
        if (state_.ClaimReconnect())
            PostToUi([this] { OnConnect(); });
    }
}
