#pragma once

#include "audio/elapsed_timer.h"
#include "platform/clock.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The commands a radio user keys in DTMF, and what follows them. The keys
// heard build up a text: "#" and the connect code goes to preset 0, "#" and
// the disconnect code disconnects, "*0" to "*7" go to that preset while
// connected. The text is not cleared by a match; it grows with every key
// until more than 3 s have passed since the last one, when the follow-up
// clears it and names the message to play for the last command.
class CDtmfCommands {
public:
    // What the keys so far asked for: any key, then the connect or the
    // disconnect command; 0 to 7 after the star key and that digit.
    static constexpr int kAnyKey = 'O';
    static constexpr int kConnect = 'M';
    static constexpr int kDisconnect = 'N';
    // More than this after the last key the follow-up comes.
    static constexpr uint32_t kFollowUpMs = 3000;

    struct Codes {
        std::string connect, disconnect;
    };
    struct Decision {
        enum class Command { ConnectCode, DisconnectCode, StarPreset };
        Command command = Command::ConnectCode;
        int preset = -1;    // the preset to go to (not for the disconnect code)
        bool obeyed = true; // false: the command is ignored, for the reason given
        std::string whyIgnored;
    };
    struct KeyStep {
        // The commands the text now matches, in the order to carry them out.
        std::vector<Decision> decisions;
        // The VOX check box is to be shown clear until the follow-up.
        bool clearVoxBox = false;
    };
    enum class Message { None, Connect, Disconnect, PresetRoom1 };
    struct FollowUp {
        std::string keys; // the text it cleared
        bool matchedCommand = false;
        Message message = Message::None;
        bool showVoxBoxAgain = false;
    };

    explicit CDtmfCommands(IClock& clock = SystemClock());

    // One key heard. voxBoxChecked: how the VOX check box shows now.
    KeyStep OnKey(char key, const Codes& codes, bool connected, size_t presetCount,
                  bool voxBoxChecked);
    // Called on every timer event: once more than 3 s have passed since the
    // last key, the keys are cleared and their follow-up returned.
    std::optional<FollowUp> TakeFollowUp();

    const std::string& Keys() const { return keys_; }
    int Result() const { return result_; }

private:
    CElapsedTimer sinceLastKey_;
    std::string keys_;
    int result_ = kAnyKey;
    bool matchedCommand_ = false;
    bool voxBoxCleared_ = false;
};
