// Deflate blocks that decode to nothing, used to fill the room reserved for a growing entry so
// that its stream stays valid whatever length the room has. Internal to the package layer.
#pragma once

#include <cstdint>
#include <string>

namespace plenwick::word::package {

// Empty stored blocks are 5 bytes; runs of empty fixed-Huffman blocks closed by one stored block
// give 6, 7 and 9. Every length of 9 or more is a sum of those; 1 to 4 and 8 are not.
inline bool PaddingFits(std::uint64_t n) {
  return n == 0 || (n >= 5 && n != 8);
}

// The grid of 5-byte empty stored blocks that fills untouched room.
inline constexpr std::uint64_t kPadBlock = 5;

// n bytes of non-final empty blocks, starting and ending on a byte boundary. n must fit.
void AppendPadding(std::string& out, std::uint64_t n);

// How many of the n bytes AppendPadding writes are 5-byte empty stored blocks at the start: two
// paddings share that many bytes, whatever comes after them.
inline std::uint64_t LeadingStoredBytes(std::uint64_t n) {
  return n >= 14 ? ((n - 14) / kPadBlock + 1) * kPadBlock : 0;
}

}  // namespace plenwick::word::package
