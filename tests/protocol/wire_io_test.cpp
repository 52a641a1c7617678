#include "protocol/msg.h"
#include "protocol/wire_io.h"
#include "tests/support/socket_pair.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

std::vector<uint8_t> Encoded(const std::string& text) {
    std::vector<uint8_t> bytes;
    CByteWriter(bytes).String(text);
    return bytes;
}

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t n) {
    return {bytes.begin(), bytes.begin() + long(n)};
}

void Send(CSocketStream& s, const std::vector<uint8_t>& bytes) {
    CStopFlag stop;
    ASSERT_TRUE(WriteBytes(s, stop, bytes.data(), bytes.size()));
}

// Waits until the count of bytes that wait in the socket to be read meets `condition`.
bool WaitForUnread(const CSocketStream& s, const std::function<bool(int)>& condition) {
    for (int i = 0; i < 5000; ++i) {
        int unread = 0;
        if (ioctl(s.Fd(), FIONREAD, &unread) == 0 && condition(unread))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

bool Drained(int unread) {
    return unread == 0;
}

TEST(WireIo, StringPrefixFormsRoundTrip) {
    EXPECT_EQ(Encoded(""), (std::vector<uint8_t>{0x00}));
    EXPECT_EQ(Prefix(Encoded(std::string(254, 'a')), 1), (std::vector<uint8_t>{0xFE}));
    EXPECT_EQ(Prefix(Encoded(std::string(255, 'a')), 3), (std::vector<uint8_t>{0xFF, 0xFF, 0x00}));
    EXPECT_EQ(Prefix(Encoded(std::string(65533, 'a')), 3),
              (std::vector<uint8_t>{0xFF, 0xFD, 0xFF}));
    EXPECT_EQ(Prefix(Encoded(std::string(65534, 'a')), 7),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));

    SocketPair pair;
    CStopFlag stop;
    std::string withZero("a\0b", 3);
    // The reader also takes 65534 in the 3-byte form.
    std::vector<uint8_t> threeByte65534 = {0xFF, 0xFE, 0xFF};
    threeByte65534.resize(3 + 65534, 'z');
    std::thread writer([&] {
        for (const std::string& text : {std::string(), std::string(254, 'b'), std::string(255, 'c'),
                                        std::string(65533, 'd'), std::string(70000, 'e'), withZero})
            WriteString(*pair.a, stop, text);
        Send(*pair.a, threeByte65534);
    });
    std::string value;
    int err = -1;
    for (size_t expected : {0, 254, 255, 65533, 70000}) {
        ASSERT_TRUE(ReadString(*pair.b, stop, value, err));
        EXPECT_EQ(value.size(), expected);
    }
    ASSERT_TRUE(ReadString(*pair.b, stop, value, err));
    EXPECT_EQ(value, withZero);
    ASSERT_TRUE(ReadString(*pair.b, stop, value, err));
    EXPECT_EQ(value, std::string(65534, 'z'));
    writer.join();
}

TEST(WireIo, BytesArrivingOneAtATimeAreAssembled) {
    SocketPair pair;
    CStopFlag stop;
    std::vector<uint8_t> stream = {0x0A, 0x86, 0x00, 0x00, 0x00, 0x0C};
    std::vector<uint8_t> text = Encoded("hello");
    stream.insert(stream.end(), text.begin(), text.end());
    // Each byte is sent once the reader has taken the one before.
    std::thread writer([&] {
        for (uint8_t byte : stream) {
            Send(*pair.a, {byte});
            EXPECT_TRUE(WaitForUnread(*pair.b, Drained));
        }
    });
    int err = -1;
    int32_t version = 0;
    uint8_t code = 0;
    std::string value;
    ASSERT_TRUE(ReadByte(*pair.b, stop, code, err));
    ASSERT_TRUE(ReadInt32(*pair.b, stop, version, err));
    EXPECT_EQ(version, 134);
    std::unique_ptr<CMsg> ping = ReadMessage(*pair.b, stop, err);
    ASSERT_TRUE(ping);
    EXPECT_EQ(ping->command, kCmdPing);
    ASSERT_TRUE(ReadString(*pair.b, stop, value, err));
    EXPECT_EQ(value, "hello");
    writer.join();
}

TEST(WireIo, ReadFailuresCarryTheirCodes) {
    CStopFlag stop;
    int err = -1;
    {
        // Unknown command codes leave the following bytes unread.
        SocketPair pair;
        Send(*pair.a, {28, 100, 255, kCmdPing});
        for (int i = 0; i < 3; ++i) {
            err = -1;
            EXPECT_FALSE(ReadMessage(*pair.b, stop, err));
            EXPECT_EQ(err, kErrUnknownCommand);
        }
        EXPECT_TRUE(ReadMessage(*pair.b, stop, err));
    }
    {
        // The peer closes in the middle of a string.
        SocketPair pair;
        Send(*pair.a, {0x05, 'a', 'b'});
        pair.a->Close();
        std::string value;
        EXPECT_FALSE(ReadString(*pair.b, stop, value, err));
        EXPECT_EQ(err, kErrPeerClosed);
    }
    {
        // A stop flag set on entry fails at once and leaves the code alone.
        SocketPair pair;
        Send(*pair.a, {1, 2, 3, 4});
        CStopFlag stopped;
        stopped.Set();
        int32_t value;
        err = 77;
        EXPECT_FALSE(ReadInt32(*pair.b, stopped, value, err));
        EXPECT_EQ(err, 77);
    }
    {
        // A zero-length read completes without looking at the socket.
        SocketPair pair;
        pair.a->Close();
        EXPECT_TRUE(ReadBytes(*pair.b, stop, nullptr, 0, err));
    }
}

TEST(WireIo, StopEndsAWaitingReadAndAWaitingWrite) {
    SocketPair pair;
    CStopFlag stop;
    Send(*pair.a, {0x01, 0x02});
    int err = -1;
    int32_t value = 0;
    // The stop comes once the read has taken the two bytes and waits for the rest.
    std::thread stopper([&] {
        EXPECT_TRUE(WaitForUnread(*pair.b, Drained));
        stop.Set();
    });
    EXPECT_FALSE(ReadInt32(*pair.b, stop, value, err));
    EXPECT_EQ(err, kErrStopped);
    stopper.join();

    // Fill the socket until a write has to wait; a stop then ends it with success.
    stop.Reset();
    std::vector<uint8_t> big(8 << 20, 0x55);
    std::thread stopper2([&] {
        EXPECT_TRUE(WaitForUnread(*pair.b, [](int unread) { return unread > 0; }));
        stop.Set();
    });
    EXPECT_TRUE(WriteBytes(*pair.a, stop, big.data(), big.size()));
    stopper2.join();
}

TEST(WireIo, BoundsFailWithCodeTwo) {
    CStopFlag stop;
    int err = -1;
    {
        // A string longer than 1 MiB is refused before its bytes are read.
        SocketPair pair;
        Send(*pair.a, {0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x10, 0x00});
        std::string value;
        EXPECT_FALSE(ReadString(*pair.b, stop, value, err));
        EXPECT_EQ(err, kErrOutOfBounds);
    }
    {
        SocketPair pair;
        Send(*pair.a, {0x01, 0x00, 0x01, 0x00});
        int32_t count;
        EXPECT_FALSE(ReadCount(*pair.b, stop, count, err));
        EXPECT_EQ(err, kErrOutOfBounds);
    }
    {
        // Negative counts are empty lists.
        SocketPair pair;
        Send(*pair.a, {0xFF, 0xFF, 0xFF, 0xFF});
        int32_t count = 5;
        EXPECT_TRUE(ReadCount(*pair.b, stop, count, err));
        EXPECT_EQ(count, 0);
    }
}

} // namespace
