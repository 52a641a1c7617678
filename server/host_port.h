#pragma once

#include <cstdint>
#include <string>

// A listening address as the user writes it.
struct HostPort {
    std::string host; // empty: every local address
    uint16_t port = 0;
};

// Splits "HOST:PORT". An IPv6 host goes in brackets ("[::1]:10024"); an
// empty host (":10024") means every local address. On failure returns false
// and says why in error.
bool ParseHostPort(const std::string& text, HostPort& out, std::string& error);
