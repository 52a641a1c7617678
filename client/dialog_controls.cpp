#include "client/dialog_controls.h"

#include <algorithm>
#include <cctype>

namespace {
int CompareNoCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}
} // namespace

const CDialogControls::Control& CDialogControls::Get(int id) const {
    static const Control kAbsent;
    const auto it = controls_.find(id);
    return it == controls_.end() ? kAbsent : it->second;
}

void CDialogControls::Changed(int id) {
    if (observer_)
        observer_(id);
}

void CDialogControls::SetText(int id, const std::string& text) {
    Control& c = Mutable(id);
    if (c.text == text)
        return;
    c.text = text;
    Changed(id);
}

void CDialogControls::SetCheck(int id, int check) {
    Control& c = Mutable(id);
    if (c.check == check)
        return;
    c.check = check;
    Changed(id);
}

void CDialogControls::Enable(int id, bool enabled) {
    Control& c = Mutable(id);
    if (c.enabled == enabled)
        return;
    c.enabled = enabled;
    Changed(id);
}

void CDialogControls::Show(int id, bool visible) {
    Control& c = Mutable(id);
    if (c.visible == visible)
        return;
    c.visible = visible;
    Changed(id);
}

void CDialogControls::SetSorted(int id, bool sorted) {
    Mutable(id).sorted = sorted;
}

void CDialogControls::ResetContent(int id) {
    Control& c = Mutable(id);
    c.items.clear();
    c.selection = -1;
    c.topIndex = 0;
    Changed(id);
}

int CDialogControls::AddString(int id, const std::string& item) {
    Control& c = Mutable(id);
    auto at = c.items.end();
    if (c.sorted)
        at = std::upper_bound(
            c.items.begin(), c.items.end(), item,
            [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    const int index = int(at - c.items.begin());
    c.items.insert(at, item);
    if (c.selection >= index)
        ++c.selection;
    Changed(id);
    return index;
}

std::string CDialogControls::ItemText(int id, int index) const {
    const Control& c = Get(id);
    return index >= 0 && index < int(c.items.size()) ? c.items[size_t(index)] : std::string();
}

void CDialogControls::SetCurSel(int id, int index) {
    Control& c = Mutable(id);
    c.selection = index >= 0 && index < int(c.items.size()) ? index : -1;
    if (c.selection >= 0)
        c.text = c.items[size_t(c.selection)];
    Changed(id);
}

int CDialogControls::FindStringPrefix(int id, const std::string& prefix) const {
    const Control& c = Get(id);
    for (size_t i = 0; i < c.items.size(); ++i)
        if (StartsWithNoCase(c.items[i], prefix))
            return int(i);
    return -1;
}

void CDialogControls::SetTopIndex(int id, int index) {
    Control& c = Mutable(id);
    c.topIndex = std::max(0, std::min(index, int(c.items.size()) - 1));
    Changed(id);
}

void CDialogControls::SetRedraw(int id, bool redraw) {
    Mutable(id).redraw = redraw;
    if (redraw)
        Changed(id);
}

void CDialogControls::SetHighlighted(int id, bool highlighted) {
    Control& c = Mutable(id);
    if (c.highlighted == highlighted)
        return;
    c.highlighted = highlighted;
    Changed(id);
}

void CDialogControls::SetRange(int id, int min, int max) {
    Control& c = Mutable(id);
    c.rangeMin = min;
    c.rangeMax = max;
    c.position = std::clamp(c.position, min, max);
    Changed(id);
}

void CDialogControls::SetPosition(int id, int position) {
    Control& c = Mutable(id);
    c.position = std::clamp(position, c.rangeMin, c.rangeMax);
    Changed(id);
}

void CDialogControls::SetColor(int id, uint32_t rgb) {
    Control& c = Mutable(id);
    if (c.color == rgb)
        return;
    c.color = rgb;
    Changed(id);
}

void CDialogControls::SetFocus(int id) {
    focus_ = id;
}

void CDialogControls::SetDefaultButton(int id) {
    defaultButton_ = id;
}
