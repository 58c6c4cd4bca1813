#include "word/package/FixedAside.h"

#include <algorithm>

namespace plenwick::word::package {

void FixedAside::Added(std::vector<RawEntry>& fixed, const std::string& folder) {
  held_ += fixed.back().data->size();
  if (held_ <= kHeldLimit) return;
  // Down to half the limit at once, so parts do not go one at a time with every one added.
  std::size_t count = at_.size();
  for (std::uint64_t held = held_; held > kHeldLimit / 2 && count < fixed.size(); ++count) {
    held -= fixed[count].data->size();
  }
  SetAside(fixed, count, folder);
}

void FixedAside::Saved(std::vector<RawEntry>& fixed, std::size_t fixedCount,
                       const std::string& folder) {
  SetAside(fixed, std::min(lastSaved_, fixedCount), folder);
  lastSaved_ = fixedCount;
}

void FixedAside::SetAside(std::vector<RawEntry>& fixed, std::size_t count,
                          const std::string& folder) {
  while (at_.size() < count && !unavailable_) {
    if (!file_) {
      file_ = AsideFile::Create(folder);
      if (!file_) {
        unavailable_ = true;
        return;
      }
    }
    RawEntry& e = fixed[at_.size()];
    if (!file_->WriteAt(size_, *e.data)) {
      unavailable_ = true;  // a full disk: what is held stays held
      return;
    }
    at_.push_back(size_);
    size_ += e.data->size();
    held_ -= e.data->size();
    e.data.reset();
  }
}

bool FixedAside::Bytes(const std::vector<RawEntry>& fixed, std::size_t i,
                       std::string& bytes) const {
  if (fixed[i].data) {
    bytes = *fixed[i].data;
    return true;
  }
  if (i >= at_.size() || !file_) return false;
  bytes.resize(static_cast<std::size_t>(fixed[i].compressedSize));
  return file_->ReadAt(at_[i], bytes);
}

bool FixedAside::Same(const std::vector<RawEntry>& fixed, std::size_t i,
                      const std::string& bytes) const {
  if (fixed[i].data) return *fixed[i].data == bytes;
  std::string had;
  return Bytes(fixed, i, had) && had == bytes;
}

}  // namespace plenwick::word::package
