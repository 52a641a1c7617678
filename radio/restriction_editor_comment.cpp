#include "radio/restriction_editor_comment.h"

#include "radio/admin_settings.h"
#include "radio/settings_store.h"

CRestrictionComment::CRestrictionComment(CSettingsStore& settings) : settings_(settings) {}

void CRestrictionComment::Open(const std::string& openReason, std::optional<int> hours) {
    restrictedBy = LoadRestrictedBy(settings_.Ini());
    reason = openReason;
    durationHours = hours;
}

void CRestrictionComment::Ok() {
    SaveRestrictedBy(settings_.Ini(), restrictedBy);
    settings_.Save();
}
