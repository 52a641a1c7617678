#pragma once

#include "protocol/admin_messages.h"
#include "tests/server/test_station.h"

#include <cstdint>
#include <memory>
#include <string>

// Logs in as an administration station: reads the greeting, then sends the
// command-21 version and the Admin Request.
void AdminLogin(CTestStation& station, const std::string& password);

// The next message with this command, skipping others; null on time-out.
std::unique_ptr<CMsg> NextWith(CTestStation& station, uint8_t command,
                               std::chrono::milliseconds timeout = kWait);

// "R/A* v134 rx2 tx0 ping, R/B v134 rx0 tx2" for an Admin Notify: room,
// call sign, * when talking, version, sound counts, "ping" when one is known.
std::string NotifySummary(const CMsg& notify);
// The summary of the next Admin Notify; empty on time-out.
std::string NextNotify(CTestStation& station);
// Takes Admin Notify messages until one has the expected summary, for
// reports that follow a change only after a while; returns the last one.
std::string WaitForNotify(CTestStation& station, const std::string& expected);

// "Muted A by Op, Kicked 127.0.0.1 by Op, Not Restricted B by R" for a List
// Restrictions message.
std::string RestrictionsSummary(const CMsg& list);
// The summary of the next List Restrictions message; empty on time-out.
std::string NextRestrictions(CTestStation& station);

// A restriction set by "Op", naming a call sign or, when it is empty, an
// address.
CRestrictedUserInfo Restriction(int32_t kind, const std::string& callSign, int64_t end,
                                const std::string& reason = "",
                                std::array<int32_t, 4> address = {});
void SendAdd(CTestStation& admin, const CRestrictedUserInfo& restriction);
void SendRemove(CTestStation& admin, const CRestrictedUserInfo& restriction);
