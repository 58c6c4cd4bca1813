#include "word/package/DeflatePadding.h"

#include <cassert>
#include <cstring>

namespace plenwick::word::package {
namespace {

// One group: m empty fixed-Huffman blocks (10 bits each: BFINAL 0, BTYPE 01, end-of-block
// 0000000), then an empty stored block (BFINAL 0, BTYPE 00, pad to the byte, LEN 0, NLEN FFFF).
void AppendGroup(std::string& out, int fixedBlocks) {
  std::string bits((static_cast<std::size_t>(fixedBlocks) * 10 + 3 + 7) / 8, '\0');
  for (int i = 0; i < fixedBlocks; ++i) {
    const int bit = i * 10 + 1;  // BTYPE's low bit; every other bit of the block is 0
    bits[static_cast<std::size_t>(bit / 8)] =
        static_cast<char>(bits[static_cast<std::size_t>(bit / 8)] | (1 << (bit % 8)));
  }
  out += bits;
  out += std::string("\x00\x00\xFF\xFF", 4);
}

}  // namespace

void AppendPadding(std::string& out, std::uint64_t n) {
  assert(PaddingFits(n));
  // Empty stored blocks up to the last 9 to 13 bytes. A slot's tail can hold tens of kilobytes
  // of them, so they go in whole rather than one small string at a time.
  const std::uint64_t stored = LeadingStoredBytes(n);
  static constexpr char kStored[kPadBlock] = {0, 0, 0, '\xFF', '\xFF'};
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(stored));
  for (std::uint64_t b = 0; b < stored; b += kPadBlock) {
    std::memcpy(&out[at + static_cast<std::size_t>(b)], kStored, kPadBlock);
  }
  n -= stored;
  switch (n) {
    case 0:
      break;
    case 5:
    case 6:
    case 7:
      AppendGroup(out, static_cast<int>(n - 5));
      break;
    case 9:
      AppendGroup(out, 3);
      break;
    case 10:
    case 11:
    case 12:
      AppendGroup(out, static_cast<int>(n - 10));
      AppendGroup(out, 0);
      break;
    case 13:
      AppendGroup(out, 1);
      AppendGroup(out, 2);
      break;
    default:
      assert(false && "padding length that no blocks fill");
  }
}

}  // namespace plenwick::word::package
