// The parts a package writer writes once and then keeps (pictures, headers, anything that does not
// change after it is added): in the order saves write them, with where each starts, their
// central headers and, out of memory, their bytes. Both platforms' writers keep their fixed parts
// in one. Internal to the package layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "word/package/FixedAside.h"
#include "word/package/SaveSlots.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {

struct FixedParts {
  // In the order they are written, with the offset of each local header from the start of their
  // region; offsets.back() is where the region ends.
  std::vector<RawEntry> entries;
  std::vector<std::uint64_t> offsets{0};
  std::unordered_map<std::string, std::size_t> names;  // folded name -> index in entries
  FixedDirectory directory;  // their central headers, kept for the bases they were built for
  FixedAside aside;          // their bytes out of memory

  // As PackageWriter::AddFixed; folder is where the output goes ("" before the first save).
  bool Add(RawEntry entry, const std::string& folder);
  bool Has(std::string_view name) const;
  // What WriteRest needs of them, their bytes read back from the aside when not held.
  FixedEntries ForWriting();
};

// A save's changing entries: those that get a slot at the front of the file, and the rest.
struct SortedChanges {
  std::vector<const RawEntry*> growing;
  std::vector<const RawEntry*> plain;
};

// Fails when a name repeats, among the changing entries or with a fixed part, or an entry lacks
// its data; `path` names the save in the message.
Result<SortedChanges> SortChanges(const std::vector<RawEntry>& changing, const FixedParts& fixed,
                                  const std::string& path);

// Fails when the save laid out so would need ZIP64; otherwise gives where its central directory
// starts.
Result<std::uint64_t> CheckSaveFits(const Layout& layout, const SortedChanges& changes,
                                    const FixedParts& fixed);

}  // namespace plenwick::word::package
