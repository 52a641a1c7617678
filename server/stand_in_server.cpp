#include "server/stand_in_server.h"

#include "platform/string_format.h"
#include "protocol/conference_messages.h"
#include "server/message_builders.h"
#include "server/restriction_texts.h"

#include <algorithm>
#include <cstring>

namespace {
// How long a hung-up station may take to close its end before it is cut off.
constexpr std::chrono::seconds kCloseGrace{1};

const char* const kWrongPasswordText = "Access denied: wrong server password.";

std::string Seconds(std::chrono::milliseconds interval) {
    return StringPrintf("%g s", double(interval.count()) / 1000);
}

// Why a station's stream ended, for the log.
std::string ReadEndReason(int err, bool overflowed) {
    switch (err) {
    case kErrPeerClosed:
        return "closed the connection";
    case kErrUnknownCommand:
        return "sent an unknown command code";
    case kErrOutOfBounds:
        return "sent a message that does not parse";
    case kErrStopped:
        return overflowed ? "does not read what it is sent" : "stopped";
    default:
        return std::string("connection failed: ") + std::strerror(err);
    }
}
} // namespace

CStandInServer::CStandInServer(CServerOptions options)
    : options_(std::move(options)), log_(options_.log),
      conference_(options_.floorTimeout, log_, [this] { chores_.Wake(); }) {}

CStandInServer::~CStandInServer() {
    Stop();
}

bool CStandInServer::Start(std::string& error) {
    if (!listener_.Open(options_.listen, error))
        return false;
    log_("listening on " + listener_.Address() + " as version " + std::to_string(options_.version) +
         (options_.password.empty() ? "" : ", password required") +
         (options_.adminPassword.empty() ? "" : ", administration enabled"));
    const Clock::time_point now = options_.now();
    nextPing_ = now + options_.pingInterval;
    nextSendId_ = now + options_.idInterval;
    nextAdminNotify_ = now + options_.adminNotifyInterval;
    chores_.Start([this] {
        const Clock::time_point now = options_.now();
        return RunChores(now) - now;
    });
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    started_ = true;
    return true;
}

void CStandInServer::Stop() {
    if (!started_)
        return;
    started_ = false;
    acceptStop_.Set();
    acceptThread_.join();
    chores_.Stop();
    std::vector<std::shared_ptr<CStation>> all;
    {
        std::lock_guard lock(stationsMutex_);
        stopping_ = true;
        for (auto& [key, station] : active_)
            all.push_back(station);
        for (Closing& closing : closing_)
            all.push_back(closing.station);
        active_.clear();
        closing_.clear();
    }
    for (const auto& station : all)
        station->Abort();
    for (const auto& station : all)
        station->JoinThreads();
    conference_.Clear();
    listener_.Close();
    log_("stopped (" + std::to_string(all.size()) + " connections closed)");
}

void CStandInServer::AcceptLoop() {
    std::string peer;
    int fd;
    while ((fd = listener_.Accept(acceptStop_, peer,
                                  [this](const std::string& line) { log_(line); })) >= 0)
        AddStation(fd, peer);
}

void CStandInServer::AddStation(int fd, const std::string& peer) {
    auto station =
        std::make_shared<CStation>(nextStationId_++, fd, peer, options_.maxQueuedMessages,
                                   static_cast<CStation::IEvents&>(*this), options_.now);
    log_(station->Label() + " connected");
    {
        std::lock_guard lock(stationsMutex_);
        active_[station.get()] = station;
    }
    station->Send(MakeVersion(options_.version));
    station->Start();
    // Its idle deadline may be the earliest one now.
    chores_.Wake();
}

std::shared_ptr<CStation> CStandInServer::Find(const CStation& station) {
    std::lock_guard lock(stationsMutex_);
    const auto found = active_.find(&station);
    return found == active_.end() ? nullptr : found->second;
}

void CStandInServer::OnMessage(CStation& station, std::unique_ptr<CMsg> message) {
    switch (message->command) {
    case kCmdVersion:
    case kCmdVersionEx: {
        const auto& version = static_cast<const CVersionMessage&>(*message);
        station.SetVersion(version.version);
        station.SetMachineValue(uint32_t(version.machineValue));
        log_(station.Label() + " sent " + version.Describe());
        break;
    }
    case kCmdJoin:
    case kCmdJoinWithPassword:
        HandleJoin(station, static_cast<const CJoinMessage&>(*message));
        break;
    case kCmdSound:
    case kCmdSilence: {
        // A muted station's audio goes nowhere.
        if (RestrictionOf(station))
            break;
        std::shared_ptr<CMsg> shared = std::move(message);
        conference_.OnAudio(station, std::static_pointer_cast<const CSoundMessage>(shared),
                            options_.now());
        break;
    }
    case kCmdEndTx:
        conference_.OnEndTx(station);
        break;
    case kCmdBye:
        Drop(station, "said Bye");
        break;
    case kCmdPing:
        station.NotePingReply(options_.now());
        break;
    case kCmdDummy: // the filler after each sound message
        break;
    case kCmdAdminRequest:
        HandleAdminRequest(station, static_cast<const CAdminRequestMessage&>(*message));
        break;
    case kCmdGetRestrict:
    case kCmdAddRestriction:
    case kCmdRemoveRestriction:
        HandleRestrictionCommand(station, *message);
        break;
    default:
        log_(station.Label() + " sent \"" + message->Describe() + "\", which is ignored");
        break;
    }
}

void CStandInServer::HandleJoin(CStation& station, const CJoinMessage& join) {
    const std::shared_ptr<CStation> shared = Find(station);
    if (!shared)
        return;
    if (station.IsAdmin()) {
        log_(station.Label() + " is an administration station; its join to room \"" + join.room +
             "\" is ignored");
        return;
    }
    if (!options_.password.empty() && join.password != options_.password) {
        station.Send(MakeText(kWrongPasswordText));
        Drop(station, "wrong password with command " + std::to_string(join.command) + " as " +
                          join.callSign);
        return;
    }
    // Named before the check, so that a kick set meanwhile finds it.
    station.SetCallSign(join.callSign);
    const std::optional<CRestrictedUserInfo> restriction = RestrictionOf(station);
    if (restriction && restriction->restriction != kMuted) {
        station.Send(MakeText(RestrictionRefusal(*restriction)));
        Drop(station, "join refused: " + RestrictionSummary(*restriction));
        return;
    }
    if (!options_.welcome.empty() && station.FirstJoin())
        station.Send(MakeText(options_.welcome));
    if (const std::shared_ptr<CStation> displaced = conference_.Join(shared, join))
        Drop(*displaced, "replaced by " + station.Label());
    SendAdminNotify();
}

void CStandInServer::OnReadEnd(CStation& station, int err) {
    if (!station.IsClosing())
        Drop(station, ReadEndReason(err, station.Overflowed()));
}

void CStandInServer::OnWriteFailed(CStation& station, int error) {
    Drop(station, std::string("sending failed: ") + std::strerror(error));
}

void CStandInServer::Drop(CStation& station, const std::string& reason) {
    std::shared_ptr<CStation> kept;
    {
        std::lock_guard lock(stationsMutex_);
        if (stopping_)
            return;
        const auto found = active_.find(&station);
        if (found == active_.end())
            return;
        kept = found->second;
        active_.erase(found);
        closing_.push_back({kept, options_.now() + kCloseGrace});
    }
    log_(station.Label() + " disconnected: " + reason);
    // Closing first keeps a join that races with this drop from putting the
    // station back into a room (CConference::Join refuses closing stations).
    station.Close();
    if (conference_.Leave(station))
        SendAdminNotify();
    chores_.Wake();
}

CStandInServer::Clock::time_point CStandInServer::RunChores(Clock::time_point now) {
    Clock::time_point next = Clock::time_point::max();
    if (options_.pingInterval.count() > 0) {
        if (now >= nextPing_) {
            const SharedMsg ping = MakeCommand(kCmdPing);
            std::lock_guard lock(stationsMutex_);
            for (const auto& [key, station] : active_) {
                station->NotePingSent(now);
                station->Send(ping);
            }
            nextPing_ = now + options_.pingInterval;
        }
        next = nextPing_;
    }
    if (options_.idInterval.count() > 0) {
        if (now >= nextSendId_) {
            const size_t count = conference_.SendToMembers(MakeCommand(kCmdSendId));
            log_("Send ID to " + std::to_string(count) + " stations");
            nextSendId_ = now + options_.idInterval;
        }
        next = std::min(next, nextSendId_);
    }
    if (options_.adminNotifyInterval.count() > 0) {
        if (now >= nextAdminNotify_) {
            SendAdminNotify();
            nextAdminNotify_ = now + options_.adminNotifyInterval;
        }
        next = std::min(next, nextAdminNotify_);
    }
    next = std::min(next, ExpireRestrictions(now));
    next = std::min(next, conference_.ReleaseStaleFloors(now));
    next = std::min(next, DropIdleStations(now));
    return std::min(next, ReapClosedStations(now));
}

CStandInServer::Clock::time_point CStandInServer::DropIdleStations(Clock::time_point now) {
    Clock::time_point next = Clock::time_point::max();
    std::vector<std::shared_ptr<CStation>> idle;
    {
        std::lock_guard lock(stationsMutex_);
        for (const auto& [key, station] : active_) {
            const Clock::time_point expiry = station->LastActivity() + options_.idleTimeout;
            if (now >= expiry)
                idle.push_back(station);
            else
                next = std::min(next, expiry);
        }
    }
    for (const auto& station : idle)
        Drop(*station, "sent nothing for " + Seconds(options_.idleTimeout));
    return next;
}

CStandInServer::Clock::time_point CStandInServer::ReapClosedStations(Clock::time_point now) {
    Clock::time_point next = Clock::time_point::max();
    std::vector<std::shared_ptr<CStation>> due;
    {
        std::lock_guard lock(stationsMutex_);
        std::erase_if(closing_, [&](Closing& closing) {
            if (now < closing.deadline) {
                next = std::min(next, closing.deadline);
                return false;
            }
            due.push_back(std::move(closing.station));
            return true;
        });
    }
    // Their threads have ended or end at once: the writer has flushed or is
    // stuck on a peer that does not read, the reader waits for a peer that
    // has had its grace.
    for (const auto& station : due) {
        station->Abort();
        station->JoinThreads();
    }
    return next;
}
