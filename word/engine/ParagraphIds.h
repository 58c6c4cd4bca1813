// Paragraph ids (w14:paraId) must be unique within each part of a document. The main text, the
// footnotes, the endnotes and the comments of every joined document each end up in one part of
// the result, and documents made from one template, or copies of one file, bring the same ids.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace plenwick::word::engine {

// A paragraph or durable id as Word writes it: eight hexadecimal digits.
std::string HexId(std::uint32_t id);

// The ids taken in one part of the result.
using ParagraphIdSet = std::unordered_set<std::uint32_t>;

// One document's ids in one part of the result. An id the part has free is kept as it is, so a
// join of documents that share none writes every id as its document did; a taken id, or one
// Word would not accept, gets a free one, the same for each place the document uses it.
class ParagraphIds {
 public:
  // `record` is given, once, the undo that frees what this document took, for a failed append.
  ParagraphIds(ParagraphIdSet& taken, long& counter,
               std::function<void(std::function<void()>)> record);
  // The id to write instead of `id`, or nothing when `id` stays.
  std::optional<std::uint32_t> Map(std::string_view id);

 private:
  std::uint32_t Fresh();
  void Take(std::uint32_t id);

  ParagraphIdSet& taken_;
  long& counter_;
  std::function<void(std::function<void()>)> record_;
  std::unordered_map<std::uint32_t, std::uint32_t> map_;  // the document's id -> the result's
  std::unordered_map<std::string, std::uint32_t> unusable_;
  std::shared_ptr<std::vector<std::uint32_t>> added_;  // taken by this document
};

}  // namespace plenwick::word::engine
