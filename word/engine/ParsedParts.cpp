#include "word/engine/ParsedParts.h"

#include <algorithm>

namespace plenwick::word::engine {

const XmlPart* ParsedParts::Find(const package::ZipReader::Stored& stored) {
  for (Memo& m : memos_) {
    if (m.crc32 == stored.crc32 && m.uncompressedSize == stored.uncompressedSize &&
        m.method == stored.method && m.data == stored.data) {
      m.used = ++clock_;
      return &m.part;
    }
  }
  return nullptr;
}

void ParsedParts::Remember(const package::ZipReader::Stored& stored, const XmlPart& part) {
  if (capacity_ == 0) return;
  Memo* slot = nullptr;
  if (memos_.size() < capacity_) {
    slot = &memos_.emplace_back();
  } else {
    slot = &*std::min_element(memos_.begin(), memos_.end(),
                              [](const Memo& a, const Memo& b) { return a.used < b.used; });
  }
  *slot = Memo{stored.method, stored.crc32, stored.uncompressedSize, std::string(stored.data),
               part,          ++clock_};
}

}  // namespace plenwick::word::engine
