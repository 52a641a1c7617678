#pragma once

#include "client/dialog_controls.h"

#include <string>
#include <vector>

// The Talk Group combo box (1012). It must be created sorted (SetSorted), so
// that its entries stay in alphabetical order.

// Selects the entry named `room`, letter case ignored; when there is none,
// adds `room` as a further entry and selects that. A room "10" is never
// replaced by a listed "101".
void SelectTalkGroup(CDialogControls& controls, const std::string& room);

// Replaces the Talk Group entries with the rooms that exist on the server,
// then selects the current room as SelectTalkGroup does.
void FillTalkGroups(CDialogControls& controls, const std::vector<std::string>& rooms,
                    const std::string& currentRoom);
