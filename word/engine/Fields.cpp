// Bookmarks and what points at them: ids unique within each story, names unique in the whole
// result (Word compares them ignoring case), and REF, PAGEREF, NOTEREF, HYPERLINK \l fields and
// internal hyperlinks updated to the new names. Fields that show the source's own properties
// are locked, so they keep the results they had.
#include <cctype>
#include <string_view>
#include <vector>

#include "word/engine/Append.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

constexpr std::size_t kMaxBookmarkName = 40;

struct Token {
  std::size_t begin = 0, end = 0;  // the token's text, quotes excluded
  bool quoted = false;
};

std::vector<Token> Tokenise(const std::string& s) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (i >= s.size()) break;
    Token t;
    if (s[i] == '"') {
      t.quoted = true;
      t.begin = ++i;
      while (i < s.size() && s[i] != '"') ++i;
      t.end = i;
      if (i < s.size()) ++i;
    } else {
      t.begin = i;
      while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
      t.end = i;
    }
    out.push_back(t);
  }
  return out;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

void CollectStarts(pugi::xml_node root, std::vector<pugi::xml_node>& out) {
  WalkElements(root, [&](pugi::xml_node node) {
    if (node != root && std::string_view(node.name()) == "w:bookmarkStart") out.push_back(node);
    return true;
  });
}

}  // namespace

void BookmarkMapper::CollectNames(pugi::xml_node root) {
  std::vector<pugi::xml_node> starts;
  CollectStarts(root, starts);
  auto& taken = ctx_.result.index.bookmarkNames;
  for (pugi::xml_node start : starts) {
    std::string name = start.attribute("w:name").value();
    if (name.empty() || renames_.count(Fold(name)) != 0) continue;
    if (taken.count(Fold(name)) == 0) {
      JournalInsert(ctx_, taken, Fold(name));
      continue;
    }
    std::string fresh;
    for (long n = 2;; ++n) {
      std::string suffix = "_" + std::to_string(n);
      std::string base =
          name.substr(0, kMaxBookmarkName - std::min(kMaxBookmarkName, suffix.size()));
      fresh = base + suffix;
      if (taken.count(Fold(fresh)) == 0) break;
    }
    JournalInsert(ctx_, taken, Fold(fresh));
    renames_[Fold(name)] = fresh;
  }
}

bool BookmarkMapper::Keeps(pugi::xml_node node) {
  std::string id = node.attribute("w:id").value();
  if (std::string_view(node.name()) == "w:bookmarkEnd") {
    auto pending = story_.dropped.find(id);
    if (pending == story_.dropped.end()) return true;
    if (--pending->second == 0) story_.dropped.erase(pending);
    return false;
  }
  std::string name = node.attribute("w:name").value();
  if (name.empty() || started_.insert(Fold(name)).second) return true;
  // Rows repeated by a template tool repeat their bookmarks too; two starts of one name would
  // also share one id in the result.
  ++story_.dropped[id];
  return false;
}

std::string BookmarkMapper::MapId(const std::string& id) {
  auto known = story_.mapped.find(id);
  if (known != story_.mapped.end()) return known->second;
  std::string fresh = std::to_string(NextId(ctx_, &Counters::bookmark) - 1);
  story_.mapped[id] = fresh;
  return fresh;
}

std::string BookmarkMapper::MapName(const std::string& name) const {
  auto r = renames_.find(Fold(name));
  return r == renames_.end() ? name : r->second;
}

bool BookmarkMapper::RewritesFields() const {
  return !renames_.empty() || ctx_.singleSection || !ctx_.pageCountMark.empty();
}

bool ShowsSourceProperty(std::string_view instr) {
  // What the source said about itself (its dates, author, title, file name, statistics) belongs
  // to the source; updated in the result, they would show the result's own properties instead.
  static constexpr std::string_view kOwn[] = {
      "AUTHOR",   "COMMENTS", "CREATEDATE", "DOCPROPERTY", "DOCVARIABLE", "EDITTIME", "FILENAME",
      "FILESIZE", "INFO",     "KEYWORDS",   "LASTSAVEDBY", "NUMCHARS",    "NUMWORDS", "PRINTDATE",
      "REVNUM",   "SAVEDATE", "SUBJECT",    "TEMPLATE",    "TITLE"};
  std::string s(instr);
  std::vector<Token> tokens = Tokenise(s);
  if (tokens.empty()) return false;
  std::string keyword =
      Upper(std::string_view(s).substr(tokens[0].begin, tokens[0].end - tokens[0].begin));
  for (std::string_view k : kOwn) {
    if (keyword == k) return true;
  }
  return false;
}

std::string BookmarkMapper::RewriteInstruction(const std::string& instr) const {
  std::vector<Token> tokens = Tokenise(instr);
  if (tokens.empty()) return instr;
  std::string keyword =
      Upper(std::string_view(instr).substr(tokens[0].begin, tokens[0].end - tokens[0].begin));
  if (keyword == "NUMPAGES" && ctx_.singleSection) {
    // A one-section document's page count is its section's page count, wherever it ends up.
    return instr.substr(0, tokens[0].begin) + "SECTIONPAGES" + instr.substr(tokens[0].end);
  }
  if (keyword == "NUMPAGES" && !ctx_.pageCountMark.empty()) {
    // A document of several sections: the number of its own last page.
    return instr.substr(0, tokens[0].begin) + "PAGEREF " + MapName(ctx_.pageCountMark) +
           instr.substr(tokens[0].end);
  }
  std::size_t target = 0;
  if (keyword == "REF" || keyword == "PAGEREF" || keyword == "NOTEREF" || keyword == "GOTOBUTTON") {
    if (tokens.size() > 1) target = 1;
  } else if (keyword == "HYPERLINK") {
    for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
      std::string_view t(instr.data() + tokens[i].begin, tokens[i].end - tokens[i].begin);
      if (!tokens[i].quoted && (t == "\\l" || t == "\\L")) target = i + 1;
    }
  }
  if (target == 0) return instr;
  const Token& t = tokens[target];
  std::string name = instr.substr(t.begin, t.end - t.begin);
  std::string mapped = MapName(name);
  if (mapped == name) return instr;
  return instr.substr(0, t.begin) + mapped + instr.substr(t.end);
}

}  // namespace plenwick::word::engine
