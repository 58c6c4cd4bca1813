#include "word/engine/StyleIndex.h"

namespace plenwick::word::engine {
namespace {

std::shared_ptr<const StyleIndex> Index(pugi::xml_node root) {
  auto index = std::make_shared<StyleIndex>();
  for (pugi::xml_node s : root.children("w:style")) {
    const char* id = s.attribute("w:styleId").value();
    index->byId.emplace(id, s);
    if (s.attribute("w:default").as_bool()) {
      index->sourceDefaults.emplace(s.attribute("w:type").value(), id);
      index->defaults.push_back(s);
    }
  }
  return index;
}

}  // namespace

std::shared_ptr<const StyleIndex> StyleIndexes::For(const std::shared_ptr<pugi::xml_document>& part,
                                                    pugi::xml_node root) {
  if (const Known* known = known_.Find([&](const Known& k) { return k.first == part; })) {
    return known->second;
  }
  std::shared_ptr<const StyleIndex> index = Index(root);
  known_.Add(Known{part, index});
  return index;
}

}  // namespace plenwick::word::engine
