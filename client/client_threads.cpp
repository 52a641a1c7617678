// The receive and transmit threads of one connection.

#include "client/client_dlg.h"

#include "audio/sound_message_conversion.h"
#include "audio/sound_packet.h"
#include "client/control_ids.h"
#include "client/program_version.h"
#include "client/talk_group_selector.h"
#include "platform/clock.h"
#include "protocol/admin_messages.h"
#include "protocol/conference_messages.h"
#include "protocol/directory.h"
#include "protocol/list_messages.h"

#include <algorithm>

namespace {
// Servers from this version on take End TX; older ones take 15 Silences.
constexpr int32_t kEndTxVersion = 107;
constexpr int kEndSilences = 15;
// Each sound message and its filler carry this many payload bytes together.
constexpr int kSoundUnitBytes = 1000;

const char* ReadErrorText(int err) {
    switch (err) {
    case kErrUnknownCommand:
        return "unknown command";
    case kErrPeerClosed:
        return "the server closed the connection";
    case kErrOutOfBounds:
        return "a message out of bounds";
    case kErrStopped:
        return "stopped";
    default:
        return "socket error";
    }
}
} // namespace

void CClient_TavroDlg::ThreadEnded() {
    stop_.Set();
    if (!disconnecting_)
        PostToUi([this] { OnCommand(IDC_CONNECTION_LOST); });
}

// ---- receive

void CClient_TavroDlg::ReceiveThread() {
    CUserInfoList members;
    {
        std::lock_guard<std::mutex> guard(displayLock_);
        names_.clear();
        descriptions_.clear();
    }
    for (;;) {
        int err = 0;
        std::unique_ptr<CMsg> msg = ReadMessage(*stream_, stop_, err);
        if (!msg) {
            if (!stop_.IsSet() && options_.events)
                PostToUi([this, err] {
                    options_.events->Note(std::string("Connection ended: ") + ReadErrorText(err) +
                                          " (code " + std::to_string(err) + ")");
                });
            break;
        }
        lastMessageTicks_ = SystemClock().Ticks();
        HandleMessage(*msg, members);
        if (stop_.IsSet())
            break;
    }
    ThreadEnded();
}

// The engines run on the UI thread, so the receive thread has the switch made
// there; what it queues for playback waits until playback runs. A switch still
// queued when the connection has ended is dropped: the disconnect has already
// sent the sound card back to capture.
void CClient_TavroDlg::QueueSwitchToPlayback() {
    PostToUi([this] {
        if (IsConnected())
            SwitchToPlayback();
    });
}

void CClient_TavroDlg::QueueMorse(const std::string& text) {
    std::unique_ptr<CMixInSound> sound;
    {
        std::lock_guard<std::mutex> guard(morseLock_);
        sound = morse_.Build(text);
    }
    // The marker hands the sound to playback, which deletes it when played.
    PlaybackQueue().Add(std::make_unique<CSoundPacket>(sound.release()));
}

void CClient_TavroDlg::HandleMessage(CMsg& msg, CUserInfoList& members) {
    const bool admin = options_.templateId == kAdminTemplate;
    switch (msg.command) {
    case kCmdSound:
        QueueSwitchToPlayback();
        PlaybackQueue().Add(MakeSoundPacket(static_cast<CSoundMessage&>(msg)));
        RestartActivity();
        break;
    case kCmdSilence: {
        auto packet = std::make_unique<CSoundPacket>();
        packet->silent = true;
        packet->ZeroIfSilent();
        PlaybackQueue().Add(std::move(packet));
        RestartActivity();
        break;
    }
    case kCmdRoomList: {
        auto& list = static_cast<CRoomListMessage&>(msg);
        {
            std::lock_guard<std::mutex> guard(displayLock_);
            names_ = list.names;
            descriptions_ = list.descriptions;
            descriptions_.resize(names_.size());
        }
        PostToUi([this] { OnCommand(IDC_PRESETS, kNotifyClicked); });
        break;
    }
    case kCmdTalking: {
        {
            std::lock_guard<std::mutex> guard(displayLock_);
            talker_ = static_cast<CTalkingMessage&>(msg).talker;
        }
        PostToUi([this] { OnCommand(IDC_PRESETS, kNotifyClicked); });
        break;
    }
    case kCmdSendId:
    case kCmdIdleId: {
        const ClientSettings s = SettingsSnapshot();
        if (msg.command == kCmdSendId ? s.forceIdEnabled : s.idIfIdleEnabled) {
            QueueSwitchToPlayback();
            QueueMorse(s.idText);
        }
        break;
    }
    case kCmdCourtesy: {
        const ClientSettings s = SettingsSnapshot();
        if (s.courtesyEnabled) {
            QueueSwitchToPlayback();
            QueueMorse(s.courtesyText);
            RestartActivity();
        }
        break;
    }
    case kCmdVersion:
        HandleVersion(static_cast<CVersionMessage&>(msg).version);
        break;
    case kCmdText: {
        PostToUi(
            [this, text = static_cast<CTextMessage&>(msg).text] { prompt_.ShowMessage(text); });
        break;
    }
    case kCmdPing:
        pingReply_ = true;
        transmitWake_.Notify();
        break;
    case kCmdAdminNotify: {
        std::vector<std::string> lines;
        std::string previousGroup;
        for (const auto& station : static_cast<CAdminNotifyMessage&>(msg).stations)
            lines.push_back(station->StatusLine(previousGroup));
        PostToUi([this, lines = std::move(lines)] {
            controls_.SetRedraw(IDC_MAIN_LIST, false);
            controls_.ResetContent(IDC_MAIN_LIST);
            for (const std::string& line : lines)
                controls_.AddString(IDC_MAIN_LIST, line);
            controls_.SetRedraw(IDC_MAIN_LIST, true);
        });
        break;
    }
    case kCmdActiveRooms:
        if (admin)
            break;
        PostToUi([this, rooms = static_cast<CActiveRoomsMessage&>(msg).rooms] {
            FillTalkGroups(controls_, rooms, settings_.room);
        });
        break;
    case kCmdOptUserList: {
        members.ApplyUpdate(static_cast<COptUserListMessage&>(msg).update.get());
        {
            std::lock_guard<std::mutex> displayGuard(displayLock_);
            std::lock_guard<CUserInfoList> listGuard(members);
            names_.clear();
            descriptions_.clear();
            talker_.clear();
            for (const auto& user : members.Items()) {
                names_.push_back(user->name);
                descriptions_.push_back(user->description);
                if (user->talking)
                    talker_ = user->name;
            }
        }
        PostToUi([this] { OnCommand(IDC_PRESETS, kNotifyClicked); });
        break;
    }
    default:
        break; // parsed to stay in step with the stream, nothing to do
    }
}

void CClient_TavroDlg::HandleVersion(int32_t serverVersion) {
    serverVersion_ = serverVersion;
    if (options_.templateId == kAdminTemplate) {
        if (serverVersion < kEndTxVersion) {
            stop_.Set();
            return;
        }
        auto request = std::make_unique<CAdminRequestMessage>();
        request->password = SettingsSnapshot().adminPassword;
        messageQueue_.Add(std::move(request));
        if (serverVersion >= kMachineValueVersion)
            PostToUi([this] { controls_.Enable(IDC_RESTRICTIONS, true); });
        return;
    }
    if (serverVersion >= kMachineValueVersion) {
        auto version = std::make_unique<CVersionMessage>();
        version->command = kCmdVersionEx;
        version->version = ProgramVersionNumber();
        version->machineValue = int32_t(MachineValue());
        messageQueue_.Add(std::move(version));
    }
    QueueJoin();
}

// ---- transmit

bool CClient_TavroDlg::AnswerPing() {
    if (!pingReply_.exchange(false))
        return true;
    return CMsg(kCmdPing).Write(*stream_, stop_);
}

void CClient_TavroDlg::TransmitThread() {
    bool error = false;
    while (!stop_.IsSet() && !error) {
        // Sleep until there is something to send or the connection stops.
        if (TransmitQueue().IsEmpty() && messageQueue_.IsEmpty() && !pingReply_)
            transmitWake_.Wait(&stop_);
        if (stop_.IsSet())
            break;
        error = !AnswerPing();
        // Sound first: everything queued, each with its filler.
        while (!error && !stop_.IsSet()) {
            std::unique_ptr<CSoundPacket> packet = TransmitQueue().Get();
            if (!packet)
                break;
            error = !AnswerPing();
            std::unique_ptr<CSoundMessage> sound = MakeSoundMessage(*packet);
            if (!sound->Write(*stream_, stop_))
                error = true;
            const int fillerLength = std::max(0, kSoundUnitBytes - int(sound->length));
            if (!CDummyMessage(uint16_t(fillerLength)).Write(*stream_, stop_))
                error = true;
            RestartActivity();
        }
        // Then the control messages.
        while (!error && !stop_.IsSet()) {
            std::unique_ptr<CMsg> msg = messageQueue_.Get();
            if (!msg)
                break;
            error = !AnswerPing() || !msg->Write(*stream_, stop_);
        }
    }
    ThreadEnded();
}

// ---- end of a transmission

void CClient_TavroDlg::EndTransmission() {
    SwitchToPlayback();
    if (serverVersion_ < kEndTxVersion) {
        for (int i = 0; i < kEndSilences; ++i) {
            auto packet = std::make_unique<CSoundPacket>();
            packet->silent = true;
            TransmitQueue().Add(std::move(packet));
        }
    } else {
        messageQueue_.Add(std::make_unique<CMsg>(kCmdEndTx));
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
