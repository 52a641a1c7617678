#include "radio/preset_servers_dlg.h"

#include "platform/string_format.h"

#include <utility>

void CPresetServersDlg::Open(const std::vector<CPresetServer>& presets,
                             const CPresetServer& proposal) {
    presets_ = presets;
    proposal_ = proposal;
    selection = -1;
    Refresh();
}

void CPresetServersDlg::Add(const EditRunner& runEdit) {
    CEditPresetDlg edit;
    edit.Open(proposal_);
    if (!runEdit(edit))
        return;
    presets_.push_back(edit.Result());
    Refresh();
    selection = int(presets_.size()) - 1;
}

void CPresetServersDlg::Edit(const EditRunner& runEdit) {
    if (!HasSelection())
        return;
    CEditPresetDlg edit;
    edit.Open(presets_[size_t(selection)]);
    if (!runEdit(edit))
        return;
    presets_[size_t(selection)] = edit.Result();
    Refresh();
}

void CPresetServersDlg::Remove() {
    if (!HasSelection())
        return;
    presets_.erase(presets_.begin() + selection);
    Refresh();
    if (selection >= int(presets_.size()))
        selection = int(presets_.size()) - 1;
}

void CPresetServersDlg::MoveUp() {
    if (!HasSelection() || selection == 0)
        return;
    std::swap(presets_[size_t(selection)], presets_[size_t(selection - 1)]);
    --selection;
    Refresh();
}

void CPresetServersDlg::MoveDown() {
    if (!HasSelection() || selection + 1 >= int(presets_.size()))
        return;
    std::swap(presets_[size_t(selection)], presets_[size_t(selection + 1)]);
    ++selection;
    Refresh();
}

void CPresetServersDlg::Refresh() {
    lines.clear();
    for (size_t i = 0; i < presets_.size(); ++i)
        lines.push_back(StringPrintf("%d : %s", int(i), presets_[i].name.c_str()));
}

bool CPresetServersDlg::HasSelection() const {
    return selection >= 0 && selection < int(presets_.size());
}

CPresetServer ProposedPreset(const std::string& server, int port, const std::string& room) {
    return {server + " - " + room, "", port, room, server};
}
