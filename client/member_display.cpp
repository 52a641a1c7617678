#include "client/member_display.h"

#include "client/control_ids.h"

#include <algorithm>

namespace {

// Lines that the list box shows at once.
constexpr int kVisibleLines = 10;

// The top line after a redraw, from the top line before it, the selected line
// (-1 for none) and the number of lines.
int NewTopIndex(int top, int selected, int count) {
    if (selected >= 0) {
        if (selected >= top && selected <= top + kVisibleLines)
            return top;
        return std::max(0, std::min(selected, count - kVisibleLines));
    }
    if (top + kVisibleLines <= count)
        return top;
    return std::max(0, count - kVisibleLines);
}

} // namespace

bool RedrawMemberDisplay(CDialogControls& controls, const std::vector<std::string>& names,
                         const std::vector<std::string>& descriptions, const std::string& talker,
                         const std::string& ownCallsign) {
    controls.SetRedraw(IDC_MAIN_LIST, false);
    const int top = controls.TopIndex(IDC_MAIN_LIST);
    controls.ResetContent(IDC_MAIN_LIST);

    for (size_t i = 0; i < names.size(); ++i) {
        const std::string description = i < descriptions.size() ? descriptions[i] : "";
        const int line = controls.AddString(IDC_MAIN_LIST, names[i] + "\t" + description);
        if (!talker.empty() && talker == names[i])
            controls.SetCurSel(IDC_MAIN_LIST, line);
    }
    if (!names.empty())
        controls.SetTopIndex(IDC_MAIN_LIST, NewTopIndex(top, controls.CurSel(IDC_MAIN_LIST),
                                                        controls.Count(IDC_MAIN_LIST)));

    const bool ownTalker = !talker.empty() && talker == ownCallsign;
    controls.SetHighlighted(IDC_MAIN_LIST, ownTalker);
    controls.SetRedraw(IDC_MAIN_LIST, true);
    return ownTalker;
}
