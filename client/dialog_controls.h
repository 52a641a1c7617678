#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The state of the main window's controls, keyed by control id. Every handler
// of the client reads and writes controls only through this model; the Qt
// window binds its widgets to it both ways, and headless mode has the model
// alone. Used on the UI thread only.
class CDialogControls {
public:
    struct Control {
        std::string text; // edit text, static text, button or group caption
        int check = 0;    // check box state: 0 or 1
        bool enabled = true;
        bool visible = true;
        bool sorted = false;            // list and combo boxes keep their items sorted
        std::vector<std::string> items; // list and combo box entries
        int selection = -1;             // selected entry, -1 for none
        int topIndex = 0;               // first visible line of a list box
        bool redraw = true;             // list box redrawing switched on
        int rangeMin = 0, rangeMax = 100, position = 0; // sliders
        uint32_t color = 0;                             // lamp colour, 0x00RRGGBB
        bool highlighted = false;                       // list box drawn in the own-talker colour
    };

    // Called with the id of each control whose state changed.
    using Observer = std::function<void(int id)>;
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    const Control& Get(int id) const;

    std::string Text(int id) const { return Get(id).text; }
    void SetText(int id, const std::string& text);
    int Check(int id) const { return Get(id).check; }
    void SetCheck(int id, int check);
    bool IsEnabled(int id) const { return Get(id).enabled; }
    void Enable(int id, bool enabled);
    bool IsVisible(int id) const { return Get(id).visible; }
    void Show(int id, bool visible);

    // List and combo boxes.
    void SetSorted(int id, bool sorted);
    void ResetContent(int id);
    // Adds an entry (in sorted position when the control is sorted, letter
    // case ignored, after equal entries) and returns its index.
    int AddString(int id, const std::string& item);
    int Count(int id) const { return int(Get(id).items.size()); }
    std::string ItemText(int id, int index) const;
    int CurSel(int id) const { return Get(id).selection; }
    // Selects an entry (-1 for none); a combo box's text follows the selection.
    void SetCurSel(int id, int index);
    // Index of the first entry that begins with prefix, letter case ignored, or -1.
    int FindStringPrefix(int id, const std::string& prefix) const;
    int TopIndex(int id) const { return Get(id).topIndex; }
    void SetTopIndex(int id, int index);
    void SetRedraw(int id, bool redraw);
    void SetHighlighted(int id, bool highlighted);

    // Sliders.
    void SetRange(int id, int min, int max);
    int Position(int id) const { return Get(id).position; }
    void SetPosition(int id, int position);

    void SetColor(int id, uint32_t rgb);

    // Keyboard focus and the default button.
    int Focus() const { return focus_; }
    void SetFocus(int id);
    int DefaultButton() const { return defaultButton_; }
    void SetDefaultButton(int id);

private:
    Control& Mutable(int id) { return controls_[id]; }
    void Changed(int id);

    std::map<int, Control> controls_;
    int focus_ = 0;
    int defaultButton_ = 0;
    Observer observer_;
};
