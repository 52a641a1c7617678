#pragma once

#include <cstddef>

// The magic line that begins an AMR-NB file (RFC 4867, section 5): players
// need it, the sound payload of a Sound message has none.
inline constexpr char kAmrFileHeader[] = "#!AMR\n";
inline constexpr std::size_t kAmrFileHeaderSize = sizeof kAmrFileHeader - 1;
