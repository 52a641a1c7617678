// The gateway's duties on the air: timed announcements, the DTMF commands
// that radio users key, and the messages that follow those commands.

#include "client/client_dlg.h"

#include "audio/mixin_sound.h"
#include "audio/sound_packet.h"
#include "client/control_ids.h"
#include "platform/string_format.h"
#include "radio/announcement_schedule.h"

namespace {
std::string Describe(const std::string& file, int morse) {
    return morse ? "Morse \"" + file + "\"" : file;
}
} // namespace

void CClient_TavroDlg::Note(const std::string& line) {
    if (options_.events)
        options_.events->Note(line);
}

// A file that cannot be loaded plays nothing, so the transmitter is not
// keyed for it. Its message waits for the event loop: a message box opened
// here would run the timer, and with it this duty, once more inside it.
void CClient_TavroDlg::PlayAnnouncement(const std::string& file, int morse,
                                        const std::string& occasion) {
    std::unique_ptr<CMixInSound> sound;
    if (morse) {
        std::lock_guard<std::mutex> guard(morseLock_);
        sound = morse_.Build(file);
    } else {
        sound = std::make_unique<CMixInSound>();
        if (!sound->LoadWave(file)) {
            activity_.Stop();
            Note("Announcement (" + occasion + ") not played: cannot load " + file);
            PostToUi([this, text = StringPrintf(kLoadWaveErrorFormat, file.c_str())] {
                prompt_.ShowMessage(text, "File Error", IUserPrompt::Icon::Stop);
            });
            return;
        }
    }
    Note("Announcement (" + occasion + "): " + Describe(file, morse));
    SwitchToPlayback();
    PlaybackQueue().Add(std::make_unique<CSoundPacket>(std::move(sound)));
}

// While connected: the count of idle ticks, and the announcement each tick
// calls for. Any link activity restarts the count.
void CClient_TavroDlg::AnnouncementTick() {
    const int interval = settings_.announcementTickSeconds;
    const uint32_t elapsed = activity_.Elapsed();
    controls_.SetText(IDC_IDLE_TIMER, StringPrintf("Next Tick (%d) in %d s", tickCount_ + 1,
                                                   interval - int(elapsed / 1000)));
    if (elapsed <= uint32_t(interval) * 1000u)
        return;
    const int tick = ++tickCount_;
    const int due = DueAnnouncement(settings_.announcements, tick);
    if (due >= 0) {
        const CAnnounceMent& announcement = settings_.announcements[size_t(due)];
        PlayAnnouncement(announcement.file, announcement.morse, "tick " + std::to_string(tick));
    }
    activity_.Restart();
}

void CClient_TavroDlg::OnDtmfDigit(char digit) {
    const CDtmfCommands::Codes codes{controls_.Text(IDC_CONNECT_CODE),
                                     controls_.Text(IDC_DISCONNECT_CODE)};
    const CDtmfCommands::KeyStep step = dtmf_.OnKey(
        digit, codes, IsConnected(), settings_.presets.size(), controls_.Check(IDC_VOX) != 0);
    const std::string keys = dtmf_.Keys();
    controls_.SetText(IDC_DTMF_DIGITS, keys);
    Note(std::string("DTMF key ") + digit + " heard: " + keys);
    for (const CDtmfCommands::Decision& decision : step.decisions)
        ObeyDtmf(decision, keys);
    if (step.clearVoxBox)
        controls_.SetCheck(IDC_VOX, 0);
}

void CClient_TavroDlg::ObeyDtmf(const CDtmfCommands::Decision& decision, const std::string& keys) {
    using Command = CDtmfCommands::Decision::Command;
    const std::string name = decision.command == Command::ConnectCode      ? " (connect code)"
                             : decision.command == Command::DisconnectCode ? " (disconnect code)"
                                                                           : "";
    const std::string command = "DTMF command " + keys + name;
    if (!decision.obeyed) {
        Note(command + " ignored: " + decision.whyIgnored);
        return;
    }
    if (decision.command == Command::DisconnectCode) {
        Note(command + ": disconnecting");
        // A connect that the same keys began (both codes alike) is abandoned
        // too, so the keys end disconnected.
        if (attemptRunning_) {
            link_->CancelAttempt();
            EndAttempt();
        }
        OnDisconnect();
        return;
    }
    // The preset's password is not taken: the Server Password field stays.
    const CPresetServer preset = settings_.presets[size_t(decision.preset)];
    Note(command + ": going to preset " + std::to_string(decision.preset) + " \"" + preset.name +
         "\", " + preset.server + ":" + std::to_string(preset.port) + " room " + preset.room);
    GoToServer(preset.server, preset.room, preset.port);
}

// More than 3 s after the last key: the message the command asked for, the
// keys cleared and the VOX box shown as before.
void CClient_TavroDlg::DtmfFollowUp() {
    const std::optional<CDtmfCommands::FollowUp> followUp = dtmf_.TakeFollowUp();
    if (!followUp)
        return;
    controls_.SetText(IDC_DTMF_DIGITS, "");
    if (followUp->showVoxBoxAgain)
        controls_.SetCheck(IDC_VOX, 1);
    if (!followUp->matchedCommand)
        Note("DTMF keys " + followUp->keys + " ignored: no command");
    const ClientSettings& s = settings_;
    switch (followUp->message) {
    case CDtmfCommands::Message::Connect:
        PlayAnnouncement(s.connectMessage.file, s.connectMessage.morse, "connect message");
        break;
    case CDtmfCommands::Message::Disconnect:
        PlayAnnouncement(s.disconnectMessage.file, s.disconnectMessage.morse, "disconnect message");
        break;
    case CDtmfCommands::Message::PresetRoom1:
        PlayAnnouncement(s.presetRoom1Message.file, s.presetRoom1Message.morse,
                         "preset room 1 message");
        break;
    case CDtmfCommands::Message::None:
        break;
    }
}
