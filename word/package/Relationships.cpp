#include "word/package/Relationships.h"

#include "word/package/PackageErrors.h"
#include "word/package/SafeXml.h"

namespace plenwick::word::package {
namespace {

constexpr const char* kNamespace = "http://schemas.openxmlformats.org/package/2006/relationships";

std::string_view LocalName(const pugi::xml_node& n) {
  std::string_view name = n.name();
  const std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// "rId12" -> 12, so fresh ids never collide with numbered ones already there.
unsigned long NumberOf(std::string_view id) {
  if (!id.starts_with("rId")) return 0;
  unsigned long n = 0;
  for (char c : id.substr(3)) {
    if (c < '0' || c > '9' || n > 100000000ul) return 0;
    n = n * 10 + static_cast<unsigned long>(c - '0');
  }
  return n;
}

}  // namespace

Result<Relationships> Relationships::Parse(std::string_view xml, std::string_view partName) {
  pugi::xml_document doc;
  if (Status s = LoadXml(doc, xml, partName); !s) return s.error();
  const pugi::xml_node root = doc.document_element();
  if (LocalName(root) != "Relationships") {
    return Damaged("no relationships in " + std::string(partName));
  }
  Relationships rels;
  for (pugi::xml_node n : root.children()) {
    if (LocalName(n) != "Relationship") continue;
    Relationship r;
    r.id = n.attribute("Id").value();
    r.type = n.attribute("Type").value();
    r.target = n.attribute("Target").value();
    r.external = std::string_view(n.attribute("TargetMode").value()) == "External";
    if (r.id.empty() || r.type.empty()) {
      return Damaged("incomplete relationship in " + std::string(partName));
    }
    if (!rels.AddWithId(std::move(r))) {
      return Damaged("duplicate relationship id " + std::string(n.attribute("Id").value()) +
                     " in " + std::string(partName));
    }
  }
  return rels;
}

const Relationship* Relationships::FindId(std::string_view id) const {
  for (const Relationship& r : items_) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

const Relationship* Relationships::FindType(std::string_view type) const {
  for (const Relationship& r : items_) {
    if (r.type == type) return &r;
  }
  return nullptr;
}

std::string Relationships::Add(std::string_view type, std::string_view target, bool external) {
  std::string id;
  do {
    id = "rId" + std::to_string(nextId_++);
  } while (FindId(id));
  items_.push_back({id, std::string(type), std::string(target), external});
  return id;
}

bool Relationships::AddWithId(Relationship rel) {
  if (FindId(rel.id)) return false;
  nextId_ = std::max(nextId_, NumberOf(rel.id) + 1);
  items_.push_back(std::move(rel));
  return true;
}

std::string Relationships::Serialize() const {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Relationships");
  root.append_attribute("xmlns") = kNamespace;
  for (const Relationship& r : items_) {
    pugi::xml_node n = root.append_child("Relationship");
    n.append_attribute("Id") = r.id.c_str();
    n.append_attribute("Type") = r.type.c_str();
    n.append_attribute("Target") = r.target.c_str();
    if (r.external) n.append_attribute("TargetMode") = "External";
  }
  return SaveXml(doc);
}

}  // namespace plenwick::word::package
