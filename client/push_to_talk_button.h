#pragma once

#include <functional>

// The push-to-talk button's behaviour: while it is armed, pressing and
// releasing the mouse on it deliver its press and release commands to the
// window. A button held down while disarmed delivers its press command the
// moment it is armed; disarming a held button delivers nothing.
class CPushToTalkButton {
public:
    // Delivers a command to the window: `send` runs it at once (mouse
    // handlers), `post` queues it for the window's event loop (arming). Both
    // must be callable.
    using CommandSink = std::function<void(int command)>;

    CPushToTalkButton(CommandSink send, CommandSink post);

    // Command ids for press and release; 0 means none.
    void SetCommands(int pressCommand, int releaseCommand);
    void SetArmed(bool armed);
    void MouseDown();
    void MouseUp();

    bool IsArmed() const { return armed_; }
    bool IsHeld() const { return held_; }

private:
    CommandSink send_;
    CommandSink post_;
    bool held_ = false;
    bool armed_ = false;
    int pressCommand_ = 0;
    int releaseCommand_ = 0;
};
