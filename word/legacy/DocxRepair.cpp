#include "word/legacy/DocxRepair.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "word/ChildOrder.h"
#include "word/ElementOrder.h"
#include "word/legacy/LegacyErrors.h"
#include "word/package/Zip.h"

namespace plenwick::word::legacy {
namespace {

// Converted parts are small; anything bigger than this is left as the office wrote it.
constexpr std::uint64_t kMaxPartBytes = 256u << 20;

using Ranks = std::unordered_map<std::string_view, int>;

Ranks MakeRanks(std::initializer_list<std::string_view> names) {
  Ranks r;
  int i = 0;
  for (auto n : names) r.emplace(n, i++);
  return r;
}

const Ranks& ParagraphPropertyOrder() {
  static const Ranks r = [] {
    Ranks ranks;
    int i = 0;
    for (const char* name : kParagraphPropertyOrder) ranks.emplace(name, i++);
    return ranks;
  }();
  return r;
}

const Ranks& RunPropertyOrder() {
  static const Ranks r = MakeRanks({"w:ins",
                                    "w:del",
                                    "w:moveFrom",
                                    "w:moveTo",
                                    "w:rStyle",
                                    "w:rFonts",
                                    "w:b",
                                    "w:bCs",
                                    "w:i",
                                    "w:iCs",
                                    "w:caps",
                                    "w:smallCaps",
                                    "w:strike",
                                    "w:dstrike",
                                    "w:outline",
                                    "w:shadow",
                                    "w:emboss",
                                    "w:imprint",
                                    "w:noProof",
                                    "w:snapToGrid",
                                    "w:vanish",
                                    "w:webHidden",
                                    "w:color",
                                    "w:spacing",
                                    "w:w",
                                    "w:kern",
                                    "w:position",
                                    "w:sz",
                                    "w:szCs",
                                    "w:highlight",
                                    "w:u",
                                    "w:effect",
                                    "w:bdr",
                                    "w:shd",
                                    "w:fitText",
                                    "w:vertAlign",
                                    "w:rtl",
                                    "w:cs",
                                    "w:em",
                                    "w:lang",
                                    "w:eastAsianLayout",
                                    "w:specVanish",
                                    "w:oMath",
                                    "w:rPrChange"});
  return r;
}

const Ranks& LevelOrder() {
  static const Ranks r =
      MakeRanks({"w:start", "w:numFmt", "w:lvlRestart", "w:pStyle", "w:isLgl", "w:suff",
                 "w:lvlText", "w:lvlPicBulletId", "w:legacy", "w:lvlJc", "w:pPr", "w:rPr"});
  return r;
}

// Puts an element's children in schema order. Returns whether anything moved.
bool SortChildren(pugi::xml_node parent, const Ranks& ranks) {
  return KeepChildOrderByRank(parent, [&ranks](std::string_view name) {
    const auto it = ranks.find(name);
    return it != ranks.end() ? it->second : -1;
  });
}

void ForEachElement(pugi::xml_node root, const std::function<void(pugi::xml_node)>& f) {
  std::vector<pugi::xml_node> stack{root};
  while (!stack.empty()) {
    pugi::xml_node n = stack.back();
    stack.pop_back();
    if (n.type() == pugi::node_element) f(n);
    for (pugi::xml_node c = n.last_child(); c; c = c.previous_sibling()) {
      if (c.type() == pugi::node_element) stack.push_back(c);
    }
  }
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ValidDate(std::string_view d) {
  // YYYY-MM-DDThh:mm:ss, the start of every valid xsd:dateTime.
  if (d.size() < 19) return false;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u, 11u, 12u, 14u, 15u, 17u, 18u}) {
    if (!std::isdigit(static_cast<unsigned char>(d[i]))) return false;
  }
  return d[4] == '-' && d[7] == '-' && d[10] == 'T' && d.substr(0, 4) != "0000" &&
         d.substr(5, 2) != "00" && d.substr(8, 2) != "00";
}

// A width in twips, when it is one.
std::optional<long> Twips(pugi::xml_node width) {
  if (!width) return std::nullopt;
  const std::string_view type = width.attribute("w:type").value();
  if (!type.empty() && type != "dxa") return std::nullopt;
  return width.attribute("w:w").as_int();
}

// The cell's margin on one side: its own, else its table's, else Word's default.
long CellMargin(pugi::xml_node cell, std::initializer_list<const char*> sides) {
  pugi::xml_node table = cell.parent().parent();
  for (pugi::xml_node margins :
       {cell.child("w:tcPr").child("w:tcMar"), table.child("w:tblPr").child("w:tblCellMar")}) {
    for (const char* side : sides) {
      if (std::optional<long> w = Twips(margins.child(side))) return *w;
    }
  }
  return 108;
}

// A tab stop past the edge of its cell's text: the office lays out the binary file's stop (a dot
// leader running up to the amount in the next column, say) as reaching to the edge, and its own
// export's as a stop that is never reached, so the leader and the words it joined went missing.
// Such stops are brought to the edge, where the leader ends either way.
bool BringTabsIntoCell(pugi::xml_node cell) {
  const std::optional<long> width = Twips(cell.child("w:tcPr").child("w:tcW"));
  if (!width) return false;
  const long text =
      *width - CellMargin(cell, {"w:left", "w:start"}) - CellMargin(cell, {"w:right", "w:end"});
  if (text <= 0) return false;
  bool changed = false;
  for (pugi::xml_node p : cell.children("w:p")) {
    pugi::xml_node tabs = p.child("w:pPr").child("w:tabs");
    std::vector<pugi::xml_node> beyond;
    for (pugi::xml_node tab : tabs.children("w:tab")) {
      if (std::string_view(tab.attribute("w:val").value()) != "clear" &&
          tab.attribute("w:pos").as_llong() > text) {
        beyond.push_back(tab);
      }
    }
    if (beyond.empty()) continue;
    // One stop at the edge; any further ones would stand on it.
    beyond.front().attribute("w:pos").set_value(std::to_string(text).c_str());
    for (std::size_t i = 1; i < beyond.size(); ++i) tabs.remove_child(beyond[i]);
    changed = true;
  }
  return changed;
}

pugi::xml_node OnlyElementChild(pugi::xml_node parent) {
  pugi::xml_node only;
  for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (only) return {};
    only = c;
  }
  return only;
}

// The binary file's section break right after a table has no paragraph of its own in the
// office's reading of it, and its export makes up an empty one to carry the section's end: a
// blank line of the default size that pushed the rest of the page down (a four-page biosketch
// lost every page to it). That paragraph is the only one the export writes without a style;
// it is given a height of one point.
bool ShrinkSectionCarrier(pugi::xml_node paragraph) {
  pugi::xml_node before = paragraph.previous_sibling();
  while (before && before.type() != pugi::node_element) before = before.previous_sibling();
  if (!before || std::string_view(before.name()) != "w:tbl") return false;
  pugi::xml_node pPr = OnlyElementChild(paragraph);
  if (!pPr || std::string_view(pPr.name()) != "w:pPr") return false;
  pugi::xml_node sectPr = OnlyElementChild(pPr);
  if (!sectPr || std::string_view(sectPr.name()) != "w:sectPr") return false;
  pugi::xml_node spacing = pPr.insert_child_before("w:spacing", sectPr);
  static constexpr std::pair<const char*, const char*> kOnePoint[] = {
      {"w:before", "0"}, {"w:after", "0"}, {"w:line", "20"}, {"w:lineRule", "exact"}};
  for (const auto& [attribute, value] : kOnePoint) {
    spacing.append_attribute(attribute).set_value(value);
  }
  pugi::xml_node rPr = pPr.insert_child_before("w:rPr", sectPr);
  rPr.append_child("w:sz").append_attribute("w:val").set_value("2");
  rPr.append_child("w:szCs").append_attribute("w:val").set_value("2");
  return true;
}

struct Part {
  std::string name;
  pugi::xml_document xml;
  bool changed = false;
};

// Bookmarks: drop starts and ends without their other half, then later uses of a name.
void MendBookmarks(Part& part, std::unordered_set<std::string>& namesInUse) {
  std::vector<pugi::xml_node> starts;
  std::vector<pugi::xml_node> ends;
  ForEachElement(part.xml, [&](pugi::xml_node n) {
    if (std::strcmp(n.name(), "w:bookmarkStart") == 0) starts.push_back(n);
    if (std::strcmp(n.name(), "w:bookmarkEnd") == 0) ends.push_back(n);
  });
  std::multiset<std::string> endIds;
  for (auto e : ends) endIds.insert(e.attribute("w:id").value());
  std::set<std::string> keptIds;
  std::vector<pugi::xml_node> drop;
  for (auto s : starts) {
    const std::string id = s.attribute("w:id").value();
    const std::string name = Lower(s.attribute("w:name").value());
    if (endIds.count(id) == 0 || keptIds.count(id) != 0 || !namesInUse.insert(name).second) {
      drop.push_back(s);
    } else {
      keptIds.insert(id);
    }
  }
  std::set<std::string> endSeen;
  for (auto e : ends) {
    const std::string id = e.attribute("w:id").value();
    if (keptIds.count(id) == 0 || !endSeen.insert(id).second) drop.push_back(e);
  }
  for (auto n : drop) n.parent().remove_child(n);
  if (!drop.empty()) part.changed = true;
}

void MendStory(Part& part, const std::set<std::string>& styleIds, bool knowStyles) {
  std::vector<pugi::xml_node> drop;
  ForEachElement(part.xml, [&](pugi::xml_node n) {
    const std::string_view name = n.name();
    if (name == "w:pPr") {
      part.changed |= SortChildren(n, ParagraphPropertyOrder());
      if (auto r = n.child("w:rPr")) part.changed |= SortChildren(r, RunPropertyOrder());
    } else if (name == "w:lvl") {
      part.changed |= SortChildren(n, LevelOrder());
    } else if (name == "w:tc") {
      part.changed |= BringTabsIntoCell(n);
    } else if (name == "w:p") {
      part.changed |= ShrinkSectionCarrier(n);
    } else if (knowStyles && (name == "w:pStyle" || name == "w:rStyle" || name == "w:tblStyle") &&
               std::string_view(n.parent().name()) != "w:lvl" &&
               styleIds.count(n.attribute("w:val").value()) == 0) {
      drop.push_back(n);
    } else if (name == "a:srgbClr") {
      pugi::xml_attribute v = n.attribute("val");
      const std::string_view val = v.value();
      const bool hex = val.size() == 6 && std::all_of(val.begin(), val.end(), [](char c) {
                         return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                       });
      if (v && !hex) {
        v.set_value("000000");
        part.changed = true;
      }
    } else if (name == "a:ext" || name == "wp:extent") {
      for (const char* a : {"cx", "cy"}) {
        pugi::xml_attribute v = n.attribute(a);
        if (v && v.value()[0] == '-') {
          v.set_value("0");
          part.changed = true;
        }
      }
    } else if (name == "w:comment") {
      pugi::xml_attribute d = n.attribute("w:date");
      if (d && !ValidDate(d.value())) {
        n.remove_attribute(d);
        part.changed = true;
      }
    }
  });
  for (auto n : drop) n.parent().remove_child(n);
  if (!drop.empty()) part.changed = true;
}

bool IsStoryPart(std::string_view name) {
  if (!name.starts_with("word/") || !name.ends_with(".xml")) return false;
  const std::string_view base = name.substr(5);
  if (base.find('/') != std::string_view::npos) return false;
  for (std::string_view p : {"document", "header", "footer", "footnotes", "endnotes", "comments",
                             "numbering", "styles"}) {
    if (base.starts_with(p)) return true;
  }
  return false;
}

}  // namespace

Status RepairConvertedDocx(const std::string& docxPath) {
  Result<package::ZipReader> zip = package::ZipReader::Open(docxPath);
  if (!zip) return MakeError(codes::kConversionFailed, "the converter wrote an unreadable package");
  std::vector<std::unique_ptr<Part>> parts;
  for (const std::string& name : zip->Names()) {
    if (!IsStoryPart(name)) continue;
    Result<package::ZipReader::Stored> stored = zip->StoredBytes(name);
    if (!stored || stored->uncompressedSize > kMaxPartBytes) continue;
    Result<std::string> bytes = zip->Read(name);
    if (!bytes) continue;
    auto part = std::make_unique<Part>();
    part->name = name;
    // Whitespace-only text is content in Word ("<w:t xml:space="preserve"> </w:t>").
    const unsigned flags = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;
    if (!part->xml.load_buffer(bytes->data(), bytes->size(), flags, pugi::encoding_utf8)) continue;
    parts.push_back(std::move(part));
  }
  // The document first, so its bookmarks keep their names over those in notes and headers.
  std::stable_sort(parts.begin(), parts.end(), [](const auto& a, const auto& b) {
    return a->name == "word/document.xml" && b->name != "word/document.xml";
  });
  std::set<std::string> styleIds;
  bool knowStyles = false;
  for (const auto& p : parts) {
    if (p->name != "word/styles.xml") continue;
    knowStyles = true;
    ForEachElement(p->xml, [&](pugi::xml_node n) {
      if (std::strcmp(n.name(), "w:style") == 0) styleIds.insert(n.attribute("w:styleId").value());
    });
  }
  std::unordered_set<std::string> bookmarkNames;
  for (const auto& p : parts) {
    MendStory(*p, styleIds, knowStyles && p->name != "word/styles.xml");
    if (p->name != "word/styles.xml" && p->name != "word/numbering.xml") {
      MendBookmarks(*p, bookmarkNames);
    }
  }
  std::vector<package::RawEntry> changed;
  std::set<std::string> changedNames;
  for (const auto& p : parts) {
    if (!p->changed) continue;
    std::ostringstream out;
    p->xml.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    changed.push_back(package::MakeEntry(p->name, out.str()));
    changedNames.insert(p->name);
  }
  if (changed.empty()) return Ok();
  // Written anew beside it and renamed over it; the parts not mended are copied as stored. The
  // file is a conversion's private temporary, so it is not flushed to the disk.
  package::PackageWriter writer;
  writer.SetPowerSafe(false);
  for (const std::string& name : zip->Names()) {
    if (changedNames.contains(name)) continue;
    Result<package::RawEntry> raw = zip->Raw(name);
    if (!raw || !writer.AddFixed(std::move(*raw))) {
      return MakeError(codes::kConversionFailed, "the converted package cannot be mended");
    }
  }
  if (!writer.Save(docxPath, changed)) {
    return MakeError(codes::kConversionFailed, "the converted package cannot be mended");
  }
  return Ok();
}

}  // namespace plenwick::word::legacy
