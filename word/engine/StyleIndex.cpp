#include "word/engine/StyleIndex.h"

#include <algorithm>

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
  auto known =
      std::find_if(known_.begin(), known_.end(), [&](const auto& k) { return k.first == part; });
  if (known != known_.end()) {
    std::rotate(known, known + 1, known_.end());
    return known_.back().second;
  }
  std::shared_ptr<const StyleIndex> index = Index(root);
  if (capacity_ == 0) return index;
  if (known_.size() == capacity_) known_.erase(known_.begin());
  known_.emplace_back(part, index);
  return index;
}

}  // namespace plenwick::word::engine
