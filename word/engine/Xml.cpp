#include "word/engine/Xml.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace plenwick::word::engine {
namespace {

// Views, not C strings: every element and attribute of every part is looked up here, and a
// comparison with a C string measures it first (a byte at a time in some C libraries).
struct KnownNamespace {
  std::string_view prefix;
  std::string_view uri;
  std::string_view strictUri;  // empty when Strict uses the same URI
  bool ignorable;              // an Office extension a reader may skip
};

constexpr std::array kKnown = {
    KnownNamespace{"wpc", "http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas", "",
                   false},
    KnownNamespace{"mc", "http://schemas.openxmlformats.org/markup-compatibility/2006", "", false},
    KnownNamespace{"o", "urn:schemas-microsoft-com:office:office", "", false},
    KnownNamespace{"r", "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
                   "http://purl.oclc.org/ooxml/officeDocument/relationships", false},
    KnownNamespace{"m", "http://schemas.openxmlformats.org/officeDocument/2006/math",
                   "http://purl.oclc.org/ooxml/officeDocument/math", false},
    KnownNamespace{"v", "urn:schemas-microsoft-com:vml", "", false},
    KnownNamespace{"wp14", "http://schemas.microsoft.com/office/word/2010/wordprocessingDrawing",
                   "", true},
    KnownNamespace{"wp", "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing",
                   "http://purl.oclc.org/ooxml/drawingml/wordprocessingDrawing", false},
    KnownNamespace{"w10", "urn:schemas-microsoft-com:office:word", "", false},
    KnownNamespace{"w", "http://schemas.openxmlformats.org/wordprocessingml/2006/main",
                   "http://purl.oclc.org/ooxml/wordprocessingml/main", false},
    KnownNamespace{"w14", "http://schemas.microsoft.com/office/word/2010/wordml", "", true},
    KnownNamespace{"w15", "http://schemas.microsoft.com/office/word/2012/wordml", "", true},
    KnownNamespace{"w16se", "http://schemas.microsoft.com/office/word/2015/wordml/symex", "", true},
    KnownNamespace{"w16cid", "http://schemas.microsoft.com/office/word/2016/wordml/cid", "", true},
    KnownNamespace{"w16", "http://schemas.microsoft.com/office/word/2018/wordml", "", true},
    KnownNamespace{"w16cex", "http://schemas.microsoft.com/office/word/2018/wordml/cex", "", true},
    KnownNamespace{"w16sdtdh", "http://schemas.microsoft.com/office/word/2020/wordml/sdtdatahash",
                   "", true},
    KnownNamespace{"wpg", "http://schemas.microsoft.com/office/word/2010/wordprocessingGroup", "",
                   false},
    KnownNamespace{"wpi", "http://schemas.microsoft.com/office/word/2010/wordprocessingInk", "",
                   false},
    KnownNamespace{"wne", "http://schemas.microsoft.com/office/word/2006/wordml", "", false},
    KnownNamespace{"wps", "http://schemas.microsoft.com/office/word/2010/wordprocessingShape", "",
                   false},
    KnownNamespace{"a", "http://schemas.openxmlformats.org/drawingml/2006/main",
                   "http://purl.oclc.org/ooxml/drawingml/main", false},
    KnownNamespace{"pic", "http://schemas.openxmlformats.org/drawingml/2006/picture",
                   "http://purl.oclc.org/ooxml/drawingml/picture", false},
    KnownNamespace{"c", "http://schemas.openxmlformats.org/drawingml/2006/chart",
                   "http://purl.oclc.org/ooxml/drawingml/chart", false},
    KnownNamespace{"dgm", "http://schemas.openxmlformats.org/drawingml/2006/diagram",
                   "http://purl.oclc.org/ooxml/drawingml/diagram", false},
    KnownNamespace{"lc", "http://schemas.openxmlformats.org/drawingml/2006/lockedCanvas",
                   "http://purl.oclc.org/ooxml/drawingml/lockedCanvas", false},
    KnownNamespace{"sl", "http://schemas.openxmlformats.org/schemaLibrary/2006/main",
                   "http://purl.oclc.org/ooxml/schemaLibrary/main", false},
    KnownNamespace{"xml", "http://www.w3.org/XML/1998/namespace", "", false},
};

// Strict URIs that appear inside copied parts without a prefix of ours (relationship types,
// spreadsheet and presentation namespaces of embedded charts).
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kStrictPrefixes = {{
    {"http://purl.oclc.org/ooxml/officeDocument/relationships/",
     "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"},
    {"http://purl.oclc.org/ooxml/spreadsheetml/main",
     "http://schemas.openxmlformats.org/spreadsheetml/2006/main"},
    {"http://purl.oclc.org/ooxml/officeDocument/sharedTypes",
     "http://schemas.openxmlformats.org/officeDocument/2006/sharedTypes"},
    {"http://purl.oclc.org/ooxml/drawingml/chartDrawing",
     "http://schemas.openxmlformats.org/drawingml/2006/chartDrawing"},
}};

const KnownNamespace* ByUri(std::string_view uri) {
  for (const auto& k : kKnown) {
    if (uri == k.uri || (!k.strictUri.empty() && uri == k.strictUri)) return &k;
  }
  return nullptr;
}

bool IsKnownPrefix(std::string_view prefix) {
  for (const auto& k : kKnown) {
    if (prefix == k.prefix) return true;
  }
  return prefix == "xmlns";
}

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

bool IsDeclaration(const char* name) {
  return std::strncmp(name, "xmlns", 5) == 0 && (name[5] == '\0' || name[5] == ':');
}

struct TransparentHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Brings every prefix of a part to ours, walking scopes so that local declarations are honoured.
// One map holds the declarations in force; an element's own declarations are undone when the walk
// leaves it, so memory follows the number of declarations, not declarations times depth.
// A part names the same few dozen elements and attributes thousands of times, nearly always under
// the root's declarations alone, so what a name maps to is remembered until the declarations in
// force change.
class Normaliser {
 public:
  explicit Normaliser(XmlPart& part) : part_(part) {}

  void Run(pugi::xml_node root, std::string_view bytes) {
    scope_["xml"] = "http://www.w3.org/XML/1998/namespace";
    if (OnlyRootToDo(root, bytes)) {
      Enter(root);
      Leave();
      return;
    }
    WalkElements(
        root,
        [this](pugi::xml_node node) {
          Enter(node);
          return true;
        },
        [this](pugi::xml_node) { Leave(); });
  }

 private:
  using Scope = std::map<std::string, std::string>;

  // A declaration to undo: the prefix and what it meant before (nullopt: it was undeclared).
  struct Shadowed {
    std::string prefix;
    std::optional<std::string> before;
  };

  // What a name becomes under the declarations in force.
  struct Mapped {
    std::string name;
    bool changed = false;
    bool prefixList = false;    // mc:Ignorable, mc:ProcessContent or mc:MustUnderstand
    bool ignorable = false;     // mc:Ignorable
    bool requiresList = false;  // Requires (a prefix list on mc:Choice)
  };
  using Memo = std::unordered_map<std::string, Mapped, TransparentHash, std::equal_to<>>;

  // The prefix this engine writes for a namespace seen under `prefix`. `stable` is cleared when
  // the answer could differ for the same prefix and URI later in the part (a name found among
  // the extra namespaces, which grow as the part is walked).
  std::string Canonical(const std::string& prefix, const std::string& uri, bool* stable) {
    if (const KnownNamespace* k = ByUri(uri)) {
      if (!k->strictUri.empty() && uri == k->strictUri) part_.strict = true;
      return std::string(k->prefix);
    }
    auto found = part_.extraNamespaces.find(prefix);
    if (!IsKnownPrefix(prefix) && !prefix.empty() &&
        (found == part_.extraNamespaces.end() || found->second == uri)) {
      part_.extraNamespaces[prefix] = uri;
      return prefix;
    }
    if (stable != nullptr) *stable = false;
    for (const auto& [p, u] : part_.extraNamespaces) {
      if (u == uri) return p;
    }
    std::string fresh = "ns" + std::to_string(part_.extraNamespaces.size() + 1);
    part_.extraNamespaces[fresh] = uri;
    return fresh;
  }

  static std::pair<std::string, std::string> Split(std::string_view name) {
    auto colon = name.find(':');
    if (colon == std::string_view::npos) return {"", std::string(name)};
    return {std::string(name.substr(0, colon)), std::string(name.substr(colon + 1))};
  }

  std::string MapName(std::string_view name, bool isAttribute, bool* stable) {
    auto [prefix, local] = Split(name);
    if (prefix.empty() && isAttribute) return std::string(name);
    auto it = scope_.find(prefix);
    if (it == scope_.end()) return std::string(name);  // undeclared: leave it as written
    if (prefix.empty()) {
      // A default namespace: elements take our prefix for it.
      std::string canon = Canonical("", it->second, stable);
      return canon + ":" + local;
    }
    std::string canon = Canonical(prefix, it->second, stable);
    if (canon == prefix) return std::string(name);
    return canon + ":" + local;
  }

  const Mapped& Lookup(std::string_view name, bool isAttribute) {
    Memo& memo = isAttribute ? attributes_ : elements_;
    if (auto hit = memo.find(name); hit != memo.end()) return hit->second;
    bool stable = true;
    Mapped m;
    m.name = MapName(name, isAttribute, &stable);
    m.changed = m.name != name;
    m.ignorable = m.name == "mc:Ignorable";
    m.prefixList = m.ignorable || m.name == "mc:ProcessContent" || m.name == "mc:MustUnderstand";
    m.requiresList = m.name == "Requires";
    if (!stable) {
      unstable_ = std::move(m);
      return unstable_;
    }
    return memo.emplace(std::string(name), std::move(m)).first->second;
  }

  std::string MapPrefixList(std::string_view value, bool collectIgnorable) {
    std::istringstream in{std::string(value)};
    std::string token;
    std::string out;
    while (in >> token) {
      std::string mapped = token;
      auto [prefix, local] = Split(token);
      std::string p = local.empty() || prefix.empty() ? token : prefix;
      auto it = scope_.find(prefix.empty() ? token : prefix);
      if (it != scope_.end()) {
        std::string canon = Canonical(p, it->second, nullptr);
        mapped = prefix.empty() ? canon : canon + ":" + local;
        if (collectIgnorable && ByUri(it->second) == nullptr) {
          if (part_.extraIgnorable.find(canon) == std::string::npos) {
            if (!part_.extraIgnorable.empty()) part_.extraIgnorable += ' ';
            part_.extraIgnorable += canon;
          }
        }
      }
      if (!out.empty()) out += ' ';
      out += mapped;
    }
    return out;
  }

  void Enter(pugi::xml_node node) {
    undoMarks_.push_back(undo_.size());
    bool declares = false;
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
      const char* raw = a.name();
      if (!IsDeclaration(raw)) continue;
      declares = true;
      std::string prefix = raw[5] == '\0' ? std::string() : std::string(raw + 6);
      auto [it, inserted] = scope_.try_emplace(prefix, a.value());
      if (inserted) {
        undo_.push_back({std::move(prefix), std::nullopt});
      } else {
        undo_.push_back({std::move(prefix), std::exchange(it->second, a.value())});
      }
    }
    if (declares) Forget();
    const Mapped& element = Lookup(node.name(), false);
    if (element.changed) node.set_name(element.name.c_str());
    const bool choice = element.name == "mc:Choice";
    for (pugi::xml_attribute a = node.first_attribute(); a;) {
      pugi::xml_attribute next = a.next_attribute();
      const char* raw = a.name();
      if (IsDeclaration(raw)) {
        if (declares) node.remove_attribute(a);
      } else {
        const Mapped& mapped = Lookup(raw, true);
        if (mapped.changed) a.set_name(mapped.name.c_str());
        if (mapped.prefixList || (mapped.requiresList && choice)) {
          std::string v = MapPrefixList(a.value(), mapped.ignorable);
          if (mapped.ignorable && node.parent().type() == pugi::node_document) {
            node.remove_attribute(a);  // the root's list is rebuilt on writing
          } else {
            a.set_value(v.c_str());
          }
        }
      }
      a = next;
    }
  }

  void Leave() {
    if (undo_.size() > undoMarks_.back()) Forget();
    // Later declarations of the same prefix on one element are undone first.
    for (std::size_t i = undo_.size(); i > undoMarks_.back(); --i) {
      Shadowed& s = undo_[i - 1];
      if (s.before) {
        scope_[s.prefix] = std::move(*s.before);
      } else {
        scope_.erase(s.prefix);
      }
    }
    undo_.resize(undoMarks_.back());
    undoMarks_.pop_back();
  }

  // Whether nothing below the root would change: the root declares only namespaces we know, under
  // our own prefixes, so every name stays as written and no extra namespace is collected; and
  // the text after the root's start tag declares no namespace and names nothing of markup
  // compatibility (mc:Ignorable, mc:ProcessContent, mc:MustUnderstand, Requires on mc:Choice),
  // the only attributes whose values are rewritten. Most parts Word and other writers produce
  // are like that; the largest, the styles, nearly always. The text is searched as UTF-8 only.
  static bool OnlyRootToDo(pugi::xml_node root, std::string_view bytes) {
    for (pugi::xml_attribute a = root.first_attribute(); a; a = a.next_attribute()) {
      const char* raw = a.name();
      if (!IsDeclaration(raw)) continue;
      if (raw[5] == '\0') return false;  // a default namespace renames unprefixed elements
      const KnownNamespace* k = ByUri(a.value());
      if (k == nullptr || k->prefix != std::string_view(raw + 6) || k->uri != a.value() ||
          k->prefix == "xml") {
        return false;
      }
    }
    if (bytes.size() < 2 || bytes[0] == '\0' || bytes[1] == '\0' ||
        static_cast<unsigned char>(bytes[0]) >= 0xFE) {
      return false;  // UTF-16 or UTF-32: not searched
    }
    // The root's start tag: the first '<' not opening a declaration, comment or instruction,
    // up to the '>' outside quoted values.
    std::size_t at = 0;
    for (;;) {
      at = bytes.find('<', at);
      if (at == std::string_view::npos || at + 1 >= bytes.size()) return false;
      if (bytes[at + 1] != '?' && bytes[at + 1] != '!') break;
      ++at;
    }
    char quote = 0;
    for (; at < bytes.size(); ++at) {
      const char c = bytes[at];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
    }
    if (at >= bytes.size()) return false;
    const std::string_view rest = bytes.substr(at);
    return rest.find("xmlns") == std::string_view::npos &&
           rest.find("mc:") == std::string_view::npos;
  }

  // The declarations in force change: names may map differently from here on.
  void Forget() {
    elements_.clear();
    attributes_.clear();
  }

  XmlPart& part_;
  Scope scope_;                         // the declarations in force at the current element
  std::vector<Shadowed> undo_;          // what each open element's declarations replaced
  std::vector<std::size_t> undoMarks_;  // where each open element's entries start in undo_
  Memo elements_, attributes_;          // names mapped under the declarations in force
  Mapped unstable_;                     // the last answer that could not be remembered
};

std::string BuildStandardDeclarations() {
  std::string out;
  for (const auto& k : kKnown) {
    if (k.prefix == "xml") continue;
    out += " xmlns:";
    out += k.prefix;
    out += "=\"";
    out += k.uri;
    out += '"';
  }
  return out;
}

}  // namespace

Result<XmlPart> ParseXmlPart(std::string_view bytes, std::string_view partName) {
  // A DOCTYPE may only come before the root element; look for it in the prolog.
  std::string_view prolog = bytes.substr(0, std::min<std::size_t>(bytes.size(), 4096));
  if (prolog.find("<!DOCTYPE") != std::string_view::npos ||
      prolog.find("<!ENTITY") != std::string_view::npos) {
    return MakeError(1003, "damaged: " + std::string(partName) + " declares a DOCTYPE");
  }
  XmlPart part;
  part.doc = std::make_shared<pugi::xml_document>();
  pugi::xml_parse_result r = part.doc->load_buffer(
      bytes.data(), bytes.size(),
      pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_doctype,
      pugi::encoding_auto);
  if (!r) {
    return MakeError(1003, "damaged: " + std::string(partName) + " is not well-formed XML (" +
                               r.description() + ")");
  }
  for (pugi::xml_node c = part.doc->first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_doctype) {
      return MakeError(1003, "damaged: " + std::string(partName) + " declares a DOCTYPE");
    }
  }
  pugi::xml_node root = part.doc->document_element();
  if (!root) return MakeError(1003, "damaged: " + std::string(partName) + " has no root element");
  Normaliser(part).Run(root, bytes);
  return part;
}

const std::string& StandardNamespaceDeclarations() {
  static const std::string decl = BuildStandardDeclarations();
  return decl;
}

const std::string& StandardIgnorable() {
  static const std::string value = [] {
    std::string v;
    for (const auto& k : kKnown) {
      if (!k.ignorable) continue;
      if (!v.empty()) v += ' ';
      v += k.prefix;
    }
    return v;
  }();
  return value;
}

void ResetRootNamespaces(pugi::xml_node root, const XmlPart& part) {
  for (pugi::xml_attribute a = root.first_attribute(); a;) {
    pugi::xml_attribute next = a.next_attribute();
    std::string_view n = a.name();
    if (n == "xmlns" || n.starts_with("xmlns:") || n == "mc:Ignorable") root.remove_attribute(a);
    a = next;
  }
  // Declarations go first, as every writer of these parts puts them.
  pugi::xml_attribute first = root.first_attribute();
  auto add = [&](const std::string& name, const std::string& value) {
    pugi::xml_attribute a = first ? root.insert_attribute_before(name.c_str(), first)
                                  : root.append_attribute(name.c_str());
    a.set_value(value.c_str());
  };
  for (const auto& k : kKnown) {
    if (k.prefix == "xml") continue;
    add("xmlns:" + std::string(k.prefix), std::string(k.uri));
  }
  for (const auto& [p, u] : part.extraNamespaces) add("xmlns:" + p, u);
  std::string ignorable = StandardIgnorable();
  if (!part.extraIgnorable.empty()) ignorable += " " + part.extraIgnorable;
  add("mc:Ignorable", ignorable);
}

void AddPieceNamespaces(pugi::xml_node top, const XmlPart& part) {
  for (const auto& [p, u] : part.extraNamespaces) {
    std::string name = "xmlns:" + p;
    if (!top.attribute(name.c_str())) top.append_attribute(name.c_str()).set_value(u.c_str());
  }
  if (!part.extraIgnorable.empty() && !top.attribute("mc:Ignorable")) {
    top.append_attribute("mc:Ignorable").set_value(part.extraIgnorable.c_str());
  }
}

std::string NodeToString(pugi::xml_node node) {
  StringWriter w;
  node.print(w, "", pugi::format_raw, pugi::encoding_utf8);
  return std::move(w.out);
}

std::string DocumentToString(const pugi::xml_document& doc) {
  StringWriter w;
  w.out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
  for (pugi::xml_node c = doc.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element) c.print(w, "", pugi::format_raw, pugi::encoding_utf8);
  }
  return std::move(w.out);
}

std::string XmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

std::string TransitionalUri(std::string_view uri) {
  if (const KnownNamespace* k = ByUri(uri)) return std::string(k->uri);
  for (const auto& [strict, transitional] : kStrictPrefixes) {
    if (uri.starts_with(strict))
      return std::string(transitional) + std::string(uri.substr(strict.size()));
  }
  return std::string(uri);
}

std::string ReplaceStrictUris(std::string text) {
  auto replaceAll = [&text](std::string_view from, std::string_view to) {
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size())) {
      text.replace(pos, from.size(), to);
    }
  };
  for (const auto& [strict, transitional] : kStrictPrefixes) replaceAll(strict, transitional);
  for (const auto& k : kKnown) {
    if (!k.strictUri.empty()) replaceAll(k.strictUri, k.uri);
  }
  return text;
}

pugi::xml_node Child(pugi::xml_node node, const char* name) {
  return node.child(name);
}

std::string_view AttrView(pugi::xml_node node, const char* name) {
  return node.attribute(name).value();
}

pugi::xml_node InsertOrdered(pugi::xml_node parent, const char* name,
                             std::span<const char* const> order) {
  auto rank = [&](std::string_view n) {
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (n == order[i]) return i;
    }
    return order.size();
  };
  std::size_t mine = rank(name);
  for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && rank(c.name()) > mine) {
      return parent.insert_child_before(name, c);
    }
  }
  return parent.append_child(name);
}

void RemoveChildren(pugi::xml_node parent, const char* name) {
  for (pugi::xml_node c = parent.child(name); c;) {
    pugi::xml_node next = c.next_sibling(name);
    parent.remove_child(c);
    c = next;
  }
}

long long Twips(pugi::xml_attribute measure, long long fallback) {
  constexpr long long kLimit = 100 * 31680;
  return std::clamp(measure ? measure.as_llong(fallback) : fallback, -kLimit, kLimit);
}

bool IsOn(pugi::xml_attribute onOff) {
  std::string_view v = onOff.value();
  return v == "1" || v == "true" || v == "on";
}

bool IsOn(pugi::xml_node onOff) {
  if (!onOff) return false;
  pugi::xml_attribute val = onOff.attribute("w:val");
  return !val || *val.value() == '\0' || IsOn(val);
}

pugi::xml_node EnsureOrdered(pugi::xml_node parent, const char* name,
                             std::span<const char* const> order) {
  pugi::xml_node existing = parent.child(name);
  if (existing) return existing;
  return InsertOrdered(parent, name, order);
}

}  // namespace plenwick::word::engine
