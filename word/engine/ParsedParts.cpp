#include "word/engine/ParsedParts.h"

namespace plenwick::word::engine {

const XmlPart* ParsedParts::Find(const package::ZipReader::Stored& stored) {
  const Memo* memo = memos_.Find([&](const Memo& m) {
    return m.crc32 == stored.crc32 && m.uncompressedSize == stored.uncompressedSize &&
           m.method == stored.method && m.data == stored.data;
  });
  return memo != nullptr ? &memo->part : nullptr;
}

void ParsedParts::Remember(const package::ZipReader::Stored& stored, const XmlPart& part) {
  memos_.Add(
      Memo{stored.method, stored.crc32, stored.uncompressedSize, std::string(stored.data), part});
}

}  // namespace plenwick::word::engine
