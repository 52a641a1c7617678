#pragma once

#include "protocol/admin_messages.h"
#include "server/conference.h"
#include "server/message_builders.h"

#include <vector>

// The Admin Notify message: one record per station in a room, in the given
// order. The in queue is the bytes the station sent that the server has not
// read yet, the out queue the messages waiting to be written to it; Rx counts
// the sound messages received from it, Tx those sent to it.
SharedMsg MakeAdminNotify(const std::vector<CConference::MemberStatus>& members);

// The List Restrictions message: the restrictions in force, then each
// station in a room that no restriction names by call sign, as Not
// Restricted with its room in the "by" field, so that an administrator can
// pick it to restrict.
SharedMsg MakeRestrictionList(const std::vector<CRestrictedUserInfo>& inForce,
                              const std::vector<CConference::MemberStatus>& members);
