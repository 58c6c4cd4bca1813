#include "ResFile.h"

#include <functional>
#include <stdexcept>

namespace plenwick::restest {

std::uint16_t Word16(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

std::uint32_t Word32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(Word16(b, at)) |
         (static_cast<std::uint32_t>(Word16(b, at + 2)) << 16);
}

namespace {

constexpr std::size_t Align4(std::size_t n) {
  return (n + 3) & ~std::size_t{3};
}

// Reads a null-terminated UTF-16 text of ASCII characters; advances `at` past the terminator.
std::optional<std::string> ReadAsciiText(const Bytes& b, std::size_t& at, std::size_t end) {
  std::string text;
  while (at + 2 <= end) {
    const std::uint16_t c = Word16(b, at);
    at += 2;
    if (c == 0) return text;
    if (c > 0x7F) return std::nullopt;
    text.push_back(static_cast<char>(c));
  }
  return std::nullopt;
}

// A resource type or name: 0xFFFF followed by a number. Named ones are not used by the program.
std::optional<std::uint16_t> ReadOrdinal(const Bytes& b, std::size_t& at) {
  if (Word16(b, at) != 0xFFFF) return std::nullopt;
  const std::uint16_t value = Word16(b, at + 2);
  at += 4;
  return value;
}

}  // namespace

std::optional<std::vector<Resource>> ReadResFile(const Bytes& file) {
  std::vector<Resource> out;
  std::size_t at = 0;
  try {
    while (at < file.size()) {
      const std::uint32_t dataSize = Word32(file, at);
      const std::uint32_t headerSize = Word32(file, at + 4);
      std::size_t p = at + 8;
      const auto type = ReadOrdinal(file, p);
      const auto id = ReadOrdinal(file, p);
      if (!type || !id) return std::nullopt;
      p = Align4(p);
      const std::uint16_t language = Word16(file, p + 6);
      const std::size_t dataAt = at + headerSize;
      if (dataAt + dataSize > file.size()) return std::nullopt;
      // The file opens with an empty entry (type 0) that only marks it as 32-bit.
      if (!(*type == 0 && dataSize == 0)) {
        out.push_back({*type, *id, language,
                       Bytes(file.begin() + static_cast<std::ptrdiff_t>(dataAt),
                             file.begin() + static_cast<std::ptrdiff_t>(dataAt + dataSize))});
      }
      at = Align4(dataAt + dataSize);
    }
  } catch (const std::out_of_range&) {
    return std::nullopt;
  }
  return out;
}

std::optional<VersionRecord> ReadVersionRecord(const Bytes& data) {
  // Each block: length, value length, type (1 = text), key, padding, value, padding, children.
  struct Block {
    std::string key;
    std::size_t valueAt = 0, valueBytes = 0;
    bool text = false;
    std::vector<Block> children;
  };
  std::function<std::optional<Block>(std::size_t, std::size_t&)> read =
      [&](std::size_t at, std::size_t& next) -> std::optional<Block> {
    const std::size_t length = Word16(data, at);
    const std::size_t valueLength = Word16(data, at + 2);
    Block block;
    block.text = Word16(data, at + 4) == 1;
    const std::size_t end = at + length;
    if (length < 6 || end > data.size()) return std::nullopt;
    std::size_t p = at + 6;
    auto key = ReadAsciiText(data, p, end);
    if (!key) return std::nullopt;
    block.key = *key;
    p = Align4(p);
    block.valueAt = p;
    block.valueBytes = block.text ? valueLength * 2 : valueLength;
    p = Align4(p + block.valueBytes);
    while (p < end) {
      std::size_t after = 0;
      auto child = read(p, after);
      if (!child) return std::nullopt;
      block.children.push_back(std::move(*child));
      p = Align4(after);
    }
    next = end;
    return block;
  };

  VersionRecord record;
  try {
    std::size_t next = 0;
    const auto root = read(0, next);
    if (!root || root->key != "VS_VERSION_INFO" || root->valueBytes != 52) return std::nullopt;
    const std::size_t f = root->valueAt;
    record.signature = Word32(data, f);
    record.fileVersionMs = Word32(data, f + 8);
    record.fileVersionLs = Word32(data, f + 12);
    record.productVersionMs = Word32(data, f + 16);
    record.productVersionLs = Word32(data, f + 20);
    record.fileFlagsMask = Word32(data, f + 24);
    record.fileFlags = Word32(data, f + 28);
    record.fileOs = Word32(data, f + 32);
    record.fileType = Word32(data, f + 36);
    record.fileSubtype = Word32(data, f + 40);
    for (const Block& info : root->children) {
      if (info.key == "StringFileInfo") {
        if (info.children.size() != 1) return std::nullopt;
        record.stringTable = info.children[0].key;
        for (const Block& value : info.children[0].children) {
          std::size_t p = value.valueAt;
          auto text = ReadAsciiText(data, p, value.valueAt + value.valueBytes);
          if (!text || !value.text) return std::nullopt;
          record.values[value.key] = *text;
        }
      } else if (info.key == "VarFileInfo") {
        for (const Block& var : info.children) {
          if (var.key != "Translation") continue;
          for (std::size_t i = 0; i + 2 <= var.valueBytes; i += 2) {
            record.translation.push_back(Word16(data, var.valueAt + i));
          }
        }
      }
    }
  } catch (const std::out_of_range&) {
    return std::nullopt;
  }
  return record;
}

}  // namespace plenwick::restest
