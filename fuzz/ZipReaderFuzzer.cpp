// Feeds arbitrary bytes to the package reader and the OPC parsers: every entry is read and
// copied raw, content types and relationships are parsed, every internal target is resolved,
// and a resolved part name must survive the trip back through a relative target.
#include <cstddef>
#include <cstdint>
#include <string>

#include "word/package/Opc.h"
#include "word/package/Zip.h"

using namespace plenwick;
using namespace plenwick::word::package;

namespace {

void CheckRelationships(const std::string& relsName, const std::string& xml) {
  Result<Relationships> rels = Relationships::Parse(xml, relsName);
  if (!rels) return;
  const std::string source = SourceOfRelsPart(PartNameFromZip(relsName));
  for (const Relationship& r : rels->Items()) {
    if (r.external) continue;
    Result<std::string> part = ResolveTarget(source, r.target);
    if (!part) continue;
    // A resolved name never leaves the package, and the relative target written for it
    // leads back to it.
    if (!IsSafeZipName(ZipNameFromPart(*part))) continue;  // e.g. a segment with ':' first
    Result<std::string> again = ResolveTarget(source, RelativeTarget(source, *part));
    if (!again || *again != *part) __builtin_trap();
  }
  (void)Relationships::Parse(rels->Serialize(), relsName);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Smaller limits than the program's keep each run fast; the checks are the same.
  ReadLimits limits;
  limits.maxEntrySize = 16u << 20;
  limits.maxTotalSize = 64u << 20;
  Result<ZipReader> zip =
      ZipReader::FromBytes(std::string(reinterpret_cast<const char*>(data), size), limits);
  if (!zip) return 0;
  for (const std::string& name : zip->Names()) {
    Result<std::string> bytes = zip->Read(name);
    Result<RawEntry> raw = zip->Raw(name);
    if (bytes.ok() != raw.ok()) __builtin_trap();
    if (!bytes) continue;
    if (raw->uncompressedSize != bytes->size()) __builtin_trap();
    if (SameName(name, "[Content_Types].xml")) {
      Result<ContentTypes> types = ContentTypes::Parse(*bytes);
      if (types) {
        for (const std::string& other : zip->Names()) (void)types->Find(PartNameFromZip(other));
        (void)ContentTypes::Parse(types->Serialize());
      }
    } else if (ExtensionOf(name) == "rels") {
      CheckRelationships(name, *bytes);
    } else if (ExtensionOf(name) == "xml") {
      pugi::xml_document doc;
      (void)LoadXml(doc, *bytes, name);
    }
  }
  return 0;
}
