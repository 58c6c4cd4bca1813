// Which of the collected documents go into a join, and in which order: plenwick-join's
// --exclude and --order. The window always joins every document in walk order.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick::join {

enum class DocumentOrder {
  kWalk,      // the walk's: the source's own files, then each subfolder, level by level
  kName,      // by path relative to the source, in natural order
  kModified,  // by modification time, oldest first
};

struct DocumentChoice {
  std::vector<std::string> exclude;  // shell wildcards on the path relative to the source
  DocumentOrder order = DocumentOrder::kWalk;
};

// A file's modification time as a number that orders times (none when it cannot be read).
using ModifiedTime = std::function<std::optional<std::int64_t>(const std::string& path)>;

// The path of a document below source (which ends in its separator), with '/' between names.
std::string RelativeToSource(std::string_view document, std::string_view source);

// documents (full paths, in walk order) less the excluded ones, in the chosen order. Ties keep
// walk order; documents whose time cannot be read come last.
std::vector<std::string_view> ChooseDocuments(std::vector<std::string_view> documents,
                                              const std::string& source,
                                              const DocumentChoice& choice,
                                              const ModifiedTime& modified);

// The file system's modification times.
std::optional<std::int64_t> FileModifiedTime(const std::string& path);

}  // namespace plenwick::join
