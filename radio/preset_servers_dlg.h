#pragma once

#include "radio/edit_preset_dlg.h"
#include "radio/preset_server.h"

#include <functional>
#include <string>
#include <vector>

// The logic of the "Edit Preset Servers" dialog: a copy of the preset list to add to, remove
// from, edit and reorder. The caller takes Presets() when the dialog closes with OK.
class CPresetServersDlg {
public:
    // Runs the "Edit Preset" dialog on the given logic; true when it closed with OK.
    using EditRunner = std::function<bool(CEditPresetDlg&)>;

    // proposal: what "Add..." offers, made from the main window's fields (ProposedPreset).
    void Open(const std::vector<CPresetServer>& presets, const CPresetServer& proposal);

    // "Add...": the proposal is edited and, on OK, appended and selected.
    void Add(const EditRunner& runEdit);
    // "Edit...": the selected preset is edited and, on OK, replaced.
    void Edit(const EditRunner& runEdit);
    // "Remove...": the selected preset goes, without a question; the same line, or the new
    // last one, is selected.
    void Remove();
    // "Move up", "Move Down": the selected preset changes places with its neighbour and stays
    // selected. Nothing happens at the end of the list.
    void MoveUp();
    void MoveDown();

    const std::vector<CPresetServer>& Presets() const { return presets_; }

    // The list's lines "position : name" and the selected line (-1: none).
    std::vector<std::string> lines;
    int selection = -1;

private:
    void Refresh();
    bool HasSelection() const;

    std::vector<CPresetServer> presets_;
    CPresetServer proposal_;
};

// What "Add..." proposes: the window's server, port and room, no password, and the name
// "server - room".
CPresetServer ProposedPreset(const std::string& server, int port, const std::string& room);
