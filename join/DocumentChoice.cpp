#include "join/DocumentChoice.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/Utf8Path.h"
#include "walk/NaturalOrder.h"
#include "walk/Wildcard.h"

namespace plenwick::join {
namespace {

// Name by name, so a folder's documents stay together whatever its name's neighbours are.
int ComparePaths(std::string_view a, std::string_view b) {
  while (true) {
    const std::size_t slashA = std::min(a.find('/'), a.size());
    const std::size_t slashB = std::min(b.find('/'), b.size());
    // A folder's own files before its subfolders, as in the walk.
    const bool lastA = slashA == a.size(), lastB = slashB == b.size();
    if (lastA != lastB) return lastA ? -1 : 1;
    if (int c = walk::NaturalCompare(a.substr(0, slashA), b.substr(0, slashB)); c != 0) return c;
    if (lastA) return 0;
    a.remove_prefix(slashA + 1);
    b.remove_prefix(slashB + 1);
  }
}

}  // namespace

std::string RelativeToSource(std::string_view document, std::string_view source) {
  std::string relative(document.starts_with(source) ? document.substr(source.size()) : document);
#ifdef _WIN32
  std::replace(relative.begin(), relative.end(), '\\', '/');
#endif
  return relative;
}

std::vector<std::string_view> ChooseDocuments(std::vector<std::string_view> documents,
                                              const std::string& source,
                                              const DocumentChoice& choice,
                                              const ModifiedTime& modified) {
  // The walk's own choice, as it is: a listing or a join of a large tree copies nothing more.
  if (choice.exclude.empty() && choice.order == DocumentOrder::kWalk) return documents;
  struct Chosen {
    std::string_view path;
    std::string relative;
    std::optional<std::int64_t> time;
  };
  std::vector<Chosen> chosen;
  for (std::string_view document : documents) {
    std::string relative = RelativeToSource(document, source);
    const bool excluded = std::any_of(
        choice.exclude.begin(), choice.exclude.end(),
        [&](const std::string& pattern) { return walk::ExcludedBy(pattern, relative); });
    if (!excluded) chosen.push_back({document, std::move(relative), std::nullopt});
  }
  if (choice.order == DocumentOrder::kName) {
    std::stable_sort(chosen.begin(), chosen.end(), [](const Chosen& a, const Chosen& b) {
      return ComparePaths(a.relative, b.relative) < 0;
    });
  } else if (choice.order == DocumentOrder::kModified) {
    for (Chosen& c : chosen) c.time = modified ? modified(std::string(c.path)) : std::nullopt;
    std::stable_sort(chosen.begin(), chosen.end(), [](const Chosen& a, const Chosen& b) {
      if (a.time.has_value() != b.time.has_value()) return a.time.has_value();
      return a.time.has_value() && *a.time < *b.time;
    });
  }
  std::vector<std::string_view> out;
  out.reserve(chosen.size());
  for (const Chosen& c : chosen) out.push_back(c.path);
  return out;
}

std::optional<std::int64_t> FileModifiedTime(const std::string& path) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(platform::PathFromUtf8(path), error);
  if (error) return std::nullopt;
  return static_cast<std::int64_t>(time.time_since_epoch().count());
}

}  // namespace plenwick::join
