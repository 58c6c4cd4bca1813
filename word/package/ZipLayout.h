// The records a package is written as: local headers with exact sizes (no data descriptors),
// the central directory and its end record. Internal to the package layer.
#pragma once

#include <cstdint>
#include <string>

#include "base/Result.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {

// Whether an entry can be written without ZIP64 at the given offset.
Status CheckFits(const RawEntry& entry, std::uint64_t offset);

std::uint64_t LocalHeaderSize(const RawEntry& entry);
void AppendLocalHeader(std::string& out, const RawEntry& entry);
void AppendCentralHeader(std::string& out, const RawEntry& entry, std::uint64_t offset);
// Fails when the count or the directory's place need ZIP64, which is not written.
Status AppendEndRecord(std::string& out, std::uint64_t entryCount, std::uint64_t cdSize,
                       std::uint64_t cdOffset);

}  // namespace plenwick::word::package
