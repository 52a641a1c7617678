#include "client/push_to_talk_button.h"

#include <utility>

CPushToTalkButton::CPushToTalkButton(CommandSink send, CommandSink post)
    : send_(std::move(send)), post_(std::move(post)) {}

void CPushToTalkButton::SetCommands(int pressCommand, int releaseCommand) {
    pressCommand_ = pressCommand;
    releaseCommand_ = releaseCommand;
}

void CPushToTalkButton::SetArmed(bool armed) {
    if (armed && !armed_ && held_ && pressCommand_ != 0)
        post_(pressCommand_);
    armed_ = armed;
}

void CPushToTalkButton::MouseDown() {
    held_ = true;
    if (armed_ && pressCommand_ != 0)
        send_(pressCommand_);
}

void CPushToTalkButton::MouseUp() {
    held_ = false;
    if (armed_ && releaseCommand_ != 0)
        send_(releaseCommand_);
}
