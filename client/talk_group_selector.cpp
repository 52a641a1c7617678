#include "client/talk_group_selector.h"

#include "client/control_ids.h"

void SelectTalkGroup(CDialogControls& controls, const std::string& room) {
    int index = controls.FindStringExact(IDC_TALK_GROUP, room);
    if (index < 0)
        index = controls.AddString(IDC_TALK_GROUP, room);
    controls.SetCurSel(IDC_TALK_GROUP, index);
}

void FillTalkGroups(CDialogControls& controls, const std::vector<std::string>& rooms,
                    const std::string& currentRoom) {
    controls.ResetContent(IDC_TALK_GROUP);
    for (const std::string& room : rooms)
        controls.AddString(IDC_TALK_GROUP, room);
    SelectTalkGroup(controls, currentRoom);
}
