// Reads a compiled resource file (.res, as windres -O res writes it) and the version record in it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plenwick::restest {

using Bytes = std::vector<std::uint8_t>;

struct Resource {
  std::uint16_t type = 0;  // numeric types only: the program uses no named ones
  std::uint16_t id = 0;
  std::uint16_t language = 0;
  Bytes data;
};

// Every resource of the file, in file order; nullopt when the file is not a well-formed .res.
std::optional<std::vector<Resource>> ReadResFile(const Bytes& file);

struct VersionRecord {
  std::uint32_t signature = 0;
  std::uint32_t fileVersionMs = 0, fileVersionLs = 0;
  std::uint32_t productVersionMs = 0, productVersionLs = 0;
  std::uint32_t fileFlagsMask = 0, fileFlags = 0, fileOs = 0, fileType = 0, fileSubtype = 0;
  std::string stringTable;                    // the key of the one string table, e.g. "040904B0"
  std::map<std::string, std::string> values;  // its strings
  std::vector<std::uint16_t> translation;     // the VarFileInfo "Translation" words
};

// Parses a VS_VERSIONINFO block; nullopt when it is malformed.
std::optional<VersionRecord> ReadVersionRecord(const Bytes& data);

std::uint16_t Word16(const Bytes& b, std::size_t at);
std::uint32_t Word32(const Bytes& b, std::size_t at);

}  // namespace plenwick::restest
