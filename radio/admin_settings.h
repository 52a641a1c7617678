#pragma once

#include <array>
#include <string>

class CIniFile;

// Section of the restrictions editor's settings.
inline constexpr char kAdminSection[] = "Admin";

// Widths in pixels of the seven columns of the restrictions list.
using AdminColumnWidths = std::array<int, 7>;

// Reads "Col0" to "Col6"; `defaults` holds the width of each column's heading text plus 20.
AdminColumnWidths LoadAdminColumnWidths(const CIniFile& ini, const AdminColumnWidths& defaults);
void SaveAdminColumnWidths(CIniFile& ini, const AdminColumnWidths& widths);

// The name last entered as "Restricted By"; empty when none was.
std::string LoadRestrictedBy(const CIniFile& ini);
void SaveRestrictedBy(CIniFile& ini, const std::string& name);
