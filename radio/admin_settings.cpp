#include "radio/admin_settings.h"

#include "platform/ini_file.h"

namespace {
std::string ColumnKey(size_t column) {
    return "Col" + std::to_string(column);
}
} // namespace

AdminColumnWidths LoadAdminColumnWidths(const CIniFile& ini, const AdminColumnWidths& defaults) {
    AdminColumnWidths widths;
    for (size_t i = 0; i < widths.size(); ++i)
        widths[i] = ini.GetInt(kAdminSection, ColumnKey(i), defaults[i]);
    return widths;
}

void SaveAdminColumnWidths(CIniFile& ini, const AdminColumnWidths& widths) {
    for (size_t i = 0; i < widths.size(); ++i)
        ini.SetInt(kAdminSection, ColumnKey(i), widths[i]);
}

std::string LoadRestrictedBy(const CIniFile& ini) {
    return ini.GetText(kAdminSection, "RestrictedBy", "");
}

void SaveRestrictedBy(CIniFile& ini, const std::string& name) {
    ini.SetText(kAdminSection, "RestrictedBy", name);
}
