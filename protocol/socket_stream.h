#pragma once

#include <cstddef>
#include <cstdint>
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

private:
    friend bool ReadBytes(CSocketStream&, const class CStopFlag&, void*, size_t, int&);
    int fd_;
    std::vector<uint8_t> ahead_;
    size_t aheadPos_ = 0;
    size_t aheadEnd_ = 0;
};
