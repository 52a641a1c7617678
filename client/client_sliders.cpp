// The sliders of the main window: VOX level (or the Halvek board's squelch
// level), silence level and the eight DTMF detector gains.

#include "client/client_dlg.h"

#include "client/control_ids.h"

void CClient_TavroDlg::OnScroll(int id) {
    const int position = controls_.Position(id);
    if (id == IDC_SILENCE_LEVEL) {
        ChangeSettings([&](ClientSettings& s) { s.silenceLevel = position; });
        ConfigureAudio();
        return;
    }
    if (id == IDC_VOX_LEVEL) {
        if (RigWindowLayoutFor(rigSettings_, settings_.voxLevel).voxSliderSetsSquelchLevel) {
            // The board takes the new level with its next control byte.
            rigSettings_.halvekSquelchLevel = HalvekSquelchLevelFromSlider(position);
            rigKeying_->SetHalvekSquelchLevel(rigSettings_.halvekSquelchLevel);
            store_.SaveRig(rigSettings_);
            return;
        }
        ChangeSettings([&](ClientSettings& s) { s.voxLevel = kVoxSliderMaximum - position; });
        ConfigureAudio();
        return;
    }
    for (size_t i = 0; i < std::size(kDtmfGainSliders); ++i) {
        if (id != kDtmfGainSliders[i])
            continue;
        const int gain = controls_.Get(id).rangeMax - position;
        ChangeSettings([&](ClientSettings& s) { s.dtmfGain[i] = gain; });
        ConfigureAudio();
        return;
    }
}
