#pragma once

#include "radio/rig_lines.h"
#include "radio/rig_settings.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The key line and squelch input of a CM108 or GPIO device for tests, seen from both ends: the
// code under test opens lines with Factory(), the test scripts the squelch, unplugs the
// device and reads back the key levels with their times. Any thread may call it; it outlives
// the lines made on it.
class CFakeRigLines {
public:
    struct KeyChange {
        bool keyed;
        std::chrono::steady_clock::time_point at;
    };

    CFakeRigLines();
    ~CFakeRigLines();

    // Opens lines named `name`; with a squelch input when the settings choose the method's.
    std::function<RigLines(const RigSettings&)> Factory(const std::string& name);

    // Opens fail with `problem` from now on (empty: they work again).
    void FailOpen(const std::string& problem);
    // Unplugged, the open lines are lost and opens fail; plugged in again, opens work.
    void Unplug(bool unplugged);
    void SetSquelchOpen(bool open);
    // While set, squelch reads fail (and are still counted).
    void FailSquelchReads(bool fail);

    int Opens() const;
    bool Keyed() const;
    std::vector<KeyChange> KeyChanges() const;
    int SquelchReads() const;
    // Waits up to 3 s for `count` squelch reads in all.
    bool WaitForSquelchReads(int count) const;

    struct State; // shared with the lines made on it

private:
    std::shared_ptr<State> state_;
};
