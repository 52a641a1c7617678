#pragma once

#include "platform/stop_flag.h"
#include "protocol/admin_messages.h"
#include "server/chore_thread.h"
#include "server/conference.h"
#include "server/listener.h"
#include "server/restriction_list.h"
#include "server/server_log.h"
#include "server/server_options.h"
#include "server/station.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A conference server for tests and demonstrations: greets each station with
// its version, keeps stations in rooms, relays the talker's audio, pings,
// asks for identification and drops stations that fall silent or send a
// stream that does not parse. With an administrator password, administration
// stations see every station's status and mute, kick and ban stations. One
// reader and one writer thread per station; the timed chores run on one more
// thread.
class CStandInServer : private CStation::IEvents {
public:
    explicit CStandInServer(CServerOptions options);
    ~CStandInServer();
    CStandInServer(const CStandInServer&) = delete;
    CStandInServer& operator=(const CStandInServer&) = delete;

    // Binds, listens and starts serving. On failure returns false and says
    // why in error. A server starts once.
    bool Start(std::string& error);
    // Ends every thread and closes every connection.
    void Stop();
    // The port it listens on (the picked one when port 0 was asked for).
    uint16_t Port() const { return listener_.Port(); }

private:
    using Clock = std::chrono::steady_clock;
    struct Closing {
        std::shared_ptr<CStation> station;
        Clock::time_point deadline; // forced shut when the peer lingers
    };

    void OnMessage(CStation& station, std::unique_ptr<CMsg> message) override;
    void OnReadEnd(CStation& station, int err) override;
    void OnWriteFailed(CStation& station, int error) override;

    void AcceptLoop();
    void AddStation(int fd, const std::string& peer);
    std::shared_ptr<CStation> Find(const CStation& station);
    void HandleJoin(CStation& station, const CJoinMessage& join);
    // Hangs the station up: it leaves its room, its last messages go out,
    // and the chores close it once the peer has gone or the grace is over.
    void Drop(CStation& station, const std::string& reason);

    // Administration (server_admin.cpp).
    void HandleAdminRequest(CStation& station, const CAdminRequestMessage& request);
    // Get Restrict, Add Restriction and Remove Restriction, which only
    // administration stations may send.
    void HandleRestrictionCommand(CStation& station, const CMsg& message);
    void AddRestriction(CStation& admin, const CRestrictedUserInfo& restriction);
    void RemoveRestriction(CStation& admin, const CRestrictedUserInfo& restriction);
    // The restriction in force for the station as it is named now, if any.
    std::optional<CRestrictedUserInfo> RestrictionOf(const CStation& station);
    void SendToAdmins(const SharedMsg& message);
    // Sends the status of every station in a room to the administration
    // stations, when there are any.
    void SendAdminNotify();
    SharedMsg RestrictionList();
    // Takes out the restrictions whose end has come; returns when the next
    // one ends.
    Clock::time_point ExpireRestrictions(Clock::time_point now);

    Clock::time_point RunChores(Clock::time_point now);
    Clock::time_point DropIdleStations(Clock::time_point now);
    Clock::time_point ReapClosedStations(Clock::time_point now);

    const CServerOptions options_;
    CServerLog log_;
    CListener listener_;
    CStopFlag acceptStop_;
    CConference conference_;
    CChoreThread chores_;
    std::mutex stationsMutex_;
    std::map<const CStation*, std::shared_ptr<CStation>> active_;
    std::vector<Closing> closing_;
    CRestrictionList restrictions_; // guarded by stationsMutex_
    bool stopping_ = false;
    int nextStationId_ = 1;
    Clock::time_point nextPing_;
    Clock::time_point nextSendId_;
    Clock::time_point nextAdminNotify_;
    std::thread acceptThread_;
    bool started_ = false;
};
