#pragma once

#include "platform/stop_flag.h"
#include "protocol/socket_stream.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Error codes of the read operations.
enum WireError : int {
    kErrUnknownCommand = 0, // command code 28 or more
    kErrPeerClosed = 1,     // recv returned 0
    kErrOutOfBounds = 2,    // a length, count, size or entry kind out of range
    kErrStopped = 3,        // the stop flag was set before all bytes arrived
    // any other value: the errno of the failing recv
};

// Limits on what a peer may announce. Beyond them the read fails with
// kErrOutOfBounds before anything is allocated.
constexpr size_t kMaxStringLength = 1u << 20; // 1 MiB
constexpr int32_t kMaxListCount = 65536;
constexpr size_t kMaxMessageSize = 16u << 20; // 16 MiB

// Reads exactly n bytes, waiting in poll() on the socket and the stop flag.
// Never returns a partial read. A stop ends a waiting read with kErrStopped; a
// flag already set on entry returns false without touching err. n == 0
// completes at once.
bool ReadBytes(CSocketStream& s, const CStopFlag& stop, void* buffer, size_t n, int& err);

// Reads and discards exactly n bytes (filler), as ReadBytes does.
bool SkipBytes(CSocketStream& s, const CStopFlag& stop, size_t n, int& err);

// Writes exactly n bytes. A stop while waiting for the socket reports success:
// the caller learns of the stop from the flag.
bool WriteBytes(CSocketStream& s, const CStopFlag& stop, const void* buffer, size_t n);

// Counts memory that a message's parsed form takes beyond its wire bytes
// (nested list entries) against the same message size limit, so that a small
// entry on the wire cannot make a message cost far more memory than its size.
bool ChargeBudget(CSocketStream& s, size_t bytes, int& err);

// Field readers built on ReadBytes.
bool ReadByte(CSocketStream& s, const CStopFlag& stop, uint8_t& value, int& err);
bool ReadInt32(CSocketStream& s, const CStopFlag& stop, int32_t& value, int& err);
bool ReadUInt32(CSocketStream& s, const CStopFlag& stop, uint32_t& value, int& err);
bool ReadTime64(CSocketStream& s, const CStopFlag& stop, int64_t& value, int& err);
bool ReadLength16be(CSocketStream& s, const CStopFlag& stop, uint16_t& value, int& err);
// The length-prefixed 8-bit string (1, 3 or 7 prefix bytes).
bool ReadString(CSocketStream& s, const CStopFlag& stop, std::string& value, int& err);
// A list count: values of 0 or less give 0; more than kMaxListCount fails.
bool ReadCount(CSocketStream& s, const CStopFlag& stop, int32_t& count, int& err);

// Encodes one message into a buffer so that it goes out in one send.
class CByteWriter {
public:
    explicit CByteWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Byte(uint8_t value) { out_.push_back(value); }
    void Int32(int32_t value);
    void UInt32(uint32_t value) { Int32(int32_t(value)); }
    void Time64(int64_t value);
    void Length16be(uint16_t value);
    void String(const std::string& value);
    void Bytes(const void* data, size_t n);
    void Zeros(size_t n) { out_.insert(out_.end(), n, 0); }

private:
    std::vector<uint8_t>& out_;
};

// Writes one string primitive on its own.
bool WriteString(CSocketStream& s, const CStopFlag& stop, const std::string& value);
