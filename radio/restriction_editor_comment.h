#pragma once

#include <optional>
#include <string>

class CSettingsStore;

// The logic of the "Restriction Comment" dialog, which asks for a reason, a name and a
// duration before a station is muted, kicked or banned.
class CRestrictionComment {
public:
    // The longest duration the dialog takes, in hours (more than eleven years).
    static constexpr int kMaxDurationHours = 99999;

    explicit CRestrictionComment(CSettingsStore& settings);

    // Shows `reason`, the name last entered as "Restricted By", and the duration in hours;
    // without a duration the field is disabled and not read.
    void Open(const std::string& reason, std::optional<int> durationHours);
    // OK: remembers "Restricted By" in the settings file for the next time.
    void Ok();

    std::string restrictedBy;
    std::string reason; // several lines
    std::optional<int> durationHours;

private:
    CSettingsStore& settings_;
};
