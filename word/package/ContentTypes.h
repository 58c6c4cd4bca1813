// The package's [Content_Types].xml: the content type of each part, by extension (Default) or
// by name (Override).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"

namespace plenwick::word::package {

// Whether text is a media type as the content types part requires: "type/subtype", optionally
// with parameters ("; name=value").
bool IsMediaType(std::string_view text);
// The media type a part's extension usually has, for a part whose declared type is none: the
// common pictures' types, else "application/octet-stream".
std::string MediaTypeByExtension(std::string_view partName);

class ContentTypes {
 public:
  struct Default {
    std::string extension;  // lower case, no dot
    std::string contentType;
  };
  struct Override {
    std::string partName;  // absolute: "/word/document.xml"
    std::string contentType;
  };

  static Result<ContentTypes> Parse(std::string_view xml);

  // The content type of a part (absolute name; a ZIP entry name works too): its Override, else
  // the Default of its extension, else "".
  std::string Find(std::string_view partName) const;
  bool HasDefault(std::string_view extension) const;
  // Adds or replaces. Extensions and part names compare case-insensitively.
  void SetDefault(std::string_view extension, std::string_view contentType);
  void SetOverride(std::string_view partName, std::string_view contentType);
  void RemoveOverride(std::string_view partName);

  const std::vector<Default>& Defaults() const { return defaults_; }
  const std::vector<Override>& Overrides() const { return overrides_; }

  std::string Serialize() const;

 private:
  std::vector<Default> defaults_;
  std::vector<Override> overrides_;
};

}  // namespace plenwick::word::package
