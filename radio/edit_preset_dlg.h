#pragma once

#include "radio/dialog_check.h"
#include "radio/preset_server.h"

#include <optional>
#include <string>

// The controls of the "Edit Preset" dialog, as the view shows and edits them.
struct EditPresetFields {
    std::string name;
    std::string server;
    std::string port;
    std::string room;
    std::string password;
};

// The logic of the "Edit Preset" dialog: Open fills the fields from a preset, the view lets the
// user edit them, Ok checks them and Result gives the preset back.
class CEditPresetDlg {
public:
    static constexpr int kMinPort = 1;
    static constexpr int kMaxPort = 65535;
    enum Field { kPortField };

    void Open(const CPresetServer& preset);
    // The port must be an integer from 1 to 65535; the texts are taken as typed, empty ones
    // included. A refusal keeps the dialog open.
    std::optional<DlgRefusal> Ok();
    // The preset that the last accepted Ok gave.
    const CPresetServer& Result() const { return result_; }

    EditPresetFields fields;

private:
    CPresetServer result_;
};
