#include "radio/dtmf_commands.h"

namespace {
constexpr int kStarPresets = 8;

CDtmfCommands::Decision MakeDecision(CDtmfCommands::Decision::Command command, int preset = -1) {
    CDtmfCommands::Decision decision;
    decision.command = command;
    decision.preset = preset;
    return decision;
}

// A command that names a preset the list does not have is ignored.
bool HasPreset(CDtmfCommands::Decision& decision, size_t presetCount) {
    if (size_t(decision.preset) < presetCount)
        return true;
    decision.obeyed = false;
    decision.whyIgnored = "there is no preset " + std::to_string(decision.preset);
    return false;
}
} // namespace

CDtmfCommands::CDtmfCommands(IClock& clock) : sinceLastKey_(clock) {}

CDtmfCommands::KeyStep CDtmfCommands::OnKey(char key, const Codes& codes, bool connected,
                                            size_t presetCount, bool voxBoxChecked) {
    using Command = Decision::Command;
    KeyStep step;
    keys_ += key;
    result_ = kAnyKey;

    // With equal codes (both empty, say) one text runs both commands.
    if (keys_ == "#" + codes.connect) {
        Decision connect = MakeDecision(Command::ConnectCode, 0);
        if (HasPreset(connect, presetCount))
            result_ = kConnect;
        step.decisions.push_back(connect);
    }
    if (keys_ == "#" + codes.disconnect) {
        step.decisions.push_back(MakeDecision(Command::DisconnectCode));
        result_ = kDisconnect;
    }
    for (int n = 0; n < kStarPresets; ++n) {
        if (keys_ != "*" + std::to_string(n))
            continue;
        Decision go = MakeDecision(Command::StarPreset, n);
        if (!connected) {
            go.obeyed = false;
            go.whyIgnored = "not connected";
        } else if (HasPreset(go, presetCount)) {
            result_ = n;
        }
        step.decisions.push_back(go);
    }
    if (!step.decisions.empty())
        matchedCommand_ = true;

    sinceLastKey_.Restart();
    // Only a box that shows checked is cleared, and so shown again later.
    if (voxBoxChecked) {
        step.clearVoxBox = true;
        voxBoxCleared_ = true;
    }
    return step;
}

std::optional<CDtmfCommands::FollowUp> CDtmfCommands::TakeFollowUp() {
    if (keys_.empty() || sinceLastKey_.Elapsed() <= kFollowUpMs)
        return std::nullopt;
    FollowUp followUp;
    followUp.keys = std::move(keys_);
    keys_.clear();
    followUp.matchedCommand = matchedCommand_;
    switch (result_) {
    case kConnect:
        followUp.message = Message::Connect;
        break;
    case kDisconnect:
        followUp.message = Message::Disconnect;
        break;
    case 1:
        followUp.message = Message::PresetRoom1;
        break;
    default:
        break;
    }
    followUp.showVoxBoxAgain = voxBoxCleared_;
    matchedCommand_ = false;
    voxBoxCleared_ = false;
    return followUp;
}
