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
} // namespace

const CDialogControls::Control& CDialogControls::Get(int id) const {
    static const Control kAbsent;
    const auto it = controls_.find(id);
    return it == controls_.end() ? kAbsent : it->second;
}

int CDialogControls::AddObserver(Observer observer) {
    const int handle = nextObserverHandle_++;
    observers_.emplace(handle, std::move(observer));
    return handle;
}

void CDialogControls::RemoveObserver(int handle) {
    observers_.erase(handle);
}

void CDialogControls::Notify(int id, uint32_t changes) {
    if (changes == 0)
        return;
    if (Get(id).redraw)
        Deliver(id, changes);
    else
        heldChanges_[id] |= changes & ~uint32_t(kFromUser);
}

void CDialogControls::Deliver(int id, uint32_t changes) {
    // Observers may add or remove observers while being called.
    std::vector<int> handles;
    for (const auto& entry : observers_)
        handles.push_back(entry.first);
    for (const int handle : handles) {
        const auto it = observers_.find(handle);
        if (it == observers_.end())
            continue;
        const Observer observer = it->second;
        observer(id, changes);
    }
}

uint32_t CDialogControls::StoreText(int id, const std::string& text) {
    Control& c = Mutable(id);
    if (c.text == text)
        return 0;
    c.text = text;
    return kText;
}

void CDialogControls::SetText(int id, const std::string& text) {
    Notify(id, StoreText(id, text));
}

void CDialogControls::UserSetText(int id, const std::string& text) {
    if (const uint32_t changes = StoreText(id, text))
        Notify(id, changes | kFromUser);
}

uint32_t CDialogControls::StoreCheck(int id, int check) {
    Control& c = Mutable(id);
    if (c.check == check)
        return 0;
    c.check = check;
    return kCheck;
}

void CDialogControls::SetCheck(int id, int check) {
    Notify(id, StoreCheck(id, check));
}

void CDialogControls::UserSetCheck(int id, int check) {
    if (const uint32_t changes = StoreCheck(id, check))
        Notify(id, changes | kFromUser);
}

void CDialogControls::Enable(int id, bool enabled) {
    Control& c = Mutable(id);
    if (c.enabled == enabled)
        return;
    c.enabled = enabled;
    Notify(id, kEnabled);
}

void CDialogControls::Show(int id, bool visible) {
    Control& c = Mutable(id);
    if (c.visible == visible)
        return;
    c.visible = visible;
    Notify(id, kVisible);
}

void CDialogControls::SetSorted(int id, bool sorted) {
    Mutable(id).sorted = sorted;
}

void CDialogControls::ResetContent(int id) {
    Control& c = Mutable(id);
    uint32_t changes = 0;
    if (!c.items.empty())
        changes |= kItems;
    if (c.selection != -1)
        changes |= kSelection;
    if (c.topIndex != 0)
        changes |= kTopIndex;
    c.items.clear();
    c.selection = -1;
    c.topIndex = 0;
    Notify(id, changes);
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
    uint32_t changes = kItems;
    if (c.selection >= index) {
        ++c.selection;
        changes |= kSelection;
    }
    Notify(id, changes);
    return index;
}

std::string CDialogControls::ItemText(int id, int index) const {
    const Control& c = Get(id);
    return index >= 0 && index < int(c.items.size()) ? c.items[size_t(index)] : std::string();
}

uint32_t CDialogControls::StoreCurSel(int id, int index) {
    Control& c = Mutable(id);
    const int selection = index >= 0 && index < int(c.items.size()) ? index : -1;
    uint32_t changes = 0;
    if (c.selection != selection) {
        c.selection = selection;
        changes |= kSelection;
    }
    if (selection >= 0 && c.text != c.items[size_t(selection)]) {
        c.text = c.items[size_t(selection)];
        changes |= kText;
    }
    return changes;
}

void CDialogControls::SetCurSel(int id, int index) {
    Notify(id, StoreCurSel(id, index));
}

void CDialogControls::UserSetCurSel(int id, int index) {
    if (const uint32_t changes = StoreCurSel(id, index))
        Notify(id, changes | kFromUser);
}

int CDialogControls::FindStringExact(int id, const std::string& text) const {
    const Control& c = Get(id);
    for (size_t i = 0; i < c.items.size(); ++i)
        if (CompareNoCase(c.items[i], text) == 0)
            return int(i);
    return -1;
}

void CDialogControls::SetTopIndex(int id, int index) {
    Control& c = Mutable(id);
    const int top = std::max(0, std::min(index, int(c.items.size()) - 1));
    if (c.topIndex == top)
        return;
    c.topIndex = top;
    Notify(id, kTopIndex);
}

void CDialogControls::SetRedraw(int id, bool redraw) {
    Control& c = Mutable(id);
    if (c.redraw == redraw)
        return;
    c.redraw = redraw;
    if (!redraw)
        return;
    const auto held = heldChanges_.find(id);
    if (held == heldChanges_.end())
        return;
    const uint32_t changes = held->second;
    heldChanges_.erase(held);
    Deliver(id, changes);
}

void CDialogControls::SetHighlighted(int id, bool highlighted) {
    Control& c = Mutable(id);
    if (c.highlighted == highlighted)
        return;
    c.highlighted = highlighted;
    Notify(id, kHighlight);
}

void CDialogControls::SetRange(int id, int min, int max) {
    Control& c = Mutable(id);
    uint32_t changes = 0;
    if (c.rangeMin != min || c.rangeMax != max) {
        c.rangeMin = min;
        c.rangeMax = max;
        changes |= kRange;
    }
    const int position = std::clamp(c.position, min, max);
    if (c.position != position) {
        c.position = position;
        changes |= kPosition;
    }
    Notify(id, changes);
}

uint32_t CDialogControls::StorePosition(int id, int position) {
    Control& c = Mutable(id);
    const int clamped = std::clamp(position, c.rangeMin, c.rangeMax);
    if (c.position == clamped)
        return 0;
    c.position = clamped;
    return kPosition;
}

void CDialogControls::SetPosition(int id, int position) {
    Notify(id, StorePosition(id, position));
}

void CDialogControls::UserSetPosition(int id, int position) {
    if (const uint32_t changes = StorePosition(id, position))
        Notify(id, changes | kFromUser);
}

void CDialogControls::SetColor(int id, uint32_t rgb) {
    Control& c = Mutable(id);
    if (c.color == rgb)
        return;
    c.color = rgb;
    Notify(id, kColor);
}

// Moves a mark held by one control at a time (0 for none) to id, telling the
// control that lost it and the one that got it.
void CDialogControls::MoveMark(int& holder, int id, uint32_t change) {
    if (holder == id)
        return;
    const int previous = holder;
    holder = id;
    if (previous != 0)
        Notify(previous, change);
    if (id != 0)
        Notify(id, change);
}

void CDialogControls::SetFocus(int id) {
    MoveMark(focus_, id, kFocus);
}

void CDialogControls::SetDefaultButton(int id) {
    MoveMark(defaultButton_, id, kDefaultButton);
}
