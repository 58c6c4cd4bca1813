#include "word/engine/SourcePackage.h"

#include "word/WordApi.h"
#include "word/package/PartNames.h"

namespace plenwick::word::engine {
namespace {

std::string KindOf(std::string_view type) {
  auto slash = type.rfind('/');
  return std::string(slash == std::string_view::npos ? type : type.substr(slash + 1));
}

}  // namespace

void ThrowDamaged(const std::string& what) {
  throw StageError{MakeError(wordc::kDamaged, "damaged: " + what)};
}

Result<std::unique_ptr<SourcePackage>> SourcePackage::FromBytes(std::string bytes) {
  auto zip = package::ZipReader::FromBytes(std::move(bytes));
  if (!zip) return zip.error();
  std::unique_ptr<SourcePackage> pkg(new SourcePackage());
  pkg->zipOwner_ = std::make_unique<package::ZipReader>(std::move(*zip));
  pkg->zip_ = pkg->zipOwner_.get();
  for (const std::string& name : pkg->zip_->Names()) {
    pkg->entries_[package::FoldCase(package::PartNameFromZip(name))] = name;
  }
  try {
    if (!pkg->Has("/[Content_Types].xml")) {
      return MakeError(wordc::kNotWordDocument, "not a Word document");
    }
    XmlPart types = pkg->Xml("/[Content_Types].xml");
    for (pugi::xml_node n : types.doc->document_element().children()) {
      std::string_view local = n.name();
      if (auto c = local.find(':'); c != std::string_view::npos) local = local.substr(c + 1);
      if (local == "Default") {
        pkg->defaults_[package::FoldCase(n.attribute("Extension").value())] =
            n.attribute("ContentType").value();
      } else if (local == "Override") {
        pkg->overrides_[package::FoldCase(n.attribute("PartName").value())] =
            n.attribute("ContentType").value();
      }
    }
    const Relationship* office = pkg->RelOfKind("/", "officeDocument");
    if (office == nullptr || office->external || !pkg->Has(office->part)) {
      return MakeError(wordc::kNotWordDocument, "not a Word document");
    }
    pkg->mainPart_ = office->part;
    std::string type = pkg->ContentType(office->part);
    const std::string base = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
    const std::string macro = "application/vnd.ms-word.";
    if (type == base + "document.main+xml") {
      pkg->mainKind_ = MainKind::kDocument;
    } else if (type == base + "template.main+xml") {
      pkg->mainKind_ = MainKind::kTemplate;
    } else if (type == macro + "document.macroEnabled.main+xml") {
      pkg->mainKind_ = MainKind::kMacroDocument;
    } else if (type == macro + "template.macroEnabledTemplate.main+xml") {
      pkg->mainKind_ = MainKind::kMacroTemplate;
    } else {
      return MakeError(wordc::kNotWordDocument, "not a Word document");
    }
    XmlPart& main = pkg->Xml(pkg->mainPart_);
    pugi::xml_node root = main.doc->document_element();
    if (std::string_view(root.name()) != "w:document") {
      return MakeError(wordc::kNotWordDocument, "not a Word document");
    }
    int bodies = 0;
    for (pugi::xml_node b : root.children("w:body")) {
      (void)b;
      ++bodies;
    }
    if (bodies != 1) {
      return MakeError(wordc::kDamaged, "damaged: the main part has " + std::to_string(bodies) +
                                            " bodies instead of one");
    }
    pkg->strict_ = main.strict;
  } catch (const StageError& e) {
    return e.error;
  }
  return pkg;
}

bool SourcePackage::Has(const std::string& part) const {
  return entries_.count(package::FoldCase(part)) != 0;
}

std::string SourcePackage::ContentType(const std::string& part) const {
  auto o = overrides_.find(package::FoldCase(part));
  if (o != overrides_.end()) return o->second;
  auto d = defaults_.find(package::ExtensionOf(part));
  return d == defaults_.end() ? std::string() : d->second;
}

const std::vector<Relationship>& SourcePackage::Rels(const std::string& part) {
  auto found = rels_.find(package::FoldCase(part));
  if (found != rels_.end()) return found->second;
  std::vector<Relationship> list;
  std::string relsPart = package::RelsPartFor(part == "/" ? "" : part);
  if (Has(relsPart)) {
    XmlPart x = Xml(relsPart);
    for (pugi::xml_node n : x.doc->document_element().children()) {
      std::string_view local = n.name();
      if (auto c = local.find(':'); c != std::string_view::npos) local = local.substr(c + 1);
      if (local != "Relationship") continue;
      Relationship r;
      r.id = n.attribute("Id").value();
      r.type = TransitionalUri(n.attribute("Type").value());
      r.kind = KindOf(r.type);
      r.target = n.attribute("Target").value();
      r.external = std::string_view(n.attribute("TargetMode").value()) == "External";
      if (!r.external) {
        auto resolved = package::ResolveTarget(part == "/" ? "/" : part, r.target);
        if (resolved) r.part = *resolved;
        // A target that leaves the package stays unresolved: nothing will be copied for it.
      }
      list.push_back(std::move(r));
    }
  }
  return rels_.emplace(package::FoldCase(part), std::move(list)).first->second;
}

const Relationship* SourcePackage::RelById(const std::string& part, const std::string& id) {
  for (const Relationship& r : Rels(part)) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

const Relationship* SourcePackage::RelOfKind(const std::string& part, std::string_view kind) {
  for (const Relationship& r : Rels(part)) {
    if (r.kind == kind) return &r;
  }
  return nullptr;
}

std::string SourcePackage::Read(const std::string& part) const {
  auto e = entries_.find(package::FoldCase(part));
  if (e == entries_.end()) ThrowDamaged(part.substr(1) + " is missing");
  auto bytes = zip_->Read(e->second);
  if (!bytes) throw StageError{bytes.error()};
  return std::move(*bytes);
}

package::RawEntry SourcePackage::Raw(const std::string& part,
                                     const std::function<void(std::string_view)>& seen) const {
  auto e = entries_.find(package::FoldCase(part));
  if (e == entries_.end()) ThrowDamaged(part.substr(1) + " is missing");
  auto raw = zip_->Raw(e->second, seen);
  if (!raw) throw StageError{raw.error()};
  return std::move(*raw);
}

XmlPart& SourcePackage::Xml(const std::string& part) {
  auto found = xml_.find(package::FoldCase(part));
  if (found != xml_.end()) return found->second;
  std::string bytes = Read(part);
  auto parsed = ParseXmlPart(bytes, part.substr(1));
  if (!parsed) throw StageError{parsed.error()};
  return xml_.emplace(package::FoldCase(part), std::move(*parsed)).first->second;
}

package::ZipReader::Stored SourcePackage::Stored(const std::string& part) const {
  auto e = entries_.find(package::FoldCase(part));
  if (e == entries_.end()) ThrowDamaged(part.substr(1) + " is missing");
  auto stored = zip_->StoredBytes(e->second);
  if (!stored) throw StageError{stored.error()};
  return *stored;
}

XmlPart& SourcePackage::Xml(const std::string& part, ParsedParts& shared) {
  std::string folded = package::FoldCase(part);
  auto found = xml_.find(folded);
  if (found != xml_.end()) return found->second;
  const package::ZipReader::Stored stored = Stored(part);
  if (const XmlPart* known = shared.Find(stored)) {
    return xml_.emplace(std::move(folded), *known).first->second;
  }
  XmlPart& parsed = Xml(part);
  shared.Remember(stored, parsed);
  return parsed;
}

}  // namespace plenwick::word::engine
