// Loading and writing the XML parts of a package. Parts written by other programs are read
// defensively (no DOCTYPE, no entities) and their namespace prefixes are brought to the ones this
// engine writes, so every later step can name elements as "w:p", "r:id", whatever the source chose.
#pragma once

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "base/Result.h"

namespace plenwick::word::engine {

struct XmlPart {
  std::shared_ptr<pugi::xml_document> doc;
  // Namespaces this part uses that have no fixed prefix of ours: prefix -> URI.
  std::map<std::string, std::string> extraNamespaces;
  // Prefixes the source declared ignorable beyond the Office extensions we declare ourselves.
  std::string extraIgnorable;
  bool strict = false;  // the part used ISO Strict namespaces (now mapped to transitional ones)
};

// Parses a part; fails for malformed XML and for any DOCTYPE (the door to entity attacks).
Result<XmlPart> ParseXmlPart(std::string_view bytes, std::string_view partName);

// The declarations every part we write carries on its root.
const std::string& StandardNamespaceDeclarations();
// mc:Ignorable value matching StandardNamespaceDeclarations.
const std::string& StandardIgnorable();

// Replaces the root's namespace declarations with the standard ones plus the part's extras.
void ResetRootNamespaces(pugi::xml_node root, const XmlPart& part);
// Puts the declarations a detached piece of the part needs onto its top element.
void AddPieceNamespaces(pugi::xml_node top, const XmlPart& part);

// Serialises a node with no formatting; the document form adds the XML declaration.
std::string NodeToString(pugi::xml_node node);
std::string DocumentToString(const pugi::xml_document& doc);

// Escapes text for an attribute value or character data.
std::string XmlEscape(std::string_view text);

// Maps an ISO Strict namespace or relationship-type URI to its transitional form (unchanged if
// it is not a Strict one).
std::string TransitionalUri(std::string_view uri);
// Rewrites every Strict namespace URI inside a serialised part.
std::string ReplaceStrictUris(std::string text);

// Small helpers over pugixml.
pugi::xml_node Child(pugi::xml_node node, const char* name);
std::string_view AttrView(pugi::xml_node node, const char* name);
// Inserts `name` as a child of `parent` at the place a schema order list gives it. `order` lists
// child names in schema order; names not in it count as belonging at the end.
pugi::xml_node InsertOrdered(pugi::xml_node parent, const char* name,
                             std::span<const char* const> order);

// Removes every child element of that name, in one pass (a hostile part may repeat one many
// thousand times among as many others).
void RemoveChildren(pugi::xml_node parent, const char* name);
// OOXML on/off values: an attribute is on when it says "1", "true" or "on"; an element is on
// when present with no (or an empty) value or an on value.
bool IsOn(pugi::xml_attribute onOff);
bool IsOn(pugi::xml_node onOff);
// A length or position in twentieths of a point, as the engine reckons with it. Word refuses
// more than 31,680 (22 inches); values are held within a hundred times that, where sums and
// differences of a few of them cannot overflow, whatever a broken file says.
long long Twips(pugi::xml_attribute measure, long long fallback);
// Visits `root` and then the elements below it in document order. Parts can nest elements tens
// of thousands deep in a few hundred bytes, so this keeps its own stack of one node per level
// instead of recursing. `enter(node)` returns whether to go into the node's children; it returns
// false for a node it removed, as the next sibling is taken before a node is entered. `leave(node)`
// runs after the children of every node entered with true.
template <class Enter, class Leave>
void WalkElements(pugi::xml_node root, Enter&& enter, Leave&& leave) {
  if (!enter(root)) return;
  std::vector<std::pair<pugi::xml_node, pugi::xml_node>> open;  // (node, next child to visit)
  open.emplace_back(root, root.first_child());
  while (!open.empty()) {
    pugi::xml_node child = open.back().second;
    while (child && child.type() != pugi::node_element) child = child.next_sibling();
    if (!child) {
      pugi::xml_node done = open.back().first;
      open.pop_back();
      leave(done);
      continue;
    }
    open.back().second = child.next_sibling();
    if (enter(child)) open.emplace_back(child, child.first_child());
  }
}

template <class Enter>
void WalkElements(pugi::xml_node root, Enter&& enter) {
  WalkElements(root, std::forward<Enter>(enter), [](pugi::xml_node) {});
}

// Returns the existing child or inserts it in schema order.
pugi::xml_node EnsureOrdered(pugi::xml_node parent, const char* name,
                             std::span<const char* const> order);

}  // namespace plenwick::word::engine
