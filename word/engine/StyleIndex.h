// A styles part's styles by id, its default styles, and the last few such indexes by the parsed
// part they were made from: a template's styles part holds about a thousand styles, and indexing
// them again for every document of the template took a tenth of a join's time.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "word/engine/RecentlyUsed.h"

namespace plenwick::word::engine {

struct StyleIndex {
  // Views into the parsed part, which whoever holds the index keeps alive.
  std::unordered_map<std::string_view, pugi::xml_node> byId;  // the first style of each id
  std::map<std::string, std::string> sourceDefaults;          // style type -> its default id
  std::vector<pugi::xml_node> defaults;                       // default styles, in order
};

class StyleIndexes {
 public:
  explicit StyleIndexes(std::size_t capacity) : known_(capacity) {}
  // The index of the w:styles root of part, made now or earlier for the same parsed part.
  std::shared_ptr<const StyleIndex> For(const std::shared_ptr<pugi::xml_document>& part,
                                        pugi::xml_node root);

 private:
  // The parsed part is held with its index, so no other part can take its address meanwhile.
  using Known = std::pair<std::shared_ptr<pugi::xml_document>, std::shared_ptr<const StyleIndex>>;
  RecentlyUsed<Known> known_;
};

}  // namespace plenwick::word::engine
