#include "client/client_dlg.h"

#include "audio/dtmf_decoder.h"
#include "audio/sound_host.h"
#include "audio/sound_packet.h"
#include "client/control_ids.h"
#include "client/discarding_audio_path.h"
#include "client/engine_audio_path.h"
#include "client/field_exchange.h"
#include "client/member_display.h"
#include "client/talk_group_selector.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "platform/string_format.h"
#include "protocol/conference_messages.h"
#include "protocol/directory.h"

#include <QProcess>

#include <sys/stat.h>

#include <algorithm>
#include <sstream>

namespace {
constexpr uint32_t kLampRed = 0xFF0000;
constexpr uint32_t kLampGrey = 0x808080;
constexpr int kHeartbeatMs = 250;
constexpr int kTestStepMs = 5000;

const char* const kDtmfHelpText =
    "DTMF Commands : \n\n*0 \t\t\tGoto First Preset Server/Room.\n*0-7 \t\t\tGoto Preset "
    "Server/Room.\n#<connect code> \tConnect to system\n#<disconnect code> \tDisconnect from "
    "system\n\nIncorrect codes will Just sit there and do nothing";

IClock& ClockOf(const CClient_TavroDlg::Options& options) {
    return options.clock ? *options.clock : SystemClock();
}

// The window that the process's DTMF decoder hands its keys to.
CClient_TavroDlg* dtmfKeyReceiver = nullptr;
} // namespace

CClient_TavroDlg::CClient_TavroDlg(CSettingsStore& store, Options options, QObject* parent)
    : QObject(parent), store_(store), options_(std::move(options)), prompt_(*options_.prompt),
      pttButton_([this](int command) { OnCommand(command); },
                 [this](int command) { PostToUi([this, command] { OnCommand(command); }); }),
      activity_(ClockOf(options_)), dtmf_(ClockOf(options_)), txTimeout_(ClockOf(options_)) {
    store_.LoadStartup(settings_, rigSettings_);
    morse_.Setup(settings_.cwToneHz, settings_.cwSpeedWpm, settings_.cwVolume);

    RigKeyingOptions rig;
    rig.devicePath = [this](int port) { return ComPortDevicePath(store_.Ini(), port); };
    rig.portFactory = options_.serialPortFactory;
    rig.onSquelch = [this](bool open) { PostToUi([this, open] { OnSquelch(open); }); };
    rig.onError = [this](const std::string& message, const std::string& detail) {
        PostToUi([this, message, detail] {
            if (options_.events && !detail.empty())
                options_.events->Note(message + ": " + detail);
            prompt_.ShowMessage(message, "", IUserPrompt::Icon::Stop);
        });
    };
    rig.onNote = [this](const std::string& line) { PostToUi([this, line] { Note(line); }); };
    rig.clock = &ClockOf(options_);
    rigKeying_ = std::make_unique<CRigKeying>(std::move(rig));
    MakeAudioPath();
    link_ = std::make_unique<CServerLink>(
        static_cast<IServerLinkClient&>(*this), TransmitQueue(),
        CServerLink::Timing{options_.watchdogPeriodMs, options_.receiveTimeoutMs,
                            options_.connectTimeoutMs, &ClockOf(options_)});

    controls_.SetSorted(IDC_MAIN_LIST, true);
    controls_.SetSorted(IDC_TALK_GROUP, true);

    heartbeat_.setInterval(kHeartbeatMs);
    connect(&heartbeat_, &QTimer::timeout, this, [this] { OnTimer(kHeartbeatTimer); });
    testTimer_.setSingleShot(true);
    connect(&testTimer_, &QTimer::timeout, this, [this] { OnTimer(kTestModeTimer); });
    retryTimer_.setSingleShot(true);
    connect(&retryTimer_, &QTimer::timeout, this, [this] { StartConnectAttempt(); });

    // Capture runs the decoder on this thread; each key is handled as a
    // message of its own, after the capture buffer.
    dtmfKeyReceiver = this;
    UseDtmfDetector(settings_.dtmfDetector);
    SetDtmfKeySink([this](char key) { PostToUi([this, key] { OnDtmfDigit(key); }); });
}

CClient_TavroDlg::~CClient_TavroDlg() {
    if (dtmfKeyReceiver == this) {
        // The process's decoder goes back to how it started.
        SetDtmfKeySink(nullptr);
        UseDtmfDetector(DtmfDetectorKind::Blocks299);
        dtmfKeyReceiver = nullptr;
    }
    link_.reset();
    rigKeying_->Unkey();
    store_.SaveClient(settings_);
}

void CClient_TavroDlg::PostToUi(std::function<void()> call) {
    uiCalls_.Post(std::move(call));
}

// Engine failures come up while the sound card is being switched: the message
// waits for the event loop, so that no switch is ever inside a message box.
// A window's box leaves no trace in the log, so the error is logged too.
void CClient_TavroDlg::ShowError(const std::string& text) {
    if (!prompt_.AnswersByItself()) {
        std::string line = "Error: " + text;
        std::replace(line.begin(), line.end(), '\n', ' ');
        Note(line);
    }
    PostToUi([this, text] { prompt_.ShowMessage(text, "", IUserPrompt::Icon::Stop); });
}

// A WAV file given on the command line, else the sound card of the settings.
WaveDeviceId CClient_TavroDlg::DeviceId(const std::string& file) const {
    return {settings_.audioDevice, file.empty() ? rigSettings_.audioDeviceName : file};
}

void CClient_TavroDlg::MakeAudioPath() {
    if (!options_.waveIn || !options_.waveOut) {
        audio_ = std::make_unique<CDiscardingAudioPath>();
        return;
    }
    AudioPathHooks hooks;
    hooks.isConnected = [this] { return IsConnected(); };
    hooks.mayTalk = [this](bool silent) { return roster_.MayTalk(settings_.callsign, silent); };
    hooks.isTestMode = [this] { return testMode_.load(); };
    hooks.showError = [this](const std::string& text) { ShowError(text); };
    hooks.connectionLost = [this] { PostToUi([this] { OnCommand(IDC_CONNECTION_LOST); }); };
    hooks.captureBufferTaken = [this] { AdvanceEndOfTransmission(); };
    // After the message that an engine may have queued just before.
    hooks.note = [this](const std::string& line) { PostToUi([this, line] { Note(line); }); };
    auto engine = std::make_unique<CEngineAudioPath>(
        std::move(options_.waveIn), std::move(options_.waveOut),
        DeviceId(options_.captureDeviceName), DeviceId(options_.playbackDeviceName), *rigKeying_,
        std::move(hooks), ClockOf(options_));
    engine_ = engine.get();
    audio_ = std::move(engine);
    ConfigureAudio();
}

void CClient_TavroDlg::ConfigureAudio() {
    if (!engine_)
        return;
    int gains[8];
    for (int i = 0; i < 8; ++i)
        gains[i] = settings_.dtmfGain[size_t(i)];
    engine_->Configure(settings_.voxEnabled, settings_.voxLevel, settings_.silenceLevel, gains,
                       rigSettings_.squelchLine);
}

void CClient_TavroDlg::OpenRigPort() {
    rigKeying_->OpenRigPort(rigSettings_);
    rigKeying_->SetSquelchSettlingMs(settings_.squelchSettlingMs);
    txTimeout_.Configure(rigSettings_.txTimeoutEnabled, rigSettings_.txTimeoutSeconds,
                         rigSettings_.txRestartSeconds);
    const RigWindowLayout layout = RigWindowLayoutFor(rigSettings_, settings_.voxLevel);
    controls_.SetText(IDC_VOX, layout.voxBoxCaption);
    controls_.SetText(IDC_INPUT_COLUMNS, layout.micSliderLabel);
    controls_.Show(IDC_SILENCE_LEVEL, layout.showSilenceLevel);
    controls_.SetRange(IDC_VOX_LEVEL, 0, layout.voxSliderMaximum);
    controls_.SetPosition(IDC_VOX_LEVEL, layout.voxSliderPosition);
    ConfigureAudio();
}

// ---- set-up

void CClient_TavroDlg::OnInitDialog(const std::string& commandLine) {
    random_.seed(SystemClock().Ticks());
    endOfTransmission_ = -1;
    // The administration layout's "Restrictions..." starts disabled: the
    // login enables it when the server keeps restrictions.
    if (options_.templateId == kAdminTemplate)
        controls_.Enable(IDC_RESTRICTIONS, false);
    LoadFieldsIntoControls();

    controls_.SetText(IDC_INPUT_GROUP, settings_.lineIn ? "Line" : "Mic");
    controls_.SetCheck(IDC_LINE_IN, settings_.lineIn ? 1 : 0);
    RedrawMembers();
    SetIdleControls();

    controls_.SetCheck(IDC_VOX, settings_.voxEnabled ? 1 : 0);
    controls_.SetRange(IDC_VOX_LEVEL, 0, kVoxSliderMaximum);
    controls_.SetPosition(IDC_VOX_LEVEL, kVoxSliderMaximum - settings_.voxLevel);
    controls_.SetRange(IDC_SILENCE_LEVEL, 300, 3000);
    controls_.SetPosition(IDC_SILENCE_LEVEL, settings_.silenceLevel);
    for (int i = 0; i < 8; ++i) {
        controls_.SetRange(kDtmfGainSliders[i], 1, 32000);
        controls_.SetPosition(kDtmfGainSliders[i], 32000 - settings_.dtmfGain[size_t(i)]);
    }

    pttButton_.SetCommands(IDC_PTT_START, IDC_PTT_STOP);
    SetPushToTalkActive(false);
    controls_.SetCheck(IDC_PTT, 0);
    pttButton_.SetArmed(false);

    ApplyCommandLine(commandLine);
    FillPresets();
    link_->StartWatchdog();

    controls_.SetText(IDC_CONNECT_CODE, settings_.connectCode);
    controls_.SetText(IDC_DISCONNECT_CODE, settings_.disconnectCode);
    controls_.SetColor(IDC_TX_LAMP, kLampGrey);

    SwitchToCapture(false);
    // Administration has no radio: a port shared with a running gateway
    // must stay that gateway's.
    if (options_.templateId != kAdminTemplate)
        OpenRigPort();
    heartbeat_.start();
}

// "#ROOM CALLSIGN" starts the test mode, any other text is a room to join at
// once. A word that is missing keeps the stored value.
void CClient_TavroDlg::ApplyCommandLine(const std::string& commandLine) {
    if (commandLine.empty())
        return;
    if (commandLine[0] == '#') {
        std::istringstream words(commandLine.substr(1));
        std::string room, call;
        words >> room >> call;
        ChangeSettings([&](ClientSettings& s) {
            if (!room.empty())
                s.room = room;
            if (!call.empty())
                s.callsign = call;
        });
        testMode_ = true;
        LoadFieldsIntoControls();
        testTimer_.start(kTestStepMs);
        return;
    }
    ChangeSettings([&](ClientSettings& s) { s.room = commandLine; });
    LoadFieldsIntoControls();
    link_->State().SetReconnectWanted(true);
}

void CClient_TavroDlg::SetIdleControls() {
    for (int id :
         {IDC_CONNECT, IDC_SERVER, IDC_PORT, IDC_CALLSIGN, IDC_PRESETS, IDC_SERVER_PASSWORD})
        controls_.Enable(id, true);
    for (int id : {IDC_CONNECTION_LOST, IDC_SEND, IDC_DISCONNECT, IDC_PTT})
        controls_.Enable(id, false);
    pttButton_.SetArmed(false);
    controls_.SetDefaultButton(IDC_CONNECT);
}

void CClient_TavroDlg::FillPresets() {
    controls_.ResetContent(IDC_PRESETS);
    for (size_t i = 0; i < settings_.presets.size(); ++i)
        controls_.AddString(IDC_PRESETS,
                            StringPrintf("%d : %s", int(i), settings_.presets[i].name.c_str()));
}

// The exchange may show a message box, so it works on a copy without the
// lock; the copy then replaces the record, with the fields that passed.
bool CClient_TavroDlg::SaveFieldsFromControls(bool showCallsignMessages) {
    ClientSettings edited = settings_;
    const bool passed =
        SaveFields(controls_, edited, prompt_, showCallsignMessages, options_.templateId);
    ChangeSettings([&](ClientSettings& s) { s = std::move(edited); });
    return passed;
}

void CClient_TavroDlg::LoadFieldsIntoControls() {
    LoadFields(controls_, settings_, options_.templateId);
}

// The room as the field exchange takes it: the selected entry, else the text.
CClient_TavroDlg::ConnectionFields CClient_TavroDlg::ShownConnectionFields() const {
    const int room = controls_.CurSel(IDC_TALK_GROUP);
    return {controls_.Text(IDC_SERVER),
            room >= 0 ? controls_.ItemText(IDC_TALK_GROUP, room) : controls_.Text(IDC_TALK_GROUP),
            QString::fromStdString(controls_.Text(IDC_PORT)).trimmed().toInt()};
}

void CClient_TavroDlg::ChangeSettingsThroughFields(
    const std::function<void(ClientSettings&)>& change) {
    SaveFieldsFromControls(false);
    ChangeSettings(change);
    LoadFieldsIntoControls();
}

void CClient_TavroDlg::ChangeSettings(const std::function<void(ClientSettings&)>& change) {
    std::lock_guard<std::mutex> guard(settingsLock_);
    change(settings_);
}

ClientSettings CClient_TavroDlg::SettingsSnapshot() const {
    std::lock_guard<std::mutex> guard(settingsLock_);
    return settings_;
}

// ---- commands

void CClient_TavroDlg::OnCommand(int id, int notification) {
    if (id == IDC_TALK_GROUP) {
        if (notification == kNotifySelectionChange)
            OnRoomSelected();
        return;
    }
    if (id == IDC_PRESETS) {
        if (notification == kNotifySelectionChange)
            OnPresetSelected();
        else if (notification == kNotifyClicked)
            RedrawMembers();
        return;
    }
    if (notification != kNotifyClicked)
        return;
    switch (id) {
    case IDC_CONNECT:
        OnConnect();
        break;
    case IDC_DISCONNECT:
        OnDisconnect();
        break;
    case IDC_CONNECTION_LOST:
        OnConnectionLost();
        break;
    case IDC_SEND:
        OnSend();
        break;
    case IDC_APPLY:
        OnApply();
        break;
    case IDC_VOX:
        OnVoxBox();
        break;
    case IDC_PTT_START:
        OnPushToTalkStart();
        break;
    case IDC_PTT_STOP:
        OnPushToTalkStop();
        break;
    case IDC_ALC:
        OnAlc();
        break;
    case IDC_LINE_IN:
        OnLineIn();
        break;
    case IDC_MONITOR:
        OnMonitor();
        break;
    case IDC_HELP:
        OnHelp();
        break;
    case IDC_DTMF_HELP:
        OnDtmfHelp();
        break;
    case IDC_RIG_KEYING:
        OnRigKeying();
        break;
    case IDC_RESTRICTIONS:
        OnRestrictions();
        break;
    case IDC_ANNOUNCEMENTS:
        OnAnnouncements();
        break;
    case IDC_EDIT_PRESETS:
        OnEditPresets();
        break;
    default:
        break;
    }
}

void CClient_TavroDlg::FocusPushToTalk() {
    controls_.SetFocus(IDC_PTT);
}

void CClient_TavroDlg::RestartActivity() {
    activity_.Restart();
    tickCount_ = 0;
}

void CClient_TavroDlg::QueueJoin() {
    const ClientSettings s = SettingsSnapshot();
    auto join = std::make_unique<CJoinMessage>();
    join->callSign = s.callsign;
    join->room = s.room;
    join->comment = s.comment;
    join->codec = "AMR";
    if (link_->ServerVersion() >= kPasswordJoinVersion) {
        join->command = kCmdJoinWithPassword;
        join->password = s.serverPassword;
    }
    MessageQueue().Add(std::move(join));
    PostToUi([this, room = s.room, call = s.callsign] {
        if (options_.events)
            options_.events->Joined(room, call);
    });
}

void CClient_TavroDlg::OnSend() {
    if (!IsConnected())
        return;
    const std::string oldRoom = settings_.room;
    if (!SaveFieldsFromControls(false))
        return;
    QueueJoin();
    if (settings_.room != oldRoom) {
        rigKeying_->Unkey();
        RestartActivity();
    }
    FocusPushToTalk();
    store_.SaveClient(settings_);
}

void CClient_TavroDlg::OnRoomSelected() {
    if (!IsConnected())
        return;
    if (!SaveFieldsFromControls(false))
        return;
    QueueJoin();
    rigKeying_->Unkey();
    RestartActivity();
}

void CClient_TavroDlg::OnPresetSelected() {
    const int index = controls_.CurSel(IDC_PRESETS);
    SaveFieldsFromControls(false);
    if (index < 0 || index >= int(settings_.presets.size()))
        return;
    ChangeSettings([&](ClientSettings& s) {
        const CPresetServer& preset = s.presets[size_t(index)];
        s.serverHost = preset.server;
        s.room = preset.room;
        s.serverPort = preset.port;
        s.serverPassword = preset.password;
    });
    LoadFieldsIntoControls();
}

void CClient_TavroDlg::OnApply() {
    if (!SaveFieldsFromControls(false))
        return;
    std::unique_ptr<CMixInSound> id;
    {
        std::lock_guard<std::mutex> guard(morseLock_);
        morse_.Setup(settings_.cwToneHz, settings_.cwSpeedWpm, settings_.cwVolume);
        id = morse_.Build(settings_.idText);
    }
    SwitchToPlayback();
    MixInQueue().Add(std::move(id));
    FocusPushToTalk();
}

void CClient_TavroDlg::OnAlc() {
    SaveFieldsFromControls(false);
}

void CClient_TavroDlg::SetAlwaysOnTop(bool onTop) {
    ChangeSettings([&](ClientSettings& s) { s.alwaysOnTop = onTop; });
}

void CClient_TavroDlg::OnLineIn() {
    ChangeSettings([&](ClientSettings& s) { s.lineIn = controls_.Check(IDC_LINE_IN) != 0; });
    store_.SaveClient(settings_);
    prompt_.ShowMessage(
        "Changes to the Line In Option will take effect next time the program is started");
}

void CClient_TavroDlg::OnMonitor() {
    // The companion program gets a number that identifies this window.
    const QString program = QStringLiteral("monitor.exe");
    const QStringList arguments = {QString::number(quintptr(this))};
    if (!QProcess::startDetached(program, arguments))
        prompt_.ShowMessage("Unable to Find monitor.exe", "", IUserPrompt::Icon::Stop);
    FocusPushToTalk();
}

void CClient_TavroDlg::OnHelp() {
    struct stat st;
    if (stat("Orlun-admin.chm", &st) == 0) {
        QProcess::startDetached(QStringLiteral("xdg-open"), {QStringLiteral("Orlun-admin.chm")});
        return;
    }
    prompt_.ShowMessage("Help File Error Reinstall Program Help File not Found", "",
                        IUserPrompt::Icon::Stop);
}

void CClient_TavroDlg::OnDtmfHelp() {
    prompt_.ShowMessage(kDtmfHelpText);
}

// ---- members display

void CClient_TavroDlg::RequestMemberRedraw() {
    if (!redrawQueued_.exchange(true))
        PostToUi([this] {
            redrawQueued_ = false;
            RedrawMembers();
        });
}

void CClient_TavroDlg::RedrawMembers() {
    const CRoomRoster::Snapshot roster = roster_.Get();
    RedrawMemberDisplay(controls_, roster.names, roster.descriptions, roster.talker,
                        settings_.callsign);
    if (!options_.events)
        return;
    std::vector<std::string> lines;
    for (int i = 0; i < controls_.Count(IDC_MAIN_LIST); ++i)
        lines.push_back(controls_.ItemText(IDC_MAIN_LIST, i));
    if (lines != shownMembers_) {
        shownMembers_ = lines;
        options_.events->MembersChanged(lines);
    }
    if (roster.talker != shownTalker_) {
        shownTalker_ = roster.talker;
        options_.events->TalkerChanged(roster.talker);
    }
}

void CClient_TavroDlg::ShowServerError(const std::string& line) {
    controls_.ResetContent(IDC_MAIN_LIST);
    controls_.AddString(IDC_MAIN_LIST, line);
    shownMembers_.clear();
    if (options_.events)
        options_.events->Note(line);
}

// ---- timers

void CClient_TavroDlg::OnTimer(int id) {
    if (id == kReceiveTimeoutTimer) {
        if (options_.events)
            options_.events->Warning("No message from the server for 30 s: disconnecting");
        Disconnect(false);
        return;
    }
    DtmfFollowUp();
    if (IsConnected())
        AnnouncementTick();
    if (id == kHeartbeatTimer) {
        Arm();
        audio_->Heartbeat();
        if (const uint32_t ms = overs_.TakeEnded())
            Note(StringPrintf("Receiver over ended: %.1f s sent to the room", ms / 1000.0));
    }
    if (id == kTestModeTimer)
        TestModeStep();
    const bool keyed = rigKeying_->IsLampOn();
    controls_.SetColor(IDC_TX_LAMP, keyed ? kLampRed : kLampGrey);
    if (keyed != lastKeyed_ && options_.events)
        options_.events->KeyingChanged(keyed);
    lastKeyed_ = keyed;
    rigKeying_->CheckReleaseDeadline();
    if (id == kHeartbeatTimer) {
        rigKeying_->CheckPort();
        CheckTransmitTimeout();
    }
}

void CClient_TavroDlg::TestModeStep() {
    testTimer_.stop();
    const unsigned r = random_() % 10;
    const bool connected = IsConnected();
    if (r <= 1) {
        if (connected)
            OnDisconnect();
        else if (!State().ConnectInProgress())
            OnConnect();
    } else if (r <= 3) {
        if (connected) {
            const std::string room = std::to_string(random_() % 10 + 100);
            controls_.SetCurSel(IDC_TALK_GROUP, -1);
            controls_.SetText(IDC_TALK_GROUP, room);
            OnCommand(IDC_TALK_GROUP, kNotifySelectionChange);
        } else if (!State().ConnectInProgress()) {
            OnConnect();
        }
    } else if (!connected && !State().ConnectInProgress()) {
        OnConnect();
    } else {
        SetPushToTalkActive(!pttActive_);
    }
    testTimer_.start(kTestStepMs);
}

// ---- shutdown

void CClient_TavroDlg::OnClose() {
    if (ended_)
        return;
    closing_ = true;
    OnDisconnect();
    SaveFieldsFromControls(false);
    // The engines' close notifications finish the close when they come.
    audio_->Stop([this] {
        if (!ended_)
            FinishClose();
    });
}

void CClient_TavroDlg::FinishClose() {
    rigKeying_->Unkey();
    if (heldByController_) {
        hiddenByClose_ = true;
        emit hidden();
        return;
    }
    heartbeat_.stop();
    testTimer_.stop();
    ended_ = true;
    emit ended();
}

void CClient_TavroDlg::SetHeldByController(bool held) {
    heldByController_ = held;
    if (!held && hiddenByClose_ && !ended_)
        FinishClose();
}
