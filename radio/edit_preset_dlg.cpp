#include "radio/edit_preset_dlg.h"

void CEditPresetDlg::Open(const CPresetServer& preset) {
    result_ = preset;
    fields = {preset.name, preset.server, std::to_string(preset.port), preset.room,
              preset.password};
}

std::optional<DlgRefusal> CEditPresetDlg::Ok() {
    const DlgInteger port = ReadDialogInteger(fields.port, kPortField, kMinPort, kMaxPort);
    if (port.refusal)
        return port.refusal;
    result_ = {fields.name, fields.password, port.value, fields.room, fields.server};
    return std::nullopt;
}
