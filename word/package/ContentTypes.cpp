#include "word/package/ContentTypes.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "word/package/PackageErrors.h"
#include "word/package/PartNames.h"
#include "word/package/SafeXml.h"

namespace plenwick::word::package {
namespace {

constexpr const char* kNamespace = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr std::string_view kPartName = "/[Content_Types].xml";

std::string Absolute(std::string_view name) {
  return name.starts_with('/') ? std::string(name) : "/" + std::string(name);
}

// Element names without their prefix: some writers use one.
std::string_view LocalName(const pugi::xml_node& n) {
  std::string_view name = n.name();
  const std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// A token of RFC 2616: printable ASCII but separators.
std::size_t TokenLength(std::string_view text) {
  constexpr std::string_view kSeparators = "()<>@,;:\\\"/[]?={} \t";
  std::size_t n = 0;
  while (n < text.size()) {
    const auto c = static_cast<unsigned char>(text[n]);
    if (c <= 0x20 || c >= 0x7F || kSeparators.find(text[n]) != std::string_view::npos) break;
    ++n;
  }
  return n;
}

void SkipSpaces(std::string_view& text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
}

// Takes a token off the front of text; false when there is none.
bool TakeToken(std::string_view& text) {
  const std::size_t n = TokenLength(text);
  text.remove_prefix(n);
  return n > 0;
}

}  // namespace

Result<ContentTypes> ContentTypes::Parse(std::string_view xml) {
  pugi::xml_document doc;
  if (Status s = LoadXml(doc, xml, kPartName); !s) return s.error();
  const pugi::xml_node root = doc.document_element();
  if (LocalName(root) != "Types") return Damaged("no content types in [Content_Types].xml");
  ContentTypes types;
  for (pugi::xml_node n : root.children()) {
    const std::string_view kind = LocalName(n);
    const std::string_view type = n.attribute("ContentType").value();
    if (kind == "Default") {
      std::string_view ext = n.attribute("Extension").value();
      if (ext.starts_with('.')) ext.remove_prefix(1);
      if (ext.empty() || type.empty()) return Damaged("incomplete Default in [Content_Types].xml");
      if (!types.HasDefault(ext)) types.defaults_.push_back({FoldCase(ext), std::string(type)});
    } else if (kind == "Override") {
      const std::string_view part = n.attribute("PartName").value();
      if (part.empty() || type.empty()) {
        return Damaged("incomplete Override in [Content_Types].xml");
      }
      types.SetOverride(part, type);
    }
  }
  return types;
}

bool IsMediaType(std::string_view text) {
  if (!TakeToken(text) || text.empty() || text.front() != '/') return false;
  text.remove_prefix(1);
  if (!TakeToken(text)) return false;
  for (;;) {
    SkipSpaces(text);
    if (text.empty()) return true;
    if (text.front() != ';') return false;
    text.remove_prefix(1);
    SkipSpaces(text);
    if (!TakeToken(text) || text.empty() || text.front() != '=') return false;
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '"') {
      const std::size_t close = text.find('"', 1);
      if (close == std::string_view::npos) return false;
      text.remove_prefix(close + 1);
    } else if (!TakeToken(text)) {
      return false;
    }
  }
}

std::string MediaTypeByExtension(std::string_view partName) {
  const std::string extension = ExtensionOf(partName);
  static constexpr std::pair<std::string_view, std::string_view> kKnown[] = {
      {"png", "image/png"},    {"jpg", "image/jpeg"},     {"jpeg", "image/jpeg"},
      {"jpe", "image/jpeg"},   {"gif", "image/gif"},      {"bmp", "image/bmp"},
      {"tif", "image/tiff"},   {"tiff", "image/tiff"},    {"emf", "image/x-emf"},
      {"wmf", "image/x-wmf"},  {"svg", "image/svg+xml"},  {"webp", "image/webp"},
      {"ico", "image/x-icon"}, {"xml", "application/xml"}};
  for (const auto& [known, type] : kKnown) {
    if (extension == known) return std::string(type);
  }
  return "application/octet-stream";
}

std::string ContentTypes::Find(std::string_view partName) const {
  const std::string name = Absolute(partName);
  for (const Override& o : overrides_) {
    if (SameName(o.partName, name)) return o.contentType;
  }
  const std::string ext = ExtensionOf(name);
  for (const Default& d : defaults_) {
    if (d.extension == ext) return d.contentType;
  }
  return "";
}

bool ContentTypes::HasDefault(std::string_view extension) const {
  const std::string ext = FoldCase(extension);
  return std::any_of(defaults_.begin(), defaults_.end(),
                     [&](const Default& d) { return d.extension == ext; });
}

void ContentTypes::SetDefault(std::string_view extension, std::string_view contentType) {
  const std::string ext = FoldCase(extension);
  for (Default& d : defaults_) {
    if (d.extension == ext) {
      d.contentType = contentType;
      return;
    }
  }
  defaults_.push_back({ext, std::string(contentType)});
}

void ContentTypes::SetOverride(std::string_view partName, std::string_view contentType) {
  const std::string name = Absolute(partName);
  for (Override& o : overrides_) {
    if (SameName(o.partName, name)) {
      o.contentType = contentType;
      return;
    }
  }
  overrides_.push_back({name, std::string(contentType)});
}

void ContentTypes::RemoveOverride(std::string_view partName) {
  const std::string name = Absolute(partName);
  std::erase_if(overrides_, [&](const Override& o) { return SameName(o.partName, name); });
}

std::string ContentTypes::Serialize() const {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Types");
  root.append_attribute("xmlns") = kNamespace;
  for (const Default& d : defaults_) {
    pugi::xml_node n = root.append_child("Default");
    n.append_attribute("Extension") = d.extension.c_str();
    n.append_attribute("ContentType") = d.contentType.c_str();
  }
  for (const Override& o : overrides_) {
    pugi::xml_node n = root.append_child("Override");
    n.append_attribute("PartName") = o.partName.c_str();
    n.append_attribute("ContentType") = o.contentType.c_str();
  }
  return SaveXml(doc);
}

}  // namespace plenwick::word::package
