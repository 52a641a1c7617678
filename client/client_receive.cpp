// What the window does with each message from the server (on the receive
// thread), and the end of the station's own transmissions.

#include "client/client_dlg.h"

#include "audio/sound_message_conversion.h"
#include "audio/sound_packet.h"
#include "client/control_ids.h"
#include "client/program_version.h"
#include "client/talk_group_selector.h"
#include "protocol/admin_messages.h"
#include "protocol/conference_messages.h"
#include "protocol/directory.h"
#include "protocol/list_messages.h"

namespace {
// Servers from this version on take End TX; older ones take 15 Silences.
constexpr int32_t kEndTxVersion = 107;
constexpr int kEndSilences = 15;
} // namespace

// The engines run on the UI thread, so the receive thread has the switch made
// there; what it queues for playback waits until playback runs. A switch still
// queued when the connection has ended is dropped: the disconnect has already
// sent the sound card back to capture. So is one for room audio that the
// transmit time-out has cut off since.
void CClient_TavroDlg::QueueSwitchToPlayback(bool forRoomAudio) {
    PostToUi([this, forRoomAudio] {
        if (IsConnected() && !(forRoomAudio && txTimeout_.IsLockedOut()))
            SwitchToPlayback();
    });
}

void CClient_TavroDlg::QueueMorse(const std::string& text) {
    std::unique_ptr<CMixInSound> sound;
    {
        std::lock_guard<std::mutex> guard(morseLock_);
        sound = morse_.Build(text);
    }
    // The marker carries the sound to playback, which deletes it when played.
    PlaybackQueue().Add(std::make_unique<CSoundPacket>(std::move(sound)));
}

void CClient_TavroDlg::OnServerMessage(CMsg& msg) {
    const bool admin = options_.templateId == kAdminTemplate;
    switch (msg.command) {
    case kCmdSound:
        if (txTimeout_.DropRoomAudio())
            break;
        QueueSwitchToPlayback(true);
        PlaybackQueue().Add(MakeSoundPacket(static_cast<CSoundMessage&>(msg)));
        RestartActivity();
        break;
    case kCmdSilence: {
        if (txTimeout_.DropRoomAudio())
            break;
        auto packet = std::make_unique<CSoundPacket>();
        packet->silent = true;
        packet->ZeroIfSilent();
        PlaybackQueue().Add(std::move(packet));
        RestartActivity();
        break;
    }
    case kCmdRoomList: {
        auto& list = static_cast<CRoomListMessage&>(msg);
        roster_.SetMembers(list.names, list.descriptions);
        RequestMemberRedraw();
        break;
    }
    case kCmdTalking:
        roster_.SetTalker(static_cast<CTalkingMessage&>(msg).talker);
        txTimeout_.TalkerIs(static_cast<CTalkingMessage&>(msg).talker);
        RequestMemberRedraw();
        break;
    case kCmdSendId:
    case kCmdIdleId: {
        const ClientSettings s = SettingsSnapshot();
        if (msg.command == kCmdSendId ? s.forceIdEnabled : s.idIfIdleEnabled) {
            QueueSwitchToPlayback();
            QueueMorse(s.idText);
            PostToUi([this, id = s.idText, idle = msg.command == kCmdIdleId] {
                Note("Morse ID \"" + id + "\" sent" +
                     (idle ? " (the server asked, the room being idle)" : " (the server asked)"));
            });
        }
        break;
    }
    case kCmdCourtesy: {
        const ClientSettings s = SettingsSnapshot();
        if (s.courtesyEnabled) {
            QueueSwitchToPlayback();
            QueueMorse(s.courtesyText);
            RestartActivity();
            PostToUi(
                [this, text = s.courtesyText] { Note("Courtesy \"" + text + "\" sent in Morse"); });
        }
        break;
    }
    case kCmdVersion:
        HandleVersion(static_cast<CVersionMessage&>(msg).version);
        break;
    case kCmdText:
        PostToUi(
            [this, text = static_cast<CTextMessage&>(msg).text] { prompt_.ShowMessage(text); });
        break;
    case kCmdAdminNotify: {
        std::vector<std::string> lines;
        std::string previousGroup;
        for (const auto& station : static_cast<CAdminNotifyMessage&>(msg).stations)
            lines.push_back(station->StatusLine(previousGroup));
        PostToUi([this, lines = std::move(lines)] {
            controls_.SetRedraw(IDC_MAIN_LIST, false);
            controls_.ResetContent(IDC_MAIN_LIST);
            for (const std::string& line : lines) {
                controls_.AddString(IDC_MAIN_LIST, line);
                // One log line per station, so that a script can watch a server.
                if (options_.events)
                    options_.events->Note(line);
            }
            controls_.SetRedraw(IDC_MAIN_LIST, true);
        });
        break;
    }
    case kCmdListRestrictions: {
        // The editor lives on the UI thread; the records travel there.
        auto list = std::make_shared<CListRestrictionsMessage>();
        list->restrictions.swap(static_cast<CListRestrictionsMessage&>(msg).restrictions);
        PostToUi([this, list] { RestrictionEditor().FillRestrictions(*list); });
        break;
    }
    case kCmdActiveRooms:
        if (admin)
            break;
        PostToUi([this, rooms = static_cast<CActiveRoomsMessage&>(msg).rooms] {
            FillTalkGroups(controls_, rooms, settings_.room);
        });
        break;
    case kCmdOptUserList:
        members_->ApplyUpdate(static_cast<COptUserListMessage&>(msg).update.get());
        roster_.SetMembers(*members_);
        RequestMemberRedraw();
        break;
    default:
        break; // pings are the link's; others parsed to stay in step
    }
}

void CClient_TavroDlg::HandleVersion(int32_t serverVersion) {
    if (serverVersion >= kMachineValueVersion) {
        auto version = std::make_unique<CVersionMessage>();
        version->command = kCmdVersionEx;
        version->version = ProgramVersionNumber();
        version->machineValue = int32_t(MachineValue());
        MessageQueue().Add(std::move(version));
    }
    if (options_.templateId != kAdminTemplate) {
        QueueJoin();
        return;
    }
    // The administration layout logs in instead of joining a room.
    if (serverVersion < kEndTxVersion) {
        PostToUi([this] {
            if (options_.events)
                options_.events->Warning("The server is too old for administration: disconnecting");
        });
        link_->RequestStop();
        return;
    }
    auto request = std::make_unique<CAdminRequestMessage>();
    request->password = SettingsSnapshot().adminPassword;
    MessageQueue().Add(std::move(request));
    if (serverVersion >= kMachineValueVersion)
        PostToUi([this] { controls_.Enable(IDC_RESTRICTIONS, true); });
}

// ---- end of a transmission

void CClient_TavroDlg::OnSoundSent(bool silent) {
    RestartActivity();
    if (!silent && overs_.SoundSent())
        PostToUi([this] { Note("Receiver over started: sending to the room"); });
}

void CClient_TavroDlg::EndTransmission() {
    SwitchToPlayback();
    if (link_->ServerVersion() < kEndTxVersion) {
        for (int i = 0; i < kEndSilences; ++i) {
            auto packet = std::make_unique<CSoundPacket>();
            packet->silent = true;
            TransmitQueue().Add(std::move(packet));
        }
    } else {
        MessageQueue().Add(std::make_unique<CMsg>(kCmdEndTx));
    }
    SetPushToTalkActive(false);
}

void CClient_TavroDlg::AdvanceEndOfTransmission() {
    if (endOfTransmission_ == -1)
        return;
    if (++endOfTransmission_ == 2) {
        EndTransmission();
        endOfTransmission_ = -1;
    }
}
