#include "word/engine/FieldWalk.h"

#include <cctype>

namespace plenwick::word::engine {

std::optional<FieldWalk::Field> FieldWalk::Take(pugi::xml_node element, std::size_t tag) {
  const std::string_view name = element.name();
  if (name == "w:instrText") {
    if (!open_.empty() && !open_.back().separated) open_.back().code += element.text().get();
    return std::nullopt;
  }
  if (name != "w:fldChar") return std::nullopt;
  const std::string_view type = element.attribute("w:fldCharType").value();
  if (type == "begin") {
    open_.push_back(Field{{}, false, tag});
  } else if (type == "separate" && !open_.empty() && !open_.back().separated) {
    open_.back().separated = true;
    return open_.back();
  } else if (type == "end" && !open_.empty()) {
    std::optional<Field> completed;
    if (!open_.back().separated) completed = open_.back();
    open_.pop_back();
    return completed;
  }
  return std::nullopt;
}

std::string FieldKind(std::string_view code) {
  const std::size_t start = code.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  std::string kind(code.substr(start, code.find_first_of(" \t", start) - start));
  for (char& c : kind) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return kind;
}

}  // namespace plenwick::word::engine
