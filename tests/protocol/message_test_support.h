#pragma once

#include "protocol/msg.h"
#include "tests/support/socket_pair.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Helpers for the message tests: build expected wire bytes, see what Write
// puts on the wire, and parse a byte stream into messages.

using Bytes = std::vector<uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes Le32(int32_t value) {
    const auto v = uint32_t(value);
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// A short string (below 255 bytes): one length byte, then the text.
inline Bytes Str(const std::string& text) {
    Bytes out{uint8_t(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

// What Write puts on the wire for the message.
inline Bytes WireBytes(const CMsg& msg) {
    SocketPair pair;
    CStopFlag stop;
    EXPECT_TRUE(msg.Write(*pair.a, stop));
    Bytes out;
    uint8_t chunk[4096];
    ssize_t got;
    while ((got = recv(pair.b->Fd(), chunk, sizeof chunk, 0)) > 0)
        out.insert(out.end(), chunk, chunk + got);
    return out;
}

// Parses the bytes, followed by a closed connection, into messages until a
// read fails; err is the failing read's code.
inline std::vector<std::unique_ptr<CMsg>> ReadAll(const Bytes& bytes, int& err) {
    SocketPair pair;
    CStopFlag stop;
    EXPECT_TRUE(WriteBytes(*pair.a, stop, bytes.data(), bytes.size()));
    pair.a->Close();
    std::vector<std::unique_ptr<CMsg>> messages;
    err = -1;
    while (auto msg = ReadMessage(*pair.b, stop, err))
        messages.push_back(std::move(msg));
    return messages;
}

// The first message of the bytes, or null with err set.
inline std::unique_ptr<CMsg> ReadOne(const Bytes& bytes, int& err) {
    auto messages = ReadAll(bytes, err);
    return messages.empty() ? nullptr : std::move(messages.front());
}

template <class T> T& As(const std::unique_ptr<CMsg>& msg) {
    auto* typed = dynamic_cast<T*>(msg.get());
    if (!typed)
        throw std::logic_error("message of another class");
    return *typed;
}
