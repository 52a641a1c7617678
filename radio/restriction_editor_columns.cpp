#include "radio/restriction_editor_columns.h"

#include "protocol/admin_messages.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>

namespace {

std::string EndText(int64_t end) {
    const time_t when = static_cast<time_t>(end);
    std::tm local{};
    if (!localtime_r(&when, &local))
        return {};
    char text[128];
    const size_t length = std::strftime(text, sizeof text, "%c", &local);
    return std::string(text, length);
}

std::string AddressText(const std::array<int32_t, 4>& address) {
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", address[0], address[1], address[2], address[3]);
    return text;
}

std::string IdText(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%.8x", id);
    return text;
}

uint32_t AddressNumber(const std::array<int32_t, 4>& address) {
    uint32_t number = 0;
    for (int32_t octet : address)
        number = (number << 8) | (static_cast<uint32_t>(octet) & 0xffu);
    return number;
}

int CompareWithoutCase(const std::string& a, const std::string& b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

template <class Number> int CompareNumbers(Number a, Number b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

} // namespace

const char* RestrictionColumnHeading(int column) {
    static const char* const kHeadings[kRestrictionColumnCount] = {
        "Callsign", "Room/By", "Restriction", "Expires", "IP", "ID", "Comment"};
    return column >= 0 && column < kRestrictionColumnCount ? kHeadings[column] : "";
}

std::string RestrictionCellText(const CRestrictedUserInfo& record, int column) {
    switch (column) {
    case kColumnCallsign:
        return record.callSign;
    case kColumnBy:
        return record.by;
    case kColumnRestriction:
        return RestrictionKindName(record.restriction);
    case kColumnExpires:
        if (record.restriction == kMuted || record.restriction == kKicked)
            return EndText(record.end);
        return {};
    case kColumnIp:
        return AddressText(record.address);
    case kColumnId:
        return IdText(record.id);
    case kColumnComment:
        return record.reason;
    default:
        return {};
    }
}

int CompareRestrictions(const CRestrictedUserInfo& a, const CRestrictedUserInfo& b, int column) {
    switch (column) {
    case kColumnCallsign:
        return CompareWithoutCase(a.callSign, b.callSign);
    case kColumnBy:
        return CompareWithoutCase(a.by, b.by);
    case kColumnRestriction:
        return CompareNumbers(a.restriction, b.restriction);
    case kColumnExpires:
        return CompareNumbers(a.end, b.end);
    case kColumnIp:
        return CompareNumbers(AddressNumber(a.address), AddressNumber(b.address));
    case kColumnId:
        return CompareNumbers(a.id, b.id);
    case kColumnComment:
        return CompareWithoutCase(a.reason, b.reason);
    default:
        return 0;
    }
}
