#include "protocol/msg.h"
#include "tests/protocol/message_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// Streams the bytes that `next` produces into the socket until it returns
// false or the reader goes away; the reader reads one message meanwhile.
int ReadOneWhileStreaming(const std::function<bool(Bytes&)>& next) {
    SocketPair pair;
    CStopFlag writerStop;
    std::thread writer([&] {
        Bytes chunk;
        while (next(chunk)) {
            if (!WriteBytes(*pair.a, writerStop, chunk.data(), chunk.size()))
                break;
            chunk.clear();
        }
    });
    CStopFlag stop;
    int err = -1;
    EXPECT_FALSE(ReadMessage(*pair.b, stop, err));
    pair.b->Close();
    writerStop.Set();
    writer.join();
    return err;
}

TEST(MessageBounds, OversizedMessagesFailWithCodeTwoBeforeGrowingWithoutBound) {
    // A member list of 65536 names of 255 bytes each is more than 16 MiB.
    int sent = -1;
    EXPECT_EQ(ReadOneWhileStreaming([&](Bytes& chunk) {
                  if (sent == -1)
                      chunk = Cat({{kCmdRoomList}, Le32(65536)});
                  else if (sent < 65536)
                      chunk = Cat({{0xFF, 0xFF, 0x00}, Bytes(255, 'n')});
                  else
                      return false;
                  ++sent;
                  return true;
              }),
              kErrOutOfBounds);

    // Nested lists: every room may hold 65536 user entries of four bytes on
    // the wire; their memory counts against the same limit.
    sent = -1;
    EXPECT_EQ(ReadOneWhileStreaming([&](Bytes& chunk) {
                  if (sent == -1) {
                      chunk = Cat({{kCmdRoomListToWebServer}, Le32(65536)});
                  } else if (sent < 65536) {
                      chunk = Cat({Le32(0), Str("r"), Le32(65536)});
                      for (int user = 0; user < 65536; ++user)
                          chunk.insert(chunk.end(), {4, 0, 0, 0});
                  } else {
                      return false;
                  }
                  ++sent;
                  return true;
              }),
              kErrOutOfBounds);
}

} // namespace
