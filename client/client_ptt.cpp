// Push-to-talk, the receiver's squelch, the arming of push-to-talk while room
// audio plays, and the audio path switches.

#include "client/client_dlg.h"

#include "client/control_ids.h"

namespace {
// Push-to-talk stays disarmed until played audio has been quiet this long.
constexpr uint32_t kArmAfterPlaybackMs = 1000;
} // namespace

// With the receiver's squelch on the serial port, "Mute" silences push-to-talk
// and the squelch alike.
void CClient_TavroDlg::OnPushToTalkStart() {
    if (rigSettings_.squelchLine != RigSquelchLine::None && settings_.voxEnabled)
        return;
    SetPushToTalkActive(true);
    SwitchToCapture(true);
}

void CClient_TavroDlg::OnPushToTalkStop() {
    if (rigSettings_.squelchLine != RigSquelchLine::None && settings_.voxEnabled)
        return;
    SetPushToTalkActive(false);
    endOfTransmission_ = 0;
}

// The receiver's squelch (a serial line or an interface board) sends the
// receiver's audio to the room while it is open. It never keys the
// transmitter: that would put the receiver's own signal back on the air and
// hold the room's floor.
void CClient_TavroDlg::OnSquelch(bool open) {
    if (!open) {
        OnPushToTalkStop();
        return;
    }
    if (rigSettings_.squelchLine != RigSquelchLine::None && settings_.voxEnabled)
        return;
    SetPushToTalkActive(true);
    SwitchToCapture(false);
}

void CClient_TavroDlg::OnVoxBox() {
    if (rigSettings_.squelchLine != RigSquelchLine::None && pttActive_)
        OnPushToTalkStop();
    ChangeSettings([&](ClientSettings& s) { s.voxEnabled = controls_.Check(IDC_VOX) != 0; });
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

// The switches run on the UI thread, like the engines they drive; nothing
// else touches the engines, so they take no lock.
void CClient_TavroDlg::SwitchToPlayback() {
    audio_->SwitchToPlayback();
}

void CClient_TavroDlg::SwitchToCapture(bool keyIfCapturing) {
    audio_->SwitchToCapture(keyIfCapturing);
}

// The space bar works as push-to-talk while connected, except where it types
// (the Comment field), while VOX is on, and while room audio plays or has
// just stopped. In the Talk Group field it never types while VOX is off.
bool CClient_TavroDlg::OnSpaceKey(bool down, SpaceFocus focus) {
    if (!down) {
        if (!spaceKeyHeld_)
            return false;
        if (IsConnected())
            OnPushToTalkStop();
        spaceKeyHeld_ = false;
        return false;
    }
    if (!IsConnected() || settings_.voxEnabled)
        return false;
    const bool playbackQuiet = audio_->PlaybackTimer().Elapsed() > kArmAfterPlaybackMs;
    if (focus == SpaceFocus::TalkGroup) {
        if (!playbackQuiet)
            return true;
    } else if (focus == SpaceFocus::Comment || !playbackQuiet) {
        return false;
    }
    if (!spaceKeyHeld_)
        OnPushToTalkStart();
    spaceKeyHeld_ = true;
    return focus == SpaceFocus::TalkGroup;
}
