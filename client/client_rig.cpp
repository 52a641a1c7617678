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
    std::vector<std::string> devices;
    for (const AlsaPcmDevice& device : ListAlsaWaveDevices())
        devices.push_back(AudioDeviceEntry(device.name, device.description));
    CRigKeyingDlg dialog;
    dialog.Open(rigSettings_, devices);
    dialog.ListPortDevices(store_.Ini());
    if (options_.runRigKeyingDialog(dialog)) {
        rigSettings_ = dialog.Ok();
        store_.SaveRig(rigSettings_);
    }
    progress->dialogClosed = true;
    if (progress->enginesStopped)
        RestartAfterRigSetup();
}

void CClient_TavroDlg::RestartAfterRigSetup() {
    ChangeSettings([&](ClientSettings& s) { s.audioDevice = rigSettings_.audioDevice; });
    audio_->SetDeviceIndex(rigSettings_.audioDevice);
    SwitchToCapture(false);
    OpenRigPort();
}
