// A relationships part (.rels): what a part points at, by id.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"

namespace plenwick::word::package {

struct Relationship {
  std::string id;
  std::string type;
  std::string target;     // as written: relative to the source part, or absolute, or a URI
  bool external = false;  // TargetMode="External": never a part of the package
};

class Relationships {
 public:
  // partName names the .rels part in error messages.
  static Result<Relationships> Parse(std::string_view xml, std::string_view partName);

  const std::vector<Relationship>& Items() const { return items_; }
  const Relationship* FindId(std::string_view id) const;
  // The first relationship of a type (types compare exactly, as URIs do).
  const Relationship* FindType(std::string_view type) const;

  // Adds with a fresh id ("rId" and the next free number) and returns the id.
  std::string Add(std::string_view type, std::string_view target, bool external = false);
  // Adds with the given id; false (and nothing added) when the id is taken.
  bool AddWithId(Relationship rel);

  std::string Serialize() const;

 private:
  std::vector<Relationship> items_;
  unsigned long nextId_ = 1;
};

}  // namespace plenwick::word::package
