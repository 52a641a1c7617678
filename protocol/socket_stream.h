#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

// One end of a protocol connection: the socket descriptor (owned) and the
// bytes that the reader has received ahead of the message it is parsing.
// One thread reads and one thread writes at a time; the read-ahead buffer
// belongs to the reader alone.
class CSocketStream {
public:
    explicit CSocketStream(int fd = -1);
    ~CSocketStream();
    CSocketStream(const CSocketStream&) = delete;
    CSocketStream& operator=(const CSocketStream&) = delete;

    int Fd() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Closes the descriptor and forgets any bytes read ahead.
    void Close();

    // Bytes the current message may still take (see ReadMessage); reads
    // beyond it fail with the bound error.
    size_t budget = std::numeric_limits<size_t>::max();

    // Takes n bytes that were read ahead, when that many are there and the
    // message's size limit allows; the common case of every field read.
    bool TakeAhead(uint8_t* out, size_t n) {
        if (n > aheadEnd_ - aheadPos_ || n > budget)
            return false;
        if (out)
            std::memcpy(out, ahead_.data() + aheadPos_, n);
        aheadPos_ += n;
        if (budget != std::numeric_limits<size_t>::max())
            budget -= n;
        return true;
    }

private:
    friend bool ReadInto(CSocketStream&, const class CStopFlag&, uint8_t*, size_t, int&);
    int fd_;
    std::vector<uint8_t> ahead_;
    size_t aheadPos_ = 0;
    size_t aheadEnd_ = 0;
};
