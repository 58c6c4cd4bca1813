// A word-processing package being appended: its parts, their content types and relationships,
// read once and parsed once.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "word/engine/ParsedParts.h"
#include "word/engine/Xml.h"
#include "word/package/Zip.h"

namespace plenwick::word::engine {

struct Relationship {
  std::string id;
  std::string type;    // transitional form, e.g. ".../relationships/image"
  std::string kind;    // the last segment of the type: "image", "header", "comments", ...
  std::string target;  // as written
  bool external = false;
  std::string part;  // for internal targets: the absolute part name ("/word/media/a.png")
};

// What the package holds as its main part.
enum class MainKind { kDocument, kMacroDocument, kTemplate, kMacroTemplate };

class SourcePackage {
 public:
  // Reads a ZIP package and finds its main word-processing part. Fails with "not a Word
  // document" or "damaged: ..." as the package deserves.
  static Result<std::unique_ptr<SourcePackage>> FromBytes(std::string bytes);

  const std::string& mainPart() const { return mainPart_; }
  MainKind mainKind() const { return mainKind_; }
  bool strict() const { return strict_; }

  bool Has(const std::string& part) const;
  std::string ContentType(const std::string& part) const;
  // Relationships of a part ("/word/document.xml"); empty when it has none. Throws StageError.
  const std::vector<Relationship>& Rels(const std::string& part);
  const Relationship* RelById(const std::string& part, const std::string& id);
  // The first relationship of a kind ("styles", "footnotes", ...) from a part.
  const Relationship* RelOfKind(const std::string& part, std::string_view kind);

  // Inflated bytes and parsed XML of a part. Throw StageError when damaged.
  std::string Read(const std::string& part) const;
  // The stored bytes, checked; the inflated bytes pass through `seen` as they are checked.
  package::RawEntry Raw(const std::string& part,
                        const std::function<void(std::string_view)>& seen = {}) const;
  // The part's bytes as stored, unchecked: for telling it identical to a part read before.
  package::ZipReader::Stored Stored(const std::string& part) const;
  XmlPart& Xml(const std::string& part);
  // The same, taken from `shared` when it holds a part parsed from the very same bytes; a part
  // parsed here is added to it. The parsed part is shared: it must not be changed.
  XmlPart& Xml(const std::string& part, ParsedParts& shared);

 private:
  SourcePackage() = default;
  package::ZipReader* zip_ = nullptr;
  std::unique_ptr<package::ZipReader> zipOwner_;
  std::map<std::string, std::string> defaults_;   // extension (lower) -> content type
  std::map<std::string, std::string> overrides_;  // folded part name -> content type
  std::map<std::string, std::string> entries_;    // folded part name -> ZIP entry name
  std::map<std::string, std::vector<Relationship>> rels_;
  std::map<std::string, XmlPart> xml_;
  std::string mainPart_;
  MainKind mainKind_ = MainKind::kDocument;
  bool strict_ = false;
};

// A failure while preparing an append; caught at the engine's boundary and turned into a Status.
struct StageError {
  Error error;
};
[[noreturn]] void ThrowDamaged(const std::string& what);

}  // namespace plenwick::word::engine
