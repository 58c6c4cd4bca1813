// Raw deflate and CRC-32 over zlib, for entries of any size (zlib's counters are 32-bit).
// Internal to the package layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plenwick::word::package {

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

// Compresses bytes with a fresh raw deflate stream (no zlib header). `finish` ends the stream
// with the final block; otherwise it ends with a sync flush: byte-aligned and not final, so
// another piece may follow it.
std::string DeflatePiece(std::string_view bytes, bool finish, int level);

inline constexpr int kDeflateLevel = 6;

}  // namespace plenwick::word::package
