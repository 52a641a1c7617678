// Push-to-talk, its arming while room audio plays, and the audio path switches.

#include "client/client_dlg.h"

#include "client/control_ids.h"

namespace {
// Push-to-talk stays disarmed until played audio has been quiet this long.
constexpr uint32_t kArmAfterPlaybackMs = 1000;
} // namespace

void CClient_TavroDlg::OnPushToTalkStart() {
    // With the receiver's squelch on the serial port, "Mute" silences both commands.
    if (rigSettings_.squelchLine != 0 && settings_.voxEnabled)
        return;
    SetPushToTalkActive(true);
    SwitchToCapture();
}

void CClient_TavroDlg::OnPushToTalkStop() {
    if (rigSettings_.squelchLine != 0 && settings_.voxEnabled)
        return;
    SetPushToTalkActive(false);
    endOfTransmission_ = 0;
}

void CClient_TavroDlg::OnVoxBox() {
    if (rigSettings_.squelchLine != 0 && pttActive_)
        OnPushToTalkStop();
    settings_.voxEnabled = controls_.Check(IDC_VOX) != 0;
    ConfigureAudio();
}

void CClient_TavroDlg::Arm() {
    if (audio_->PlaybackTimer().Elapsed() < kArmAfterPlaybackMs) {
        if (armingMemo_) {
            pttButton_.SetArmed(false);
            SetPushToTalkActive(false);
            armingMemo_ = false;
        }
    } else if (!armingMemo_) {
        pttButton_.SetArmed(true);
        armingMemo_ = true;
    }
}

void CClient_TavroDlg::SetPushToTalkActive(bool active) {
    pttActive_ = active;
    audio_->SetPushToTalk(active);
}

void CClient_TavroDlg::SwitchToPlayback() {
    std::lock_guard<std::mutex> guard(displayLock_);
    audio_->SwitchToPlayback();
}

void CClient_TavroDlg::SwitchToCapture() {
    std::lock_guard<std::mutex> guard(displayLock_);
    audio_->SwitchToCapture();
}
