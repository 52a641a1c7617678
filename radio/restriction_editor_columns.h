#pragma once

#include <string>

struct CRestrictedUserInfo;

// The columns of the restrictions list, in order.
enum RestrictionColumn : int {
    kColumnCallsign,
    kColumnBy,
    kColumnRestriction,
    kColumnExpires,
    kColumnIp,
    kColumnId,
    kColumnComment,
    kRestrictionColumnCount
};

// "Callsign", "Room/By", "Restriction", "Expires", "IP", "ID", "Comment".
const char* RestrictionColumnHeading(int column);

// What the list shows of a record in a column. "Expires" is the end in local time ("%c") for
// muted and kicked stations only, and empty when the end cannot be converted.
std::string RestrictionCellText(const CRestrictedUserInfo& record, int column);

// Less than, equal to or greater than 0 as a comes before, with or after b when the list is
// sorted ascending by the column: texts without regard to case, the kind and the id as
// numbers, the end as a signed number, the address as one 32-bit number of its octets.
int CompareRestrictions(const CRestrictedUserInfo& a, const CRestrictedUserInfo& b, int column);
