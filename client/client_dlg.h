#pragma once

#include "audio/elapsed_timer.h"
#include "audio/mixin_queue.h"
#include "audio/morse.h"
#include "audio/queues.h"
#include "client/audio_path.h"
#include "client/client_events.h"
#include "client/connection_state.h"
#include "client/dialog_controls.h"
#include "client/push_to_talk_button.h"
#include "client/user_prompt.h"
#include "platform/serial_port.h"
#include "platform/stop_flag.h"
#include "platform/wake_signal.h"
#include "platform/wave_device.h"
#include "protocol/socket_stream.h"
#include "radio/client_settings.h"
#include "radio/rig_keying.h"
#include "radio/rig_keying_dlg.h"
#include "radio/rig_settings.h"
#include "radio/settings_store.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

class CMsg;

// The main window's logic: the owner of everything. Commands, timers and
// notifications run on the UI thread (the thread that owns this object);
// the receive, transmit, connect and watchdog threads reach it only through
// queued calls. Controls are read and written through the CDialogControls
// model; a Qt window binds to it, headless mode has none.
class CClient_TavroDlg : public QObject {
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
        // Milliseconds between watchdog passes and the receive time-out
        // (shortened by tests).
        int watchdogPeriodMs = 5000;
        int receiveTimeoutMs = 30000;
        int connectTimeoutMs = 10000;
    };

    CClient_TavroDlg(CSettingsStore& store, Options options, QObject* parent = nullptr);
    // Stops every thread, saves the settings.
    ~CClient_TavroDlg() override;

    // Set-up of the window; commandLine is the program's command line text.
    void OnInitDialog(const std::string& commandLine);
    // A command from a control: id and notification code (0 for a click).
    void OnCommand(int id, int notification = 0);
    void OnTimer(int id);
    // The window's close request (WM_CLOSE).
    void OnClose();
    bool IsEnded() const { return ended_; }

    // Connection (UI thread).
    void OnConnect();
    void Disconnect(bool updateKeying);
    void OnDisconnect();
    void OnConnectionLost();
    void GoToServer(const std::string& host, const std::string& room, int port);
    bool IsConnected() const { return state_.IsConnected(); }

    // Push-to-talk and the audio path (UI thread).
    void OnPushToTalkStart();
    void OnPushToTalkStop();
    void SwitchToPlayback();
    void SwitchToCapture();
    // The capture notification's step after the capture engine took the buffer.
    void AdvanceEndOfTransmission();
    bool PushToTalkActive() const { return pttActive_; }
    CRigKeying& RigKeying() { return *rigKeying_; }

    CDialogControls& Controls() { return controls_; }
    CPushToTalkButton& PushToTalkButton() { return pttButton_; }
    const ClientSettings& Settings() const { return settings_; }
    const ConnectionState& State() const { return state_; }
    int ServerVersion() const { return serverVersion_; }
    std::string Talker() const;
    CSoundQueue& PlaybackQueue() { return audio_->PlaybackQueue(); }
    CSoundQueue& TransmitQueue() { return audio_->TransmitQueue(); }
    CMsgQueue& MessageQueue() { return messageQueue_; }
    CMixInQueue& MixInQueue() { return audio_->MixInQueue(); }
    CElapsedTimer& ActivityTimer() { return activity_; }

signals:
    // The window has ended (after a close).
    void ended();

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
    void SetIdleControls();
    void SetPushToTalkActive(bool active);
    void OpenRigPort();
    void MakeAudioPath();
    void ConfigureAudio();
    void FinishClose();
    void OnRigKeying();
    void RestartAfterRigSetup();
    void ShowServerError(const std::string& line);

    // Connect steps: the attempt runs off the UI thread, its result comes back here.
    void ConnectAfterInternetTest(bool reachable);
    void StartConnectAttempt();
    void ConnectAttemptDone(int fd, bool resolved, const std::string& error);
    void ContinueConnect(int fd);
    void FailConnect(const std::string& line);
    void JoinConnectThread();

    // The receive time-out: the timer checks the time of the last message.
    void ArmReceiveTimeout();
    void ReceiveTimeoutFired();

    // Worker threads.
    void ReceiveThread();
    void TransmitThread();
    void WatchdogThread();
    void HandleMessage(CMsg& msg, class CUserInfoList& members);
    void HandleVersion(int32_t serverVersion);
    void QueueMorse(const std::string& text);
    void PostToUi(std::function<void()> call);
    void QueueSwitchToPlayback();
    void ThreadEnded();
    bool AnswerPing();
    ClientSettings SettingsSnapshot() const;
    bool MayTalk(bool silent) const;

    CSettingsStore& store_;
    Options options_;
    IUserPrompt& prompt_;
    std::unique_ptr<CRigKeying> rigKeying_;
    std::unique_ptr<IAudioPath> audio_;
    class CEngineAudioPath* engine_ = nullptr; // audio_, when it drives the sound card
    ClientSettings settings_;
    RigSettings rigSettings_;
    mutable std::mutex settingsLock_; // settings_ as worker threads read it

    CDialogControls controls_;
    CPushToTalkButton pttButton_;

    ConnectionState state_;
    std::unique_ptr<CSocketStream> stream_;
    CStopFlag stop_;
    std::thread receiveThread_, transmitThread_;
    std::atomic<bool> connectionWanted_{false};
    std::atomic<bool> disconnecting_{false};
    bool testMode_ = false;
    std::atomic<int32_t> serverVersion_{0};
    std::atomic<bool> pingReply_{false};
    CWakeSignal transmitWake_;
    CMsgQueue messageQueue_;

    // Members display, guarded by the display lock.
    mutable std::mutex displayLock_;
    std::vector<std::string> names_, descriptions_;
    std::string talker_;
    std::vector<std::string> shownMembers_;
    std::string shownTalker_;

    CElapsedTimer activity_;
    std::atomic<int> tickCount_{0};
    std::mutex morseLock_;
    CMorse morse_;

    std::atomic<bool> pttActive_{false};
    int endOfTransmission_ = -1;
    bool armingMemo_ = true;
    bool closing_ = false;
    bool ended_ = false;
    bool lastKeyed_ = false;
    std::mt19937 random_;

    QTimer heartbeat_, receiveTimeout_, testTimer_;
    std::atomic<uint32_t> lastMessageTicks_{0};

    std::thread watchdog_;
    std::mutex watchdogLock_;
    std::condition_variable watchdogWake_;
    bool watchdogStop_ = false;

    std::thread connectThread_;
    CStopFlag connectStop_;
    bool attemptRunning_ = false;
};
