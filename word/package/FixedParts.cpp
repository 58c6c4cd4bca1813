#include "word/package/FixedParts.h"

#include <unordered_set>
#include <utility>

#include "word/package/PackageErrors.h"
#include "word/package/PartNames.h"
#include "word/package/ZipLayout.h"

namespace plenwick::word::package {

bool FixedParts::Add(RawEntry entry, const std::string& folder) {
  if (!entry.data || entry.data->size() != entry.compressedSize) return false;
  const auto [it, added] = names.emplace(FoldCase(entry.name), entries.size());
  if (!added) {
    // The same part again is no conflict; another part under the same name is.
    const RawEntry& had = entries[it->second];
    return had.crc32 == entry.crc32 && had.uncompressedSize == entry.uncompressedSize &&
           had.name == entry.name && aside.Same(entries, it->second, *entry.data);
  }
  offsets.push_back(offsets.back() + LocalHeaderSize(entry) + entry.compressedSize);
  entries.push_back(std::move(entry));
  aside.Added(entries, folder);
  return true;
}

bool FixedParts::Has(std::string_view name) const {
  return names.contains(FoldCase(name));
}

FixedEntries FixedParts::ForWriting() {
  return FixedEntries{entries, offsets, directory, [this](std::size_t i, std::string& bytes) {
                        return aside.Bytes(entries, i, bytes);
                      }};
}

Result<SortedChanges> SortChanges(const std::vector<RawEntry>& changing, const FixedParts& fixed,
                                  const std::string& path) {
  SortedChanges sorted;
  std::unordered_set<std::string> seen;
  for (const RawEntry& e : changing) {
    const std::string folded = FoldCase(e.name);
    if (fixed.names.contains(folded) || !seen.insert(folded).second) {
      return MakeError(pkgc::kInvalidState,
                       "cannot save " + path + ": part " + e.name + " given twice");
    }
    if (!e.data || e.data->size() != e.compressedSize) {
      return MakeError(pkgc::kInvalidState,
                       "cannot save " + path + ": part " + e.name + " has no data");
    }
    (IsGrowing(e) ? sorted.growing : sorted.plain).push_back(&e);
  }
  return sorted;
}

Result<std::uint64_t> CheckSaveFits(const Layout& layout, const SortedChanges& changes,
                                    const FixedParts& fixed) {
  std::uint64_t offset = 0;
  for (std::size_t i = 0; i < layout.slots.size(); ++i) {
    if (Status s = CheckFits(SlotHeader(layout.slots[i], *changes.growing[i]), offset); !s) {
      return s.error();
    }
    offset += layout.slots[i].Size();
  }
  const std::vector<std::uint64_t>& offsets = fixed.offsets;
  if (!fixed.entries.empty()) {
    if (Status s = CheckFits(fixed.entries.back(), offset + offsets[offsets.size() - 2]); !s) {
      return s.error();
    }
  }
  offset += offsets.back();
  for (const RawEntry* e : changes.plain) {
    if (Status s = CheckFits(*e, offset); !s) return s.error();
    offset += LocalHeaderSize(*e) + e->compressedSize;
  }
  return offset;
}

}  // namespace plenwick::word::package
