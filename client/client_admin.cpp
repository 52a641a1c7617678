// The administration layout's restrictions editor: opened by its button,
// fed by the server's lists of restrictions.

#include "client/client_dlg.h"

#include "client/control_ids.h"

CRestrictionEditEx& CClient_TavroDlg::RestrictionEditor() {
    if (!restrictionEditor_)
        restrictionEditor_ = std::make_unique<CRestrictionEditEx>(MessageQueue(), store_);
    return *restrictionEditor_;
}

// In the gateway layout the id belongs to a DTMF gain slider, which sends no
// command; only the administration layout's button opens the editor.
void CClient_TavroDlg::OnRestrictions() {
    if (options_.templateId != kAdminTemplate || !options_.runRestrictionEditor)
        return;
    options_.runRestrictionEditor(RestrictionEditor());
}
