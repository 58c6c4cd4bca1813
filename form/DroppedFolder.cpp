#include "form/DroppedFolder.h"

namespace plenwick::form {

std::optional<std::string> DroppedFolder(std::span<const std::string> items,
                                         const std::function<bool(const std::string&)>& isFolder) {
  for (const std::string& item : items) {
    if (!item.empty() && isFolder(item)) return item;
  }
  return std::nullopt;
}

}  // namespace plenwick::form
