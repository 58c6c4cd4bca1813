// The binder step around each append: a bookmark where each document starts, its page number
// restarts dropped when numbers run through, and the contents page that lists the documents with
// the pages they start on. Kept apart from the append itself, which it only adds to.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "word/BinderOptions.h"
#include "word/engine/BoundDocument.h"
#include "word/engine/PieceEntry.h"

namespace plenwick::word::engine {

struct AppendContext;
class SourcePackage;

// A bookmark name made from a file name: letters, digits and underscores (other characters
// become one underscore), starting with a letter, at most 40 characters, and not among
// takenFolded (names folded to lower case, as Word compares them).
std::string BookmarkNameFor(std::string_view fileName, const std::set<std::string>& takenFolded);

// How a document is listed: its title property, else its first heading, else its file name.
std::string TitleOf(SourcePackage& source, pugi::xml_node body, std::string_view fileName);

class Binder {
 public:
  explicit Binder(BinderOptions options) : options_(options) {}

  const BinderOptions& options() const { return options_; }
  bool MarksStarts() const { return options_.bookmarks || options_.contents; }

  // Before the document's stories are rewritten: its title, and the first one's page set-up.
  void Prepare(AppendContext& ctx, pugi::xml_node body, std::string_view fileName) const;
  // After: the bookmark at its first paragraph, and its own page number restarts dropped.
  void Mark(AppendContext& ctx, pugi::xml_node body) const;
  // The append went in.
  void Commit(BoundDocument document);

  // The contents page as body content ending its own section; empty when there is none.
  CompressedRun ContentsPage() const;
  // The pages the documents start on, by bookmark, as a rendering of the result found them.
  void SetStartPages(std::map<std::string, int> pages);
  bool KnowsStartPages() const { return !startPages_.empty(); }
  // Whether the result asks its reader to update its fields when opened.
  bool WantsFieldsUpdated() const { return options_.contents && !KnowsStartPages(); }

  const std::vector<BoundDocument>& documents() const { return documents_; }

 private:
  std::string Heading();  // the page's title; settles the entries' tab stop
  std::string Entry(std::size_t index, bool last) const;  // the last ends the page's section
  BinderOptions options_;
  std::vector<BoundDocument> documents_;
  std::string pageSetup_;
  std::map<std::string, int> startPages_;
  std::string tabs_;
  CompressedRun settled_;  // the title and every entry but the last
};

}  // namespace plenwick::word::engine
