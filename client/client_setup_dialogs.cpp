// The "Setup RF Announcements..." and preset "Edit..." commands: each runs
// its dialog on copies and takes the result over only when it closed with OK.

#include "client/client_dlg.h"

#include "radio/announcements_dlg.h"
#include "radio/preset_servers_dlg.h"

void CClient_TavroDlg::OnAnnouncements() {
    if (!options_.runAnnouncementsDialog)
        return;
    CAnnouncementsDlg dialog;
    dialog.Open(settings_);
    if (!options_.runAnnouncementsDialog(dialog))
        return;
    ChangeSettings([&](ClientSettings& s) { dialog.TakeInto(s); });
    store_.SaveClient(settings_);
}

// The list is written to the settings file with the next save, not here.
void CClient_TavroDlg::OnEditPresets() {
    if (!options_.runPresetServersDialog)
        return;
    CPresetServersDlg dialog;
    // "Add..." proposes the server, port and room the window last took from
    // its fields.
    dialog.Open(settings_.presets,
                ProposedPreset(settings_.serverHost, settings_.serverPort, settings_.room));
    if (!options_.runPresetServersDialog(dialog))
        return;
    ChangeSettings([&](ClientSettings& s) { s.presets = dialog.Presets(); });
    FillPresets();
    if (IsConnected())
        FocusPushToTalk();
}
