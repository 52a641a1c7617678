#include "protocol/wire_io.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace {
// Reads ahead in blocks of this size, so that a message of many small fields
// costs one recv() rather than one per field.
constexpr size_t kReadAhead = 64 * 1024;

// Waits until the socket is ready for `events` or the stop flag is set.
// Returns false when the stop flag is set.
bool WaitReady(int fd, const CStopFlag& stop, short events) {
    pollfd fds[2] = {{fd, events, 0}, {stop.Fd(), POLLIN, 0}};
    while (poll(fds, 2, -1) < 0 && errno == EINTR) {
    }
    return !stop.IsSet();
}
} // namespace

// Reads n bytes into out, or discards them when out is null.
bool ReadInto(CSocketStream& s, const CStopFlag& stop, uint8_t* out, size_t n, int& err) {
    if (stop.IsSet())
        return false;
    if (!ChargeBudget(s, n, err))
        return false;
    size_t got = 0;
    while (got < n) {
        const size_t ready = s.aheadEnd_ - s.aheadPos_;
        if (ready > 0) {
            const size_t take = std::min(ready, n - got);
            if (out)
                std::memcpy(out + got, s.ahead_.data() + s.aheadPos_, take);
            s.aheadPos_ += take;
            got += take;
            continue;
        }
        // Large remainders go straight into the caller's buffer; small ones
        // fill the read-ahead buffer so that following fields are served from it.
        const size_t missing = n - got;
        const bool direct = out && missing >= kReadAhead;
        if (!direct && s.ahead_.size() < kReadAhead)
            s.ahead_.resize(kReadAhead);
        const ssize_t r = direct ? recv(s.fd_, out + got, missing, MSG_DONTWAIT)
                                 : recv(s.fd_, s.ahead_.data(), kReadAhead, MSG_DONTWAIT);
        if (r > 0) {
            if (direct) {
                got += size_t(r);
            } else {
                s.aheadPos_ = 0;
                s.aheadEnd_ = size_t(r);
            }
            continue;
        }
        if (r == 0) {
            err = kErrPeerClosed;
            return false;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            err = errno;
            return false;
        }
        if (!WaitReady(s.fd_, stop, POLLIN)) {
            err = kErrStopped;
            return false;
        }
    }
    return true;
}

bool ReadBytes(CSocketStream& s, const CStopFlag& stop, void* buffer, size_t n, int& err) {
    if (!stop.IsSet() && s.TakeAhead(static_cast<uint8_t*>(buffer), n))
        return true;
    return ReadInto(s, stop, static_cast<uint8_t*>(buffer), n, err);
}

bool SkipBytes(CSocketStream& s, const CStopFlag& stop, size_t n, int& err) {
    if (!stop.IsSet() && s.TakeAhead(nullptr, n))
        return true;
    return ReadInto(s, stop, nullptr, n, err);
}

bool WriteBytes(CSocketStream& s, const CStopFlag& stop, const void* buffer, size_t n) {
    const auto* in = static_cast<const uint8_t*>(buffer);
    size_t sent = 0;
    while (sent < n) {
        const ssize_t r = send(s.Fd(), in + sent, n - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (r >= 0) {
            sent += size_t(r);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        if (!WaitReady(s.Fd(), stop, POLLOUT))
            return true;
    }
    return true;
}

bool ChargeBudget(CSocketStream& s, size_t bytes, int& err) {
    if (bytes > s.budget) {
        err = kErrOutOfBounds;
        return false;
    }
    if (s.budget != std::numeric_limits<size_t>::max())
        s.budget -= bytes;
    return true;
}

bool ReadByte(CSocketStream& s, const CStopFlag& stop, uint8_t& value, int& err) {
    return ReadBytes(s, stop, &value, 1, err);
}

bool ReadUInt32(CSocketStream& s, const CStopFlag& stop, uint32_t& value, int& err) {
    uint8_t b[4];
    if (!ReadBytes(s, stop, b, 4, err))
        return false;
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool ReadInt32(CSocketStream& s, const CStopFlag& stop, int32_t& value, int& err) {
    uint32_t u;
    if (!ReadUInt32(s, stop, u, err))
        return false;
    value = int32_t(u);
    return true;
}

bool ReadTime64(CSocketStream& s, const CStopFlag& stop, int64_t& value, int& err) {
    uint32_t low, high;
    if (!ReadUInt32(s, stop, low, err) || !ReadUInt32(s, stop, high, err))
        return false;
    value = int64_t(uint64_t(high) << 32 | low);
    return true;
}

bool ReadLength16be(CSocketStream& s, const CStopFlag& stop, uint16_t& value, int& err) {
    uint8_t b[2];
    if (!ReadBytes(s, stop, b, 2, err))
        return false;
    value = uint16_t(b[0] << 8 | b[1]);
    return true;
}

bool ReadString(CSocketStream& s, const CStopFlag& stop, std::string& value, int& err) {
    uint8_t prefix;
    if (!ReadByte(s, stop, prefix, err))
        return false;
    uint32_t length = prefix;
    if (prefix == 0xFF) {
        uint8_t b[2];
        if (!ReadBytes(s, stop, b, 2, err))
            return false;
        length = uint32_t(b[0] | b[1] << 8);
        if (length == 0xFFFF && !ReadUInt32(s, stop, length, err))
            return false;
    }
    // Refuse before allocating: a peer must not make us reserve more than a
    // string may hold or the message has left.
    if (length > kMaxStringLength || length > s.budget) {
        err = kErrOutOfBounds;
        return false;
    }
    value.resize(length);
    return length == 0 || ReadBytes(s, stop, value.data(), length, err);
}

bool ReadCount(CSocketStream& s, const CStopFlag& stop, int32_t& count, int& err) {
    if (!ReadInt32(s, stop, count, err))
        return false;
    if (count > kMaxListCount) {
        err = kErrOutOfBounds;
        return false;
    }
    if (count < 0)
        count = 0;
    return true;
}

void CByteWriter::Int32(int32_t value) {
    const uint32_t u = uint32_t(value);
    const uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    out_.insert(out_.end(), b, b + 4);
}

void CByteWriter::Time64(int64_t value) {
    Int32(int32_t(uint64_t(value) & 0xFFFFFFFFu));
    Int32(int32_t(uint64_t(value) >> 32));
}

void CByteWriter::Length16be(uint16_t value) {
    out_.push_back(uint8_t(value >> 8));
    out_.push_back(uint8_t(value));
}

void CByteWriter::String(const std::string& value) {
    const size_t length = value.size();
    uint8_t prefix[7] = {0xFF, 0, 0, 0, 0, 0, 0};
    size_t prefixSize;
    if (length < 0xFF) {
        prefix[0] = uint8_t(length);
        prefixSize = 1;
    } else if (length < 0xFFFE) {
        prefix[1] = uint8_t(length);
        prefix[2] = uint8_t(length >> 8);
        prefixSize = 3;
    } else {
        prefix[1] = prefix[2] = 0xFF;
        for (int i = 0; i < 4; ++i)
            prefix[3 + i] = uint8_t(length >> (8 * i));
        prefixSize = 7;
    }
    out_.reserve(out_.size() + prefixSize + length);
    Bytes(prefix, prefixSize);
    Bytes(value.data(), length);
}

void CByteWriter::Bytes(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + n);
}

bool WriteString(CSocketStream& s, const CStopFlag& stop, const std::string& value) {
    std::vector<uint8_t> bytes;
    CByteWriter(bytes).String(value);
    return WriteBytes(s, stop, bytes.data(), bytes.size());
}
