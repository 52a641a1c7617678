#pragma once

#include "audio/elapsed_timer.h"
#include "audio/mixin_queue.h"
#include "audio/morse.h"
#include "audio/queues.h"
#include "client/audio_path.h"
#include "client/client_events.h"
#include "client/connection_state.h"
#include "client/control_ids.h"
#include "client/dialog_controls.h"
#include "client/push_to_talk_button.h"
#include "client/queued_call.h"
#include "client/receiver_overs.h"
#include "client/room_roster.h"
#include "client/server_link.h"
#include "client/user_prompt.h"
#include "platform/serial_port.h"
#include "platform/wave_device.h"
#include "radio/client_settings.h"
#include "radio/dtmf_commands.h"
#include "radio/restriction_editor.h"
#include "radio/rig_keying.h"
#include "radio/rig_keying_dlg.h"
#include "radio/rig_settings.h"
#include "radio/settings_store.h"
#include "radio/transmit_timeout.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>

class CAnnouncementsDlg;
class CMsg;
class CPresetServersDlg;
class CUserInfoList;

// The main window's logic: the owner of everything. Commands, timers and
// notifications run on the UI thread (the thread that owns this object); the
// server link's threads reach it only through queued calls, and the room
// roster is the one state they share. Controls are read and written through
// the CDialogControls model; a Qt window binds to it, headless mode has none.
class CClient_TavroDlg : public QObject, private IServerLinkClient {
    Q_OBJECT
public:
    struct Options {
        int templateId = 102;
        // Yes/No questions and message boxes.
        IUserPrompt* prompt = nullptr;
        // What a person would watch; may be null.
        IClientEvents* events = nullptr;
        // The sound devices (ALSA or WAV files; a test's manual devices).
        // Without them room audio is dropped and nothing is captured.
        std::unique_ptr<IWaveIn> waveIn;
        std::unique_ptr<IWaveOut> waveOut;
        // Device names, when not the "AUDIO_IN" index (a WAV file's path).
        std::string captureDeviceName, playbackDeviceName;
        // Makes the rig's serial ports; empty makes real ones.
        std::function<std::unique_ptr<ISerialPort>()> serialPortFactory;
        // Shows the "Rig Keying and Squelch Setup" dialog modally; true when
        // it closed with OK. Without it (headless) the command does nothing.
        std::function<bool(CRigKeyingDlg&)> runRigKeyingDialog;
        // Show the "Announcements" and "Edit Preset Servers" dialogs
        // modally; true when they closed with OK. Without them (headless)
        // their commands do nothing.
        std::function<bool(CAnnouncementsDlg&)> runAnnouncementsDialog;
        std::function<bool(CPresetServersDlg&)> runPresetServersDialog;
        // Shows the restrictions editor of the administration layout
        // modally. Without it (headless) the command does nothing.
        std::function<void(CRestrictionEditEx&)> runRestrictionEditor;
        // Milliseconds between watchdog passes and the receive time-out
        // (shortened by tests).
        int watchdogPeriodMs = 5000;
        int receiveTimeoutMs = 30000;
        int connectTimeoutMs = 10000;
        // The clock of the activity and DTMF stopwatches; null for the
        // system's (tests move a manual one).
        IClock* clock = nullptr;
    };

    CClient_TavroDlg(CSettingsStore& store, Options options, QObject* parent = nullptr);
    // Stops every thread, saves the settings.
    ~CClient_TavroDlg() override;

    // Set-up of the window; commandLine is the program's command line text.
    void OnInitDialog(const std::string& commandLine);
    // A command from a control: id and notification code (0 for a click).
    void OnCommand(int id, int notification = 0);
    void OnTimer(int id);
    // A slider moved: its new position is in the controls model.
    void OnScroll(int id);
    // The window's close request (WM_CLOSE).
    void OnClose();
    bool IsEnded() const { return ended_; }
    // The layout: kGatewayTemplate, or kAdminTemplate for administration.
    int TemplateId() const { return options_.templateId; }
    // While another program holds the window, its close only hides it (the
    // hidden signal) and the program runs on. Releasing the hold of a window
    // so hidden ends it, as the close would have.
    void SetHeldByController(bool held);
    // A close found the window held: it is hidden and the program runs on.
    bool IsHiddenByClose() const { return hiddenByClose_; }

    // The connection fields as another program reads and sets them. The port
    // is 0 while its field holds no number.
    struct ConnectionFields {
        std::string host, room;
        int port = 0;
    };
    ConnectionFields ShownConnectionFields() const;
    // Reads the fields into the settings (without the call sign's messages),
    // lets `change` set values and shows the settings in the fields again.
    // Nothing connects.
    void ChangeSettingsThroughFields(const std::function<void(ClientSettings&)>& change);

    // Connection (UI thread).
    void OnConnect();
    void Disconnect(bool updateKeying);
    void OnDisconnect();
    void OnConnectionLost();
    void GoToServer(const std::string& host, const std::string& room, int port);
    bool IsConnected() const { return link_->State().IsConnected(); }
    // Has the watchdog connect within its period (about 5 s) to the stored
    // server and room, as a room on the command line does.
    void ConnectSoon() { link_->State().SetReconnectWanted(true); }

    // Announcements and DTMF commands (UI thread). PlayAnnouncement sends a
    // text in Morse (morse nonzero) or plays a WAV file over the air;
    // occasion names why, for the log. OnDtmfDigit takes each key that the
    // DTMF decoder recognised; the decoder's keys arrive through a queued call.
    void PlayAnnouncement(const std::string& file, int morse, const std::string& occasion);
    void OnDtmfDigit(char digit);

    // Push-to-talk and the audio path (UI thread). The operator's
    // push-to-talk (button, space bar) keys the transmitter while capture
    // runs; the receiver's squelch opening never does.
    void OnPushToTalkStart();
    void OnPushToTalkStop();
    void SwitchToPlayback();
    // Capture that already runs keys the transmitter when keyIfCapturing.
    void SwitchToCapture(bool keyIfCapturing);
    // The capture notification's step after the capture engine took the buffer.
    void AdvanceEndOfTransmission();
    bool PushToTalkActive() const { return pttActive_; }
    // The space bar in the window: pressed or released, with the focus in
    // the Talk Group field (or its edit), the Comment field or elsewhere.
    // True when the key is used up and must not reach the focused control.
    enum class SpaceFocus { TalkGroup, Comment, Other };
    bool OnSpaceKey(bool down, SpaceFocus focus);
    // The window's "Always On Top" choice, kept in the settings (ONTOP).
    void SetAlwaysOnTop(bool onTop);
    CRigKeying& RigKeying() { return *rigKeying_; }

    CDialogControls& Controls() { return controls_; }
    CPushToTalkButton& PushToTalkButton() { return pttButton_; }
    const ClientSettings& Settings() const { return settings_; }
    const ConnectionState& State() const { return link_->State(); }
    int ServerVersion() const { return link_->ServerVersion(); }
    std::string Talker() const { return roster_.Talker(); }
    // The meters' levels, for the window's refresh.
    AudioLevels Levels() const { return audio_->Levels(); }
    CSoundQueue& PlaybackQueue() { return audio_->PlaybackQueue(); }
    CSoundQueue& TransmitQueue() { return audio_->TransmitQueue(); }
    CMsgQueue& MessageQueue() { return link_->MessageQueue(); }
    CMixInQueue& MixInQueue() { return audio_->MixInQueue(); }

signals:
    // The window has ended (after a close).
    void ended();
    // A close of a held window: the window hides itself and the program runs on.
    void hidden();

private:
    // Commands.
    void OnSend();
    void OnRoomSelected();
    void OnPresetSelected();
    void OnApply();
    void OnAlc();
    void OnLineIn();
    void OnMonitor();
    void OnHelp();
    void OnDtmfHelp();
    void OnVoxBox();
    void OnSquelch(bool open);
    void RedrawMembers();
    void FillPresets();
    void Arm();
    void TestModeStep();
    void ApplyCommandLine(const std::string& commandLine);
    void EndTransmission();
    void QueueJoin();
    void FocusPushToTalk();
    void RestartActivity();
    bool SaveFieldsFromControls(bool showCallsignMessages);
    void LoadFieldsIntoControls();
    // Changes the settings record under the lock that worker threads read it with.
    void ChangeSettings(const std::function<void(ClientSettings&)>& change);
    ClientSettings SettingsSnapshot() const;
    void SetIdleControls();
    void SetPushToTalkActive(bool active);
    void OpenRigPort();
    void MakeAudioPath();
    void ConfigureAudio();
    void FinishClose();
    void OnRigKeying();
    void OnRestrictions();
    // The restrictions editor, made when first needed (UI thread).
    CRestrictionEditEx& RestrictionEditor();
    void OnAnnouncements();
    void OnEditPresets();
    void RestartAfterRigSetup();
    WaveDeviceId DeviceId(const std::string& file) const;
    // The transmit time-out's heartbeat duty (client_rig.cpp).
    void CheckTransmitTimeout();
    void ShowServerError(const std::string& line);
    void ShowError(const std::string& text);
    void PostToUi(std::function<void()> call);
    void RequestMemberRedraw();

    // Connect steps: the link runs them off the UI thread and reports here.
    void ConnectAfterInternetTest(bool reachable);
    void StartConnectAttempt();
    void ContinueConnect();
    void FailConnect(const std::string& line);
    void EndAttempt();

    // IServerLinkClient
    void OnInternetTested(bool reachable) override { ConnectAfterInternetTest(reachable); }
    void OnConnectDone(bool connected, bool resolved, const std::string& error) override;
    void OnConnectionLost(const std::string& reason) override;
    void OnServerMessage(CMsg& msg) override;
    void OnReceiveTimeout() override { OnTimer(kReceiveTimeoutTimer); }
    void OnReconnectDue() override { OnConnect(); }
    void OnSoundSent(bool silent) override;

    // The receive thread's dispatch.
    void HandleVersion(int32_t serverVersion);
    void QueueMorse(const std::string& text);

    // The timer's duties for announcements and DTMF commands.
    void DtmfFollowUp();
    void AnnouncementTick();
    void ObeyDtmf(const CDtmfCommands::Decision& decision, const std::string& keys);
    void Note(const std::string& line);
    void QueueSwitchToPlayback(bool forRoomAudio = false);

    CSettingsStore& store_;
    Options options_;
    IUserPrompt& prompt_;
    // Calls queued to the UI thread; it outlives every thread that posts.
    CQueuedCalls uiCalls_;
    std::unique_ptr<CRigKeying> rigKeying_;
    std::unique_ptr<IAudioPath> audio_;
    class CEngineAudioPath* engine_ = nullptr; // audio_, when it drives the sound card
    ClientSettings settings_;                  // written on the UI thread only, under settingsLock_
    mutable std::mutex settingsLock_;          // held by writers and by other threads' reads
    RigSettings rigSettings_;

    CDialogControls controls_;
    CPushToTalkButton pttButton_;

    CRoomRoster roster_;
    std::unique_ptr<CServerLink> link_;
    std::unique_ptr<CRestrictionEditEx> restrictionEditor_;
    std::atomic<bool> connectionWanted_{false};
    std::atomic<bool> testMode_{false};
    bool attemptRunning_ = false;
    uint64_t attemptSerial_ = 0; // counts the attempts that OnConnect began
    QTimer retryTimer_;          // an automatic answer's retry
    // The room's directory as the receive thread keeps it (one per connection).
    std::unique_ptr<CUserInfoList> members_;
    // Member redraws asked for by the receive thread and not yet run.
    std::atomic<bool> redrawQueued_{false};
    std::vector<std::string> shownMembers_;
    std::string shownTalker_;

    CElapsedTimer activity_;
    std::atomic<int> tickCount_{0};
    CDtmfCommands dtmf_;
    // The receiver's overs as they go to the room (any thread).
    CReceiverOvers overs_{options_.clock ? *options_.clock : SystemClock()};
    CTransmitTimeout txTimeout_;
    std::mutex morseLock_;
    CMorse morse_;

    std::atomic<bool> pttActive_{false};
    int endOfTransmission_ = -1;
    bool armingMemo_ = true;
    bool spaceKeyHeld_ = false; // the space bar holds push-to-talk
    bool closing_ = false;
    bool ended_ = false;
    bool heldByController_ = false;
    bool hiddenByClose_ = false; // a close found the window held
    bool lastKeyed_ = false;
    std::mt19937 random_;

    QTimer heartbeat_, testTimer_;
};
