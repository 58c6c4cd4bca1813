// Parts that documents joined together nearly always share byte for byte: the styles of one
// template run to hundreds of kilobytes and took a third of a join's time to inflate and parse
// again for every document. Such a part is parsed once and handed to each document that stores
// the very same bytes. The parsed parts are shared, so nobody changes them: whoever needs a
// changed style works on a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "word/engine/RecentlyUsed.h"
#include "word/engine/Xml.h"
#include "word/package/Zip.h"

namespace plenwick::word::engine {

class ParsedParts {
 public:
  explicit ParsedParts(std::size_t capacity) : memos_(capacity) {}
  // The part parsed before from exactly these stored bytes, or nullptr.
  const XmlPart* Find(const package::ZipReader::Stored& stored);
  // Keeps `part`, parsed from `stored` (already checked against its CRC), in place of the one
  // used longest ago when all places are taken.
  void Remember(const package::ZipReader::Stored& stored, const XmlPart& part);

 private:
  struct Memo {
    std::uint16_t method = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t uncompressedSize = 0;
    std::string data;
    XmlPart part;
  };
  RecentlyUsed<Memo> memos_;
};

}  // namespace plenwick::word::engine
