// The "Rig Keying..." command: the rig keying set-up with the sound card and
// the rig port released while the dialog is open.

#include "client/client_dlg.h"

#include "platform/alsa_wave.h"

void CClient_TavroDlg::OnRigKeying() {
    if (!options_.runRigKeyingDialog)
        return;
    rigKeying_->CloseRigPort();
    // The engines close while the dialog is open (or after it); the sound
    // card and the port come back once both the dialog and the engines are done.
    struct Progress {
        bool dialogClosed = false;
        bool enginesStopped = false;
    };
    auto progress = std::make_shared<Progress>();
    audio_->Stop([this, progress] {
        progress->enginesStopped = true;
        if (progress->dialogClosed)
            RestartAfterRigSetup();
    });

    LoadRigSettings(store_.Ini(), rigSettings_);
    const std::vector<AlsaPcmDevice> alsaDevices = ListAlsaWaveDevices();
    std::vector<std::string> devices;
    for (const AlsaPcmDevice& device : alsaDevices)
        devices.push_back(AudioDeviceEntry(device.name, device.description));
    CRigKeyingDlg dialog;
    dialog.Open(rigSettings_, devices);
    dialog.ListPortDevices(store_.Ini());
    if (options_.runRigKeyingDialog(dialog)) {
        const int chosen = rigSettings_.audioDevice;
        rigSettings_ = dialog.Ok();
        // The device's name keeps the choice when cards are numbered anew.
        if (rigSettings_.audioDevice != chosen || rigSettings_.audioDeviceName.empty())
            rigSettings_.audioDeviceName =
                rigSettings_.audioDevice >= 0 && rigSettings_.audioDevice < int(alsaDevices.size())
                    ? alsaDevices[size_t(rigSettings_.audioDevice)].name
                    : std::string();
        store_.SaveRig(rigSettings_);
    }
    progress->dialogClosed = true;
    if (progress->enginesStopped)
        RestartAfterRigSetup();
}

void CClient_TavroDlg::RestartAfterRigSetup() {
    ChangeSettings([&](ClientSettings& s) { s.audioDevice = rigSettings_.audioDevice; });
    audio_->SetDevices(DeviceId(options_.captureDeviceName), DeviceId(options_.playbackDeviceName));
    SwitchToCapture(false);
    OpenRigPort();
}

// A station that keeps talking would hold the transmitter for minutes: the
// over is cut, and what the room sends is dropped until another station talks
// or the room has been quiet for the restart time.
void CClient_TavroDlg::CheckTransmitTimeout() {
    if (txTimeout_.Expired(rigKeying_->IsKeyed())) {
        Note("Transmit time-out: keyed for " + std::to_string(rigSettings_.txTimeoutSeconds) +
             " s, the transmitter is released; the room's audio is dropped until another "
             "station talks or the room is quiet for " +
             std::to_string(rigSettings_.txRestartSeconds) + " s");
        PlaybackQueue().Clear();
        audio_->MixInQueue().Clear();
        SwitchToCapture(false);
        rigKeying_->Unkey();
    }
    if (txTimeout_.Restarted())
        Note("Transmit time-out over: the room's audio is played again");
}
