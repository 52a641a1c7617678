#pragma once

#include "client/dialog_controls.h"

#include <string>
#include <vector>

// Rewrites the main list (1015) with the room's members, one line
// "name<TAB>description" each, and selects the current talker's line. The list
// box must be created sorted (SetSorted), so that the lines appear in
// alphabetical order.
//
// The list keeps its scroll position while the talker's line lies within ten
// lines of the top; otherwise it scrolls to show the talker, as far as the
// number of lines allows. With no talker it keeps its position unless that
// would leave fewer than ten lines below the top.
//
// The list is drawn in the own-talker colour while the station itself (its
// call sign compared exactly) is the talker; the return value tells whether it
// is. The caller passes a copy of the roster (CRoomRoster::Get), so no lock is
// held while the controls' observers run.
bool RedrawMemberDisplay(CDialogControls& controls, const std::vector<std::string>& names,
                         const std::vector<std::string>& descriptions, const std::string& talker,
                         const std::string& ownCallsign);
