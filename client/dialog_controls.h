#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The state of the main window's controls, keyed by control id. Every handler
// of the client reads and writes controls only through this model; the Qt
// window binds its widgets to it both ways, and headless mode has the model
// alone.
//
// Used on the UI thread only: setters, observers and their (un)subscription
// all run there, without locking.
//
// Binding a window: subscribe with AddObserver and apply to a widget the parts
// of its control named in the change mask. Feed what the user does back with
// the UserSet* calls, from the widget signals that fire only on user input
// (textEdited, clicked, activated, slider actions), never from those that fire
// on programmatic changes too. A notification carrying kFromUser describes what
// the widget already shows, so its own binding skips it; loggers still see it.
// The client's handlers use the plain setters.
class CDialogControls {
public:
    // What changed in a control: the bits of the mask an observer receives.
    enum Change : uint32_t {
        kText = 1u << 0,
        kCheck = 1u << 1,
        kEnabled = 1u << 2,
        kVisible = 1u << 3,
        kItems = 1u << 4,
        kSelection = 1u << 5,
        kTopIndex = 1u << 6,
        kRange = 1u << 7,
        kPosition = 1u << 8,
        kColor = 1u << 9,
        kHighlight = 1u << 10,
        // Sent to the control that lost the mark and to the one that got it;
        // Focus() and DefaultButton() tell which is which.
        kFocus = 1u << 11,
        kDefaultButton = 1u << 12,
        kFromUser = 1u << 31, // the change came from the user, through a UserSet* call
    };

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

    // Called once for each control whose state changed, with what changed;
    // never when a setter leaves the state as it was.
    using Observer = std::function<void(int id, uint32_t changes)>;
    // Returns a handle for RemoveObserver. Observers are called in the order
    // they were added; one removed during a notification is not called again.
    int AddObserver(Observer observer);
    void RemoveObserver(int handle);

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
    // Index of the first entry equal to text, letter case ignored, or -1.
    int FindStringExact(int id, const std::string& text) const;
    int TopIndex(int id) const { return Get(id).topIndex; }
    void SetTopIndex(int id, int index);
    // While a control's redraw is off its changes are held back; switching it
    // on again delivers them as one notification with the union of the
    // changes. A user change made meanwhile joins that notification without
    // kFromUser, so its widget is brought back in line with the model.
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

    // What the user did in a widget: the same changes as the setters above,
    // notified with kFromUser.
    void UserSetText(int id, const std::string& text);
    void UserSetCheck(int id, int check);
    void UserSetCurSel(int id, int index);
    void UserSetPosition(int id, int position);

private:
    Control& Mutable(int id) { return controls_[id]; }
    // Each Store* updates the state and returns the change bits, 0 if none.
    uint32_t StoreText(int id, const std::string& text);
    uint32_t StoreCheck(int id, int check);
    uint32_t StoreCurSel(int id, int index);
    uint32_t StorePosition(int id, int position);
    // Delivers changes to the observers, or holds them while redraw is off.
    void Notify(int id, uint32_t changes);
    void Deliver(int id, uint32_t changes);
    void MoveMark(int& holder, int id, uint32_t change);

    std::map<int, Control> controls_;
    std::map<int, uint32_t> heldChanges_; // per control whose redraw is off
    int focus_ = 0;
    int defaultButton_ = 0;
    std::map<int, Observer> observers_; // by handle
    int nextObserverHandle_ = 1;
};
